#include "platform/plist_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace updater {
namespace {

// Yields the UTF-16 code units of UTF-8 bytes one at a time, so that two
// strings can be ordered without building either in full. A malformed
// sequence (its maximal well-formed prefix, or a lone bad byte) yields U+FFFD,
// as decoders that replace rather than refuse do.
class Utf16Units {
 public:
  explicit Utf16Units(std::string_view bytes) : bytes_(bytes) {}

  // The next unit, or -1 at the end.
  int next() {
    if (pending_low_ != 0) {
      const int unit = pending_low_;
      pending_low_ = 0;
      return unit;
    }
    if (pos_ >= bytes_.size()) return -1;
    const char32_t code_point = decode();
    if (code_point < 0x10000) return static_cast<int>(code_point);
    const char32_t offset = code_point - 0x10000;
    pending_low_ = static_cast<int>(0xDC00 + (offset & 0x3FF));
    return static_cast<int>(0xD800 + (offset >> 10));
  }

 private:
  static constexpr char32_t kReplacement = 0xFFFD;

  unsigned char byteAt(size_t index) const { return static_cast<unsigned char>(bytes_[index]); }

  char32_t decode() {
    const unsigned char lead = byteAt(pos_++);
    if (lead < 0x80) return lead;
    int trailing = 0;
    char32_t code_point = 0;
    // The bounds of the first continuation byte rule out overlong forms,
    // surrogates and values above U+10FFFF in one check.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      trailing = 1;
      code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      trailing = 2;
      code_point = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      trailing = 3;
      code_point = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return kReplacement;
    }
    for (int i = 0; i < trailing; ++i) {
      if (pos_ >= bytes_.size()) return kReplacement;
      const unsigned char byte = byteAt(pos_);
      if (byte < low || byte > high) return kReplacement;
      code_point = (code_point << 6) | (byte & 0x3F);
      ++pos_;
      low = 0x80;
      high = 0xBF;
    }
    return code_point;
  }

  std::string_view bytes_;
  size_t pos_ = 0;
  int pending_low_ = 0;
};

const std::string& emptyString() {
  static const std::string* const empty = new std::string();
  return *empty;
}

bool isNumeric(PlistValue::Kind kind) {
  return kind == PlistValue::Kind::kInteger || kind == PlistValue::Kind::kReal ||
         kind == PlistValue::Kind::kBoolean;
}

// NaN equals NaN and orders before every other number, so that numbers keep a
// total order and a NaN read from a file never breaks a sort or a lookup.
std::strong_ordering compareReals(long double a, long double b) {
  const bool a_nan = std::isnan(a), b_nan = std::isnan(b);
  if (a_nan || b_nan) return b_nan <=> a_nan;
  if (a < b) return std::strong_ordering::less;
  if (a > b) return std::strong_ordering::greater;
  return std::strong_ordering::equal;
}

// Shortest form that reads back as the same double, always with a point or an
// exponent so that a real never looks like an integer.
void writeReal(std::ostream& out, double number) {
  char text[40];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, number);
    if (std::isnan(number) || std::strtod(text, nullptr) == number) break;
  }
  out << text;
  if (std::isfinite(number) &&
      std::string_view(text).find_first_of(".e") == std::string_view::npos) {
    out << ".0";
  }
}

void writeQuoted(std::ostream& out, const std::string& text) {
  out << '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out << '\\' << c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out << escaped;
    } else {
      out << c;
    }
  }
  out << '"';
}

}  // namespace

PlistValue::PlistValue() = default;

PlistValue PlistValue::string(std::string utf8) {
  PlistValue value;
  value.kind_ = Kind::kString;
  value.string_ = std::make_shared<const std::string>(std::move(utf8));
  return value;
}

PlistValue PlistValue::integer(int64_t number) {
  PlistValue value;
  value.kind_ = Kind::kInteger;
  value.integer_ = number;
  return value;
}

PlistValue PlistValue::real(double number) {
  PlistValue value;
  value.kind_ = Kind::kReal;
  value.real_ = number;
  return value;
}

PlistValue PlistValue::boolean(bool flag) {
  PlistValue value;
  value.kind_ = Kind::kBoolean;
  value.integer_ = flag ? 1 : 0;
  return value;
}

PlistValue PlistValue::date(double seconds_since_2001) {
  PlistValue value;
  value.kind_ = Kind::kDate;
  value.real_ = seconds_since_2001;
  return value;
}

PlistValue PlistValue::data(std::vector<uint8_t> bytes) {
  PlistValue value;
  value.kind_ = Kind::kData;
  value.data_ = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  return value;
}

PlistValue PlistValue::array(PlistArray items) {
  PlistValue value;
  value.kind_ = Kind::kArray;
  value.array_ = std::make_shared<const PlistArray>(std::move(items));
  return value;
}

PlistValue PlistValue::dictionary(PlistDictionary entries) {
  PlistValue value;
  value.kind_ = Kind::kDictionary;
  value.dictionary_ = std::make_shared<const PlistDictionary>(std::move(entries));
  return value;
}

const std::string* PlistValue::asString() const {
  if (kind_ != Kind::kString) return nullptr;
  // A default-constructed value shares one empty string instead of allocating.
  return string_ ? string_.get() : &emptyString();
}

const PlistArray* PlistValue::asArray() const {
  return kind_ == Kind::kArray ? array_.get() : nullptr;
}

const PlistDictionary* PlistValue::asDictionary() const {
  return kind_ == Kind::kDictionary ? dictionary_.get() : nullptr;
}

std::optional<bool> PlistValue::asBoolean() const {
  if (kind_ != Kind::kBoolean) return std::nullopt;
  return integer_ != 0;
}

const std::vector<uint8_t>* PlistValue::asData() const {
  return kind_ == Kind::kData ? data_.get() : nullptr;
}

