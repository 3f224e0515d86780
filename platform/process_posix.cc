#include "platform/process_posix.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace updater {

SpawnVectors::SpawnVectors(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::pair<std::string, std::string>>& environment) {
  storage_.reserve(1 + arguments.size() + environment.size());
  storage_.push_back(program);
  for (const std::string& argument : arguments) storage_.push_back(argument);
  for (const auto& [name, value] : environment) storage_.push_back(name + "=" + value);
  const size_t argc = 1 + arguments.size();
  for (size_t i = 0; i < argc; ++i) argv_.push_back(storage_[i].data());
  argv_.push_back(nullptr);
  for (size_t i = argc; i < storage_.size(); ++i) envp_.push_back(storage_[i].data());
  envp_.push_back(nullptr);
}

int spawnChild(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& environment, int stdout_fd) {
  SpawnVectors vectors(program, arguments, environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdout_fd >= 0) posix_spawn_file_actions_adddup2(&actions, stdout_fd, STDOUT_FILENO);
  // Descriptors a caller left open without close-on-exec must not reach a
  // script that may run as the superuser.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The child starts with default signal dispositions and an empty mask,
  // whatever the updater's threads have blocked.
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  int error =
      posix_spawn(&pid, program.c_str(), &actions, &attributes, vectors.argv(), vectors.envp());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -error;
  return pid;
}

int waitForChild(int pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 255;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}

std::optional<int> PosixProcessLauncher::runAndWait(const std::string& program,
                                                    const std::vector<std::string>& arguments) {
  int pid = spawnChild(program, arguments, environment_);
  if (pid < 0) return std::nullopt;
  return waitForChild(pid);
}

bool PosixProcessLauncher::launch(const std::string& program,
                                  const std::vector<std::string>& arguments) {
  int pid = spawnChild(program, arguments, environment_);
  if (pid < 0) return false;
  // A detached reaper: the child is waited for if it ends while the updater
  // runs, and is handed to init if the updater exits first.
  std::thread([pid] { waitForChild(pid); }).detach();
  return true;
}

}  // namespace updater
