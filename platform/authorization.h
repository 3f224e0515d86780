// Administrator rights: asking for them once, and starting commands with them.
//
// Abstract so the backends (the superuser path; sudo and polkit) plug in
// behind one interface and tests can use fakes; every authorization call of
// the updater goes through here. The real superuser backend is
// SuperuserAuthorizationService (authorization_superuser.h).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace updater {

enum class AuthorizationStatus {
  kGranted = 0,
  kCancelled = 1,  // the person asked cancelled the request
  kRefused = 2,    // refused, or the request failed
};
std::ostream& operator<<(std::ostream& out, AuthorizationStatus status);

// The standard output of a command started with administrator rights.
class PrivilegedProcess {
 public:
  // Closes the stream and reaps the command, so no zombie is left.
  virtual ~PrivilegedProcess() = default;
  // Up to `size` bytes; 0 at end of file, -1 on a read error.
  virtual ssize_t read(char* buffer, size_t size) = 0;
};

// One authorization reference: opaque, valid until destroyed, and lent to the
// self-heal library while its owner lives.
class AuthorizationReference {
 public:
  virtual ~AuthorizationReference() = default;
  // Asks for administrator rights, with a user name and password when both
  // are given, else interactively where the backend can.
  virtual AuthorizationStatus copyRights(const std::optional<std::string>& user,
                                         const std::optional<std::string>& password) = 0;
  // Starts `command` (no shell) as the superuser with `arguments` after
  // argv[0], its standard output readable. nullptr when it could not start;
  // `start_status` then holds a nonzero status.
  virtual std::unique_ptr<PrivilegedProcess> executeWithPrivileges(
      const std::string& command, const std::vector<std::string>& arguments, int* start_status) = 0;
};

class AuthorizationService {
 public:
  virtual ~AuthorizationService() = default;
  // An empty reference, or nullptr when none can be made.
  virtual std::unique_ptr<AuthorizationReference> create() = 0;
};

}  // namespace updater