bool PlistValue::isNumber(bool boolean_counts) const {
  return kind_ == Kind::kInteger || kind_ == Kind::kReal ||
         (boolean_counts && kind_ == Kind::kBoolean);
}

std::optional<double> PlistValue::numberValue() const {
  switch (kind_) {
    case Kind::kInteger:
    case Kind::kBoolean:
      return static_cast<double>(integer_);
    case Kind::kReal:
      return real_;
    default:
      return std::nullopt;
  }
}

bool PlistValue::isEqual(const PlistValue& other) const {
  if (isNumeric(kind_) || isNumeric(other.kind_) || kind_ == Kind::kString ||
      kind_ == Kind::kDate) {
    const auto order = compare(other);
    return order && *order == std::strong_ordering::equal;
  }
  if (kind_ != other.kind_) return false;
  switch (kind_) {
    case Kind::kData:
      return *data_ == *other.data_;
    case Kind::kArray: {
      const PlistArray& mine = *array_;
      const PlistArray& theirs = *other.array_;
      if (mine.size() != theirs.size()) return false;
      for (size_t i = 0; i < mine.size(); ++i) {
        if (!mine[i].isEqual(theirs[i])) return false;
      }
      return true;
    }
    case Kind::kDictionary: {
      const PlistDictionary& mine = *dictionary_;
      const PlistDictionary& theirs = *other.dictionary_;
      if (mine.size() != theirs.size()) return false;
      // Both maps are sorted by key, so equal dictionaries line up pairwise.
      auto it = theirs.begin();
      for (const auto& [key, value] : mine) {
        if (it->first != key || !value.isEqual(it->second)) return false;
        ++it;
      }
      return true;
    }
    default:
      return false;
  }
}

std::optional<std::strong_ordering> PlistValue::compare(const PlistValue& other) const {
  if (isNumeric(kind_) && isNumeric(other.kind_)) {
    // Two integers compare exactly; a real on either side goes through long
    // double, whose 64-bit mantissa holds every int64_t and every double.
    const bool mine_real = kind_ == Kind::kReal, theirs_real = other.kind_ == Kind::kReal;
    if (!mine_real && !theirs_real) return integer_ <=> other.integer_;
    const long double mine = mine_real ? real_ : static_cast<long double>(integer_);
    const long double theirs = theirs_real ? other.real_ : static_cast<long double>(other.integer_);
    return compareReals(mine, theirs);
  }
  if (kind_ == Kind::kString && other.kind_ == Kind::kString) {
    return compareUtf16(*asString(), *other.asString());
  }
  if (kind_ == Kind::kDate && other.kind_ == Kind::kDate) {
    return compareReals(real_, other.real_);
  }
  return std::nullopt;
}

const PlistValue* PlistValue::find(const std::string& key) const {
  const PlistDictionary* entries = asDictionary();
  return entries ? findKey(*entries, key) : nullptr;
}

std::strong_ordering compareUtf16(const std::string& a, const std::string& b) {
  Utf16Units mine(a), theirs(b);
  for (;;) {
    const int x = mine.next(), y = theirs.next();
    if (x != y || x < 0) return x <=> y;
  }
}

const PlistValue* findKey(const PlistDictionary& dictionary, const std::string& key) {
  const auto it = dictionary.find(key);
  return it == dictionary.end() ? nullptr : &it->second;
}

std::ostream& operator<<(std::ostream& out, PlistValue::Kind kind) {
  switch (kind) {
    case PlistValue::Kind::kString:
      return out << "string";
    case PlistValue::Kind::kInteger:
      return out << "integer";
    case PlistValue::Kind::kReal:
      return out << "real";
    case PlistValue::Kind::kBoolean:
      return out << "boolean";
    case PlistValue::Kind::kDate:
      return out << "date";
    case PlistValue::Kind::kData:
      return out << "data";
    case PlistValue::Kind::kArray:
      return out << "array";
    case PlistValue::Kind::kDictionary:
      return out << "dictionary";
  }
  return out << "kind(" << static_cast<int>(kind) << ")";
}

std::ostream& operator<<(std::ostream& out, const PlistValue& value) {
  switch (value.kind_) {
    case PlistValue::Kind::kString:
      writeQuoted(out, *value.asString());
      break;
    case PlistValue::Kind::kInteger:
      out << value.integer_;
      break;
    case PlistValue::Kind::kReal:
      writeReal(out, value.real_);
      break;
    case PlistValue::Kind::kBoolean:
      out << (value.integer_ != 0 ? "true" : "false");
      break;
    case PlistValue::Kind::kDate:
      out << "date(";
      writeReal(out, value.real_);
      out << ")";
      break;
    case PlistValue::Kind::kData: {
      // Enough bytes to recognise a value; a long blob would drown the message.
      constexpr size_t kShownBytes = 32;
      const std::vector<uint8_t>& bytes = *value.data_;
      out << "<";
      for (size_t i = 0; i < bytes.size() && i < kShownBytes; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        out << (i == 0 ? "" : " ") << hex;
      }
      if (bytes.size() > kShownBytes) out << " ... (" << bytes.size() << " bytes)";
      out << ">";
      break;
    }
    case PlistValue::Kind::kArray: {
      out << "[";
      const char* separator = "";
      for (const PlistValue& item : *value.array_) {
        out << separator << item;
        separator = ", ";
      }
      out << "]";
      break;
    }
    case PlistValue::Kind::kDictionary: {
      out << "{";
      const char* separator = "";
      for (const auto& [key, item] : *value.dictionary_) {
        out << separator;
        writeQuoted(out, key);
        out << ": " << item;
        separator = ", ";
      }
      out << "}";
      break;
    }
  }
  return out;
}

}  // namespace updater
