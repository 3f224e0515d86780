#include "app/payload_list.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

struct Case {
  const char* name;
  std::string text;
  std::vector<std::string> names;
  std::vector<bool> optional;
  bool multiple;
};

TEST(PayloadListTest, GrammarCases) {
  const Case cases[] = {
      {"one name, no line feed", "A.app", {"A.app"}, {false}, false},
      {"final line feed makes an empty entry",
       "A.app\tmultiple_payload\n",
       {"A.app", ""},
       {false, false},
       true},
      {"single line feed", "\n", {"", ""}, {false, false}, false},
      {"carriage returns stay",
       "A.app\r\nB.app\toptional\r\nC.app\toptional",
       {"A.app\r", "B.app", "C.app"},
       {false, false, true},
       false},
      {"multiple flag with carriage return does not count",
       "A.app\tmultiple_payload\r\nB.app",
       {"A.app", "B.app"},
       {false, false},
       false},
      {"first line never optional",
       "A.app\toptional\nB.app\toptional",
       {"A.app", "B.app"},
       {false, true},
       false},
      {"multiple flag only on line 1",
       "A.app\nB.app\tmultiple_payload",
       {"A.app", "B.app"},
       {false, false},
       false},
      {"third field ignored",
       "A.app\tmultiple_payload\tx\nB.app\toptional\tmore",
       {"A.app", "B.app"},
       {false, true},
       true},
      {"flags compare exactly",
       "A.app\tMultiple_payload\nB.app\t optional\nC.app\tOPTIONAL",
       {"A.app", "B.app", "C.app"},
       {false, false, false},
       false},
      {"line beginning with a tab has an empty name",
       "\toptional\n\tmultiple_payload",
       {"", ""},
       {false, false},
       false},
      {"empty lines in the middle are entries",
       "A.app\n\nB.app",
       {"A.app", "", "B.app"},
       {false, false, false},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PayloadList list = parsePayloadList(c.text);
    EXPECT_EQ(list.appList, c.names);
    EXPECT_EQ(list.isAppOptionalList, c.optional);
    EXPECT_EQ(list.isMultiplePayload, c.multiple);
  }
}

TEST(PayloadListTest, PrimaryApplicationNameIsFieldOneOfLineOne) {
  EXPECT_EQ(primaryApplicationName("A.app\tmultiple_payload\nB.app"), "A.app");
  EXPECT_EQ(primaryApplicationName("A.app\r\nB.app"), "A.app\r");
  EXPECT_EQ(primaryApplicationName(""), "");
}

}  // namespace
}  // namespace updater
