#include "platform/string_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace updater {
namespace {

struct TableCase {
  const char* name;
  std::string bytes;
  StringTable expected;
};

void expectTables(const std::vector<TableCase>& cases) {
  for (const TableCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<StringTable> table = parseStringTable(c.bytes);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(*table, c.expected);
  }
}

// The value of the one entry "k" = "<escaped>";
std::string valueOf(const std::string& escaped) {
  const std::optional<StringTable> table = parseStringTable("\"k\" = \"" + escaped + "\";");
  if (!table || table->size() != 1 || !table->contains("k")) return "<no table>";
  return table->at("k");
}

// UTF-16 bytes with a byte order mark.
std::string utf16(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

TEST(StringTableTest, ClassicSyntax) {
  expectTables({
      {"one pair", "\"Cancel\" = \"Abbrechen\";", {{"Cancel", "Abbrechen"}}},
      {"pairs and blanks everywhere",
       " \n\t\"OK\"\r\n=\n\"Okay\"\t;\n\n\"Continue\"=\"Weiter\";\n",
       {{"OK", "Okay"}, {"Continue", "Weiter"}}},
      {"unquoted words",
       "104 = Cancelled_by-user/now:1.0$;",
       {{"104", "Cancelled_by-user/now:1.0$"}}},
      {"key alone maps to itself",
       "\"Choose...\";\nOK ;",
       {{"Choose...", "Choose..."}, {"OK", "OK"}}},
      {"single quotes", "'a' = 'say \"hi\"';", {{"a", "say \"hi\""}}},
      {"syntax characters inside quotes",
       "\"a = b;\" = \"/* not */ // a comment\";",
       {{"a = b;", "/* not */ // a comment"}}},
      {"line feed inside quotes", "\"k\" = \"two\nlines\";", {{"k", "two\nlines"}}},
      {"empty key and value", "\"\" = \"\";", {{"", ""}}},
      {"UTF-8 passes through",
       "\"Up to date message\" = \"%@ est à jour ✓\";",
       {{"Up to date message", "%@ est à jour ✓"}}},
      {"later duplicate wins", "\"k\" = \"first\"; \"k\" = \"second\";", {{"k", "second"}}},
      {"empty file", "", {}},
      {"only blanks and comments", "  /* nothing */\n// here\n", {}},
      {"old-style braces", "{ \"a\" = \"b\"; c; }\n", {{"a", "b"}, {"c", "c"}}},
  });
}

TEST(StringTableTest, Comments) {
  expectTables({
      {"block and line",
       "/* header */\n\"a\" = \"b\"; // trailing\n\"c\" = \"d\";",
       {{"a", "b"}, {"c", "d"}}},
      {"between every token", "\"a\"/*1*/=/*2*/\"b\"//3\n;", {{"a", "b"}}},
      {"stars and quotes inside", "/** \"x\" = \"y\"; **/ \"a\" = \"b\";", {{"a", "b"}}},
      {"line comment at end without line feed", "\"a\" = \"b\"; // end", {{"a", "b"}}},
      {"line comment ends at carriage return", "// c\r\"a\" = \"b\";", {{"a", "b"}}},
  });
}

TEST(StringTableTest, Escapes) {
  const struct {
    const char* escaped;
    std::string expected;
  } cases[] = {
      {R"(\"\\\')", "\"\\'"},
      {R"(\n\t\r\a\b\f\v)", "\n\t\r\a\b\f\v"},
      {R"(\q\/)", "q/"},  // other characters stand for themselves
      {R"(\101\12)", "A\n"},
      {R"(\1010)", "A0"},  // at most three octal digits
      {R"(a\0b)", std::string("a\0b", 3)},
      {R"(\U00e9\u00E9)", "éé"},
      {R"(\U20AC)", "€"},
      {R"(\U41)", "A"},      // fewer than four hex digits
      {R"(\U00415)", "A5"},  // at most four
      {R"(\UD83D\UDE00)", "😀"},
      {R"(\uD83D\uDE00)", "😀"},
      {R"(\UD83D)", "\uFFFD"},
      {R"(\UD83D\U0041)", "\uFFFDA"},
      {R"(\UDE00\UD83D)", "\uFFFD\uFFFD"},
      {R"(\UD83Dx\UDE00)", "\uFFFDx\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.escaped);
    EXPECT_EQ(valueOf(c.escaped), c.expected);
  }
}

TEST(StringTableTest, Encodings) {
  const StringTable cafe = {{"Title", "Café"}};
  expectTables({
      {"UTF-8 with BOM", "\xEF\xBB\xBF\"Title\" = \"Café\";", cafe},
      {"UTF-16 LE", utf16(u"\"Title\" = \"Caf\u00e9\";", false), cafe},
      {"UTF-16 BE", utf16(u"\"Title\" = \"Caf\u00e9\";", true), cafe},
      {"UTF-16 surrogate pair", utf16(u"\"k\" = \"\U0001F600\";", false), {{"k", "😀"}}},
      {"UTF-16 lone high surrogate",
       utf16(u"\"k\" = \"a\xD83D"
             u"b\";",
             true),
       {{"k", "a\uFFFDb"}}},
      {"UTF-16 lone low surrogate", utf16(u"\"k\" = \"\xDE00\";", false), {{"k", "\uFFFD"}}},
      {"UTF-16 high surrogate at the end", utf16(u"k;//\xD83D", false), {{"k", "k"}}},
  });
}

TEST(StringTableTest, DamagedFilesGiveNoTable) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"missing semicolon", "\"a\" = \"b\"\n\"c\" = \"d\";"},
      {"missing last semicolon", "\"a\" = \"b\"; \"c\" = \"d\""},
      {"missing value", "\"a\" = ;"},
      {"missing key", "= \"b\";"},
      {"stray semicolon", "\"a\" = \"b\";;"},
      {"unterminated string", "\"a\" = \"b;"},
      {"backslash at the end", "\"a\" = \"b\\"},
      {"unicode escape without digits", "\"a\" = \"\\Uxyz\";"},
      {"unterminated comment", "\"a\" = \"b\"; /* open"},
      {"junk after key", "\"a\" : \"b\";"},
      {"non-ASCII outside quotes", "clé = \"v\";"},
      {"nested dictionary value", "a = { b = c; };"},
      {"array value", "a = (b, c);"},
      {"data value", "a = <0fbd>;"},
      {"unclosed braces", "{ a = b;"},
      {"text after braces", "{ a = b; } c;"},
      {"closing brace alone", "a = b; }"},
      {"invalid UTF-8", "\"a\" = \"\xC3(\";"},
      {"overlong UTF-8", "\"a\" = \"\xC0\xAF\";"},
      {"UTF-8 surrogate", "\"a\" = \"\xED\xA0\x80\";"},
      {"truncated UTF-8", "\"a\" = \"b\";\xE2\x82"},
      {"odd UTF-16 length", utf16(u"a;", false) + "x"},
      {"good entries then damage", "\"a\" = \"b\";\n\"c\" = \"d\";\n\"e\" ="},
      {"deep nesting", std::string(100000, '{')},
      {"too large", "\"k\" = \"" + std::string(kMaxStringTableBytes, 'x') + "\";"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(parseStringTable(c.bytes), std::nullopt);
  }
}

// Damaged variants of a real table, made by a fixed pseudo-random sequence:
// each must give an answer without reading out of bounds (run under ASan).
TEST(StringTableTest, MutatedFilesNeverCrash) {
  const std::string original =
      "\xEF\xBB\xBF/* c */ \"a\" = \"x\\U00e9\\UD83D\\UDE00\\101\\n\"; b = c; 'd';\n{ }";
  uint32_t state = 12345;
  auto next = [&state] { return state = state * 1103515245u + 12345u; };
  for (int round = 0; round < 5000; ++round) {
    std::string bytes = original;
    for (int edits = 1 + next() % 4; edits > 0; --edits) {
      const size_t at = next() % bytes.size();
      switch (next() % 3) {
        case 0:
          bytes[at] = static_cast<char>(next() >> 8);
          break;
        case 1:
          bytes.erase(at, 1);
          break;
        default:
          bytes.insert(at, 1, "\"\\/*;={}U"[next() % 9]);
          break;
      }
      if (bytes.empty()) bytes = "x";
    }
    (void)parseStringTable(bytes);
    (void)parseStringTable(original.substr(0, next() % original.size()));
  }
}

// These go through the property-list reader.
TEST(StringTableTest, PropertyListsKeepOnlyStrings) {
  const std::string xml =
      "\n  <?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\"><dict>\n"
      "  <key>Title</key><string>Café</string>\n"
      "  <key>Count</key><integer>3</integer>\n"
      "</dict></plist>\n";
  const std::vector<uint8_t> binary = {
      0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd2, 0x01, 0x02, 0x03, 0x04, 0x55, 0x43,
      0x6f, 0x75, 0x6e, 0x74, 0x55, 0x54, 0x69, 0x74, 0x6c, 0x65, 0x10, 0x03, 0x64, 0x00, 0x43,
      0x00, 0x61, 0x00, 0x66, 0x00, 0xe9, 0x08, 0x0d, 0x13, 0x19, 0x1b, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24};
  const StringTable cafe = {{"Title", "Café"}};
  expectTables({
      {"XML", xml, cafe},
      {"XML with BOM", "\xEF\xBB\xBF" + xml, cafe},
      {"binary", std::string(binary.begin(), binary.end()), cafe},
  });
  EXPECT_EQ(parseStringTable("<?xml version=\"1.0\"?><plist><array><string>a</string></array>"
                             "</plist>"),
            std::nullopt);
  EXPECT_EQ(parseStringTable("<plist><dict><key>a</key>"), std::nullopt);
  EXPECT_EQ(parseStringTable("bplist00garbage"), std::nullopt);
}

TEST(FormatWithObjectTest, SubstitutesOnlyTheObjectPlaceholder) {
  const std::optional<std::string> app = "Zelto Draw";
  const struct {
    const char* format;
    std::optional<std::string> argument;
    std::string expected;
  } cases[] = {
      {"", app, ""},
      {"No placeholder", app, "No placeholder"},
      {"%@ is up to date.", app, "Zelto Draw is up to date."},
      {"Update %1$@ now", app, "Update Zelto Draw now"},
      {"%@ and %1$@ and %@", app, "Zelto Draw and Zelto Draw and Zelto Draw"},
      {"%@ est à jour", app, "Zelto Draw est à jour"},
      {"100%% of %@", app, "100% of Zelto Draw"},
      {"%%@ %%%@ %%%%", app, "%@ %Zelto Draw %%"},
      // An absent name leaves the rest of the text intact.
      {"%@ is up to date.", std::nullopt, " is up to date."},
      {"[%1$@]", std::nullopt, "[]"},
      // The argument is inserted as it is, never read as a format.
      {"Quit %@", "%n%s%@%%", "Quit %n%s%@%%"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(formatWithObject(c.format, c.argument), c.expected);
  }
}

TEST(FormatWithObjectTest, OtherConversionsStayAsWritten) {
  const std::optional<std::string> app = "App";
  const struct {
    const char* format;
    std::string expected;
  } cases[] = {
      {"%s%s%s%n%@", "%s%s%s%nApp"},
      {"%d %x %p %lld %08.3f %*s", "%d %x %p %lld %08.3f %*s"},
      {"%2$@ %5$@ %1$s %1$", "%2$@ %5$@ %1$s %1$"},
      {"%10@ %-@ %l@", "%10@ %-@ %l@"},
      {"trailing %", "trailing %"},
      {"%", "%"},
      {"%1$%@", "%1$App"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(formatWithObject(c.format, app), c.expected);
  }
}

}  // namespace
}  // namespace updater
