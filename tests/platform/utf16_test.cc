#include "platform/utf16.h"

#include <gtest/gtest.h>

#include <string>

namespace updater {
namespace {

TEST(DecodeUtf8Test, DecodesWellFormedText) {
  struct Case {
    std::string bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"", u""},
      {"ENU90SelfHeal.xml", u"ENU90SelfHeal.xml"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"\xC2\x80", u"\u0080"},      // smallest two-byte form
      {"\xC3\xA9", u"\u00E9"},      // é
      {"\xE0\xA0\x80", u"\u0800"},  // smallest three-byte form
      {"\xED\x9F\xBF", u"\uD7FF"},  // last code point below the surrogates
      {"\xEE\x80\x80", u"\uE000"},  // first code point above them
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},                  // becomes a surrogate pair
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},                  // the highest code point
      {std::string("\xEF\xBB\xBF") + "all", u"\uFEFFall"},  // a byte order mark is kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    const auto decoded = decodeUtf8(c.bytes);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, c.expected);
  }
  EXPECT_EQ(decodeUtf8("\xF0\x9F\x98\x80")->size(), 2u);
}

TEST(DecodeUtf8Test, RefusesMalformedBytes) {
  const std::string cases[] = {
      "\x80",  // continuation without a lead
      "a\xBFz",
      "\xC0\xAF",  // overlong slash
      "\xC1\xBF",
      "\xE0\x80\xAF",              // overlong three-byte slash
      "\xE0\x9F\xBF",              // overlong: fits in two bytes
      "\xF0\x8F\xBF\xBF",          // overlong: fits in three bytes
      "\xED\xA0\x80",              // encoded high surrogate
      "\xED\xBF\xBF",              // encoded low surrogate
      "\xED\xA0\xBD\xED\xB8\x80",  // a surrogate pair encoded as two sequences
      "\xF4\x90\x80\x80",          // U+110000
      "\xF5\x80\x80\x80",
      "\xFF",
      "\xC3",  // truncated at the end
      "\xE2\x82",
      "\xF0\x9F\x98",
      "\xC3Z",  // lead followed by a non-continuation
      "\xE2\x28\xA1",
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    EXPECT_FALSE(decodeUtf8(bytes).has_value());
  }
}

TEST(EncodeUtf8Test, EncodesAndReplacesLoneSurrogates) {
  struct Case {
    std::u16string text;
    std::string expected;
  };
  const Case cases[] = {
      {u"", ""},
      {u"ENU", "ENU"},
      {u"\u00E9\u0800\uFFFF", "\xC3\xA9\xE0\xA0\x80\xEF\xBF\xBF"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string{0xD83D}, "\xEF\xBF\xBD"},                      // high at the end
      {std::u16string{0xD83D, u'x'}, "\xEF\xBF\xBDx"},               // high before a non-low
      {std::u16string{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // reversed pair
      {std::u16string{0xD83D, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.expected));
    EXPECT_EQ(encodeUtf8(c.text), c.expected);
  }
}

TEST(EncodeUtf8Test, RoundTripsDecodedText) {
  const std::string text = std::string("\xEF\xBB\xBF") + "café 😀 €";
  const auto decoded = decodeUtf8(text);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(encodeUtf8(*decoded), text);
}

}  // namespace
}  // namespace updater
