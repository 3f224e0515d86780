#include "platform/user_defaults.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(UserDefaultsTest, ReadsNameValuePairs) {
  auto defaults = UserDefaults::fromArguments(
      {"-path", "", "-user", "admin", "stray", "-path", "/Apps/B.app", "-password"});
  EXPECT_EQ(defaults.stringForKey("path"), "/Apps/B.app");
  EXPECT_EQ(defaults.stringForKey("user"), "admin");
  EXPECT_EQ(defaults.stringForKey("password"), std::nullopt) << "a name without a value";
  EXPECT_FALSE(defaults.helpRequested());

  auto empty = UserDefaults::fromArguments({"-path", ""});
  EXPECT_EQ(empty.stringForKey("path"), "") << "an empty value counts as present";
  EXPECT_EQ(UserDefaults::fromArguments({"-path", "-user"}).stringForKey("path"), "-user");
}

TEST(UserDefaultsTest, HelpInEitherSpelling) {
  EXPECT_TRUE(UserDefaults::fromArguments({"-help"}).helpRequested());
  EXPECT_TRUE(UserDefaults::fromArguments({"-path", "/a", "--help"}).helpRequested());
  EXPECT_FALSE(UserDefaults::fromArguments({"-path", "-help"}).helpRequested());
}

}  // namespace
}  // namespace updater
