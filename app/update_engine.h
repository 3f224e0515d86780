// UpdateEngine: the controller of one updater run, from launch to exit.
//
// It loads the payload list and the configuration, lays the command-line
// settings over the locate dictionary, finds and checks the target
// application, installs the payloads and reports the outcome: to the update
// manager as a result code, in a dialog (interactive mode) or in the log
// (silent mode). Every run ends the process through ProcessExit with the
// update status as exit status. Everything runs on the main thread except the
// privileged install runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/payload_list.h"
#include "manager/kvr_installer_results_wrapper.h"
#include "platform/plist_value.h"
#include "platform/user_defaults.h"

namespace updater {

class Application;
class AuthExec;
class AuthorizationReference;
class AuthorizationService;
class Bundle;
class Environment;
class FileSystem;
class InstallerResultsLibrary;
class InstalledApp;
class LocateInstalledApplication;
class Log;
class NotificationCenter;
class ProcessExit;
class ProcessLauncher;
class SelfHealLibrary;
class UserInterface;
struct Notification;

// The verdict of a run, and the process's exit status.
enum class UpdateStatus : int32_t {
  kDone = 0,       // installed, already up to date, or nothing found under the update manager
  kCancelled = 1,  // no target, applications kept running, wrong language, rights not given
  kFailed = 3,
};
std::ostream& operator<<(std::ostream& out, UpdateStatus status);

// Exit statuses of the start-up failures.
inline constexpr int kExitPayloadListMissing = 1;
inline constexpr int kExitConfigurationFailed = 3;

// The collaborators of a run, handed in by the entry point (real ones) or by
// tests (fakes). They outlive the engine.
struct UpdateEngineServices {
  const FileSystem& file_system;
  const Environment& environment;
  Log& log;
  ProcessLauncher& processes;
  NotificationCenter& notifications;
  Application& application;
  UserInterface& user_interface;
  ProcessExit& process_exit;
  InstallerResultsLibrary& installer_results;
  AuthorizationService& authorization;
  SelfHealLibrary& self_heal;
};

class UpdateEngine {
 public:
  UpdateEngine(UpdateEngineServices services, std::shared_ptr<const Bundle> main_bundle,
               UserDefaults defaults);
  ~UpdateEngine();
  UpdateEngine(const UpdateEngine&) = delete;
  UpdateEngine& operator=(const UpdateEngine&) = delete;

  // Registers for the launch notification and loads the payload list; ends
  // the process with status 1 when the list is missing or empty.
  void awakeFromNib();
  // Loads the configuration (status 3 on failure), applies the command-line
  // settings, then starts the run: at once when silent, after a 0.1 s timer
  // when interactive.
  void appLaunched();
  void activateAppTimer();
  // The whole run; ends the process.
  [[noreturn]] void processUpdate();

  // Steps of the run, public for tests.
  UpdateStatus decideUpdate();
  void processDefaults();
  bool _isAppNewerThanUpdate(const InstalledApp* app) const;
  void _reportUpToDate();
  void _reportUpdateFailed();
  void _reportUpdateCancelled();
  bool isPatchLanguagesValidForApp(const std::string& app_path);
  UpdateStatus _updateApp(const InstalledApp& app);
  // Repairs the bundle of the payload just installed (payloadNum) in the
  // application folder, when it carries a self-heal description.
  void processAppListWithPath(const std::string& app_folder, AuthorizationReference* auth);
  void callSelfHealWithPath(const std::string& bundle_path, AuthorizationReference* auth);

  const PayloadList& payloads() const { return payloads_; }
  const std::shared_ptr<PlistDictionary>& findAppDictionary() const { return _findAppDictionary; }
  const KVRInstallerResultsWrapper& resultsBridge() const { return results_; }

 private:
  bool showUI() const;
  std::optional<std::string> locateString(const std::string& key) const;
  std::optional<std::string> locateTarget();
  bool shutdownRunningApplications(const std::string& app_path);
  void report(const char* message_key, const char* title_key);
  UpdateStatus installPayloads(const InstalledApp& app);
  // Worker thread: runs the install script, then (through the notification)
  // the end-of-run handler.
  void _installThreadMain(AuthExec& runner);
  void threadWillExitNotification(const Notification& notification);
  void setDone();

  UpdateEngineServices services_;
  std::shared_ptr<const Bundle> _mainBundle;
  UserDefaults defaults_;
  KVRInstallerResultsWrapper results_;
  // Made once, when no path was given; lives as long as the run.
  std::unique_ptr<LocateInstalledApplication> locator_;

  std::optional<PlistDictionary> _configData;
  // Shared with the locator, which sees the command-line settings written here.
  std::shared_ptr<PlistDictionary> _findAppDictionary;
  std::shared_ptr<const PlistDictionary> _validateAppDictionary;
  std::optional<std::string> _KVRId;
  PayloadList payloads_;
  int32_t payloadNum = 0;
  // Set by the main thread before each install run, cleared (release) by the
  // worker thread last; the main thread reads it with acquire, so it sees the
  // runner's status once the flag is clear.
  std::atomic<bool> _notDone{true};
};

}  // namespace updater
