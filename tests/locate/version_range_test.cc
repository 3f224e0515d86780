#include "locate/version_range.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace updater {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(VersionComponentNumberTest, ReadsTheLeadingInteger) {
  struct Case {
    std::string component;
    int32_t expected;
  };
  const Case cases[] = {
      {"8", 8},
      {"03", 3},
      {"2b", 2},
      {"x", 0},
      {"", 0},
      {"x2", 0},
      {"-1", -1},
      {"+7", 7},
      {"-", 0},
      {"+", 0},
      {"--5", 0},
      {"- 5", 0},
      {" \t\n\r\v\f12", 12},
      {"  -3x", -3},
      {"1 2", 1},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"99999999999999999999999999999", kMax},
      {"-99999999999999999999999999999", kMin},
      {"0000000000000000000000000000042", 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("component \"" + c.component + "\"");
    EXPECT_EQ(versionComponentNumber(c.component), c.expected);
  }
}

TEST(VersionInRangeTest, PacksComponentsEightBitsEach) {
  struct Case {
    std::string lower;
    std::string upper;
    std::string version;
    bool passes;
  };
  const Case cases[] = {
      {"8.0.0", "8.1.2", "8.1.0", true},
      {"8.0.0", "8.1.2", "8.1.2", true},  // the upper bound is inclusive
      {"8.0.0", "8.1.2", "8.0.0", true},  // the lower bound is inclusive
      {"8.0.0", "8.1.2", "8.1.3", false},
      {"8.0.0", "8.1.2", "7.9.9", false},
      {"8.0", "8.1", "8.0.9", true},  // only two components count
      {"8.0", "8.1", "8.1.5", true},
      {"8", "8", "8.5.5", true},
      {"8.0.0", "8.1.2", "8.1", true},      // missing component counts as 0
      {"8.0.0", "8.1.2", "8", true},        // compared as 8.0.0
      {"8.0.0", "8.1.2", "8.0.256", true},  // 256 carries into the middle
      {"8.0.0", "8.2.0", "8.1.300", false},
      {"8.0.0", "8.1.0", "8.0.-1", false},  // borrows below the lower bound
      {"0.0", "0.5", "-1.0", false},        // wraps far above the upper bound
      {"8.0.0", "8.1.2", "8.1.2b", true},
      {"8.0.0", "8.1.2", "x.1.2", false},
      {"8.0.0", "8.1.2", "8..1", true},
      {"10.0.0", "10.0.3", "10.0.03", true},
      {"", "9", "5", true},
      {"1.0.0.0.0.0.0.0.0", "1.0.0.0.0.0.0.0.0", "2.0.0.0.0.0.0.0.0", true},  // shifted out
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lower + " <= " + c.version + " <= " + c.upper);
    EXPECT_EQ(versionInRange(c.lower, c.upper, c.version), c.passes);
  }
}

TEST(VersionInRangeTest, EdgesOfThePacking) {
  // An empty version is one empty component: 0.
  EXPECT_TRUE(versionInRange("0", "1", ""));
  EXPECT_FALSE(versionInRange("1", "2", ""));
  // Upper components beyond the lower bound's count are ignored.
  EXPECT_TRUE(versionInRange("8", "8.0.0.0", "8.9"));
  // A whitespace-led or signed component still reads its number.
  EXPECT_TRUE(versionInRange("8.0", "8.1", " 8.+1"));
  // Clamped components pack as their 32-bit ends, negatives sign-widened.
  EXPECT_FALSE(versionInRange("0", "255", "99999999999999999999"));
  EXPECT_TRUE(versionInRange("-99999999999", "-1", "-2147483648"));
  EXPECT_FALSE(versionInRange("-99999999999", "-1", "0"));
}

TEST(VersionInRangeTest, UpperBoundShorterThanLowerFails) {
  // Read literally the missing upper components would count as 0 and admit
  // 8.0.0 below; such a bound is a configuration mistake, so nothing passes.
  EXPECT_FALSE(versionInRange("8.0.0", "8.1", "8.0.0"));
  EXPECT_FALSE(versionInRange("8.0.0", "9", "8.5.0"));
  EXPECT_FALSE(versionInRange("..", ".", ""));
}

}  // namespace
}  // namespace updater
