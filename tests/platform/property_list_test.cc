#include "platform/property_list.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/platform/binary_plist_writer.h"
#include "tests/support/temp_dir.h"

namespace updater {
namespace {

std::string xml(const std::string& body) { return testing::plistDocument(body); }

std::string repeat(const std::string& text, size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

std::string printed(const std::optional<PlistValue>& value) {
  if (!value) return "none";
  std::ostringstream out;
  out << *value;
  return out.str();
}

// Every kind, with the awkward corners of each.
PlistValue expectedKinds() {
  return PlistValue::dictionary({
      {"string", PlistValue::string("a&b <c> h\xC3\xA9 \xF0\x9F\x98\x80")},
      {"small", PlistValue::integer(7)},
      {"negative", PlistValue::integer(-5)},
      {"lowest", PlistValue::integer(std::numeric_limits<int64_t>::min())},
      {"unsigned", PlistValue::integer(std::numeric_limits<int64_t>::max())},  // clamped
      {"real", PlistValue::real(-2.5)},
      {"yes", PlistValue::boolean(true)},
      {"no", PlistValue::boolean(false)},
      {"date", PlistValue::date(86400)},
      {"far", PlistValue::date(63113904000)},  // 4001-01-01, beyond 32-bit seconds
      {"data", PlistValue::data({0x00, 0x01, 0xFF})},
      {"list", PlistValue::array(
                   {PlistValue::integer(1), PlistValue::array({}), PlistValue::dictionary({})})},
  });
}

TEST(PropertyListTest, ReadsEveryKindFromXml) {
  const std::string text =
      xml("<dict>\n"
          "  <!-- a comment between entries -->\n"
          "  <key>string</key><string>a&amp;b &lt;c&gt; h\xC3\xA9 "
          "<![CDATA[\xF0\x9F\x98\x80]]></string>\n"
          "  <key>small</key><integer>7</integer>\n"
          "  <key>negative</key><integer>-5</integer>\n"
          "  <key>lowest</key><integer>-9223372036854775808</integer>\n"
          "  <key>unsigned</key><integer>18446744073709551615</integer>\n"
          "  <key>real</key><real>-2.5</real>\n"
          "  <key>yes</key><true/>\n"
          "  <key>no</key><false/>\n"
          "  <key>date</key><date>2001-01-02T00:00:00Z</date>\n"
          "  <key>far</key><date>4001-01-01T00:00:00Z</date>\n"
          "  <key>data</key><data>AAH/</data>\n"
          "  <key>list</key><array><integer>1</integer><array/><dict></dict></array>\n"
          "</dict>");
  const std::optional<PlistValue> value = parsePropertyList(text);
  ASSERT_TRUE(value.has_value());
  EXPECT_TRUE(value->isEqual(expectedKinds())) << printed(value);
  // Equality alone would let a real pass for an integer.
  EXPECT_EQ(value->find("small")->kind(), PlistValue::Kind::kInteger);
  EXPECT_EQ(value->find("real")->kind(), PlistValue::Kind::kReal);
  EXPECT_EQ(value->find("yes")->kind(), PlistValue::Kind::kBoolean);

  // A byte order mark in front changes nothing.
  const std::optional<PlistValue> marked = parsePropertyList("\xEF\xBB\xBF" + text);
  ASSERT_TRUE(marked.has_value());
  EXPECT_TRUE(marked->isEqual(*value));
}

TEST(PropertyListTest, ReadsEveryKindFromBinary) {
  BinaryPlist plist(1);
  std::vector<std::pair<size_t, size_t>> entries;
  auto entry = [&](const char* key, size_t value) { entries.push_back({plist.ascii(key), value}); };
  entry("string", plist.utf16(u"a&b <c> h\u00E9 \U0001F600"));
  entry("small", plist.add("\x10\x07"));
  entry("negative", plist.integer(-5));
  entry("lowest", plist.integer(std::numeric_limits<int64_t>::min()));
  entry("unsigned", plist.unsigned128(~uint64_t{0}));
  entry("real", plist.real(-2.5));
  entry("yes", plist.boolean(true));
  entry("no", plist.boolean(false));
  entry("date", plist.date(86400));
  entry("far", plist.date(63113904000));
  entry("data", plist.data(std::string("\x00\x01\xFF", 3)));
  const size_t empty_array = plist.add(plist.array({}));
  const size_t empty_dictionary = plist.add(plist.dictionary({}));
  entry("list", plist.add(plist.array({plist.add("\x10\x01"), empty_array, empty_dictionary})));
  const size_t top = plist.add(plist.dictionary(entries));

  const std::optional<PlistValue> value = parsePropertyList(plist.build(top));
  ASSERT_TRUE(value.has_value());
  EXPECT_TRUE(value->isEqual(expectedKinds())) << printed(value);
  EXPECT_EQ(value->find("small")->kind(), PlistValue::Kind::kInteger);
}

TEST(PropertyListTest, KeepsWhatThe32BitDateGetterWouldLose) {
  BinaryPlist plist;
  const size_t top = plist.add(plist.array({plist.date(12.25), plist.date(-5e9)}));
  const std::optional<PlistValue> value = parsePropertyList(plist.build(top));
  ASSERT_TRUE(value.has_value());
  EXPECT_TRUE(value->isEqual(PlistValue::array({PlistValue::date(12.25), PlistValue::date(-5e9)})))
      << printed(value);
}

TEST(PropertyListTest, StringValuesMayHoldNul) {
  BinaryPlist plist;
  const size_t top = plist.utf16(std::u16string(u"a\0b", 3));
  const std::optional<PlistValue> value = parsePropertyList(plist.build(top));
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(*value->asString(), std::string("a\0b", 3));
}

// libplist turns unreadable numbers into 0 and reads a leading 0 as octal;
// the reader refuses such text rather than hand on a wrong number.
TEST(PropertyListTest, NumbersAndDatesMustBeReadable) {
  const std::pair<std::string, std::optional<PlistValue>> cases[] = {
      {"<integer> 12\n</integer>", PlistValue::integer(12)},
      {"<integer>+3</integer>", PlistValue::integer(3)},
      {"<integer>0</integer>", PlistValue::integer(0)},
      {"<integer>-0x1F</integer>", PlistValue::integer(-31)},
      {"<real>1e3</real>", PlistValue::real(1000)},
      {"<real>.5</real>", PlistValue::real(0.5)},
      {"<date>2001-01-01T00:01:00Z</date>", PlistValue::date(60)},
      {"<integer>010</integer>", std::nullopt},
      {"<integer>12abc</integer>", std::nullopt},
      {"<integer>1 2</integer>", std::nullopt},
      {"<integer></integer>", std::nullopt},
      {"<integer/>", std::nullopt},
      {"<integer>1<!-- split -->2</integer>", std::nullopt},
      {"<real>1.5x</real>", std::nullopt},
      {"<real/>", std::nullopt},
      {"<date>yesterday</date>", std::nullopt},
      {"<date>2001-01-01</date>", std::nullopt},
  };
  for (const auto& [body, expected] : cases) {
    SCOPED_TRACE(body);
    const std::optional<PlistValue> value = parsePropertyList(xml("<array>" + body + "</array>"));
    ASSERT_EQ(value.has_value(), expected.has_value()) << printed(value);
    if (!expected) continue;
    ASSERT_EQ(value->asArray()->size(), 1u);
    const PlistValue& item = value->asArray()->front();
    EXPECT_EQ(item.kind(), expected->kind());
    EXPECT_TRUE(item.isEqual(*expected)) << printed(item);
  }
}

TEST(PropertyListTest, DictionaryFormNeedsADictionaryAtTheRoot) {
  const std::string list = xml("<array><string>x</string></array>");
  ASSERT_TRUE(parsePropertyList(list).has_value());
  EXPECT_EQ(parsePropertyListDictionary(list), std::nullopt);
  EXPECT_EQ(parsePropertyListDictionary(xml("<string>x</string>")), std::nullopt);

  const std::optional<PlistDictionary> dictionary =
      parsePropertyListDictionary(xml("<dict><key>k</key><string>v</string></dict>"));
  ASSERT_TRUE(dictionary.has_value());
  ASSERT_EQ(dictionary->size(), 1u);
  EXPECT_EQ(*dictionary->at("k").asString(), "v");
}

std::vector<std::pair<std::string, std::string>> malformedInputs() {
  std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"text", "hello world"},
      {"json", "{\"a\": 1}"},
      {"old text format", "{ a = 1; }"},
      {"no root value", xml("")},
      {"unclosed", xml("<dict><key>a</key><string>b</string>")},
      {"mismatched end tag", xml("<dict></array>")},
      {"unknown tag", xml("<dict><key>a</key><blob/></dict>")},
      {"tag inside a string", xml("<string>a<b/></string>")},
      {"NUL byte", xml(std::string("<string>a\0b</string>", 20))},
      {"internal DTD subset", "<!DOCTYPE plist [<!ENTITY e \"x\">]><plist><true/></plist>"},
      {"unterminated comment", "<plist><!-- <true/></plist>"},
      {"binary header only", "bplist00"},
      {"other binary version", "bplist01" + std::string(40, '\0')},
  };

