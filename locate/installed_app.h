// The record of the installed target application, filled once at creation:
// its path, the folder that holds it, its bundle and its product metadata
// (roz.plist).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/path_utilities.h"
#include "platform/plist_value.h"

namespace updater {

class Bundle;
class FileSystem;
class Log;
class ProcessLauncher;

class InstalledApp {
 public:
  // `roz_plist_partial_path`, when given, is appended to `path` as plain text
  // to name the metadata file; otherwise the bundle's own "roz.plist"
  // resource is read. The file is read now and never again.
  InstalledApp(const FileSystem& file_system, std::vector<std::string> localizations,
               std::string path, const std::optional<std::string>& roz_plist_partial_path);

  const std::string& path() const { return _path; }
  const std::string& appPathFolder() const { return _appPathFolder; }
  // nullptr when the path is no bundle.
  const Bundle* bundle() const { return _bundle.get(); }
  // nullptr when the metadata file is missing or no property-list dictionary.
  const PlistDictionary* rozDictionary() const {
    return _rozDictionary ? &*_rozDictionary : nullptr;
  }

  // Asks the updater's IsRunning.sh whether the application runs:
  // 1 running, 0 not running, 2 undetermined.
  int running(const Bundle& updater_bundle, ProcessLauncher& processes, Log& log) const;

 private:
  std::string _path;
  std::string _appPathFolder;
  std::shared_ptr<const Bundle> _bundle;
  std::optional<PlistDictionary> _rozDictionary;
};

}  // namespace updater
