// The scripts the updater starts run as the superuser, while the environment
// they would inherit comes from whoever started the updater. Anything that
// changes how a loader, a shell or an interpreter starts up (LD_PRELOAD,
// BASH_ENV, ENV, IFS, exported shell functions, PYTHONPATH, ...) would let
// that caller run code with those rights, so only a short list of harmless
// names is passed on, and even those lose values that could be abused.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/environment.h"
#include "platform/process.h"

namespace updater {

namespace {

// The invoking user's identity, the locale, the terminal and display for
// scripts that print or show something, sudo's record of who asked, and the
// development switch the updater itself honours.
constexpr std::array<std::string_view, 14> kKeptNames = {
    "HOME",       "USER",      "LOGNAME",  "TERM",     "TZ",       "DISPLAY", "WAYLAND_DISPLAY",
    "XAUTHORITY", "SUDO_USER", "SUDO_UID", "SUDO_GID", "RE_build", "LANG",    "LANGUAGE",
};

// Only the real locale categories: a pattern such as LC_* would also pass on
// whatever a caller chose to name LC_something.
constexpr std::array<std::string_view, 13> kLocaleCategories = {
    "LC_ALL",       "LC_CTYPE",       "LC_MESSAGES",       "LC_COLLATE", "LC_NUMERIC",
    "LC_TIME",      "LC_MONETARY",    "LC_PAPER",          "LC_NAME",    "LC_ADDRESS",
    "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION",
};

template <size_t N>
bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool isLocaleName(std::string_view name) {
  return name == "LANG" || name == "LANGUAGE" || contains(kLocaleCategories, name);
}

bool isKeptName(std::string_view name) {
  return contains(kKeptNames, name) || contains(kLocaleCategories, name);
}

bool isSafeValue(std::string_view name, std::string_view value) {
  // Older shells import any variable whose value starts with "()" as a
  // function definition, and run what follows it.
  if (value.substr(0, 2) == "()") return false;
  // A locale name with a slash is read as a path to locale files, which a
  // caller could craft; real locale names never hold one.
  if (isLocaleName(name) && value.find('/') != std::string_view::npos) return false;
  // A zone name may be a path below the zone database; ".." would lead out
  // of it to a file of the caller's choosing.
  if (name == "TZ" && value.find("..") != std::string_view::npos) return false;
  return true;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> scriptEnvironment(const Environment& environment) {
  std::vector<std::pair<std::string, std::string>> result;
  result.emplace_back("PATH", kSafePath);
  std::vector<std::string> seen;
  for (const auto& [name, value] : environment.all()) {
    if (!isKeptName(name)) continue;
    // An environment can hold a name twice. Programs disagree on which copy
    // counts, so only the first, which getenv() answers, is judged and kept.
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
    seen.push_back(name);
    if (isSafeValue(name, value)) result.emplace_back(name, value);
  }
  return result;
}

}  // namespace updater
