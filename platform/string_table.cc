#include "platform/string_table.h"

#include <cstdint>
#include <utility>

#include "platform/property_list.h"

namespace updater {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Surrogates cannot be encoded in UTF-8; anything that is no scalar value is
// written as the replacement character so that the table stays valid UTF-8.
void appendUtf8(char32_t c, std::string& out) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacementCharacter;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Strict UTF-8: overlong forms, encoded surrogates and values past U+10FFFF
// mark a damaged file, which must not turn into a table of odd texts.
bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t length;
    char32_t value;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// A pair of bytes that does not complete a code unit means a truncated file.
std::optional<std::string> utf16ToUtf8(std::string_view bytes, bool big_endian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  auto unitAt = [&](size_t index) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[index]);
    const auto second = static_cast<unsigned char>(bytes[index + 1]);
    return big_endian ? (first << 8 | second) : (second << 8 | first);
  };
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const char32_t unit = unitAt(i);
    if (isHighSurrogate(unit) && i + 3 < bytes.size() && isLowSurrogate(unitAt(i + 2))) {
      appendUtf8(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00), out);
      i += 2;
    } else {
      appendUtf8(unit, out);  // a lone surrogate becomes U+FFFD
    }
  }
  return out;
}

// The file's text as UTF-8 without a byte order mark.
std::optional<std::string> decodeText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return utf16ToUtf8(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return utf16ToUtf8(bytes.substr(2), true);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (!isValidUtf8(bytes)) return std::nullopt;
  return std::string(bytes);
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The characters the classic format allows in a string without quotes.
bool isUnquotedCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '/' || c == ':' || c == '.' || c == '-';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The classic text form. Every value is a string, so the grammar has no
// nesting and the parser needs neither recursion nor a stack: a hostile file
// costs time and memory in proportion to its size only.
class ClassicTableParser {
 public:
  explicit ClassicTableParser(std::string_view text) : text_(text) {}

  std::optional<StringTable> parse() {
    if (!skipSpace()) return std::nullopt;
    // The same entries may be wrapped in braces, as an old-style property list.
    const bool braced = peek('{');
    if (braced) ++pos_;
    StringTable table;
    while (true) {
      if (!skipSpace()) return std::nullopt;
      if (atEnd()) {
        if (braced) return std::nullopt;
        return table;
      }
      if (braced && peek('}')) {
        ++pos_;
        if (!skipSpace() || !atEnd()) return std::nullopt;
        return table;
      }
      std::optional<std::string> key = parseString();
      if (!key || !skipSpace()) return std::nullopt;
      if (peek(';')) {
        ++pos_;
        std::string value = *key;
        table.insert_or_assign(std::move(*key), std::move(value));
        continue;
      }
      if (!peek('=')) return std::nullopt;
      ++pos_;
      if (!skipSpace()) return std::nullopt;
      std::optional<std::string> value = parseString();
      if (!value || !skipSpace() || !peek(';')) return std::nullopt;
      ++pos_;
      table.insert_or_assign(std::move(*key), std::move(*value));
    }
  }

 private:
  bool atEnd() const { return pos_ >= text_.size(); }
  bool peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

  // Skips blanks and comments; false on a block comment that never ends.
  bool skipSpace() {
    while (!atEnd()) {
      if (isSpace(text_[pos_])) {
        ++pos_;
      } else if (text_.substr(pos_).starts_with("/*")) {
        const size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) return false;
        pos_ = end + 2;
      } else if (text_.substr(pos_).starts_with("//")) {
        const size_t end = text_.find_first_of("\r\n", pos_ + 2);
        pos_ = end == std::string_view::npos ? text_.size() : end;
      } else {
        return true;
      }
    }
    return true;
  }

  std::optional<std::string> parseString() {
    if (peek('"') || peek('\'')) return parseQuoted(text_[pos_++]);
    const size_t start = pos_;
    while (!atEnd() && isUnquotedCharacter(text_[pos_])) ++pos_;
    if (pos_ == start) return std::nullopt;
    return std::string(text_.substr(start, pos_ - start));
  }

  // The text is valid UTF-8 already, so bytes outside escapes are copied as
  // they are; only ASCII bytes can be quotes or backslashes.
  std::optional<std::string> parseQuoted(char quote) {
    std::string out;
    while (!atEnd()) {
      const char c = text_[pos_++];
      if (c == quote) return out;
      if (c != '\\') {
        out += c;
      } else if (!parseEscape(out)) {
        return std::nullopt;
      }
    }
    return std::nullopt;
  }

  // Reads the character after a backslash.
  bool parseEscape(std::string& out) {
    if (atEnd()) return false;
    const char c = text_[pos_++];
    // The classic single-letter escapes of C.
    static constexpr std::string_view kLetters = "abfnrtv";
    static constexpr std::string_view kControls = "\a\b\f\n\r\t\v";
    if (const size_t found = kLetters.find(c); found != std::string_view::npos) {
      out += kControls[found];
      return true;
    }
    if (c == 'U' || c == 'u') return parseUnicodeEscape(out);
    if (c >= '0' && c <= '7') {
      // Up to three octal digits; the value is taken as a code point.
      char32_t value = c - '0';
      for (int digits = 1; digits < 3 && !atEnd() && text_[pos_] >= '0' && text_[pos_] <= '7';
           ++digits) {
        value = value * 8 + (text_[pos_++] - '0');
      }
      appendUtf8(value, out);
      return true;
    }
    // Any other character stands for itself: \" \' \\ and the rest.
    out += c;
    return true;
  }

  // Up to four hex digits after \U (or \u); at least one is required.
  std::optional<char32_t> readHex(size_t& at) const {
    char32_t value = 0;
    int digits = 0;
    while (digits < 4 && at < text_.size() && hexValue(text_[at]) >= 0) {
      value = value * 16 + hexValue(text_[at++]);
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
  }

  // Characters beyond the BMP are written as two escaped UTF-16 halves; a half
  // without its partner has no meaning and becomes U+FFFD.
  bool parseUnicodeEscape(std::string& out) {
    const std::optional<char32_t> unit = readHex(pos_);
    if (!unit) return false;
    if (isHighSurrogate(*unit) && pos_ + 1 < text_.size() && text_[pos_] == '\\' &&
        (text_[pos_ + 1] == 'U' || text_[pos_ + 1] == 'u')) {
      size_t at = pos_ + 2;
      const std::optional<char32_t> low = readHex(at);
      if (low && isLowSurrogate(*low)) {
        pos_ = at;
        appendUtf8(0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00), out);
        return true;
      }
    }
    appendUtf8(*unit, out);
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

std::optional<StringTable> tableFromPropertyList(std::string_view bytes) {
  const std::optional<PlistDictionary> dictionary = parsePropertyListDictionary(bytes);
  if (!dictionary) return std::nullopt;
  // Lookups only ever want texts; an entry of another kind is as good as absent.
  StringTable table;
  for (const auto& [key, value] : *dictionary) {
    if (const std::string* text = value.asString()) table.emplace(key, *text);
  }
  return table;
}

}  // namespace

std::optional<StringTable> parseStringTable(std::string_view bytes) {
  if (bytes.size() > kMaxStringTableBytes) return std::nullopt;
  if (bytes.starts_with("bplist")) return tableFromPropertyList(bytes);
  const std::optional<std::string> text = decodeText(bytes);
  if (!text) return std::nullopt;
  // No classic table can begin with '<', so the choice is never ambiguous. The
  // decoded text goes on so that a UTF-16 XML file reaches the reader as UTF-8.
  size_t first = 0;
  while (first < text->size() && isSpace((*text)[first])) ++first;
  if (first < text->size() && (*text)[first] == '<') return tableFromPropertyList(*text);
  return ClassicTableParser(*text).parse();
}

std::string formatWithObject(std::string_view format, const std::optional<std::string>& argument) {
  // The format comes from a patch's table, so it is scanned here rather than
  // handed to a printf-style routine: only the object placeholder and the
  // escaped percent sign have a meaning, and nothing else reads an argument.
  const std::string_view object = argument ? std::string_view(*argument) : std::string_view();
  std::string out;
  out.reserve(format.size() + object.size());
  size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    const std::string_view rest = format.substr(i + 1);
    if (rest.starts_with('%')) {
      out += '%';
      i += 2;
    } else if (rest.starts_with('@')) {
      out += object;
      i += 2;
    } else if (rest.starts_with("1$@")) {
      out += object;
      i += 4;
    } else {
      // Kept as written; the characters after it are copied on the next turns.
      out += '%';
      i += 1;
    }
  }
  return out;
}

}  // namespace updater