  BinaryPlist good;
  const std::string valid = good.build(good.add(good.array({good.ascii("x")})));
  cases.push_back({"truncated binary", valid.substr(0, valid.size() - 1)});
  cases.push_back({"binary without its trailer", valid.substr(0, valid.size() - 32)});

  BinaryPlist bad_ref;
  cases.push_back({"reference out of range", bad_ref.build(bad_ref.add(bad_ref.array({7})))});

  BinaryPlist int_key;
  const size_t key = int_key.integer(1);
  cases.push_back({"integer key",
                   int_key.build(int_key.add(int_key.dictionary({{key, int_key.boolean(true)}})))});

  // libplist would abort on this key: its getter asserts the key has no NUL.
  BinaryPlist nul_key;
  const size_t nul = nul_key.utf16(std::u16string(u"k\0", 2));
  cases.push_back({"key with NUL",
                   nul_key.build(nul_key.add(nul_key.dictionary({{nul, nul_key.boolean(true)}})))});

  // The same key read first as a value.
  BinaryPlist nul_later;
  const size_t late = nul_later.utf16(std::u16string(u"k\0", 2));
  const size_t inner = nul_later.add(nul_later.dictionary({{late, nul_later.boolean(true)}}));
  cases.push_back({"key with NUL seen first as a value",
                   nul_later.build(nul_later.add(nul_later.array({late, inner})))});

