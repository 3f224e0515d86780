// The superuser backend: a process whose real user id is 0 starts commands
// directly; any other process is refused with a log line that says how to
// run the updater as root.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/authorization.h"

namespace updater {

class Environment;
class Log;

class SuperuserAuthorizationService : public AuthorizationService {
 public:
  // `script_environment` is what started commands receive.
  SuperuserAuthorizationService(const Environment& environment, Log& log,
                                std::vector<std::pair<std::string, std::string>> script_environment)
      : environment_(environment), log_(log), script_environment_(std::move(script_environment)) {}

  std::unique_ptr<AuthorizationReference> create() override;

 private:
  const Environment& environment_;
  Log& log_;
  std::vector<std::pair<std::string, std::string>> script_environment_;
};

}  // namespace updater
