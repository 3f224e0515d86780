// A check on the shape of an XML property list, made before libplist's XML
// reader sees it.
//
// libplist 2.2 recurses once per nesting level when it frees a tree, and
// inserts dictionary keys in time that grows with the square of their number.
// The check walks the text once, without recursion, and answers false for
// anything libplist could not handle safely. It also answers false for
// anything it does not itself understand, since text that only libplist
// would accept is text whose shape was not checked.
//
// Nesting depth counts containers: a dictionary or array is at depth 1 when it
// is the root, and one deeper than the container that holds it.
#pragma once

#include <cstdint>
#include <string_view>

namespace updater {

// Bound on the sum, over all dictionaries, of the squared number of their
// entries: about half a second of libplist's key insertion on a fast machine
// when every key lands in the same hash bucket. A single dictionary may hold
// some eleven thousand entries.
inline constexpr uint64_t kMaxXmlDictionaryWork = uint64_t{1} << 27;

// True when `bytes` (an XML property list, without a byte order mark) can be
// handed to libplist's XML reader: it tokenizes the text the way that reader
// does, and finds no container nested deeper than kMaxPropertyListDepth, no
// more than kMaxPropertyListValues values, no dictionary work above
// kMaxXmlDictionaryWork, no NUL byte, no construct it does not know (an
// internal DTD subset, an unknown tag, a tag inside a value's text), and no
// integer, real or date whose text libplist would misread: an integer must be
// decimal without leading zeros or 0x-prefixed hex, optionally signed; a real
// must be what strtod reads in full; a date must be YYYY-MM-DDTHH:MM:SSZ.
// False when the text is no complete property list.
bool xmlPropertyListShapeIsSafe(std::string_view bytes);

}  // namespace updater