  BinaryPlist uid;
  cases.push_back({"keyed-archiver identifier", uid.build(uid.add("\x80\x01"))});

  BinaryPlist bad_marker;
  cases.push_back({"reserved object type", bad_marker.build(bad_marker.add("\x70"))});
  return cases;
}

TEST(PropertyListTest, RefusesMalformedInput) {
  for (const auto& [name, bytes] : malformedInputs()) {
    SCOPED_TRACE(name);
    EXPECT_EQ(parsePropertyList(bytes), std::nullopt) << printed(parsePropertyList(bytes));
    EXPECT_EQ(parsePropertyListDictionary(bytes), std::nullopt);
  }
}

std::string nestedXml(size_t levels) {
  return xml(repeat("<array>", levels) + repeat("</array>", levels));
}

// A chain of arrays, each holding the next; the innermost is empty.
std::string nestedBinary(size_t levels) {
  BinaryPlist plist;
  size_t inner = plist.add(plist.array({}));
  for (size_t i = 1; i < levels; ++i) inner = plist.add(plist.array({inner}));
  return plist.build(inner);
}

TEST(PropertyListTest, DepthLimitIsExact) {
  const size_t limit = kMaxPropertyListDepth;
  EXPECT_TRUE(parsePropertyList(nestedXml(limit)).has_value());
  EXPECT_EQ(parsePropertyList(nestedXml(limit + 1)), std::nullopt);
  EXPECT_TRUE(parsePropertyList(nestedBinary(limit)).has_value());
  EXPECT_EQ(parsePropertyList(nestedBinary(limit + 1)), std::nullopt);
}

// Runs the reader on a thread with a 1 MiB stack, the size on which libplist
// 2.2 overflows at about 40,000 XML levels; the main thread's larger stack
// would hide a missing depth check.
bool readsOnSmallStack(const std::string& bytes) {
  struct Job {
    const std::string* bytes;
    bool read = false;
  } job{&bytes};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 1 << 20);
  pthread_t thread;
  const int started = pthread_create(
      &thread, &attributes,
      [](void* argument) -> void* {
        auto* running = static_cast<Job*>(argument);
        running->read = parsePropertyList(*running->bytes).has_value();
        return nullptr;
      },
      &job);
  pthread_attr_destroy(&attributes);
  EXPECT_EQ(started, 0);
  if (started == 0) pthread_join(thread, nullptr);
  return job.read;
}

