// The payload installation loop: administrator rights once, every payload
// checked, then the install script run for each payload on a worker thread.
#include <stdexcept>
#include <thread>

#include "app/install_arguments.h"
#include "app/update_engine.h"
#include "locate/installed_app.h"
#include "platform/bundle.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "platform/user_interface.h"
#include "privileged/auth_exec.h"

namespace updater {

UpdateStatus UpdateEngine::_updateApp(const InstalledApp& app) {
  try {
    return installPayloads(app);
  } catch (const std::exception&) {
    services_.log("Unexpected error in _updateApp");
    return UpdateStatus::kFailed;
  }
}

UpdateStatus UpdateEngine::installPayloads(const InstalledApp& app) {
  AuthExec runner(services_.authorization, services_.environment, services_.notifications);
  switch (runner.preAuthorizeForUser(locateString("user"), locateString("password"))) {
    case 0:
      break;
    case 1:
      return UpdateStatus::kCancelled;
    default:
      return UpdateStatus::kFailed;
  }

  const PlistValue* show_progress = findKey(*_configData, "showProgress");
  const bool progress_shown =
      !results_.runningUnderKVR(_KVRId) && showUI() &&
      (show_progress == nullptr || show_progress->asBoolean().value_or(true));
  ProgressWindow& progress = services_.user_interface.progressWindow();
  if (progress_shown) progress.show();

  const auto script = _mainBundle->pathForResource("InstallUpdates", "sh");
  if (!script) {
    services_.log("FATAL ERROR:  Script InstallUpdates.sh is missing.");
    return UpdateStatus::kFailed;
  }

  const std::vector<std::string>& names = payloads_.appList;
  const int32_t count = static_cast<int32_t>(names.size());
  const std::string& folder = app.appPathFolder();
  for (payloadNum = 0; payloadNum < count; ++payloadNum) {
    const std::string payload = folder + "/" + names[payloadNum];
    if (!services_.file_system.isExecutable(payload) && !payloads_.isAppOptionalList[payloadNum]) {
      services_.log("Fatal Error:  Application " + payload +
                    " is missing.\nCan't update this application.");
      return UpdateStatus::kFailed;
    }
  }

  UpdateStatus result = UpdateStatus::kDone;
  for (payloadNum = payloads_.isMultiplePayload ? count - 1 : 0; payloadNum >= 0; --payloadNum) {
    const std::string& name = names[payloadNum];
    const std::string payload = folder + "/" + name;
    if (!services_.file_system.isExecutable(payload) && payloads_.isAppOptionalList[payloadNum]) {
      services_.log("Warning:  Application " + payload +
                    " is missing.\nCan't update this application.");
      continue;
    }
    _notDone.store(true, std::memory_order_relaxed);
    runner.setArguments(
        installScriptArguments(folder, name, _mainBundle->resourcePath(), payloadNum));
    runner.setCommand(*script);
    runner.setNotify(_configData);
    services_.notifications.addObserver(
        this, kAuthExecThreadWillExitNotification,
        [this](const Notification& notification) { threadWillExitNotification(notification); });
    std::thread worker;
    try {
      worker = std::thread([this, &runner] { _installThreadMain(runner); });
    } catch (...) {
      services_.notifications.removeObserver(this, kAuthExecThreadWillExitNotification);
      throw;
    }
    if (progress_shown) progress.runModal();
    // Blocks without spinning until the worker clears the flag.
    while (_notDone.load(std::memory_order_acquire)) _notDone.wait(true, std::memory_order_acquire);
    worker.join();
    services_.notifications.removeObserver(this, kAuthExecThreadWillExitNotification);

    if (runner.waitStatus() != 0) {
      services_.log("Install script failed with exit status: " +
                    std::to_string(runner.waitStatus()));
      result = UpdateStatus::kFailed;
      break;
    }
    if (!services_.environment.get("RE_build")) {
      processAppListWithPath(folder, runner.authRef());
    }
  }
  if (progress_shown) progress.close();
  return result;
}

void UpdateEngine::_installThreadMain(AuthExec& runner) { runner.execute(); }

void UpdateEngine::threadWillExitNotification(const Notification& notification) {
  if (_KVRId) {
    const PlistValue* id =
        notification.userInfo ? findKey(*notification.userInfo, "ROZUpdaterAppID") : nullptr;
    if (id == nullptr || id->asString() == nullptr || *id->asString() != *_KVRId) return;
  }
  if (!results_.runningUnderKVR(_KVRId)) services_.user_interface.progressWindow().abortModal();
  setDone();
}

void UpdateEngine::setDone() {
  _notDone.store(false, std::memory_order_release);
  _notDone.notify_all();
}

}  // namespace updater
