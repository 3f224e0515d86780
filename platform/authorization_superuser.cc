#include "platform/authorization_superuser.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/environment.h"
#include "platform/log.h"
#include "platform/process_posix.h"

namespace updater {
namespace {

class PipedProcess : public PrivilegedProcess {
 public:
  PipedProcess(int pid, int fd) : pid_(pid), fd_(fd) {}
  ~PipedProcess() override {
    ::close(fd_);
    waitForChild(pid_);
  }
  ssize_t read(char* buffer, size_t size) override {
    for (;;) {
      ssize_t got = ::read(fd_, buffer, size);
      if (got < 0 && errno == EINTR) continue;
      return got < 0 ? -1 : got;
    }
  }

 private:
  int pid_;
  int fd_;
};

class SuperuserReference : public AuthorizationReference {
 public:
  SuperuserReference(const Environment& environment, Log& log,
                     const std::vector<std::pair<std::string, std::string>>& script_environment)
      : environment_(environment), log_(log), script_environment_(script_environment) {}

  AuthorizationStatus copyRights(const std::optional<std::string>&,
                                 const std::optional<std::string>&) override {
    if (environment_.realUserId() == 0) return AuthorizationStatus::kGranted;
    log_(
        "ERROR-  Administrator rights are needed to install this update. Run the updater as "
        "root, for example: sudo \"<updater bundle>/Contents/MacOS/updater\" -path "
        "\"<application>\"");
    return AuthorizationStatus::kRefused;
  }

  std::unique_ptr<PrivilegedProcess> executeWithPrivileges(
      const std::string& command, const std::vector<std::string>& arguments,
      int* start_status) override {
    if (environment_.realUserId() != 0) {
      *start_status = EPERM;
      return nullptr;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      *start_status = errno;
      return nullptr;
    }
    const int pid = spawnChild(command, arguments, script_environment_, fds[1]);
    ::close(fds[1]);
    if (pid < 0) {
      ::close(fds[0]);
      *start_status = -pid;
      return nullptr;
    }
    return std::make_unique<PipedProcess>(pid, fds[0]);
  }

 private:
  const Environment& environment_;
  Log& log_;
  const std::vector<std::pair<std::string, std::string>>& script_environment_;
};

}  // namespace

std::unique_ptr<AuthorizationReference> SuperuserAuthorizationService::create() {
  return std::make_unique<SuperuserReference>(environment_, log_, script_environment_);
}

}  // namespace updater
