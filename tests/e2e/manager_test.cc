// Outcomes handed to the update manager through its library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/e2e/updater_run.h"

namespace updater::testing {
namespace {

using Lines = std::vector<std::string>;

class ManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_UNLESS_ROOT(); }
  ManagerTest() {
    writeDefaultPatch(patch_);
    patch_.resource("cleanupKVR.sh", "#!/bin/sh\ntouch \"$(dirname \"$1\")/../../../cleaned\"\n",
                    0755);
    app_ = patch_.application("Zelto Lumbix.app",
                              "<key>ROZProductUpdateRevision</key><integer>3</integer>");
    installerData("com.zelto.lumbix.update.4");
  }
  void installerData(const std::string& id) {
    writeFile(patch_.home() +
                  "/Library/Application Support/Zelto/Updater/Install/"
                  "ZeltoUpdaterInstallerData.plist",
              plistXml("<key>KVR_APP_ID</key><string>" + id + "</string>"));
  }
  RunResult run(std::vector<std::string> arguments, std::string client = "") {
    if (client.empty()) client = patch_.applications();
    return patch_.run(arguments, {{"FAKE_KVR_CLIENT_PATH", client},
                                  {"FAKE_KVR_RECORD", patch_.record("kvr.txt")},
                                  {"RE_build", ""}});
  }
  Lines results() const {
    Lines lines;
    for (const std::string& line : patch_.recorded("kvr.txt")) {
      if (line.rfind("result", 0) == 0) lines.push_back(line);
    }
    return lines;
  }
  // The clean-up script is not waited for: give it a moment to leave its mark.
  bool cleanedUp() const {
    for (int i = 0; i < 100 && !fileExists(patch_.record("cleaned")); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fileExists(patch_.record("cleaned"));
  }

  PatchFixture patch_;
  std::string app_;
};

TEST_F(ManagerTest, AnInstalledUpdateIsResultZeroWithAnEmptyMessage) {
  RunResult result = run({"-path", app_});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(results(), Lines{"result 0 "});
  EXPECT_EQ(result.log(), Lines{}) << "nothing logged: the update manager reports";
  EXPECT_TRUE(cleanedUp());
}

TEST_F(ManagerTest, AFailureSendsTheKeyWhenTheTableLacksIt) {
  patch_.resource("InstallUpdates.sh", "#!/bin/sh\necho '++++++++++ 6 ++++++++++'\n", 0755);
  RunResult result = run({"-path", app_});
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(results(), Lines{"result 4 102"});
  EXPECT_EQ(result.log(), Lines{"Install script failed with exit status: 6"});
}

TEST_F(ManagerTest, TheClientPathIsTheTarget) {
  // The client path names the folder; the bundle name completes it.
  RunResult result = run({});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(results(), Lines{"result 0 "});
  EXPECT_EQ(result.out, "") << "no dialog, no progress window, no panel";
}

TEST_F(ManagerTest, NothingFoundIsResultZeroWith104) {
  RunResult result = run({}, patch_.root() + "/nowhere");
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(results(), Lines{"result 0 Not found."});
  EXPECT_EQ(result.out, "") << "no progress window and no dialog under the update manager";
}

TEST_F(ManagerTest, AnUnreadableConfigurationIsReportedAsFailed) {
  patch_.resource("configuration.plist", "not a property list");
  RunResult result = run({"-path", app_});
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(results(), Lines{"result 4 102"});
  EXPECT_EQ(result.log(), Lines{"Configuration data not found"});
  EXPECT_FALSE(fileExists(patch_.record("cleaned"))) << "no clean-up at start-up failures";
}

TEST_F(ManagerTest, AnotherUpdatersIdMeansNoUpdateManager) {
  installerData("com.zelto.other");
  RunResult result = run({"-path", app_});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(patch_.recorded("kvr.txt"), Lines{}) << "the library is never asked";
  EXPECT_EQ(result.log(), Lines{"Zelto Lumbix is up to date."});
  usleep(200 * 1000);
  EXPECT_FALSE(fileExists(patch_.record("cleaned")));
}

}  // namespace
}  // namespace updater::testing
