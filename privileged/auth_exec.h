// AuthExec: obtains administrator rights once, then runs a command with them
// as often as asked, one run at a time, reading the command's result from its
// install status line.
//
// Calling order: preAuthorizeForUser() once on the main thread; then per run
// setArguments()/setCommand()/setNotify(), execute() on a worker thread, and
// waitStatus() once the end-of-run notification has arrived. The runner takes
// no locks: the caller leaves it alone during a run, and the notification's
// hand-over publishes waitStatus().
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/plist_value.h"

namespace updater {

class AuthorizationReference;
class AuthorizationService;
class Environment;
class NotificationCenter;

inline constexpr const char* kAuthExecThreadWillExitNotification =
    "AuthExec_ThreadWillExitNotification";

// What execute() leaves in waitStatus() besides the script's own status.
inline constexpr int32_t kNoStatusLine = -1;
inline constexpr int32_t kReadFailed = 255;

class AuthExec {
 public:
  AuthExec(AuthorizationService& authorization, const Environment& environment,
           NotificationCenter& notifications);
  ~AuthExec();

  // 0 rights granted, 1 cancelled by the person asked, 2 refused or failed.
  // A process whose real user id is 0 is granted at once, asking nobody.
  // User name and password are passed on only when both are non-empty.
  int32_t preAuthorizeForUser(const std::optional<std::string>& user,
                              const std::optional<std::string>& password);

  void setCommand(std::string command) { _command = std::move(command); }
  const std::optional<std::string>& command() const { return _command; }
  void setArguments(std::vector<std::string> arguments) { _arguments = std::move(arguments); }
  const std::optional<std::vector<std::string>>& arguments() const { return _arguments; }
  void setNotify(std::optional<PlistDictionary> notify) { _notifyDict = std::move(notify); }
  const std::optional<PlistDictionary>& getNotify() const { return _notifyDict; }

  // The authorization reference; stays owned by the runner and valid while
  // it lives. nullptr before preAuthorizeForUser() or when none could be made.
  AuthorizationReference* authRef() const { return _authRef.get(); }

  // Runs the command with administrator rights and reads its output to the
  // end; then, in every case, posts AuthExec_ThreadWillExitNotification on
  // this thread with the notify dictionary as user info. Returns false.
  bool execute();

  // -1 before any run or when the output held no status line; the last status
  // line's number; 255 when the output could not be read to its end; the
  // start's nonzero status when the command could not be started. Unchanged
  // by an execute() of an unauthorized runner or one without a command.
  int32_t waitStatus() const { return _waitStatus; }

 private:
  AuthorizationService& authorization_;
  const Environment& environment_;
  NotificationCenter& notifications_;
  std::unique_ptr<AuthorizationReference> _authRef;
  bool _authorized = false;
  std::optional<std::string> _command;
  std::optional<PlistDictionary> _notifyDict;
  std::optional<std::vector<std::string>> _arguments;
  int32_t _waitStatus = kNoStatusLine;
};

}  // namespace updater
