// Refusing a configuration whose values have the wrong type.
//
// A value of the wrong type would otherwise be misread silently somewhere in
// the run (a `fixedPaths` string taken for no paths at all); refusing it at
// start tells the patch's author at once.
#pragma once

#include <optional>
#include <string>

#include "platform/plist_value.h"

namespace updater {

struct ConfigurationTypeError {
  std::string key;       // dotted, e.g. "locate.fixedPaths" or "validate.keyValuesPair[2].keyType"
  std::string expected;  // "a dictionary", "an array of strings", ...
};

// The first value (in a fixed order of keys) whose type differs from what
// the updater reads it as; nullopt when every known key is absent or right.
// Unknown keys are ignored.
std::optional<ConfigurationTypeError> checkConfigurationTypes(const PlistDictionary& configuration);

// "FATAL ERROR:  configuration.plist: the value of "locate.fixedPaths" must be an array."
std::string describe(const ConfigurationTypeError& error);

}  // namespace updater
