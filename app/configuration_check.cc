#include "app/configuration_check.h"

#include <functional>

namespace updater {
namespace {

using Check = std::function<bool(const PlistValue&)>;

bool isString(const PlistValue& v) { return v.asString() != nullptr; }
bool isDictionary(const PlistValue& v) { return v.asDictionary() != nullptr; }
bool isBoolean(const PlistValue& v) { return v.asBoolean().has_value(); }
bool isNumber(const PlistValue& v) { return v.isNumber(); }
bool isStringArray(const PlistValue& v) {
  if (v.asArray() == nullptr) return false;
  for (const PlistValue& item : *v.asArray()) {
    if (!isString(item)) return false;
  }
  return true;
}

struct KeyRule {
  const char* key;
  Check check;
  const char* expected;
};

std::optional<ConfigurationTypeError> checkKeys(const PlistDictionary& dictionary,
                                                const std::string& prefix,
                                                std::initializer_list<KeyRule> rules) {
  for (const KeyRule& rule : rules) {
    const PlistValue* value = findKey(dictionary, rule.key);
    if (value != nullptr && !rule.check(*value)) {
      return ConfigurationTypeError{prefix + rule.key, rule.expected};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<ConfigurationTypeError> checkConfigurationTypes(
    const PlistDictionary& configuration) {
  if (auto error = checkKeys(configuration, "",
                             {{"locate", isDictionary, "a dictionary"},
                              {"validate", isDictionary, "a dictionary"},
                              {"ROZUpdaterAppID", isString, "a string"},
                              {"targetUpdateRevision", isNumber, "a number"},
                              {"ROZVersionNumber", isString, "a string"},
                              {"showProgress", isBoolean, "a boolean"}})) {
    return error;
  }
  if (const PlistValue* locate = findKey(configuration, "locate")) {
    if (auto error = checkKeys(*locate->asDictionary(), "locate.",
                               {{"showUI", isBoolean, "a boolean"},
                                {"path", isString, "a string"},
                                {"user", isString, "a string"},
                                {"password", isString, "a string"},
                                {"executableNameNoExt", isString, "a string"},
                                {"executableName", isString, "a string"},
                                {"locationPListPath", isString, "a string"},
                                {"locationPListKey", isString, "a string"},
                                {"bundleIdentifier", isString, "a string"},
                                {"AliasPath", isString, "a string"},
                                {"fixedPaths", isStringArray, "an array of strings"},
                                {"requiredRelativePath", isString, "a string"},
                                {"ROZPlistPartialPath", isString, "a string"}})) {
      return error;
    }
  }
  const PlistValue* validate = findKey(configuration, "validate");
  if (validate == nullptr) return std::nullopt;
  const PlistDictionary& rules = *validate->asDictionary();
  if (auto error = checkKeys(
          rules, "validate.",
          {{"bundleIdentifier", isString, "a string"},
           {"keyValuesPair", [](const PlistValue& v) { return v.asArray(); }, "an array"}})) {
    return error;
  }
  const PlistValue* pairs = findKey(rules, "keyValuesPair");
  if (pairs == nullptr) return std::nullopt;
  for (size_t i = 0; i < pairs->asArray()->size(); ++i) {
    const PlistValue& rule = (*pairs->asArray())[i];
    const std::string prefix = "validate.keyValuesPair[" + std::to_string(i) + "]";
    if (!rule.asDictionary()) return ConfigurationTypeError{prefix, "a dictionary"};
    // IsRequired and keyValue may be of any kind: a rule that is not the
    // string "YES" is skipped, and keyValue's kind chooses the comparison.
    if (auto error = checkKeys(*rule.asDictionary(), prefix + ".",
                               {{"keyType", isString, "a string"},
                                {"keyName", isString, "a string"},
                                {"filePath", isString, "a string"},
                                {"fileType", isString, "a string"}})) {
      return error;
    }
  }
  return std::nullopt;
}

std::string describe(const ConfigurationTypeError& error) {
  return "FATAL ERROR:  configuration.plist: the value of \"" + error.key + "\" must be " +
         error.expected + ".";
}

}  // namespace updater