// Inputs that crash or stall libplist 2.2 when it sees them unguarded.
TEST(PropertyListTest, RefusesHostileInputQuickly) {
  BinaryPlist cycle;
  const size_t first = cycle.reserve(), second = cycle.reserve();
  cycle.set(first, cycle.array({second}));
  cycle.set(second, cycle.array({first}));

  BinaryPlist self;
  const size_t loop = self.reserve();
  self.set(loop, self.dictionary({{self.ascii("k"), loop}}));

  // Sixty objects that each reference the next twice spell a tree of 2^60
  // values; libplist copies every reference.
  BinaryPlist doubling;
  size_t node = doubling.boolean(true);
  for (int i = 0; i < 60; ++i) node = doubling.add(doubling.array({node, node}));

  // A naive tag count would let the end tags inside the comment cancel the
  // nesting that follows.
  const std::string hidden = xml("<array><!--" + repeat("</array>", 1000) + "-->" +
                                 repeat("<array>", 1000) + repeat("</array>", 1001));

  // Libplist searches a dictionary's keys once per insertion.
  std::string keys;
  for (int i = 0; i < 20000; ++i) keys += "<key>" + std::to_string(i) + "</key><true/>";

  const std::pair<std::string, std::string> cases[] = {
      {"XML nested 40,000 deep", nestedXml(40000)},
      {"binary nested 100,000 deep", nestedBinary(100000)},
      {"two-object cycle", cycle.build(first)},
      {"self reference", self.build(loop)},
      {"exponential sharing", doubling.build(node)},
      {"depth hidden behind a comment", hidden},
      {"XML dictionary of 20,000 keys", xml("<dict>" + keys + "</dict>")},
      {"oversize", xml("<string>" + std::string(kMaxPropertyListBytes, 'a') + "</string>")},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(readsOnSmallStack(bytes));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }

  // The same keys are fine in binary, which libplist reads without searching,
  // and a dictionary of a few thousand keys is fine in XML too.
  BinaryPlist wide;
  std::vector<std::pair<size_t, size_t>> entries;
  const size_t yes = wide.boolean(true);
  for (int i = 0; i < 20000; ++i) entries.push_back({wide.ascii(std::to_string(i)), yes});
  const std::optional<PlistDictionary> binary =
      parsePropertyListDictionary(wide.build(wide.add(wide.dictionary(entries))));
  ASSERT_TRUE(binary.has_value());
  EXPECT_EQ(binary->size(), 20000u);
  keys.resize(keys.find("<key>5000<"));
  const std::optional<PlistDictionary> text =
      parsePropertyListDictionary(xml("<dict>" + keys + "</dict>"));
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->size(), 5000u);
}

}  // namespace
}  // namespace updater
