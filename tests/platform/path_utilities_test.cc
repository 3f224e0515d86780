#include "platform/path_utilities.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(PathUtilitiesTest, Standardize) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/b/../c/./d//", "/a/c/d"},
      {"~/x", "/home/me/x"},
      {"~", "/home/me"},
      {"/../a", "/a"},
      {"a/../../b", "../b"},
      {"", ""},
      {"/", "/"},
      {"~other/x", "~other/x"},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(standardizePath(path, "/home/me"), expected) << path;
  }
}

TEST(PathUtilitiesTest, ComponentsAndJoining) {
  EXPECT_EQ(lastPathComponent("/a/B.app/"), "B.app");
  EXPECT_EQ(lastPathComponent("B.app"), "B.app");
  EXPECT_EQ(lastPathComponent("/"), "/");
  EXPECT_EQ(appendingPathComponent("/a/", "/b"), "/a/b");
  EXPECT_EQ(appendingPathComponent("/a", "Contents/MacOS/SHInit.xml"),
            "/a/Contents/MacOS/SHInit.xml");
  EXPECT_EQ(appendingPathComponent("", "b"), "b");
}

}  // namespace
}  // namespace updater
