#include <unistd.h>

#include <string_view>

#include "platform/self_location.h"

namespace updater {

std::optional<std::string> runningExecutablePath() {
  std::string path(4096, '\0');
  ssize_t got = ::readlink("/proc/self/exe", path.data(), path.size());
  if (got <= 0 || static_cast<size_t>(got) == path.size()) return std::nullopt;
  path.resize(static_cast<size_t>(got));
  return path;
}

std::optional<std::string> bundlePathForExecutable(const std::string& executable) {
  std::string_view path(executable);
  const size_t name = path.rfind('/');
  if (name == std::string_view::npos) return std::nullopt;
  std::string_view folder = path.substr(0, name);
  constexpr std::string_view kSuffix = "/Contents/MacOS";
  if (!folder.ends_with(kSuffix)) return std::nullopt;
  folder.remove_suffix(kSuffix.size());
  if (folder.empty()) return std::string("/");
  return std::string(folder);
}

}  // namespace updater
