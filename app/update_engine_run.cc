// The road of one run and its three reports.
#include <cstdlib>

#include "app/update_engine.h"
#include "locate/installed_app.h"
#include "locate/locate_installed_application.h"
#include "manager/installer_results_library.h"
#include "platform/bundle.h"
#include "platform/environment.h"
#include "platform/exit.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "platform/string_table.h"
#include "platform/user_interface.h"

namespace updater {

std::ostream& operator<<(std::ostream& out, UpdateStatus status) {
  switch (status) {
    case UpdateStatus::kDone:
      return out << "UpdateStatus::Done (0)";
    case UpdateStatus::kCancelled:
      return out << "UpdateStatus::Cancelled (1)";
    case UpdateStatus::kFailed:
      return out << "UpdateStatus::Failed (3)";
  }
  return out << "UpdateStatus(" << static_cast<int32_t>(status) << ")";
}

UpdateEngine::UpdateEngine(UpdateEngineServices services, std::shared_ptr<const Bundle> main_bundle,
                           UserDefaults defaults)
    : services_(services),
      _mainBundle(std::move(main_bundle)),
      defaults_(std::move(defaults)),
      results_(services.file_system, services.environment, _mainBundle, services.processes,
               services.installer_results) {
  // Masked from the first log line on, whether or not the configuration has
  // a locate dictionary to record it in.
  if (auto password = defaults_.stringForKey("password")) services_.log.addSecret(*password);
}

UpdateEngine::~UpdateEngine() {
  services_.notifications.removeObserver(this);
  if (results_.runningUnderKVR()) results_.cleanup();
}

void UpdateEngine::processUpdate() {
  const UpdateStatus status = decideUpdate();
  results_.cleanup(_KVRId);
  services_.process_exit.exit(static_cast<int>(status));
  std::abort();  // ProcessExit::exit never returns
}

UpdateStatus UpdateEngine::decideUpdate() {
  std::optional<std::string> path = locateString("path");
  if (!path) path = locateTarget();
  if (!path) {
    if (results_.runningUnderKVR(_KVRId)) {
      results_.setInstallerResults(ResultCode::kSuccess, "104");
      return UpdateStatus::kDone;
    }
    _reportUpdateCancelled();
    return UpdateStatus::kCancelled;
  }
  if (showUI() && !shutdownRunningApplications(*path)) {
    _reportUpdateCancelled();
    return UpdateStatus::kCancelled;
  }
  const InstalledApp app(services_.file_system, preferredLocalizations(services_.environment),
                         *path, locateString("ROZPlistPartialPath"));
  if (_isAppNewerThanUpdate(&app)) {
    _reportUpToDate();
    return UpdateStatus::kDone;
  }
  if (!isPatchLanguagesValidForApp(*path)) {
    _reportUpdateCancelled();
    return UpdateStatus::kCancelled;
  }
  const UpdateStatus status = _updateApp(app);
  switch (status) {
    case UpdateStatus::kDone:
      _reportUpToDate();
      break;
    case UpdateStatus::kCancelled:
      _reportUpdateCancelled();
      break;
    case UpdateStatus::kFailed:
      _reportUpdateFailed();
      break;
  }
  return status;
}

bool UpdateEngine::_isAppNewerThanUpdate(const InstalledApp* app) const {
  if (app == nullptr || !_configData) return false;
  const PlistDictionary* installed = app->rozDictionary();
  auto installedValue = [installed](const char* key, PlistValue fallback) {
    const PlistValue* value = installed ? findKey(*installed, key) : nullptr;
    return value ? *value : fallback;
  };
  const PlistValue* patch = findKey(*_configData, "targetUpdateRevision");
  PlistValue current;
  if (patch != nullptr) {
    current = installedValue("ROZProductUpdateRevision", PlistValue::integer(0));
  } else if ((patch = findKey(*_configData, "ROZVersionNumber")) != nullptr) {
    current = installedValue("ROZVersionNumber", PlistValue::string("0"));
  } else {
    return false;
  }
  auto order = patch->compare(current);
  if (!order) {
    // Installing over a value we cannot read is what a missing value would
    // do too; say so, since the patch may be older than what is installed.
    services_.log(
        "Warning:  the installed revision cannot be compared with the patch's; "
        "installing.");
    return false;
  }
  return *order == std::strong_ordering::less;
}

void UpdateEngine::_reportUpToDate() {
  if (results_.runningUnderKVR(_KVRId)) {
    results_.setInstallerResults(ResultCode::kSuccess);
    return;
  }
  report("Up to date message", "UpToDate Title");
}

void UpdateEngine::_reportUpdateFailed() {
  if (results_.runningUnderKVR(_KVRId)) {
    results_.setInstallerResults(ResultCode::kFailed, "102");
    return;
  }
  report("Update failed message", "Update Failed title");
}

void UpdateEngine::_reportUpdateCancelled() {
  // Outside the update manager a cancellation is neither shown nor logged:
  // the user chose it.
  if (results_.runningUnderKVR(_KVRId)) results_.setInstallerResults(ResultCode::kCancelled);
}

void UpdateEngine::report(const char* message_key, const char* title_key) {
  const std::string text = formatWithObject(_mainBundle->localizedString(message_key),
                                            locateString("executableNameNoExt"));
  if (showUI()) {
    services_.user_interface.runAlert({_mainBundle->localizedString(title_key), text, "", {}});
  } else {
    services_.log(text);
  }
}

}  // namespace updater
