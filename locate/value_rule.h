// One value rule of the validate dictionary: a key read from a property-list
// file inside a candidate bundle, compared with the values a patch accepts.
//
// Reading the file is the locator's business; a rule only decides what to ask
// for and how to judge the answer, so it can be evaluated without a disk.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/plist_value.h"

namespace updater {

// Reads the value stored under `key_name` in the file at `file_path` (inside
// the candidate, as the rule writes it) of format `file_type`; nullopt when
// nothing can be read.
using ValueReader = std::function<std::optional<PlistValue>(
    const std::string& key_name, const std::string& file_path, const std::string& file_type)>;

// Whether a candidate passes `rule`, one dictionary of `keyValuesPair`.
//
// A rule whose "IsRequired" is not exactly the string "YES" passes without
// `read` being called (a boolean true or "yes" is not "YES"). Otherwise the
// rule's "keyName", "filePath" and "fileType" must all be strings, else
// nothing can be read and the rule fails without calling `read`; `read` is
// then called once, and the rule fails when it yields nothing. "keyType"
// then selects the comparison with "keyValue":
//
//   "MULT"    keyValue is an array; passes when one element is equal to the
//             value read (strings by characters, numbers by value, a string
//             never equal to a number).
//   "SINGLE"  a string keyValue needs the same string; a number (a boolean
//             counts as one) needs a value read that is a number (or boolean)
//             of the same numeric value; any other kind needs an equal value.
//   "RANGE"   keyValue is an array whose first two elements are the lowest
//             and highest accepted version strings; the value read must be a
//             version string inside that range (see versionInRange).
//
// For all three an absent keyValue passes once a value was read. An absent or
// other keyType (matching is case-sensitive) fails. Data that does not fit its
// comparison (a MULT keyValue that is no array, a RANGE keyValue that is not
// an array starting with two strings, a RANGE value read that is no string, a
// SINGLE string or number keyValue against a value of another kind) fails.
bool valueRulePasses(const PlistDictionary& rule, const ValueReader& read);

}  // namespace updater
