// Starting child processes.
//
// Abstract so it can be mocked out for tests; the real implementation is
// PosixProcessLauncher (process_posix.cc). Programs are started directly, never
// through a shell, with argv[0] set to the program's path and `arguments`
// following it. Children inherit only their standard streams, and get the
// environment built by scriptEnvironment() from the updater's own.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace updater {

class Environment;

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;

  // Starts the program and waits for it. The exit status (0-255), 128 + the
  // signal number when a signal ended it, or nullopt when it could not start.
  virtual std::optional<int> runAndWait(const std::string& program,
                                        const std::vector<std::string>& arguments) = 0;

  // Starts the program without waiting for it; it may outlive the updater and
  // is reaped when it ends (no zombie is left). False when it could not start.
  virtual bool launch(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

// The environment every script the updater starts receives, built from an
// allow-list as sudo's env_reset does: PATH reset to a safe system path, the
// locale and the invoking user's HOME, USER and LOGNAME kept, TERM and the
// display kept for scripts that show nothing, and everything else (loader and
// shell start-up variables such as LD_*, GLIBC_TUNABLES, BASH_ENV, ENV, IFS,
// BASH_FUNC_*) dropped. Values that could smuggle shell functions are dropped
// even for kept names.
std::vector<std::pair<std::string, std::string>> scriptEnvironment(const Environment& environment);

inline constexpr const char* kSafePath =
    "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

}  // namespace updater
