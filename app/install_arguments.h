// The arguments handed to the install script for one payload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace updater {

// The application folder's path in the form the install script expects as
// its first argument: text that, placed between double quotes and evaluated
// by a POSIX shell, gives back exactly `path`.
//
// Every '$', '`' and '"' is preceded by a backslash. A backslash in the path
// is doubled when it would otherwise be special between double quotes: when
// it is the path's last character, or when the path's next character is '$',
// '`', '"', a backslash or a line feed. Every other character, including a
// backslash before any other character, is kept as it is, so a path without
// such a backslash gets the same form as with the three plain replacements
// alone.
std::string escapeApplicationFolder(const std::string& path);

// The install script's four arguments, in order: the application folder in
// escaped form (escapeApplicationFolder), the payload's name and the updater's
// resources folder unchanged, and the payload index as a decimal integer.
std::vector<std::string> installScriptArguments(const std::string& app_folder,
                                                const std::string& payload_name,
                                                const std::string& resource_path,
                                                int32_t payload_index);

}  // namespace updater
