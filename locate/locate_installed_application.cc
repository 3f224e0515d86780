#include "locate/locate_installed_application.h"

#include <sstream>

#include "app/payload_list.h"
#include "manager/kvr_installer_results_wrapper.h"
#include "platform/bundle.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/log.h"
#include "platform/path_utilities.h"
#include "platform/property_list.h"
#include "platform/string_table.h"

namespace updater {
namespace {

constexpr size_t kMaxTextBytes = 4 * 1024 * 1024;
// Symbolic-link chains longer than this are loops, as the kernel decides too.
constexpr int kMaxLinkHops = 40;

std::string pathExtension(const std::string& path) {
  const std::string name = lastPathComponent(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? "" : name.substr(dot + 1);
}

// The program of a desktop entry's Exec= line: its first word, quotes
// removed. nullopt when the entry has none.
std::optional<std::string> desktopEntryProgram(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  bool in_entry = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      in_entry = line == "[Desktop Entry]";
      continue;
    }
    if (!in_entry || line.rfind("Exec", 0) != 0) continue;
    size_t at = 4;
    while (at < line.size() && line[at] == ' ') ++at;
    if (at >= line.size() || line[at] != '=') continue;
    ++at;
    while (at < line.size() && line[at] == ' ') ++at;
    std::string program;
    if (at < line.size() && line[at] == '"') {
      for (++at; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        program.push_back(line[at]);
      }
    } else {
      program = line.substr(at, line.find(' ', at) - at);
    }
    if (program.empty()) return std::nullopt;
    return program;
  }
  return std::nullopt;
}

}  // namespace

LocateInstalledApplication::LocateInstalledApplication(
    Services services, std::shared_ptr<const PlistDictionary> locate,
    std::shared_ptr<const PlistDictionary> validate)
    : services_(std::move(services)),
      _findAppDictionary(std::move(locate)),
      _validateAppDictionary(std::move(validate)) {
  // Unreadable: an empty name, which no candidate has.
  if (auto path = services_.main_bundle->pathForResource("app_list", "txt")) {
    if (auto text = services_.file_system.readFile(*path, kMaxTextBytes)) {
      _primaryAppName = primaryApplicationName(*text);
    }
  }
}

std::optional<std::string> LocateInstalledApplication::locateString(const std::string& key) const {
  if (!_findAppDictionary) return std::nullopt;
  const PlistValue* value = findKey(*_findAppDictionary, key);
  if (value == nullptr || value->asString() == nullptr) return std::nullopt;
  return *value->asString();
}

std::string LocateInstalledApplication::formatted(const std::string& key) const {
  return formatWithObject(services_.main_bundle->localizedString(key),
                          locateString("executableNameNoExt"));
}

std::optional<std::string> LocateInstalledApplication::locateApplication() {
  // A. The update manager's client application decides alone.
  if (auto client = services_.results.clientAppPath()) {
    if (isProperProduct(*client)) return client;
    auto name = locateString("executableName");
    const std::string candidate = name ? *client + "/" + *name : *client;
    if (isProperProduct(candidate)) return candidate;
    return std::nullopt;
  }

  // B. The search strategies.
  std::optional<std::string> found = searchStrategies();

  // C. Interactive runs let the user confirm or choose.
  const PlistValue* show = _findAppDictionary ? findKey(*_findAppDictionary, "showUI") : nullptr;
  if (show == nullptr || !show->asBoolean().value_or(false)) return found;
  auto chosen = found ? _appPathFromUserWithDefault(found) : _appPathFromUser();
  if (!chosen || !isProperProduct(*chosen)) return std::nullopt;
  return chosen;
}

