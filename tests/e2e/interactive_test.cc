// Interactive runs through the terminal front end on a pipe.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/updater_run.h"

namespace updater::testing {
namespace {

using Lines = std::vector<std::string>;

class InteractiveTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_UNLESS_ROOT(); }
  InteractiveTest() {
    writeDefaultPatch(patch_);
    app_ = patch_.application("Zelto Lumbix.app",
                              "<key>ROZProductUpdateRevision</key><integer>3</integer>");
    patch_.resource("InstallUpdates.sh",
                    "#!/bin/sh\ntouch \"$3/../../../installed\"\necho '++++++++++ 0 ++++++++++'\n",
                    0755);
  }
  void locate(const std::string& keys) {
    patch_.configuration(
        "<key>targetUpdateRevision</key><integer>4</integer>"
        "<key>locate</key><dict><key>executableNameNoExt</key><string>Zelto Lumbix</string>" +
        keys +
        "</dict><key>validate</key><dict><key>bundleIdentifier</key>"
        "<string>com.zelto.lumbix</string></dict>");
  }
  RunResult run(const std::string& input, std::map<std::string, std::string> env = {}) {
    env["RE_build"] = "";
    env["UPDATER_UI"] = "terminal";
    return patch_.run({}, env, input);
  }
  bool installed() const { return fileExists(patch_.record("installed")); }

  PatchFixture patch_;
  std::string app_;
};

