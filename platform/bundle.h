// Bundles: folders with a Contents/ folder, their resources, information
// property list and localized string tables.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/plist_value.h"
#include "platform/string_table.h"

namespace updater {

class Environment;
class FileSystem;

// The localization folders to search, best first, from LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG ("fr_FR.UTF-8" gives fr_FR, fr and French), then the
// fallbacks en, English and Base.
std::vector<std::string> preferredLocalizations(const Environment& environment);

class Bundle {
 public:
  // The bundle at `path`, or nullptr when `path` holds no Contents/ folder.
  static std::shared_ptr<const Bundle> open(const FileSystem& file_system, const std::string& path,
                                            std::vector<std::string> localizations);

  const std::string& bundlePath() const { return path_; }
  // <bundle>/Contents/Resources
  std::string resourcePath() const;

  // <Resources>/<name>.<type>, else the first <lang>.lproj/<name>.<type> in
  // the localization order; nullopt when none exists. An empty type looks
  // for the bare name.
  std::optional<std::string> pathForResource(const std::string& name,
                                             const std::string& type) const;

  // Contents/Info.plist; nullptr when missing or not a dictionary.
  const PlistDictionary* infoDictionary() const;
  // CFBundleIdentifier, when Info.plist holds it as a string.
  std::optional<std::string> bundleIdentifier() const;
  // Contents/MacOS/<CFBundleExecutable>, when Info.plist names one.
  std::optional<std::string> executablePath() const;

  // The text for `key` in table `table` (empty: "Localizable"); `value` when
  // the table lacks the key and `value` is not empty; else the key itself.
  std::string localizedString(const std::string& key, const std::string& value = "",
                              const std::string& table = "") const;

 private:
  Bundle(const FileSystem& file_system, std::string path, std::vector<std::string> localizations);
  const StringTable* table(const std::string& name) const;

  const FileSystem& file_system_;
  std::string path_;
  std::vector<std::string> localizations_;
  std::optional<PlistDictionary> info_;
  mutable std::mutex tables_mutex_;
  mutable std::map<std::string, std::optional<StringTable>> tables_;
};

}  // namespace updater
