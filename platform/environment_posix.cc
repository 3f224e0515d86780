#include "platform/environment_posix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace updater {

std::optional<std::string> ProcessEnvironment::get(const std::string& name) const {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::vector<std::pair<std::string, std::string>> ProcessEnvironment::all() const {
  std::vector<std::pair<std::string, std::string>> result;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    if (equals == nullptr) continue;
    result.emplace_back(std::string(static_cast<const char*>(*entry), equals),
                        std::string(equals + 1));
  }
  return result;
}

std::string ProcessEnvironment::homeDirectory() const {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

unsigned ProcessEnvironment::realUserId() const { return static_cast<unsigned>(getuid()); }

}  // namespace updater
