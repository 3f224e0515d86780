// The version-range comparison of a product's value rules.
//
// Versions are compared by packing their dot-separated components into one
// unsigned 64-bit number, eight bits per component. The packing is kept with
// all its quirks (carries from components of 256 or more, wrap-around of
// negative components, components shifted out beyond the eighth) because
// patch configurations are written against exactly this behaviour.
#pragma once

#include <cstdint>
#include <string_view>

namespace updater {

// The leading decimal integer of one version component, read the way the
// platform's intValue reads a string: leading white space (space, tab, line
// feed, carriage return, vertical tab, form feed) is skipped, one optional
// "+" or "-" is accepted, and digits are read up to the first other
// character. A result outside the 32-bit signed range is clamped to its
// nearest end. A component that does not begin with a number ("x", "",
// "-", "-x") gives 0. Examples: "2b" gives 2, "03" gives 3, " -1" gives -1.
int32_t versionComponentNumber(std::string_view component);

// Whether `version` lies between `lower` and `upper`, both bounds inclusive.
//
// Each string is split at "." into components (empty components count, so
// "8..1" has three and "" has one). Only the first n components take part,
// n being the number of components of `lower`; a missing component of
// `version` counts as 0. Each string packs into an unsigned 64-bit
// accumulator: for every position, shift left by 8 bits and add the
// component's number sign-widened to 64 bits, all modulo 2^64. The result is
// true when lower <= version <= upper as unsigned numbers.
//
// An `upper` with fewer components than `lower` is malformed configuration
// and gives false, whatever the version.
bool versionInRange(std::string_view lower, std::string_view upper, std::string_view version);

}  // namespace updater
