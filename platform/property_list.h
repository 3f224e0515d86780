// Reading property lists (XML and binary) from bytes.
//
// Files come from patches and installed applications, so every input is
// untrusted: a reader must answer with a value or nothing, never crash, and
// never stall. The parsing itself is done by libplist; this layer guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/plist_value.h"

namespace updater {

// Far above any real configuration or product metadata file.
inline constexpr size_t kMaxPropertyListBytes = 16 * 1024 * 1024;
// Real files nest a handful of levels; libplist recurses once per level.
inline constexpr int kMaxPropertyListDepth = 128;
// Values in one list, dictionary keys included; a binary list's shared object
// counts once per reference, as libplist copies it each time. Far above real
// files, and low enough that a few kilobytes of binary list that reference
// the same objects over and over cannot claim more than some tens of
// megabytes.
inline constexpr uint64_t kMaxPropertyListValues = uint64_t{1} << 18;

// Any value at the root, from an XML or a binary ("bplist00") property list;
// other encodings are not read. nullopt when the bytes are no property list,
// are larger than kMaxPropertyListBytes, nest containers deeper than
// kMaxPropertyListDepth, hold more than kMaxPropertyListValues values, or are
// XML whose dictionaries are too large to read in bounded time (see
// xml_property_list_shape.h). A leading UTF-8 byte order mark is allowed.
std::optional<PlistValue> parsePropertyList(std::string_view bytes);

// As dictionaryWithContentsOfFile: reads; nullopt unless the root is a dictionary.
std::optional<PlistDictionary> parsePropertyListDictionary(std::string_view bytes);

}  // namespace updater
