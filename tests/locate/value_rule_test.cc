#include "locate/value_rule.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace updater {
namespace {

PlistValue str(const char* text) { return PlistValue::string(text); }

PlistValue strings(std::initializer_list<const char*> items) {
  PlistArray array;
  for (const char* item : items) array.push_back(str(item));
  return PlistValue::array(std::move(array));
}

// A required rule reading "CFBundleVersion" from "/Contents/Info.plist".
PlistDictionary requiredRule(const char* key_type, std::optional<PlistValue> key_value) {
  PlistDictionary rule = {
      {"IsRequired", str("YES")},          {"keyType", str(key_type)},
      {"keyName", str("CFBundleVersion")}, {"filePath", str("/Contents/Info.plist")},
      {"fileType", str("PLIST")},
  };
  if (key_value) rule["keyValue"] = *key_value;
  return rule;
}

// Answers every read with one fixed value and records what was asked.
class FakeReader {
 public:
  explicit FakeReader(std::optional<PlistValue> answer) : answer_(std::move(answer)) {}

  ValueReader reader() {
    return [this](const std::string& key_name, const std::string& file_path,
                  const std::string& file_type) {
      calls_.push_back(key_name + "|" + file_path + "|" + file_type);
      return answer_;
    };
  }
  const std::vector<std::string>& calls() const { return calls_; }

