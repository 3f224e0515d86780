// Where the running executable lies, so the updater finds its own bundle
// wherever the bundle was copied.
#pragma once

#include <optional>
#include <string>

namespace updater {

// The running executable's absolute path (/proc/self/exe), or nullopt.
std::optional<std::string> runningExecutablePath();

// The bundle an executable at `executable` belongs to: two folders up from
// Contents/MacOS/. nullopt when it does not lie in such a folder.
std::optional<std::string> bundlePathForExecutable(const std::string& executable);

}  // namespace updater
