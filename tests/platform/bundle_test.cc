#include "platform/bundle.h"

#include <gtest/gtest.h>

#include "platform/file_system_posix.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace updater {
namespace {

using testing::plistXml;
using testing::writeFile;

TEST(BundleTest, LocalizationsFollowTheLocaleVariables) {
  struct Case {
    std::map<std::string, std::string> variables;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{}, {"en", "English", "Base"}},
      {{{"LANG", "fr_FR.UTF-8"}}, {"fr_FR", "fr", "French", "en", "English", "Base"}},
      {{{"LANG", "fr_FR.UTF-8"}, {"LC_ALL", "de_DE@euro"}},
       {"de_DE", "de", "German", "en", "English", "Base"}},
      {{{"LANGUAGE", "ja:it"}, {"LANG", "C"}},
       {"ja", "Japanese", "it", "Italian", "en", "English", "Base"}},
      {{{"LANG", "../../etc"}}, {"en", "English", "Base"}},
  };
  for (const Case& c : cases) {
    testing::FakeEnvironment environment;
    environment.variables = c.variables;
    EXPECT_EQ(preferredLocalizations(environment), c.expected);
  }
}

TEST(BundleTest, ResourcesAreFoundDirectlyThenInLocalizedFolders) {
  testing::TempDir dir;
  PosixFileSystem fs;
  const std::string root = dir / "U.app";
  writeFile(root + "/Contents/Resources/app_list.txt", "x");
  writeFile(root + "/Contents/Resources/French.lproj/Localizable.strings", "\"k\" = \"fr\";");
  writeFile(root + "/Contents/Resources/en.lproj/Localizable.strings",
            "\"k\" = \"en\"; \"only-en\" = \"E\";");
  writeFile(root + "/Contents/Resources/en.lproj/resultsMessages.strings", "\"102\" = \"Failed\";");
  writeFile(root + "/Contents/Resources/Base.lproj/roz.plist", plistXml(""));

  auto french = Bundle::open(fs, root + "/", {"fr", "French", "en", "English", "Base"});
  ASSERT_NE(french, nullptr);
  EXPECT_EQ(french->bundlePath(), root);
  EXPECT_EQ(french->resourcePath(), root + "/Contents/Resources");
  EXPECT_EQ(french->pathForResource("app_list", "txt"), root + "/Contents/Resources/app_list.txt");
  EXPECT_EQ(french->pathForResource("roz", "plist"),
            root + "/Contents/Resources/Base.lproj/roz.plist");
  EXPECT_EQ(french->pathForResource("missing", "txt"), std::nullopt);
  EXPECT_EQ(french->pathForResource("../Info", "plist"), std::nullopt);
  EXPECT_EQ(french->localizedString("k"), "fr");
  EXPECT_EQ(french->localizedString("only-en"), "only-en") << "tables do not merge";
  EXPECT_EQ(french->localizedString("102", "", "resultsMessages"), "Failed");
  EXPECT_EQ(french->localizedString("104", "", "resultsMessages"), "104");
  EXPECT_EQ(french->localizedString("x", "", "NoSuchTable"), "x");
}

TEST(BundleTest, InfoPlistGivesIdentifierAndExecutable) {
  testing::TempDir dir;
  PosixFileSystem fs;
  EXPECT_EQ(Bundle::open(fs, dir / "none.app", {}), nullptr) << "no Contents folder";

  testing::makeDirectories(dir / "bare.app/Contents");
  auto bare = Bundle::open(fs, dir / "bare.app", {});
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->bundleIdentifier(), std::nullopt);
  EXPECT_EQ(bare->executablePath(), std::nullopt);

  writeFile(dir / "A.app/Contents/Info.plist",
            plistXml("<key>CFBundleIdentifier</key><string>com.zelto.a</string>"
                     "<key>CFBundleExecutable</key><string>A</string>"));
  auto app = Bundle::open(fs, dir / "A.app", {});
  EXPECT_EQ(app->bundleIdentifier(), "com.zelto.a");
  EXPECT_EQ(app->executablePath(), dir / "A.app/Contents/MacOS/A");

  writeFile(dir / "B.app/Contents/Info.plist",
            plistXml("<key>CFBundleIdentifier</key><integer>1</integer>"));
  EXPECT_EQ(Bundle::open(fs, dir / "B.app", {})->bundleIdentifier(), std::nullopt);
}

}  // namespace
}  // namespace updater
