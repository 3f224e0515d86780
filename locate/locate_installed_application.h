// LocateInstalledApplication: finds the installed target application when no
// path was given, and decides whether a candidate is the product this patch
// is for (isProperProduct).
//
// The search tries, in order, the update manager's client path, the location
// property list, the desktop entry of the bundle identifier, the alias, and
// the fixed paths; in interactive mode the user then confirms or chooses the
// application in the open panel. Every candidate must pass isProperProduct.
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/plist_value.h"
#include "platform/user_interface.h"

namespace updater {

class Bundle;
class Environment;
class FileSystem;
class KVRInstallerResultsWrapper;
class Log;

class LocateInstalledApplication : public OpenPanelDelegate {
 public:
  struct Services {
    const FileSystem& file_system;
    const Environment& environment;
    std::shared_ptr<const Bundle> main_bundle;
    const KVRInstallerResultsWrapper& results;
    UserInterface& user_interface;
    Log& log;
    std::vector<std::string> localizations;
  };

  // Shares the two dictionaries (either may be null: no keys) and reads the
  // primary application name from app_list.txt.
  LocateInstalledApplication(Services services, std::shared_ptr<const PlistDictionary> locate,
                             std::shared_ptr<const PlistDictionary> validate);

  std::optional<std::string> locateApplication();
  std::optional<std::string> _appPathFromUserWithDefault(const std::optional<std::string>& preset);
  std::optional<std::string> _appPathFromUser() {
    return _appPathFromUserWithDefault(std::nullopt);
  }
  bool shouldShowFilename(const std::string& path) override;

  bool isProperProduct(const std::string& candidate) const;
  // The value under `key_name` in the "PLIST" file `file_path` (appended to
  // the application path as text); none for other file types or any failure.
  std::optional<PlistValue> getAppKeyValue(const std::optional<std::string>& key_name,
                                           const std::optional<std::string>& file_path,
                                           const std::optional<std::string>& file_type,
                                           const std::optional<std::string>& application) const;

  // The application bundle registered for `bundle_identifier`: the nearest
  // folder ending in ".app" above the program of the desktop entry
  // "<bundle_identifier>.desktop" in the XDG applications folders.
  std::optional<std::string> appPathFromLaunchServices(const std::string& bundle_identifier) const;
  // Where the symbolic link (chain) at `path` leads; `path` itself when it is
  // no link or the link cannot be resolved.
  std::string appPathFromAlias(const std::string& path) const;

  const std::string& primaryAppName() const { return _primaryAppName; }

 private:
  std::optional<std::string> locateString(const std::string& key) const;
  std::string formatted(const std::string& key) const;
  std::optional<std::string> searchStrategies();

  Services services_;
  std::shared_ptr<const PlistDictionary> _findAppDictionary;
  std::shared_ptr<const PlistDictionary> _validateAppDictionary;
  std::string _primaryAppName;
};

}  // namespace updater
