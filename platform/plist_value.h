// Property-list values with the comparison rules the updater's configuration
// and product metadata rely on.
//
// A value is immutable once built and cheap to copy: arrays and dictionaries are
// shared, so handing the configuration to another thread or object copies no data.
#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace updater {

class PlistValue;
using PlistArray = std::vector<PlistValue>;
// Keys are UTF-8. std::map keeps an order that makes dumps and tests stable.
using PlistDictionary = std::map<std::string, PlistValue>;

class PlistValue {
 public:
  // Stable values: they appear in test output.
  enum class Kind {
    kString = 0,
    kInteger = 1,
    kReal = 2,
    kBoolean = 3,
    kDate = 4,  // seconds since 2001-01-01 00:00:00 UTC, as the format stores it
    kData = 5,
    kArray = 6,
    kDictionary = 7,
  };

  // An empty string: a default that never crashes a careless reader.
  PlistValue();

  static PlistValue string(std::string utf8);
  static PlistValue integer(int64_t value);
  static PlistValue real(double value);
  static PlistValue boolean(bool value);
  static PlistValue date(double seconds_since_2001);
  static PlistValue data(std::vector<uint8_t> bytes);
  static PlistValue array(PlistArray items);
  static PlistValue dictionary(PlistDictionary entries);

  Kind kind() const { return kind_; }

  // Typed access; nullptr / nullopt when the value is of another kind.
  const std::string* asString() const;
  const PlistArray* asArray() const;
  const PlistDictionary* asDictionary() const;
  std::optional<bool> asBoolean() const;
  const std::vector<uint8_t>* asData() const;

  // Integers and reals; with `boolean_counts` a boolean reads as 0 or 1 too.
  bool isNumber(bool boolean_counts = false) const;
  // The numeric value of an integer, real or boolean; nullopt otherwise.
  std::optional<double> numberValue() const;

  // Equality as the platform's isEqual: strings by their characters, numbers
  // (booleans included) by numeric value, dates by time, data by bytes, arrays
  // and dictionaries element by element. A string never equals a number.
  bool isEqual(const PlistValue& other) const;

  // Order as the platform's compare: numbers (booleans included) by numeric
  // value; strings by UTF-16 code units, case-sensitively, with no numeric
  // reading of digit runs ("10.0" < "9.0"); dates by time. Values that have no
  // common order (a number against a string, arrays, ...) give nullopt.
  std::optional<std::strong_ordering> compare(const PlistValue& other) const;

  // Lookup in a dictionary value; nullptr when this is no dictionary or the
  // key is absent.
  const PlistValue* find(const std::string& key) const;

 private:
  friend std::ostream& operator<<(std::ostream& out, const PlistValue& value);

  Kind kind_ = Kind::kString;
  int64_t integer_ = 0;
  double real_ = 0;
  std::shared_ptr<const std::string> string_;
  std::shared_ptr<const std::vector<uint8_t>> data_;
  std::shared_ptr<const PlistArray> array_;
  std::shared_ptr<const PlistDictionary> dictionary_;
};

// Orders two UTF-8 strings by their UTF-16 code units (the platform's literal
// string order). Invalid UTF-8 bytes order as U+FFFD.
std::strong_ordering compareUtf16(const std::string& a, const std::string& b);

// Entry of a dictionary, or nullptr.
const PlistValue* findKey(const PlistDictionary& dictionary, const std::string& key);

std::ostream& operator<<(std::ostream& out, PlistValue::Kind kind);
// A short readable form for test failures and log lines.
std::ostream& operator<<(std::ostream& out, const PlistValue& value);

}  // namespace updater
