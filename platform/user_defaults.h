// Start-up settings, read from the command line as the platform's user
// defaults read their argument domain: "-name value" pairs.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace updater {

class UserDefaults {
 public:
  // `arguments` excludes the program name. A "-name" followed by a value sets
  // the setting (an empty value counts as present, a later pair wins); "-help"
  // and "--help" ask for the usage text.
  static UserDefaults fromArguments(const std::vector<std::string>& arguments);

  std::optional<std::string> stringForKey(const std::string& key) const;
  bool helpRequested() const { return help_; }

 private:
  std::map<std::string, std::string> values_;
  bool help_ = false;
};

}  // namespace updater
