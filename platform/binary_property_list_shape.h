// A check on the shape of a binary ("bplist00") property list, made before
// libplist's binary reader sees it, and a look-up into such a list.
//
// libplist 2.2 recurses once per nesting level, re-parses every shared object
// once per reference, and aborts on a dictionary key holding a NUL character.
// The check walks the object graph once, without recursion, and answers false
// for anything libplist could not handle safely. It also answers false for
// anything it does not itself understand.
//
// Nesting depth counts containers: a dictionary or array is at depth 1 when it
// is the root, and one deeper than the container that holds it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace updater {

// True when `bytes` can be handed to libplist's binary reader: the trailer
// and offset table are consistent, the list holds no more objects than
// kMaxPropertyListValues, every object reachable from the top object is
// well-formed and lies before the offset table, every reference is in range,
// no reference cycle exists, containers nest no deeper than
// kMaxPropertyListDepth, and the tree the references spell out holds no more
// than kMaxPropertyListValues values (a shared object counts once per
// reference, as libplist copies it each time). Dictionary keys must be
// strings without NUL characters. Identifier objects (the keyed archiver's
// UIDs) and the format's reserved types are refused.
bool binaryPropertyListShapeIsSafe(std::string_view bytes);

// Offset of the top object of a binary property list whose trailer and offset
// table are consistent; nullopt otherwise. The object itself is not checked.
std::optional<size_t> binaryTopObjectOffset(std::string_view bytes);

}  // namespace updater
