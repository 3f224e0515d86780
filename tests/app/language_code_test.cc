#include "app/language_code.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/utf16.h"

namespace updater {
namespace {

std::string describe(const std::optional<std::u16string>& code) {
  return code ? "\"" + encodeUtf8(*code) + "\"" : "none";
}

TEST(LanguageCodeFromSelfHealTextTest, FindsTheCodeBeforeTheFirstToken) {
  struct Case {
    std::u16string text;
    std::optional<std::u16string> code;
  };
  const Case cases[] = {
      {u"<file>ENU90SelfHeal.xml</file>", u"ENU"},
      {u"ENU90SelfHeal.xml", u"ENU"},                  // token right after three units
      {u"<file>DEUPro90SelfHeal.xml</file>", u"DEU"},  // edition marker skipped
      {u"DEUPro90SelfHeal.xml", u"DEU"},               // exactly six units before
      {u"<file>xNP90SelfHeal.xml", u"NP"},
      {u"<file>xNPPro90SelfHeal.xml", u"NP"},
      {u"NPP90SelfHeal.xml", u"NPP"},  // NP must stand at W+1, not at W
      {u"ProPro90SelfHeal.xml", u"Pro"},
      {u"<file>DEUpro90SelfHeal.xml", u"pro"},  // the marker is case-sensitive
      {u"<file>DEUPRO90SelfHeal.xml", u"PRO"},
      {u"a/ENU90SelfHeal.xml b/JPN90SelfHeal.xml", u"ENU"},  // only the first counts
      {u"ENU90selfheal.xml JPN90SelfHeal.xml", u"JPN"},      // the token is case-sensitive
      {u"ENU 90SelfHeal.xml", u"NU "},
      // Too little text before the token, or no token at all.
      {u"", std::nullopt},
      {u"ENU", std::nullopt},
      {u"ENU90SelfHeal.xm", std::nullopt},
      {u"90SelfHeal.xml", std::nullopt},
      {u"NU90SelfHeal.xml", std::nullopt},
      {u"Pro90SelfHeal.xml", std::nullopt},
      {u"xxPro90SelfHeal.xml", std::nullopt},
      {u"NPPro90SelfHeal.xml", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(encodeUtf8(c.text));
    EXPECT_EQ(describe(languageCodeFromSelfHealText(c.text)), describe(c.code));
  }
}

TEST(LanguageCodeFromSelfHealTextTest, CountsUtf16UnitsNotBytes) {
  struct Case {
    std::string utf8;
    std::optional<std::u16string> code;
  };
  const Case cases[] = {
      // Multi-byte characters before the code must not shift it.
      {"😀ENU90SelfHeal.xml", u"ENU"},
      {"é€DEUPro90SelfHeal.xml", u"DEU"},
      // Two units stand before "Pro" here although the bytes are four.
      {"😀Pro90SelfHeal.xml", std::nullopt},
      // One two-byte character is the one unit needed before "NP" and the marker.
      {"éNPPro90SelfHeal.xml", u"NP"},
      // A code made of non-ASCII units is taken as found and matches no group.
      {"ééé90SelfHeal.xml", u"ééé"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    const auto text = decodeUtf8(c.utf8);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(describe(languageCodeFromSelfHealText(*text)), describe(c.code));
  }
}

TEST(LanguageGroupAcceptsTest, EachGroupAcceptsOnlyItsOwnCodes) {
  const std::u16string efgj[] = {u"ENU", u"EFG", u"FRA", u"DEU", u"JPN"};
  const std::u16string cck[] = {u"KOR", u"CHS", u"CHT"};
  const std::u16string euro[] = {u"NP",  u"ISD", u"SDF", u"PTB", u"DAN", u"NLD",
                                 u"SUO", u"ITA", u"NOR", u"ESP", u"SVE"};
  struct Group {
    std::u16string word;
    const std::u16string* begin;
    const std::u16string* end;
  };
  const Group groups[] = {
      {u"efgj", std::begin(efgj), std::end(efgj)},
      {u"cck", std::begin(cck), std::end(cck)},
      {u"euro", std::begin(euro), std::end(euro)},
  };
  for (const Group& group : groups) {
    for (const Group& owner : groups) {
      for (const std::u16string* code = owner.begin; code != owner.end; ++code) {
        SCOPED_TRACE(encodeUtf8(group.word) + " / " + encodeUtf8(*code));
        EXPECT_EQ(languageGroupAccepts(group.word, *code), &group == &owner);
        EXPECT_TRUE(languageGroupAccepts(u"all", *code));
      }
    }
  }
}

TEST(LanguageGroupAcceptsTest, WordsAndCodesMatchExactly) {
  struct Case {
    std::u16string word;
    std::u16string code;
    bool accepted;
  };
  const Case cases[] = {
      {u"all", u"", true},      {u"all", u"XYZ", true},    {u"all\n", u"ENU", false},
      {u"ALL", u"ENU", false},  {u" efgj", u"ENU", false}, {u"efgj\n", u"ENU", false},
      {u"EFGJ", u"ENU", false}, {u"", u"ENU", false},      {u"", u"", false},
      {u"efgj", u"enu", false}, {u"efgj", u"ENU ", false}, {u"efgj", u"EN", false},
      {u"efgj", u"", false},    {u"euro", u"", false},     {u"euro", u"NPX", false},
      {u"euro", u"pro", false}, {u"cck", u"ENU", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(encodeUtf8(c.word)) + " / " + encodeUtf8(c.code));
    EXPECT_EQ(languageGroupAccepts(c.word, c.code), c.accepted);
  }
}

}  // namespace
}  // namespace updater
