#include "running/running_application_handler.h"

#include "platform/bundle.h"
#include "platform/log.h"
#include "platform/process.h"
#include "platform/user_interface.h"

namespace updater {

RunningApplicationHandler::RunningApplicationHandler(Services services, std::string app_path)
    : services_(std::move(services)), _appPath(std::move(app_path)) {
  _checkScript = services_.main_bundle->pathForResource("CheckZeltoAppsRunning", "sh");
  findAndKillAppWithName("ZeltoResourceSynchronizer");
}

void RunningApplicationHandler::findAndKillAppWithName(const std::optional<std::string>& name) {
  auto script = services_.main_bundle->pathForResource("FindAndKill", "py");
  if (!script) {
    services_.log("ERROR-  Could not find: 'FindAndKill.py'");
    return;
  }
  if (!name) {
    services_.log("ERROR-  Could not get argument for FindAndKill.py.'");
    return;
  }
  if (!services_.processes.runAndWait(*script, {*name})) {
    services_.log("ERROR-  Could not launch task for FindAndKill.py.'");
  }
}

bool RunningApplicationHandler::areZeltoAppsRunning() {
  if (!_checkScript) return false;
  auto bundle = Bundle::open(services_.file_system, _appPath, services_.localizations);
  // A target without a named executable is checked by its bundle path, so the
  // script still gets its one argument.
  std::string executable = _appPath;
  if (bundle) {
    if (auto path = bundle->executablePath()) executable = *path;
  }
  auto status = services_.processes.runAndWait(*_checkScript, {executable});
  return status && *status == 0;
}

bool RunningApplicationHandler::shutdownZeltoApplications() {
  while (areZeltoAppsRunning()) {
    const Bundle& strings = *services_.main_bundle;
    const AlertResponse answer = services_.user_interface.runAlert(
        {strings.localizedString("Quit Zelto Apps Title"),
         strings.localizedString("Quit Zelto Apps Message"), strings.localizedString("Continue"),
         strings.localizedString("Cancel")});
    if (answer != AlertResponse::kDefault) return false;
  }
  return true;
}

}  // namespace updater
