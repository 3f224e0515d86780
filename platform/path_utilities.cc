#include "platform/path_utilities.h"

#include <vector>

namespace updater {

std::string lastPathComponent(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos || trimmed == "/") return trimmed;
  return trimmed.substr(slash + 1);
}

std::string deletingLastPathComponent(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return trimmed.substr(0, slash);
}

std::string appendingPathComponent(const std::string& path, const std::string& component) {
  std::string left = path;
  while (!left.empty() && left.back() == '/') left.pop_back();
  size_t skip = 0;
  while (skip < component.size() && component[skip] == '/') ++skip;
  if (path.empty()) return component.substr(skip);
  return left + "/" + component.substr(skip);
}

std::string standardizePath(const std::string& path, const std::string& home) {
  std::string expanded = path;
  if (expanded == "~" || expanded.rfind("~/", 0) == 0) expanded = home + expanded.substr(1);
  const bool absolute = !expanded.empty() && expanded[0] == '/';
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= expanded.size()) {
    size_t end = expanded.find('/', start);
    if (end == std::string::npos) end = expanded.size();
    std::string part = expanded.substr(start, end - start);
    if (part.empty() || part == ".") {
      // dropped
    } else if (part == ".." && !parts.empty() && parts.back() != "..") {
      parts.pop_back();
    } else if (part == ".." && absolute) {
      // above the root is the root
    } else {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += "/";
    result += parts[i];
  }
  if (result.empty() && !expanded.empty()) result = ".";
  return result;
}

}  // namespace updater
