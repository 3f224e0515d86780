// The steps of the run that other subsystems answer: finding the target and
// dealing with running applications.
#include "app/update_engine.h"
#include "locate/locate_installed_application.h"
#include "platform/bundle.h"
#include "running/running_application_handler.h"

namespace updater {

std::optional<std::string> UpdateEngine::locateTarget() {
  locator_ = std::make_unique<LocateInstalledApplication>(
      LocateInstalledApplication::Services{
          services_.file_system, services_.environment, _mainBundle, results_,
          services_.user_interface, services_.log, preferredLocalizations(services_.environment)},
      _findAppDictionary, _validateAppDictionary);
  return locator_->locateApplication();
}

bool UpdateEngine::shutdownRunningApplications(const std::string& app_path) {
  RunningApplicationHandler handler(
      RunningApplicationHandler::Services{services_.file_system, _mainBundle, services_.processes,
                                          services_.user_interface, services_.log,
                                          preferredLocalizations(services_.environment)},
      app_path);
  return handler.shutdownZeltoApplications();
}

}  // namespace updater
