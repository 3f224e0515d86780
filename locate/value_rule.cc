#include "locate/value_rule.h"

#include "locate/version_range.h"

namespace updater {
namespace {

const std::string* stringEntry(const PlistDictionary& rule, const std::string& key) {
  const PlistValue* value = findKey(rule, key);
  return value ? value->asString() : nullptr;
}

bool multPasses(const PlistValue& accepted, const PlistValue& found) {
  const PlistArray* choices = accepted.asArray();
  if (choices == nullptr) return false;
  for (const PlistValue& choice : *choices) {
    if (choice.isEqual(found)) return true;
  }
  return false;
}

bool singlePasses(const PlistValue& accepted, const PlistValue& found) {
  if (const std::string* text = accepted.asString()) {
    const std::string* found_text = found.asString();
    return found_text != nullptr && *found_text == *text;
  }
  if (accepted.isNumber(/*boolean_counts=*/true)) {
    // Only a number has a numeric order; asking for one against a string or a
    // container would be meaningless, so such data fails rather than guesses.
    if (!found.isNumber(/*boolean_counts=*/true)) return false;
    const auto order = accepted.compare(found);
    return order.has_value() && *order == std::strong_ordering::equal;
  }
  return accepted.isEqual(found);
}

bool rangePasses(const PlistValue& accepted, const PlistValue& found) {
  const PlistArray* bounds = accepted.asArray();
  if (bounds == nullptr || bounds->size() < 2) return false;
  const std::string* lower = (*bounds)[0].asString();
  const std::string* upper = (*bounds)[1].asString();
  const std::string* version = found.asString();
  if (lower == nullptr || upper == nullptr || version == nullptr) return false;
  return versionInRange(*lower, *upper, *version);
}

}  // namespace

bool valueRulePasses(const PlistDictionary& rule, const ValueReader& read) {
  const std::string* required = stringEntry(rule, "IsRequired");
  if (required == nullptr || *required != "YES") return true;

  const std::string* key_name = stringEntry(rule, "keyName");
  const std::string* file_path = stringEntry(rule, "filePath");
  const std::string* file_type = stringEntry(rule, "fileType");
  if (key_name == nullptr || file_path == nullptr || file_type == nullptr) return false;
  // The value is read before the key type is looked at, so a rule with a bad
  // key type still costs its file read, as every required rule does.
  const std::optional<PlistValue> found = read(*key_name, *file_path, *file_type);
  if (!found.has_value()) return false;

  const std::string* key_type = stringEntry(rule, "keyType");
  if (key_type == nullptr) return false;
  const bool mult = *key_type == "MULT";
  const bool single = *key_type == "SINGLE";
  const bool range = *key_type == "RANGE";
  if (!mult && !single && !range) return false;

  const PlistValue* accepted = findKey(rule, "keyValue");
  if (accepted == nullptr) return true;
  if (mult) return multPasses(*accepted, *found);
  if (single) return singlePasses(*accepted, *found);
  return rangePasses(*accepted, *found);
}

}  // namespace updater
