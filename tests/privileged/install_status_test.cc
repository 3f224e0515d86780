#include "privileged/install_status.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <string>

namespace updater {
namespace {

int32_t readWhole(const std::string& output) {
  InstallStatusReader reader;
  reader.feed(output);
  return reader.status();
}

struct StatusCase {
  const char* name;
  std::string output;
  int32_t expected;
};

class InstallStatusTableTest : public testing::TestWithParam<StatusCase> {};

TEST_P(InstallStatusTableTest, ReadsTheLastStatusLine) {
  EXPECT_EQ(readWhole(GetParam().output), GetParam().expected) << GetParam().name;
}

const std::string kLongLine = std::string(5000, 'x') + "\n";
// A reader that matched fixed 1023-byte pieces of a line would see this
// status line at the start of the line's second piece.
const std::string kPieceBoundary = std::string(1023, 'x') + "++++++++++ 0 ++++++++++\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallStatusTableTest,
    testing::Values(
        StatusCase{"empty output", "", -1},
        StatusCase{"no status line", "copying files\ndone\n", -1},
        StatusCase{"success", "++++++++++ 0 ++++++++++\n", 0},
        StatusCase{"last one counts", "++++++++++ 3 ++++++++++\nlog\n++++++++++ 0 ++++++++++\n", 0},
        StatusCase{"failure after success", "++++++++++ 0 ++++++++++\n++++++++++ 3 ++++++++++\n",
                   3},
        StatusCase{"ordinary lines keep the status", "++++++++++ 4 ++++++++++\nbye\n", 4},
        StatusCase{"leading blank", " ++++++++++ 0 ++++++++++\n", -1},
        StatusCase{"leading text", "x++++++++++ 0 ++++++++++\n", -1},
        StatusCase{"nine plus signs", "+++++++++ 0 +++++++++\n", -1},
        StatusCase{"nothing after the number", "++++++++++ 7", 7},
        StatusCase{"trailing text", "++++++++++ 7 done\n", 7},
        StatusCase{"no blank", "++++++++++12\n", 12},
        StatusCase{"tabs and carriage return", "++++++++++\t \r5\r\n", 5},
        StatusCase{"negative", "++++++++++ -2 ++++++++++\n", -2},
        StatusCase{"explicit plus", "++++++++++ +5 ++++++++++\n", 5},
        StatusCase{"eleventh plus is the sign", "+++++++++++5\n", 5},
        StatusCase{"twelve plus signs", "++++++++++++5\n", -1},
        StatusCase{"blank after the sign", "++++++++++ - 5\n", -1},
        StatusCase{"no digits", "++++++++++ ok ++++++++++\n", -1},
        StatusCase{"sign only", "++++++++++ -\n", -1},
        StatusCase{"number on the next line", "++++++++++\n5\n", -1},
        StatusCase{"leading zeros", "++++++++++ 007\n", 7},
        StatusCase{"int32 max", "++++++++++ 2147483647\n", 2147483647},
        StatusCase{"int32 min", "++++++++++ -2147483648\n", std::numeric_limits<int32_t>::min()},
        StatusCase{"just above max", "++++++++++ 2147483648\n",
                   std::numeric_limits<int32_t>::max()},
        StatusCase{"just below min", "++++++++++ -2147483649\n",
                   std::numeric_limits<int32_t>::min()},
        StatusCase{"2^32 does not wrap to 0", "++++++++++ 4294967296\n",
                   std::numeric_limits<int32_t>::max()},
        StatusCase{"huge", "++++++++++ " + std::string(400, '9') + "\n",
                   std::numeric_limits<int32_t>::max()},
        StatusCase{"huge negative", "++++++++++ -" + std::string(400, '9') + "\n",
                   std::numeric_limits<int32_t>::min()},
        StatusCase{"after a 5000-byte line", kLongLine + "++++++++++ 0 ++++++++++\n", 0},
        StatusCase{"inside a long line", kPieceBoundary, -1},
        StatusCase{"inside a long line keeps the earlier status",
                   "++++++++++ 3 ++++++++++\n" + kPieceBoundary, 3}),
    [](const testing::TestParamInfo<StatusCase>& case_info) {
      std::string name;
      for (const char* p = case_info.param.name; *p != '\0'; ++p) {
        name += (std::isalnum(static_cast<unsigned char>(*p)) != 0) ? *p : '_';
      }
      return name;
    });

TEST(InstallStatusReaderTest, EverySplitPositionGivesTheSameStatus) {
  const std::string output =
      "start\n++++++++++ 3 ++++++++++\n x++++++++++ 9\n++++++++++\t-12 ++++++++++\nend";
  ASSERT_EQ(readWhole(output), -12);
  for (size_t first = 0; first <= output.size(); ++first) {
    for (size_t second = first; second <= output.size(); ++second) {
      InstallStatusReader reader;
      reader.feed(output.substr(0, first));
      reader.feed(output.substr(first, second - first));
      reader.feed(output.substr(second));
      EXPECT_EQ(reader.status(), -12) << "split at " << first << " and " << second;
    }
  }
}

TEST(InstallStatusReaderTest, ByteByByteFeedingMatchesWholeFeeding) {
  const std::string output = kPieceBoundary + "++++++++++ 2147483650 ++++++++++\n" + kLongLine;
  InstallStatusReader reader;
  for (char c : output) reader.feed(std::string_view(&c, 1));
  EXPECT_EQ(reader.status(), readWhole(output));
  EXPECT_EQ(reader.status(), std::numeric_limits<int32_t>::max());
}

TEST(InstallStatusReaderTest, FinalLineWithoutLineFeedCountsAsFarAsRead) {
  InstallStatusReader reader;
  reader.feed("++++++++++ 0 ++++++++++\n++++++++++ 1");
  EXPECT_EQ(reader.status(), 1);
  reader.feed("2");
  EXPECT_EQ(reader.status(), 12);
  reader.feed(" ++++++++++\n");
  EXPECT_EQ(reader.status(), 12);
}

TEST(InstallStatusReaderTest, EmbeddedNulBytesAreOrdinaryText) {
  using namespace std::string_literals;
  EXPECT_EQ(readWhole("\0++++++++++ 0\n"s), -1);
  EXPECT_EQ(readWhole("++++++++++ 4\0 5\n"s), 4);
}

}  // namespace
}  // namespace updater