TEST_F(InteractiveTest, EachSearchStrategyFindsTheApplicationForTheUserToConfirm) {
  const std::string home = patch_.home();
  writeFile(patch_.record("where.plist"), plistXml("<key>path</key><string>" + app_ + "</string>"));
  writeFile(home + "/.local/share/applications/com.zelto.lumbix.desktop",
            "[Desktop Entry]\nType=Application\nExec=\"" + app_ + "/Contents/MacOS/app\" %U\n");
  std::filesystem::create_directory_symlink(app_, patch_.record("alias"));
  const std::pair<const char*, std::string> strategies[] = {
      {"location property list", "<key>locationPListPath</key><string>" +
                                     patch_.record("where.plist") +
                                     "</string><key>locationPListKey</key><string>path</string>"},
      {"desktop entry", "<key>bundleIdentifier</key><string>com.zelto.lumbix</string>"},
      {"alias", "<key>AliasPath</key><string>" + patch_.record("alias") + "</string>"},
      {"fixed paths",
       "<key>fixedPaths</key><array><string>/nowhere/Zelto Lumbix.app</string>"
       "<string>" +
           app_ + "</string></array>"},
  };
  for (const auto& [name, keys] : strategies) {
    SCOPED_TRACE(name);
    std::filesystem::remove(patch_.record("installed"));
    locate(keys);
    // An empty line confirms the preset; the outcome alert takes the next.
    RunResult result = run("\n\n");
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_TRUE(installed());
    EXPECT_NE(result.out.find("[" + app_ + "]"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("== Up to date ==\nZelto Lumbix is up to date."), std::string::npos)
        << result.out;
  }
}

TEST_F(InteractiveTest, CancellingThePanelCancelsAlthoughAPathWasFound) {
  locate("<key>fixedPaths</key><array><string>" + app_ + "</string></array>");
  RunResult result = run("");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_FALSE(installed());
  EXPECT_EQ(result.log(), Lines{}) << "a cancellation is neither shown nor logged";
}

TEST_F(InteractiveTest, NothingFoundLetsTheUserTypeThePathAndRefusesTheWrongOne) {
  const std::string other =
      patch_.application("Other/Zelto Lumbix.app", std::nullopt, "com.zelto.other");
  locate("");
  RunResult result = run(other + "\n" + app_ + "\n\n");
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(installed());
  EXPECT_NE(result.out.find(other + " cannot be chosen."), std::string::npos) << result.out;

  std::filesystem::remove(patch_.record("installed"));
  result = run(other + "\n");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_FALSE(installed());
}

TEST_F(InteractiveTest, RunningApplicationsAreQuitFirst) {
  // Reports "running" as long as the marker file exists.
  patch_.resource("CheckZeltoAppsRunning.sh",
                  "#!/bin/sh\n[ -f \"$(dirname \"$1\")/running\" ] && exit 0\nexit 1\n", 0755);
  patch_.resource("FindAndKill.py", "#!/bin/sh\necho \"$1\" > \"$HOME/killed\"\n", 0755);
  locate("<key>fixedPaths</key><array><string>" + app_ + "</string></array>");
  writeFile(app_ + "/Contents/MacOS/running", "");

  // Continue while still running: asked again; then cancel.
  RunResult result = run("\n\n2\n");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_FALSE(installed());
  EXPECT_EQ(readFile(patch_.home() + "/killed"), "ZeltoResourceSynchronizer\n");
  size_t asked = 0;
  for (size_t at = 0; (at = result.out.find("Quit Zelto Apps Title", at)) != std::string::npos;
       ++at) {
    ++asked;
  }
  EXPECT_EQ(asked, 2u) << result.out;

  std::filesystem::remove(app_ + "/Contents/MacOS/running");
  result = run("\n\n");
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(installed());
  EXPECT_EQ(result.out.find("Quit Zelto Apps Title"), std::string::npos);
}

TEST_F(InteractiveTest, TheUpdateManagersClientPathWithoutExecutableName) {
  locate("");  // no executableName
  RunResult result = patch_.run({}, {{"FAKE_KVR_CLIENT_PATH", patch_.applications()},
                                     {"FAKE_KVR_RECORD", patch_.record("kvr.txt")}});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_FALSE(installed());
  EXPECT_EQ(patch_.recorded("kvr.txt").back(), "result 0 Not found.") << "no panel, nothing found";
  EXPECT_EQ(result.out, "");
}

TEST(LanguageTest, AWrongLanguageCancels) {
  SKIP_UNLESS_ROOT();
  struct Case {
    const char* name;
    const char* group;
    std::optional<std::string> description;
    bool interactive;
    int status;
    Lines log;
  };
  const Case cases[] = {
      {"accepted", "efgj", "x DEUPro90SelfHeal.xml", false, 0, {"Zelto Lumbix is up to date."}},
      {"NP before Pro", "euro", "xNPPro90SelfHeal.xml", false, 0, {"Zelto Lumbix is up to date."}},
      {"refused silently", "cck", "ENU90SelfHeal.xml", false, 1, {"Wrong language."}},
      {"refused interactively", "cck", "ENU90SelfHeal.xml", true, 1, {}},
      {"group with a line feed", "all\n", "ENU90SelfHeal.xml", false, 1, {"Wrong language."}},
      {"no description", "efgj", std::nullopt, true, 1, {"FATAL ERROR:  SHInit.xml is empty."}},
      {"all needs no description", "all", std::nullopt, false, 0, {"Zelto Lumbix is up to date."}},
      {"no marker",
       "efgj",
       "ENU.xml",
       false,
       1,
       {"FATAL ERROR:  SHInit.xml names no language (no \"90SelfHeal.xml\" with a language code "
        "before it)."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PatchFixture patch;
    writeDefaultPatch(patch);
    patch.resource("patch_languages.txt", c.group);
    const std::string app = patch.application("Zelto Lumbix.app", std::nullopt);
    if (c.description) writeFile(app + "/Contents/MacOS/SHInit.xml", *c.description);
    RunResult result;
    if (c.interactive) {
      patch.configuration("<key>locate</key><dict><key>path</key><string>" + app +
                          "</string><key>executableNameNoExt</key><string>Zelto Lumbix</string>"
                          "</dict>");
      result = patch.run({}, {{"RE_build", ""}}, "\n");
    } else {
      result = patch.run({"-path", app}, {{"RE_build", ""}});
    }
    EXPECT_EQ(result.exit_status, c.status);
    EXPECT_EQ(result.log(), c.log);
    if (c.interactive && c.status == 1 && c.description) {
      EXPECT_NE(result.out.find("== Update failed ==\nWrong language.\n[1] OK"), std::string::npos)
          << result.out;
    }
  }
}

}  // namespace
}  // namespace updater::testing
