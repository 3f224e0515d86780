#include "platform/utf16.h"

#include <cstdint>

namespace updater {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendCodePoint(char32_t cp, std::u16string& out) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void appendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::optional<std::u16string> decodeUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    size_t length;
    char32_t cp;
    // The smallest code point each length may carry; anything below is an
    // overlong form, which strict decoders refuse because it can smuggle
    // characters (a slash, a NUL) past byte-level checks.
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
      minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
      minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07;
      minimum = 0x10000;
    } else {
      // 0x80..0xBF: continuation without a lead; 0xC0, 0xC1: always overlong;
      // 0xF5..0xFF: would start a code point above U+10FFFF.
      return std::nullopt;
    }
    if (bytes.size() - i < length) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(bytes[i + k]);
      if (!isContinuation(byte)) return std::nullopt;
      cp = (cp << 6) | (byte & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF) return std::nullopt;
    if (cp >= 0xD800 && cp <= 0xDFFF) return std::nullopt;
    appendCodePoint(cp, out);
    i += length;
  }
  return out;
}

std::string encodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (isHighSurrogate(unit)) {
      if (i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
        const char32_t cp =
            0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        appendUtf8(cp, out);
        ++i;
      } else {
        appendUtf8(kReplacement, out);
      }
    } else if (isLowSurrogate(unit)) {
      appendUtf8(kReplacement, out);
    } else {
      appendUtf8(unit, out);
    }
  }
  return out;
}

}  // namespace updater
