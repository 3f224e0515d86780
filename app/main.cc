// The entry point: makes the real platform services, the controller and the
// front end, and runs the application until the controller ends the process.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/update_engine.h"
#include "platform/authorization_superuser.h"
#include "platform/bundle.h"
#include "platform/environment_posix.h"
#include "platform/event_loop.h"
#include "platform/exit_posix.h"
#include "platform/file_system_posix.h"
#include "platform/log.h"
#include "platform/log_console.h"
#include "platform/notification_center.h"
#include "platform/process_posix.h"
#include "platform/self_location.h"
#include "platform/user_interface_terminal.h"
#include "platform/vendor_libraries.h"

namespace {

constexpr const char* kUsage =
    "Usage: updater [-path APPLICATION] [-user NAME] [-password PASSWORD]\n"
    "\n"
    "Installs the patch this updater bundle carries.\n"
    "\n"
    "  -path APPLICATION  the installed application bundle to patch; runs silently:\n"
    "                     nothing is shown, every message goes to the log\n"
    "  -user NAME         user name for obtaining administrator rights\n"
    "  -password PASSWORD that user's password (never written to the log)\n"
    "  -help, --help      show this text\n"
    "\n"
    "Without -path the updater finds the application itself and asks on the terminal.\n"
    "Exit status: 0 installed or up to date, 1 cancelled or no payload list,\n"
    "3 failed or configuration unusable, 136 self-heal could not open the bundle.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace updater;
  const UserDefaults defaults =
      UserDefaults::fromArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (defaults.helpRequested()) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  static ConsoleLogSink log_sink;
  static Log log(log_sink);
  static PosixFileSystem file_system;
  static ProcessEnvironment environment;
  static const auto script_environment = scriptEnvironment(environment);
  static PosixProcessLauncher processes(script_environment);
  static NotificationCenter notifications;
  static EventLoopApplication application(notifications);
  static TerminalUserInterface user_interface(stdin, stdout, isatty(STDOUT_FILENO) != 0);
  static PosixProcessExit process_exit;
  static SuperuserAuthorizationService authorization(environment, log, script_environment);

  // The terminal is the one front end so far; UPDATER_UI=terminal asks for
  // it by name, and any other value is said in the log, not silently obeyed.
  if (auto wanted = environment.get("UPDATER_UI"); wanted && *wanted != "terminal") {
    log("Warning:  UPDATER_UI=" + *wanted + " is not an available front end; using the terminal.");
  }

  std::shared_ptr<const Bundle> main_bundle;
  if (auto executable = runningExecutablePath()) {
    if (auto bundle_path = bundlePathForExecutable(*executable)) {
      main_bundle = Bundle::open(file_system, *bundle_path, preferredLocalizations(environment));
    }
  }

  const std::string bundle_path = main_bundle ? main_bundle->bundlePath() : std::string("/");
  static LoadedInstallerResults installer_results(bundle_path, log);
  static LoadedSelfHeal self_heal(bundle_path, log);

  // The controller lives until the process ends and is never destroyed: its
  // teardown would start the update manager's clean-up a second time.
  static UpdateEngine* const engine =
      new UpdateEngine({file_system, environment, log, processes, notifications, application,
                        user_interface, process_exit, installer_results, authorization, self_heal},
                       main_bundle, defaults);
  engine->awakeFromNib();
  application.run();
  // The run ends the process itself; reaching this is a fault.
  log("FATAL ERROR:  the run ended without an outcome.");
  process_exit.exit(3);
}
