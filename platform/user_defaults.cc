#include "platform/user_defaults.h"

namespace updater {

UserDefaults UserDefaults::fromArguments(const std::vector<std::string>& arguments) {
  UserDefaults defaults;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-help" || argument == "--help") {
      defaults.help_ = true;
      continue;
    }
    // Like the argument domain of user defaults: "-name" takes the next
    // argument as its value, whatever it looks like.
    if (argument.size() > 1 && argument[0] == '-' && i + 1 < arguments.size()) {
      defaults.values_[argument.substr(1)] = arguments[i + 1];
      ++i;
    }
  }
  return defaults;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
  auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

}  // namespace updater
