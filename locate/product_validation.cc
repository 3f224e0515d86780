// Whether a candidate is the product this patch is for.
#include "locate/installed_app.h"
#include "locate/locate_installed_application.h"
#include "locate/value_rule.h"
#include "platform/bundle.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/path_utilities.h"
#include "platform/property_list.h"

namespace updater {

bool LocateInstalledApplication::isProperProduct(const std::string& candidate) const {
  const FileSystem& fs = services_.file_system;
  // 1. The bundle's file name must be the primary application's, and exist.
  if (lastPathComponent(candidate) != _primaryAppName) return false;
  if (!fs.exists(deletingLastPathComponent(candidate) + "/" + _primaryAppName)) return false;

  // 2. Its identifier, when both sides have one.
  if (_validateAppDictionary) {
    if (const PlistValue* wanted = findKey(*_validateAppDictionary, "bundleIdentifier")) {
      auto bundle = Bundle::open(fs, candidate, services_.localizations);
      auto identifier = bundle ? bundle->bundleIdentifier() : std::nullopt;
      if (identifier && wanted->asString() && *identifier != *wanted->asString()) return false;
    }
  }

  // 3. Something required inside it.
  if (auto required = locateString("requiredRelativePath")) {
    const std::string path = standardizePath(appendingPathComponent(candidate, *required),
                                             services_.environment.homeDirectory());
    if (!fs.exists(path)) return false;
  }

  // 4. The value rules, in order; the first that fails decides.
  if (!_validateAppDictionary) return true;
  const PlistValue* rules = findKey(*_validateAppDictionary, "keyValuesPair");
  if (rules == nullptr) return true;
  if (rules->asArray() == nullptr) return false;
  const ValueReader read = [this, &candidate](const std::string& key, const std::string& file,
                                              const std::string& type) {
    return getAppKeyValue(key, file, type, candidate);
  };
  for (const PlistValue& rule : *rules->asArray()) {
    if (rule.asDictionary() == nullptr || !valueRulePasses(*rule.asDictionary(), read)) {
      return false;
    }
  }
  return true;
}

std::optional<PlistValue> LocateInstalledApplication::getAppKeyValue(
    const std::optional<std::string>& key_name, const std::optional<std::string>& file_path,
    const std::optional<std::string>& file_type,
    const std::optional<std::string>& application) const {
  if (!file_type || (*file_type != "PLIST" && *file_type != "XML" && *file_type != "CSL")) {
    return std::nullopt;
  }
  if (!key_name || !file_path || !application) return std::nullopt;
  // Files of the other accepted formats are not read.
  if (*file_type != "PLIST") return std::nullopt;
  auto bytes = services_.file_system.readFile(*application + *file_path, kMaxPropertyListBytes);
  if (!bytes) return std::nullopt;
  auto dictionary = parsePropertyListDictionary(*bytes);
  if (!dictionary) return std::nullopt;
  const PlistValue* value = findKey(*dictionary, *key_name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

}  // namespace updater
