#include "privileged/auth_exec.h"

#include "platform/authorization.h"
#include "platform/environment.h"
#include "platform/notification_center.h"
#include "privileged/install_status.h"

namespace updater {
namespace {

// The reader keeps no line in memory, so the buffer only sets how many bytes
// one read takes; a large one keeps a chatty script from costing a system
// call per line.
constexpr size_t kReadBufferBytes = 64 * 1024;

}  // namespace

AuthExec::AuthExec(AuthorizationService& authorization, const Environment& environment,
                   NotificationCenter& notifications)
    : authorization_(authorization), environment_(environment), notifications_(notifications) {}

AuthExec::~AuthExec() = default;

int32_t AuthExec::preAuthorizeForUser(const std::optional<std::string>& user,
                                      const std::optional<std::string>& password) {
  _authRef = authorization_.create();
  if (!_authRef) return 2;
  if (environment_.realUserId() == 0) {
    _authorized = true;
    return 0;
  }
  const bool both = user && !user->empty() && password && !password->empty();
  switch (_authRef->copyRights(both ? user : std::nullopt, both ? password : std::nullopt)) {
    case AuthorizationStatus::kGranted:
      _authorized = true;
      return 0;
    case AuthorizationStatus::kCancelled:
      return 1;
    case AuthorizationStatus::kRefused:
      return 2;
  }
  return 2;
}

bool AuthExec::execute() {
  if (_authorized && _command) {
    int start_status = 0;
    auto process = _authRef->executeWithPrivileges(
        *_command, _arguments.value_or(std::vector<std::string>{}), &start_status);
    if (!process) {
      _waitStatus = start_status != 0 ? start_status : 1;
    } else {
      InstallStatusReader reader;
      std::unique_ptr<char[]> buffer(new char[kReadBufferBytes]);
      ssize_t got;
      while ((got = process->read(buffer.get(), kReadBufferBytes)) > 0) {
        reader.feed(std::string_view(buffer.get(), static_cast<size_t>(got)));
      }
      _waitStatus = got == 0 ? reader.status() : kReadFailed;
      // Closing the stream reaps the command.
      process.reset();
    }
  }
  notifications_.post({kAuthExecThreadWillExitNotification, this, _notifyDict});
  return false;
}

}  // namespace updater
