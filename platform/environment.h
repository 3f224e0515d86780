// The process environment and identity.
//
// Abstract so it can be mocked out for tests; the real implementation is
// ProcessEnvironment (environment_posix.cc).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace updater {

class Environment {
 public:
  virtual ~Environment() = default;
  // The variable's value; an empty value counts as set.
  virtual std::optional<std::string> get(const std::string& name) const = 0;
  // Every variable, in the order the process holds them.
  virtual std::vector<std::pair<std::string, std::string>> all() const = 0;
  // The current user's home folder (HOME, else the password database).
  virtual std::string homeDirectory() const = 0;
  // The real user id; 0 is the superuser.
  virtual unsigned realUserId() const = 0;
};

}  // namespace updater
