#include "locate/locate_installed_application.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "manager/kvr_installer_results_wrapper.h"
#include "platform/bundle.h"
#include "platform/file_system_posix.h"
#include "platform/log.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace updater {
namespace {

using testing::plistXml;
using testing::writeFile;

class LocatorTest : public ::testing::Test {
 protected:
  LocatorTest() {
    environment_.home = dir_ / "home";
    writeFile(dir_ / "U.app/Contents/Resources/app_list.txt",
              "Lumbix.app\tmultiple_payload\nB.app");
    writeFile(dir_ / "U.app/Contents/Resources/en.lproj/Localizable.strings",
              "\"Choose application to update\" = \"Where is %@?\";\n\"OK\" = \"Use %@\";\n");
    bundle_ = Bundle::open(fs_, dir_ / "U.app", {"en"});
    locate_ = std::make_shared<PlistDictionary>();
    validate_ = std::make_shared<PlistDictionary>();
  }

  std::string app(const std::string& folder, const std::string& identifier = "com.zelto.lumbix") {
    const std::string path = dir_ / (folder + "/Lumbix.app");
    writeFile(path + "/Contents/Info.plist",
              plistXml("<key>CFBundleIdentifier</key><string>" + identifier +
                       "</string><key>CFBundleExecutable</key><string>Lumbix</string>"));
    writeFile(path + "/Contents/MacOS/Lumbix", "#!/bin/sh\n", 0755);
    return path;
  }
  void set(const std::string& key, PlistValue value) { (*locate_)[key] = std::move(value); }

  LocateInstalledApplication& locator() {
    wrapper_ = std::make_unique<KVRInstallerResultsWrapper>(fs_, environment_, bundle_, processes_,
                                                            results_);
    locator_ = std::make_unique<LocateInstalledApplication>(
        LocateInstalledApplication::Services{
            fs_, environment_, bundle_, *wrapper_, ui_, log_, {"en"}},
        locate_, validate_);
    return *locator_;
  }