std::optional<std::string> LocateInstalledApplication::searchStrategies() {
  const FileSystem& fs = services_.file_system;
  auto list_path = locateString("locationPListPath");
  auto list_key = locateString("locationPListKey");
  if (list_path && !list_path->empty() && list_key && !list_key->empty()) {
    if (auto bytes = fs.readFile(*list_path, kMaxPropertyListBytes)) {
      if (auto dictionary = parsePropertyListDictionary(*bytes)) {
        const PlistValue* value = findKey(*dictionary, *list_key);
        // A value of another kind names no path: the strategy yields nothing.
        if (value && value->asString() && isProperProduct(*value->asString())) {
          return *value->asString();
        }
      }
    }
  }
  if (auto identifier = locateString("bundleIdentifier")) {
    if (auto path = appPathFromLaunchServices(*identifier); path && isProperProduct(*path)) {
      return path;
    }
  }
  if (auto alias = locateString("AliasPath"); alias && fs.exists(*alias)) {
    const std::string path = appPathFromAlias(*alias);
    if (isProperProduct(path)) return path;
  }
  if (_findAppDictionary) {
    if (const PlistValue* fixed = findKey(*_findAppDictionary, "fixedPaths");
        fixed && fixed->asArray()) {
      for (const PlistValue& item : *fixed->asArray()) {
        if (item.asString() && isProperProduct(*item.asString())) return *item.asString();
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> LocateInstalledApplication::_appPathFromUserWithDefault(
    const std::optional<std::string>& preset) {
  auto panel = services_.user_interface.makeOpenPanel();
  if (!panel) {
    services_.log("Unable to open panel.");
    return std::nullopt;
  }
  OpenPanelRequest request;
  request.delegate = this;
  request.can_choose_directories = false;
  request.can_choose_files = true;
  request.prompt = formatted("OK");
  const std::string message = formatted("Choose application to update");
  if (panel->acceptsMessage()) {
    request.message = message;
  } else {
    services_.user_interface.runAlert({formatted("Choose application alert title"), message,
                                       services_.main_bundle->localizedString("Choose..."),
                                       std::nullopt});
  }
  request.types = {"app"};
  if (preset) {
    request.directory = deletingLastPathComponent(*preset);
    request.file = lastPathComponent(*preset);
  }
  OpenPanelResult result = panel->runModal(request);
  if (!result.confirmed || result.filenames.empty()) return std::nullopt;
  const std::string& chosen = result.filenames.front();
  if (isProperProduct(chosen)) return chosen;
  services_.user_interface.runAlert(
      {services_.main_bundle->localizedString("Invalid Application chosen title"),
       formatted("Invalid Application chosen"), "", std::nullopt});
  return chosen;
}

bool LocateInstalledApplication::shouldShowFilename(const std::string& path) {
  if (!_findAppDictionary) return false;
  if (pathExtension(path) == "app") return isProperProduct(path);
  return services_.file_system.isDirectory(path);
}

std::optional<std::string> LocateInstalledApplication::appPathFromLaunchServices(
    const std::string& bundle_identifier) const {
  // An identifier with a slash would name a file outside the folders.
  if (bundle_identifier.empty() || bundle_identifier.find('/') != std::string::npos) {
    return std::nullopt;
  }
  const Environment& env = services_.environment;
  std::vector<std::string> folders;
  auto data_home = env.get("XDG_DATA_HOME");
  folders.push_back(
      (data_home && !data_home->empty() ? *data_home : env.homeDirectory() + "/.local/share") +
      "/applications");
  auto data_dirs = env.get("XDG_DATA_DIRS");
  std::string dirs = data_dirs && !data_dirs->empty() ? *data_dirs : "/usr/local/share:/usr/share";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (end > start) folders.push_back(dirs.substr(start, end - start) + "/applications");
    start = end + 1;
  }
  for (const std::string& folder : folders) {
    auto text = services_.file_system.readFile(folder + "/" + bundle_identifier + ".desktop",
                                               kMaxTextBytes);
    if (!text) continue;
    // The first entry found is the one the desktop uses too.
    auto program = desktopEntryProgram(*text);
    if (!program || program->empty() || (*program)[0] != '/') return std::nullopt;
    for (std::string path = deletingLastPathComponent(*program); path.size() > 1;
         path = deletingLastPathComponent(path)) {
      if (pathExtension(path) == "app" && services_.file_system.isDirectory(path)) return path;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

std::string LocateInstalledApplication::appPathFromAlias(const std::string& path) const {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    auto target = services_.file_system.readSymlink(current);
    if (!target) {
      if (hop == 0) return path;
      // The end of the chain must exist, or the link is not resolved.
      return services_.file_system.exists(current) ? current : path;
    }
    const std::string folder = deletingLastPathComponent(current);
    current = (!target->empty() && (*target)[0] == '/') || folder.empty() ? *target
                                                                          : folder + "/" + *target;
    current = standardizePath(current, "");
  }
  return path;
}

}  // namespace updater
