#include "locate/installed_app.h"

#include "platform/bundle.h"
#include "platform/file_system.h"
#include "platform/log.h"
#include "platform/process.h"
#include "platform/property_list.h"

namespace updater {

InstalledApp::InstalledApp(const FileSystem& file_system, std::vector<std::string> localizations,
                           std::string path,
                           const std::optional<std::string>& roz_plist_partial_path)
    : _path(std::move(path)), _appPathFolder(deletingLastPathComponent(_path)) {
  _bundle = Bundle::open(file_system, _path, std::move(localizations));
  std::optional<std::string> metadata;
  if (roz_plist_partial_path) {
    metadata = _path + *roz_plist_partial_path;
  } else if (_bundle) {
    metadata = _bundle->pathForResource("roz", "plist");
  }
  if (metadata) {
    if (auto bytes = file_system.readFile(*metadata, kMaxPropertyListBytes)) {
      _rozDictionary = parsePropertyListDictionary(*bytes);
    }
  }
}

int InstalledApp::running(const Bundle& updater_bundle, ProcessLauncher& processes,
                          Log& log) const {
  auto script = updater_bundle.pathForResource("IsRunning", "sh");
  if (!script) {
    log("Unable to locate IsRunning script in application resources");
    return 2;
  }
  std::vector<std::string> arguments{*script};
  if (_bundle) {
    if (auto executable = _bundle->executablePath()) arguments.push_back(*executable);
  }
  auto status = processes.runAndWait(*script, arguments);
  if (!status) {
    log("Unable to spawn IsRunning script");
    return 2;
  }
  if (*status == 0) return 1;
  if (*status == 1) return 0;
  return 2;
}

}  // namespace updater
