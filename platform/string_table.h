// Localized string tables and the one-argument formatting of their texts.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

using StringTable = std::map<std::string, std::string>;

// Real tables hold a few kilobytes; the bound keeps a hostile file from growing
// into a map many times its own size.
inline constexpr size_t kMaxStringTableBytes = 1024 * 1024;

// Parses a .strings file: the classic text form ("key" = "value"; with /* */
// and // comments, backslash escapes \" \\ \n \t \r \U1234 and unquoted
// words; "key"; alone maps the key to itself), or a property list whose root is
// a dictionary (entries that are not strings are left out). The text may be
// UTF-8 (with or without a BOM) or UTF-16 with a BOM. nullopt when the bytes
// are neither form or larger than kMaxStringTableBytes; a damaged file never
// yields a partial table. A later entry for a key replaces an earlier one.
std::optional<StringTable> parseStringTable(std::string_view bytes);

// localizedStringWithFormat: with exactly one object argument. Substitutes
// object placeholders ("%@" and the positional "%1$@") with `argument` (an
// absent argument is rendered as the empty text) and "%%" with "%". Every other
// conversion stays in the result as written: a patch's string table can never
// make the updater read memory it was not given.
std::string formatWithObject(std::string_view format, const std::optional<std::string>& argument);

}  // namespace updater
