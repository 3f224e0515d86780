// The real process launcher: posix_spawn, no shell, only the standard streams
// inherited, and the script environment.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"

namespace updater {

// What a spawned child gets: argv and envp built once, owned here.
class SpawnVectors {
 public:
  SpawnVectors(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& environment);
  char* const* argv() { return argv_.data(); }
  char* const* envp() { return envp_.data(); }

 private:
  std::vector<std::string> storage_;
  std::vector<char*> argv_;
  std::vector<char*> envp_;
};

// Spawns `program`; `stdout_fd` >= 0 becomes the child's standard output.
// Every other descriptor above 2 is closed in the child. Returns the pid, or
// -errno when the child could not be started.
int spawnChild(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& environment,
               int stdout_fd = -1);

// Waits for the child; its exit status, or 128 + signal number.
int waitForChild(int pid);

class PosixProcessLauncher : public ProcessLauncher {
 public:
  explicit PosixProcessLauncher(std::vector<std::pair<std::string, std::string>> environment)
      : environment_(std::move(environment)) {}

  std::optional<int> runAndWait(const std::string& program,
                                const std::vector<std::string>& arguments) override;
  bool launch(const std::string& program, const std::vector<std::string>& arguments) override;

 private:
  std::vector<std::pair<std::string, std::string>> environment_;
};

}  // namespace updater
