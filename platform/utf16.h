// Conversions between UTF-8 bytes and the UTF-16 text the platform's strings
// hold.
//
// Positions in platform text (ranges, lengths, character indexes) count UTF-16
// code units, so code that must reproduce such positions works on the decoded
// std::u16string rather than on the bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace updater {

// Decodes `bytes` as strict UTF-8, the way a file is read as text with the
// UTF-8 encoding. Returns nullopt when the bytes are not well-formed UTF-8:
// a stray continuation byte, a truncated sequence, an overlong form, a
// surrogate code point (U+D800..U+DFFF) encoded directly, or a code point
// above U+10FFFF. Code points above U+FFFF become surrogate pairs. Empty input
// gives an empty text, not nullopt.
//
// A leading byte order mark (EF BB BF) is kept as the character U+FEFF: the
// decoded text holds every character the file holds, so a file that begins
// with a mark does not equal the same text without it. NUL bytes are ordinary
// characters.
std::optional<std::u16string> decodeUtf8(std::string_view bytes);

// Encodes UTF-16 text as UTF-8. Well-formed surrogate pairs become one four-
// byte sequence; a lone surrogate (a high one not followed by a low one, or a
// low one on its own) becomes U+FFFD, so the result is always valid UTF-8.
std::string encodeUtf8(std::u16string_view text);

}  // namespace updater
