// The real process environment and identity.
#pragma once

#include "platform/environment.h"

namespace updater {

class ProcessEnvironment : public Environment {
 public:
  std::optional<std::string> get(const std::string& name) const override;
  std::vector<std::pair<std::string, std::string>> all() const override;
  std::string homeDirectory() const override;
  unsigned realUserId() const override;
};

}  // namespace updater
