#include "platform/plist_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>

namespace updater {
namespace {

using Order = std::optional<std::strong_ordering>;

constexpr std::strong_ordering kLess = std::strong_ordering::less;
constexpr std::strong_ordering kEqual = std::strong_ordering::equal;
constexpr std::strong_ordering kGreater = std::strong_ordering::greater;

PlistValue str(const std::string& text) { return PlistValue::string(text); }
PlistValue integer(int64_t number) { return PlistValue::integer(number); }
PlistValue real(double number) { return PlistValue::real(number); }

std::string printed(const PlistValue& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

TEST(CompareUtf16Test, OrdersByUtf16CodeUnits) {
  struct Case {
    const char* a;
    const char* b;
    std::strong_ordering expected;
  };
  const Case cases[] = {
      {"", "", kEqual},
      {"", "a", kLess},
      {"abc", "abc", kEqual},
      {"ab", "abc", kLess},
      {"10.0", "9.0", kLess},  // no numeric reading of digit runs
      {"8.10", "8.9", kLess},
      {"B", "a", kLess},  // case-sensitive: upper case sorts first
      {"abc", "ABC", kGreater},
      {"e\xCC\x81", "\xC3\xA9", kLess},  // no normalization: e + U+0301 vs U+00E9
      // U+1F600 is the pair D83D DE00, so it sorts before U+E000 and U+FFFD
      // although its code point (and its UTF-8 bytes) sort after both.
      {"\xF0\x9F\x98\x80", "\xEE\x80\x80", kLess},
      {"\xF0\x9F\x98\x80", "\xEF\xBF\xBD", kLess},
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x81", kLess},
      // Malformed bytes read as U+FFFD, one per maximal bad sequence.
      {"\xFF", "\xEF\xBF\xBD", kEqual},
      {"\xFF", "\xF0\x9F\x98\x80", kGreater},
      {"\xE2\x82"
       "A",
       "\xEF\xBF\xBD"
       "A",
       kEqual},                                          // truncated three-byte form
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", kEqual},  // overlong '/' is two bad bytes
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", kEqual},  // encoded surrogate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
    EXPECT_EQ(compareUtf16(c.a, c.b), c.expected);
    EXPECT_EQ(compareUtf16(c.b, c.a), 0 <=> c.expected);
  }
}

TEST(PlistValueCompareTest, NumbersCompareByValueAcrossKinds) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  const double nan = std::nan("");
  struct Case {
    PlistValue a;
    PlistValue b;
    std::strong_ordering expected;
  };
  const Case cases[] = {
      {integer(1), real(1.0), kEqual},
      {PlistValue::boolean(true), integer(1), kEqual},
      {PlistValue::boolean(false), real(0.0), kEqual},
      {PlistValue::boolean(true), real(0.5), kGreater},
      {integer(-1), integer(0), kLess},
      {integer(2), real(2.5), kLess},
      {integer(10), integer(9), kGreater},
      // Exact where a round trip through double would call them equal.
      {integer(kMax), integer(kMax - 1), kGreater},
      {integer((int64_t{1} << 53) + 1), real(9007199254740992.0), kGreater},
      {integer(kMin), real(-9223372036854775808.0), kEqual},
      {integer(kMax), real(9223372036854775808.0), kLess},
      {real(nan), real(nan), kEqual},
      {real(nan), integer(kMin), kLess},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(printed(c.a) + " vs " + printed(c.b));
    EXPECT_EQ(c.a.compare(c.b), Order(c.expected));
    EXPECT_EQ(c.b.compare(c.a), Order(0 <=> c.expected));
    EXPECT_EQ(c.a.isEqual(c.b), c.expected == kEqual);
  }
}

TEST(PlistValueCompareTest, StringsAndDatesCompareWithinTheirKind) {
  EXPECT_EQ(str("10.0").compare(str("9.0")), Order(kLess));
  EXPECT_EQ(str("Abc").compare(str("abc")), Order(kLess));
  EXPECT_EQ(PlistValue().compare(str("")), Order(kEqual));
  EXPECT_EQ(PlistValue::date(10).compare(PlistValue::date(10.5)), Order(kLess));
  EXPECT_EQ(PlistValue::date(-3).compare(PlistValue::date(-3)), Order(kEqual));
}

TEST(PlistValueCompareTest, ValuesOfUnrelatedKindsHaveNoOrderAndAreNeverEqual) {
  const PlistValue pairs[][2] = {
      {str("1"), integer(1)},
      {str("1"), real(1.0)},
      {str("true"), PlistValue::boolean(true)},
      {PlistValue::date(1), real(1)},
      {PlistValue::data({1}), integer(1)},
      {PlistValue::data({'a'}), str("a")},
      {PlistValue::array({integer(1)}), integer(1)},
      {PlistValue::array({}), PlistValue::dictionary({})},
  };
  for (const auto& pair : pairs) {
    SCOPED_TRACE(printed(pair[0]) + " vs " + printed(pair[1]));
    EXPECT_EQ(pair[0].compare(pair[1]), std::nullopt);
    EXPECT_EQ(pair[1].compare(pair[0]), std::nullopt);
    EXPECT_FALSE(pair[0].isEqual(pair[1]));
    EXPECT_FALSE(pair[1].isEqual(pair[0]));
  }
  // Containers and data are equal or not, but never ordered.
  EXPECT_EQ(PlistValue::array({}).compare(PlistValue::array({})), std::nullopt);
  EXPECT_EQ(PlistValue::data({1}).compare(PlistValue::data({1})), std::nullopt);
}

TEST(PlistValueEqualTest, ContainersAndDataCompareElementByElement) {
  const PlistValue list = PlistValue::array({integer(1), str("x")});
  EXPECT_TRUE(list.isEqual(PlistValue::array({real(1.0), str("x")})));
  EXPECT_TRUE(list.isEqual(PlistValue::array({PlistValue::boolean(true), str("x")})));
  EXPECT_FALSE(list.isEqual(PlistValue::array({integer(1), str("X")})));
  EXPECT_FALSE(list.isEqual(PlistValue::array({integer(1)})));
  EXPECT_FALSE(list.isEqual(PlistValue::array({str("1"), str("x")})));

  const PlistValue dictionary = PlistValue::dictionary({{"a", integer(1)}, {"b", list}});
  EXPECT_TRUE(dictionary.isEqual(PlistValue::dictionary({{"a", real(1)}, {"b", list}})));
  EXPECT_FALSE(dictionary.isEqual(PlistValue::dictionary({{"a", integer(1)}, {"c", list}})));
  EXPECT_FALSE(dictionary.isEqual(PlistValue::dictionary({{"a", integer(1)}})));

  EXPECT_TRUE(PlistValue::data({1, 2}).isEqual(PlistValue::data({1, 2})));
  EXPECT_FALSE(PlistValue::data({1, 2}).isEqual(PlistValue::data({1, 2, 0})));
  EXPECT_TRUE(PlistValue::date(5).isEqual(PlistValue::date(5)));
}

TEST(PlistValueTest, AccessorsAnswerOnlyForTheirKind) {
  const PlistValue empty;
  EXPECT_EQ(empty.kind(), PlistValue::Kind::kString);
  ASSERT_NE(empty.asString(), nullptr);
  EXPECT_EQ(*empty.asString(), "");

  const PlistValue flag = PlistValue::boolean(true);
  EXPECT_EQ(flag.asBoolean(), true);
  EXPECT_EQ(flag.asString(), nullptr);
  EXPECT_FALSE(flag.isNumber());
  EXPECT_TRUE(flag.isNumber(/*boolean_counts=*/true));
  EXPECT_EQ(flag.numberValue(), 1.0);

  EXPECT_EQ(integer(3).asBoolean(), std::nullopt);
  EXPECT_TRUE(real(2.5).isNumber());
  EXPECT_EQ(str("3").numberValue(), std::nullopt);
  EXPECT_EQ(PlistValue::date(3).numberValue(), std::nullopt);
  EXPECT_EQ(str("x").asData(), nullptr);
  EXPECT_EQ(str("x").asArray(), nullptr);

  const PlistValue dictionary = PlistValue::dictionary({{"k", integer(7)}});
  ASSERT_NE(dictionary.find("k"), nullptr);
  EXPECT_TRUE(dictionary.find("k")->isEqual(integer(7)));
  EXPECT_EQ(dictionary.find("K"), nullptr);
  EXPECT_EQ(str("k").find("k"), nullptr);
}

TEST(PlistValueTest, PrintsAReadableForm) {
  const PlistValue value = PlistValue::dictionary({
      {"a", PlistValue::array({integer(-2), real(1), real(0.1), PlistValue::boolean(false)})},
      {"d", PlistValue::date(86400.5)},
      {"q", str("say \"hi\"\n")},
      {"z", PlistValue::data({0x00, 0xAB})},
  });
  EXPECT_EQ(printed(value),
            "{\"a\": [-2, 1.0, 0.1, false], \"d\": date(86400.5), \"q\": \"say \\\"hi\\\"\\x0A\", "
            "\"z\": <00 ab>}");
  std::ostringstream kind;
  kind << PlistValue::Kind::kDictionary;
  EXPECT_EQ(kind.str(), "dictionary");
}

}  // namespace
}  // namespace updater
