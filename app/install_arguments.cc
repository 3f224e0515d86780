#include "app/install_arguments.h"

namespace updater {

namespace {

// The characters after which a backslash keeps its meaning between double
// quotes (POSIX, Shell Command Language, "Double-Quotes").
bool isSpecialAfterBackslash(char c) {
  return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n';
}

}  // namespace

std::string escapeApplicationFolder(const std::string& path) {
  std::string escaped;
  escaped.reserve(path.size() + path.size() / 4 + 1);
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '$' || c == '`' || c == '"') {
      escaped += '\\';
    } else if (c == '\\') {
      // A single backslash here would escape the character after it (or the
      // closing quote, at the end), letting a folder name break out of the
      // quoted word and run commands as the superuser. Elsewhere it stands
      // for itself, and is kept single so that such paths read as they
      // always have.
      if (i + 1 == path.size() || isSpecialAfterBackslash(path[i + 1])) escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

std::vector<std::string> installScriptArguments(const std::string& app_folder,
                                                const std::string& payload_name,
                                                const std::string& resource_path,
                                                int32_t payload_index) {
  return {escapeApplicationFolder(app_folder), payload_name, resource_path,
          std::to_string(payload_index)};
}

}  // namespace updater
