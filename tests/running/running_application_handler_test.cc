#include "running/running_application_handler.h"

#include <gtest/gtest.h>

#include "platform/bundle.h"
#include "platform/file_system_posix.h"
#include "platform/log.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace updater {
namespace {

using testing::plistXml;
using testing::writeFile;

class RunningTest : public ::testing::Test {
 protected:
  RunningTest() {
    writeFile(dir_ / "App.app/Contents/Info.plist",
              plistXml("<key>CFBundleExecutable</key><string>App</string>"));
    writeFile(resources("en.lproj/Localizable.strings"),
              "\"Quit Zelto Apps Title\" = \"Quit them\";\n\"Continue\" = \"Go on\";\n");
  }
  std::string resources(const std::string& name) const {
    return dir_ / ("U.app/Contents/Resources/" + name);
  }
  RunningApplicationHandler handler() {
    bundle_ = Bundle::open(fs_, dir_ / "U.app", {"en"});
    return RunningApplicationHandler({fs_, bundle_, processes_, ui_, log_, {"en"}},
                                     dir_ / "App.app");
  }

  testing::TempDir dir_;
  PosixFileSystem fs_;
  testing::RecordingLogSink sink_;
  Log log_{sink_};
  testing::FakeProcessLauncher processes_;
  testing::FakeUserInterface ui_;
  std::shared_ptr<const Bundle> bundle_;
};

TEST_F(RunningTest, AsksUntilNothingRunsOrTheUserGivesUp) {
  writeFile(resources("FindAndKill.py"), "", 0755);
  writeFile(resources("CheckZeltoAppsRunning.sh"), "", 0755);
  processes_.statuses[resources("FindAndKill.py")] = {3};
  processes_.statuses[resources("CheckZeltoAppsRunning.sh")] = {0, 0, 1};
  auto running = handler();
  ASSERT_EQ(processes_.calls.size(), 1u);
  EXPECT_EQ(processes_.calls[0].arguments, std::vector<std::string>{"ZeltoResourceSynchronizer"});
  EXPECT_TRUE(running.shutdownZeltoApplications());
  EXPECT_EQ(ui_.alerts.size(), 2u) << "asked again while still running";
  EXPECT_EQ(ui_.alerts[0].title, "Quit them");
  EXPECT_EQ(ui_.alerts[0].message, "Quit Zelto Apps Message");
  EXPECT_EQ(ui_.alerts[0].default_button, "Go on");
  EXPECT_EQ(ui_.alerts[0].alternate_button, "Cancel");
  EXPECT_EQ(processes_.calls[1].arguments,
            std::vector<std::string>{dir_ / "App.app/Contents/MacOS/App"});

  processes_.statuses[resources("CheckZeltoAppsRunning.sh")] = {0};
  ui_.responses = {AlertResponse::kAlternate};
  EXPECT_FALSE(handler().shutdownZeltoApplications());
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(RunningTest, AnyNonzeroStatusMeansNothingRuns) {
  writeFile(resources("FindAndKill.py"), "", 0755);
  writeFile(resources("CheckZeltoAppsRunning.sh"), "", 0755);
  for (int status : {1, 255}) {
    processes_.statuses[resources("CheckZeltoAppsRunning.sh")] = {status};
    EXPECT_TRUE(handler().shutdownZeltoApplications());
  }
  EXPECT_TRUE(ui_.alerts.empty());
}

TEST_F(RunningTest, MissingScriptsNeverStopTheUpdate) {
  EXPECT_TRUE(handler().shutdownZeltoApplications());
  EXPECT_TRUE(ui_.alerts.empty());
  EXPECT_EQ(sink_.messages(), std::vector<std::string>{"ERROR-  Could not find: 'FindAndKill.py'"});

  writeFile(resources("FindAndKill.py"), "", 0755);  // present, but cannot start
  writeFile(resources("CheckZeltoAppsRunning.sh"), "", 0755);
  EXPECT_TRUE(handler().shutdownZeltoApplications()) << "a check that cannot start: none runs";
  EXPECT_EQ(sink_.messages().back(), "ERROR-  Could not launch task for FindAndKill.py.'");
  handler().findAndKillAppWithName(std::nullopt);
  EXPECT_EQ(sink_.messages().back(), "ERROR-  Could not get argument for FindAndKill.py.'");
}

}  // namespace
}  // namespace updater