  testing::TempDir dir_;
  PosixFileSystem fs_;
  testing::FakeEnvironment environment_;
  testing::RecordingLogSink sink_;
  Log log_{sink_};
  testing::FakeProcessLauncher processes_;
  testing::FakeInstallerResults results_;
  testing::FakeUserInterface ui_;
  std::shared_ptr<const Bundle> bundle_;
  std::shared_ptr<PlistDictionary> locate_;
  std::shared_ptr<PlistDictionary> validate_;
  std::unique_ptr<KVRInstallerResultsWrapper> wrapper_;
  std::unique_ptr<LocateInstalledApplication> locator_;
};

TEST_F(LocatorTest, ProperProductChecks) {
  const std::string good = app("A");
  const std::string other_id = app("B", "com.zelto.other");
  writeFile(dir_ / "C/lumbix.app/Contents/Info.plist", plistXml(""));
  testing::makeDirectories(dir_ / "D/Lumbix.app/Contents");  // no Info.plist: no identifier
  (*validate_)["bundleIdentifier"] = PlistValue::string("com.zelto.lumbix");
  LocateInstalledApplication& l = locator();
  EXPECT_EQ(l.primaryAppName(), "Lumbix.app");
  EXPECT_TRUE(l.isProperProduct(good));
  EXPECT_TRUE(l.isProperProduct(good + "/")) << "a trailing slash is ignored";
  EXPECT_FALSE(l.isProperProduct(other_id));
  EXPECT_FALSE(l.isProperProduct(dir_ / "C/lumbix.app")) << "names compare case-sensitively";
  EXPECT_FALSE(l.isProperProduct(dir_ / "E/Lumbix.app")) << "absent from disk";
  EXPECT_TRUE(l.isProperProduct(dir_ / "D/Lumbix.app")) << "no identifier: the check is skipped";
  EXPECT_FALSE(l.isProperProduct("Lumbix.app")) << "a bare name is looked for at /Lumbix.app";

  set("requiredRelativePath", PlistValue::string("Contents/MacOS/../MacOS/Lumbix"));
  EXPECT_TRUE(l.isProperProduct(good));
  set("requiredRelativePath", PlistValue::string("Contents/Resources/missing"));
  EXPECT_FALSE(l.isProperProduct(good));
}

TEST_F(LocatorTest, ValueRulesReadPlistFilesInsideTheCandidate) {
  const std::string good = app("A");
  writeFile(good + "/Contents/Resources/roz.plist",
            plistXml("<key>ROZVersionNumber</key><string>8.1.0</string>"));
  auto rule = [](const char* type, const char* file, PlistValue value) {
    return PlistValue::dictionary({{"IsRequired", PlistValue::string("YES")},
                                   {"keyType", PlistValue::string("RANGE")},
                                   {"keyName", PlistValue::string("ROZVersionNumber")},
                                   {"filePath", PlistValue::string(file)},
                                   {"fileType", PlistValue::string(type)},
                                   {"keyValue", std::move(value)}});
  };
  auto range = [](const char* low, const char* high) {
    return PlistValue::array({PlistValue::string(low), PlistValue::string(high)});
  };
  struct Case {
    const char* name;
    PlistArray rules;
    bool passes;
  };
  const Case cases[] = {
      {"in range", {rule("PLIST", "/Contents/Resources/roz.plist", range("8.0.0", "8.1.2"))}, true},
      {"out of range", {rule("PLIST", "/Contents/Resources/roz.plist", range("9", "10"))}, false},
      {"missing file", {rule("PLIST", "/Contents/none.plist", range("8", "9"))}, false},
      {"XML files yield no value",
       {rule("XML", "/Contents/Resources/roz.plist", range("8", "9"))},
       false},
      {"first failing rule decides",
       {rule("PLIST", "/Contents/Resources/roz.plist", range("8", "9")),
        rule("CSL", "/x", range("8", "9"))},
       false},
      {"no rules", {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    (*validate_)["keyValuesPair"] = PlistValue::array(c.rules);
    EXPECT_EQ(locator().isProperProduct(good), c.passes);
  }
}

TEST_F(LocatorTest, TheUpdateManagersClientPathDecidesAlone) {
  const std::string good = app("A");
  set("showUI", PlistValue::boolean(true));
  set("fixedPaths", PlistValue::array({PlistValue::string(good)}));

  results_.client_path = good;
  EXPECT_EQ(locator().locateApplication(), good);

  results_.client_path = dir_ / "A";
  EXPECT_EQ(locator().locateApplication(), std::nullopt) << "no executableName";
  set("executableName", PlistValue::string("Lumbix.app"));
  EXPECT_EQ(locator().locateApplication(), good);

  results_.client_path = dir_ / "nowhere";
  EXPECT_EQ(locator().locateApplication(), std::nullopt);
  EXPECT_TRUE(ui_.panel_requests.empty()) << "never a panel under the update manager";
}

TEST_F(LocatorTest, SearchStrategiesInOrder) {
  const std::string by_list = app("List");
  const std::string by_desktop = app("Desktop");
  const std::string by_alias = app("Alias");
  const std::string fixed1 = app("Fixed1");
  const std::string fixed2 = app("Fixed2");
  writeFile(dir_ / "location.plist", plistXml("<key>where</key><string>" + by_list + "</string>"));
  writeFile(dir_ / "home/.local/share/applications/com.zelto.lumbix.desktop",
            "[Desktop Entry]\nName=Lumbix\nExec=\"" + by_desktop + "/Contents/MacOS/Lumbix\" %f\n");
  std::filesystem::create_directory_symlink(by_alias, dir_ / "alias-1");
  std::filesystem::create_symlink(dir_ / "alias-1", dir_ / "alias-2");

  set("fixedPaths", PlistValue::array({PlistValue::string(dir_ / "none/Lumbix.app"),
                                       PlistValue::string(fixed1), PlistValue::string(fixed2)}));
  EXPECT_EQ(locator().locateApplication(), fixed1) << "the first passing fixed path";
  set("AliasPath", PlistValue::string(dir_ / "alias-2"));
  EXPECT_EQ(locator().locateApplication(), by_alias) << "alias chains are followed";
  set("bundleIdentifier", PlistValue::string("com.zelto.lumbix"));
  EXPECT_EQ(locator().locateApplication(), by_desktop);
  set("locationPListPath", PlistValue::string(dir_ / "location.plist"));
  set("locationPListKey", PlistValue::string(""));
  EXPECT_EQ(locator().locateApplication(), by_desktop) << "an empty key skips the strategy";
  set("locationPListKey", PlistValue::string("where"));
  EXPECT_EQ(locator().locateApplication(), by_list);

  // A candidate that fails moves the search on.
  set("locationPListPath", PlistValue::string("~/location.plist"));  // not expanded
  set("bundleIdentifier", PlistValue::string("com.zelto.unknown"));
  set("AliasPath", PlistValue::string(dir_ / "Fixed2"));  // exists, but no application
  EXPECT_EQ(locator().locateApplication(), fixed1);
}

TEST_F(LocatorTest, AliasOfAPlainPathOrABrokenLinkIsThePathItself) {
  std::filesystem::create_symlink(dir_ / "nothing", dir_ / "broken");
  std::filesystem::create_symlink(dir_ / "loop-b", dir_ / "loop-a");
  std::filesystem::create_symlink(dir_ / "loop-a", dir_ / "loop-b");
  LocateInstalledApplication& l = locator();
  EXPECT_EQ(l.appPathFromAlias(dir_ / "plain"), dir_ / "plain");
  EXPECT_EQ(l.appPathFromAlias(dir_ / "broken"), dir_ / "broken");
  EXPECT_EQ(l.appPathFromAlias(dir_ / "loop-a"), dir_ / "loop-a");
  EXPECT_EQ(l.appPathFromLaunchServices("../../etc/passwd"), std::nullopt);
}

TEST_F(LocatorTest, InteractiveRunsAlwaysAskTheUser) {
  const std::string good = app("A");
  set("showUI", PlistValue::boolean(true));
  set("executableNameNoExt", PlistValue::string("Lumbix"));
  set("fixedPaths", PlistValue::array({PlistValue::string(good)}));

  ui_.panel_answer = {true, {good}};
  EXPECT_EQ(locator().locateApplication(), good);
  ASSERT_EQ(ui_.panel_requests.size(), 1u);
  const OpenPanelRequest& request = ui_.panel_requests[0];
  EXPECT_EQ(request.directory, dir_ / "A");
  EXPECT_EQ(request.file, "Lumbix.app");
  EXPECT_EQ(request.prompt, "Use Lumbix");
  EXPECT_EQ(request.message, "Where is Lumbix?");
  EXPECT_EQ(request.types, std::vector<std::string>{"app"});
  EXPECT_FALSE(request.can_choose_directories);

  ui_.panel_answer = {false, {}};
  EXPECT_EQ(locator().locateApplication(), std::nullopt) << "cancelled although found";

  set("fixedPaths", PlistValue::array({}));
  ui_.panel_answer = {true, {good}};
  EXPECT_EQ(locator().locateApplication(), good);
  EXPECT_EQ(ui_.panel_requests.back().directory, std::nullopt) << "nothing found: no preset";
  EXPECT_TRUE(ui_.alerts.empty());
}

TEST_F(LocatorTest, AnInvalidChoiceBringsItsAlertThenNone) {
  set("showUI", PlistValue::boolean(true));
  writeFile(dir_ / "X/Lumbix.app/Contents/Info.plist",
            plistXml("<key>CFBundleIdentifier</key><string>com.other</string>"));
  (*validate_)["bundleIdentifier"] = PlistValue::string("com.zelto.lumbix");
  ui_.panel_answer = {true, {dir_ / "X/Lumbix.app"}};
  EXPECT_EQ(locator().locateApplication(), std::nullopt);
  ASSERT_EQ(ui_.alerts.size(), 1u);
  EXPECT_EQ(ui_.alerts[0].title, "Invalid Application chosen title");
  EXPECT_EQ(ui_.panel_requests.size(), 1u) << "not asked a second time";
}

TEST_F(LocatorTest, PanelFallbacks) {
  set("showUI", PlistValue::boolean(true));
  ui_.panel_accepts_message = false;
  ui_.panel_answer = {false, {}};
  EXPECT_EQ(locator().locateApplication(), std::nullopt);
  ASSERT_EQ(ui_.alerts.size(), 1u);
  EXPECT_EQ(ui_.alerts[0].message, "Where is ?") << "absent name: formatted without it";
  EXPECT_EQ(ui_.alerts[0].default_button, "Choose...");
  EXPECT_EQ(ui_.panel_requests.size(), 1u) << "the panel follows the alert";

  ui_.panel_available = false;
  EXPECT_EQ(locator().locateApplication(), std::nullopt);
  EXPECT_EQ(sink_.messages(), std::vector<std::string>{"Unable to open panel."});
}

TEST_F(LocatorTest, ThePanelOffersFoldersAndProperApplicationsOnly) {
  const std::string good = app("A");
  writeFile(dir_ / "B/Lumbix.app/Contents/Info.plist",
            plistXml("<key>CFBundleIdentifier</key><string>com.other</string>"));
  writeFile(dir_ / "notes.txt", "x");
  (*validate_)["bundleIdentifier"] = PlistValue::string("com.zelto.lumbix");
  set("showUI", PlistValue::boolean(true));
  ui_.panel_listing = {good, dir_ / "B/Lumbix.app", dir_ / "A", dir_ / "notes.txt",
                       dir_ / "missing"};
  locator().locateApplication();
  EXPECT_EQ(ui_.panel_shown, (std::vector<bool>{true, false, true, false, false}));
}

}  // namespace
}  // namespace updater
