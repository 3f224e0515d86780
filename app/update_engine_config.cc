// Start-up: the payload list, the configuration and the command-line settings.
#include "app/configuration_check.h"
#include "app/update_engine.h"
#include "platform/application.h"
#include "platform/bundle.h"
#include "platform/exit.h"
#include "platform/file_system.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "platform/property_list.h"
#include "platform/utf16.h"

namespace updater {
namespace {

constexpr size_t kMaxPayloadListBytes = 4 * 1024 * 1024;

}  // namespace

void UpdateEngine::awakeFromNib() {
  services_.notifications.addObserver(this, kApplicationDidFinishLaunchingNotification,
                                      [this](const Notification&) { appLaunched(); });
  auto path = _mainBundle ? _mainBundle->pathForResource("app_list", "txt") : std::nullopt;
  if (!path) {
    services_.log("FATAL ERROR:  app_list.txt not found.");
    services_.process_exit.exit(kExitPayloadListMissing);
  }
  auto text = services_.file_system.readFile(*path, kMaxPayloadListBytes);
  if (!text || text->empty() || !decodeUtf8(*text)) {
    services_.log("FATAL ERROR:  app_list.txt found but empty.");
    services_.process_exit.exit(kExitPayloadListMissing);
  }
  payloads_ = parsePayloadList(*text);
}

void UpdateEngine::appLaunched() {
  auto path = _mainBundle->pathForResource("configuration", "plist");
  if (!path) {
    services_.log("FATAL ERROR:  configuration.plist could not be found.");
    services_.process_exit.exit(kExitConfigurationFailed);
  }
  if (auto bytes = services_.file_system.readFile(*path, kMaxPropertyListBytes)) {
    _configData = parsePropertyListDictionary(*bytes);
  }
  if (!_configData) {
    services_.log("Configuration data not found");
    _reportUpdateFailed();
    services_.process_exit.exit(kExitConfigurationFailed);
  }
  if (auto error = checkConfigurationTypes(*_configData)) {
    services_.log(describe(*error));
    services_.process_exit.exit(kExitConfigurationFailed);
  }
  if (const PlistValue* locate = findKey(*_configData, "locate")) {
    _findAppDictionary = std::make_shared<PlistDictionary>(*locate->asDictionary());
  }
  if (const PlistValue* validate = findKey(*_configData, "validate")) {
    _validateAppDictionary = std::make_shared<const PlistDictionary>(*validate->asDictionary());
  }
  if (const PlistValue* id = findKey(*_configData, "ROZUpdaterAppID")) _KVRId = *id->asString();

  processDefaults();
  // A password that stands in the file must not reach the log either.
  if (auto password = locateString("password")) services_.log.addSecret(*password);

  if (showUI()) {
    services_.application.transformToForegroundApplication();
    services_.application.scheduleTimer(0.1, [this] { activateAppTimer(); });
    return;
  }
  processUpdate();
}

void UpdateEngine::activateAppTimer() {
  services_.application.activateIgnoringOtherApps();
  processUpdate();
}

void UpdateEngine::processDefaults() {
  // Without a locate dictionary there is nowhere to record the settings; the
  // run is then silent and finds nothing.
  if (!_findAppDictionary) return;
  PlistDictionary& locate = *_findAppDictionary;
  if (auto path = defaults_.stringForKey("path")) {
    locate["showUI"] = PlistValue::boolean(false);
    locate["path"] = PlistValue::string(*path);
  } else {
    locate["showUI"] = PlistValue::boolean(true);
  }
  if (auto user = defaults_.stringForKey("user")) locate["user"] = PlistValue::string(*user);
  if (auto password = defaults_.stringForKey("password")) {
    locate["password"] = PlistValue::string(*password);
  }
}

bool UpdateEngine::showUI() const {
  if (!_findAppDictionary) return false;
  const PlistValue* value = findKey(*_findAppDictionary, "showUI");
  return value != nullptr && value->asBoolean().value_or(false);
}

std::optional<std::string> UpdateEngine::locateString(const std::string& key) const {
  if (!_findAppDictionary) return std::nullopt;
  const PlistValue* value = findKey(*_findAppDictionary, key);
  if (value == nullptr || value->asString() == nullptr) return std::nullopt;
  return *value->asString();
}

}  // namespace updater
