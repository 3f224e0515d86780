// Path strings as the platform's path helpers treat them.
#pragma once

#include <string>

namespace updater {

// The last component, a trailing slash ignored ("/a/b.app/" -> "b.app").
std::string lastPathComponent(const std::string& path);

// The path less its last component, a trailing slash ignored ("/a/b/" -> "/a");
// "" for a bare name.
std::string deletingLastPathComponent(const std::string& path);

// `path` and `component` joined by exactly one slash.
std::string appendingPathComponent(const std::string& path, const std::string& component);

// The standard form: a leading "~" or "~/" expanded to `home`, empty and "."
// components dropped, ".." components resolved against the ones before them
// (at the root they stay at the root), no trailing slash.
std::string standardizePath(const std::string& path, const std::string& home);

}  // namespace updater
