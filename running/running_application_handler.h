// RunningApplicationHandler: before an interactive install, ends the family's
// resource synchronizer and asks the user to quit running applications of the
// family until none runs or the user gives up. Main thread only; every step
// blocks until its script or dialog is done.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace updater {

class Bundle;
class FileSystem;
class Log;
class ProcessLauncher;
class UserInterface;

class RunningApplicationHandler {
 public:
  struct Services {
    const FileSystem& file_system;
    std::shared_ptr<const Bundle> main_bundle;
    ProcessLauncher& processes;
    UserInterface& user_interface;
    Log& log;
    std::vector<std::string> localizations;
  };

  // Runs FindAndKill.py for "ZeltoResourceSynchronizer" before returning.
  RunningApplicationHandler(Services services, std::string app_path);

  // Runs FindAndKill.py with the name and waits for it; its status is ignored.
  void findAndKillAppWithName(const std::optional<std::string>& name);
  // CheckZeltoAppsRunning.sh with the target's executable: exit status 0 means
  // applications of the family run. Without the script, or when it cannot
  // start, none counts as running.
  bool areZeltoAppsRunning();
  // True when none runs any more; false when the user gave up.
  bool shutdownZeltoApplications();

 private:
  Services services_;
  std::optional<std::string> _checkScript;
  std::string _appPath;
};

}  // namespace updater