 private:
  std::optional<PlistValue> answer_;
  std::vector<std::string> calls_;
};

struct ComparisonCase {
  const char* label;
  const char* key_type;
  PlistValue key_value;
  PlistValue found;
  bool passes;
};

void expectComparisons(const std::vector<ComparisonCase>& cases) {
  for (const ComparisonCase& c : cases) {
    SCOPED_TRACE(c.label);
    FakeReader fake(c.found);
    EXPECT_EQ(valueRulePasses(requiredRule(c.key_type, c.key_value), fake.reader()), c.passes);
    EXPECT_EQ(fake.calls().size(), 1u);
  }
}

TEST(ValueRuleTest, RuleNotRequiredPassesWithoutReading) {
  const std::optional<PlistValue> markers[] = {
      std::nullopt, PlistValue::boolean(true), str("yes"),       str("Yes"), str("YES "),
      str(""),      PlistValue::integer(1),    strings({"YES"}),
  };
  for (const auto& marker : markers) {
    SCOPED_TRACE(marker ? testing::PrintToString(*marker) : "absent");
    // Everything else about the rule would fail it, were it applied.
    PlistDictionary rule = {{"keyType", str("mult")}, {"fileType", str("XML")}};
    if (marker) rule["IsRequired"] = *marker;
    FakeReader fake(std::nullopt);
    EXPECT_TRUE(valueRulePasses(rule, fake.reader()));
    EXPECT_TRUE(fake.calls().empty());
  }
}

TEST(ValueRuleTest, PassesTheRuleLocationToTheReader) {
  FakeReader fake(str("8.1"));
  EXPECT_TRUE(valueRulePasses(requiredRule("SINGLE", str("8.1")), fake.reader()));
  EXPECT_EQ(fake.calls(), std::vector<std::string>{"CFBundleVersion|/Contents/Info.plist|PLIST"});
}

TEST(ValueRuleTest, LocationThatIsNotTextFailsWithoutReading) {
  for (const char* key : {"keyName", "filePath", "fileType"}) {
    for (const bool remove : {true, false}) {
      SCOPED_TRACE(std::string(key) + (remove ? " absent" : " a number"));
      PlistDictionary rule = requiredRule("MULT", std::nullopt);
      if (remove) {
        rule.erase(key);
      } else {
        rule[key] = PlistValue::integer(7);
      }
      FakeReader fake(str("8.1"));
      EXPECT_FALSE(valueRulePasses(rule, fake.reader()));
      EXPECT_TRUE(fake.calls().empty());
    }
  }
}

TEST(ValueRuleTest, NothingReadFailsEvenWithoutKeyValue) {
  for (const char* key_type : {"MULT", "SINGLE", "RANGE"}) {
    for (const bool with_value : {true, false}) {
      SCOPED_TRACE(std::string(key_type) + (with_value ? " with keyValue" : " without"));
      const auto key_value = with_value ? std::optional(strings({"8.0", "8.1"})) : std::nullopt;
      FakeReader fake(std::nullopt);
      EXPECT_FALSE(valueRulePasses(requiredRule(key_type, key_value), fake.reader()));
      EXPECT_EQ(fake.calls().size(), 1u);
    }
  }
}

TEST(ValueRuleTest, KeyValueAbsentPassesOnceAValueIsRead) {
  for (const char* key_type : {"MULT", "SINGLE", "RANGE"}) {
    SCOPED_TRACE(key_type);
    FakeReader fake(PlistValue::dictionary({}));
    EXPECT_TRUE(valueRulePasses(requiredRule(key_type, std::nullopt), fake.reader()));
  }
}

TEST(ValueRuleTest, UnknownKeyTypeFails) {
  const std::optional<PlistValue> key_types[] = {
      std::nullopt, str("mult"),  str("Single"),          str("RANGE "),
      str(""),      str("OTHER"), PlistValue::integer(0),
  };
  for (const auto& key_type : key_types) {
    SCOPED_TRACE(key_type ? testing::PrintToString(*key_type) : "absent");
    PlistDictionary rule = requiredRule("MULT", std::nullopt);  // would pass as MULT
    if (key_type) {
      rule["keyType"] = *key_type;
    } else {
      rule.erase("keyType");
    }
    FakeReader fake(str("8.1"));
    EXPECT_FALSE(valueRulePasses(rule, fake.reader()));
  }
}

TEST(ValueRuleTest, MultNeedsAnEqualElement) {
  const PlistValue versions = strings({"8.0", "8.1"});
  const PlistValue numbers = PlistValue::array({PlistValue::integer(1), PlistValue::integer(2)});
  expectComparisons({
      {"string 8.1 listed", "MULT", versions, str("8.1"), true},
      {"number 8.1 is no string", "MULT", versions, PlistValue::real(8.1), false},
      {"string not listed", "MULT", versions, str("8.2"), false},
      {"case differs", "MULT", strings({"ABC"}), str("abc"), false},
      {"integer listed", "MULT", numbers, PlistValue::integer(2), true},
      {"real of a listed value", "MULT", numbers, PlistValue::real(2.0), true},
      {"boolean true equals 1", "MULT", numbers, PlistValue::boolean(true), true},
      {"digits are no number", "MULT", numbers, str("2"), false},
      {"empty list", "MULT", PlistValue::array({}), str("8.1"), false},
      {"keyValue no array", "MULT", str("8.1"), str("8.1"), false},
      {"keyValue a dictionary", "MULT", PlistValue::dictionary({{"8.1", str("8.1")}}), str("8.1"),
       false},
  });
}

TEST(ValueRuleTest, SingleComparesByTheKindOfKeyValue) {
  const PlistValue list = strings({"a", "b"});
  const PlistValue bytes = PlistValue::data({1, 2, 3});
  expectComparisons({
      {"same string", "SINGLE", str("8.1"), str("8.1"), true},
      {"other string", "SINGLE", str("8.1"), str("8.10"), false},
      {"string case", "SINGLE", str("Pro"), str("pro"), false},
      {"string vs number", "SINGLE", str("8.1"), PlistValue::real(8.1), false},
      {"string vs array", "SINGLE", str("a"), strings({"a"}), false},
      {"same integer", "SINGLE", PlistValue::integer(8), PlistValue::integer(8), true},
      {"integer vs equal real", "SINGLE", PlistValue::integer(8), PlistValue::real(8.0), true},
      {"real vs other integer", "SINGLE", PlistValue::real(8.1), PlistValue::integer(8), false},
      {"number 1 vs boolean true", "SINGLE", PlistValue::integer(1), PlistValue::boolean(true),
       true},
      {"boolean true vs number 1", "SINGLE", PlistValue::boolean(true), PlistValue::integer(1),
       true},
      {"boolean false vs number 1", "SINGLE", PlistValue::boolean(false), PlistValue::integer(1),
       false},
      {"number vs digits", "SINGLE", PlistValue::integer(8), str("8"), false},
      {"number vs array", "SINGLE", PlistValue::integer(8), strings({"8"}), false},
      {"equal arrays", "SINGLE", list, strings({"a", "b"}), true},
      {"arrays in other order", "SINGLE", list, strings({"b", "a"}), false},
      {"equal data", "SINGLE", bytes, PlistValue::data({1, 2, 3}), true},
      {"data vs string", "SINGLE", bytes, str("\x01\x02\x03"), false},
      {"equal dates", "SINGLE", PlistValue::date(1e8), PlistValue::date(1e8), true},
      {"equal dictionaries", "SINGLE", PlistValue::dictionary({{"k", str("v")}}),
       PlistValue::dictionary({{"k", str("v")}}), true},
      {"dictionary vs string", "SINGLE", PlistValue::dictionary({}), str(""), false},
  });
}

TEST(ValueRuleTest, RangeNeedsTwoVersionStrings) {
  const PlistValue range = strings({"8.0.0", "8.1.2"});
  expectComparisons({
      {"inside", "RANGE", range, str("8.1.0"), true},
      {"upper bound", "RANGE", range, str("8.1.2"), true},
      {"above", "RANGE", range, str("8.1.3"), false},
      {"below", "RANGE", range, str("7.9.9"), false},
      {"further elements ignored", "RANGE", strings({"8.0", "8.1", "1.0"}), str("8.0.5"), true},
      {"upper shorter than lower", "RANGE", strings({"8.0.0", "9"}), str("8.5"), false},
      {"one bound only", "RANGE", strings({"8.0.0"}), str("8.0.0"), false},
      {"empty array", "RANGE", PlistValue::array({}), str("8.0.0"), false},
      {"keyValue a string", "RANGE", str("8.0.0"), str("8.0.0"), false},
      {"numeric bound", "RANGE", PlistValue::array({PlistValue::integer(8), str("9")}), str("8"),
       false},
      {"version read a number", "RANGE", range, PlistValue::integer(8), false},
  });
}

}  // namespace
}  // namespace updater
