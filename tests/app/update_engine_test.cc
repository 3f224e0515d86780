#include "app/update_engine.h"

#include <gtest/gtest.h>

#include "locate/installed_app.h"
#include "platform/bundle.h"
#include "platform/file_system_posix.h"
#include "platform/notification_center.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace updater {
namespace {

using testing::ExitCalled;
using testing::plistXml;
using testing::TempDir;
using testing::writeFile;

// The real file system, except that one folder vanishes after it was seen
// once: the race the self-heal step has to survive.
class VanishingFileSystem : public PosixFileSystem {
 public:
  std::string vanishing;
  bool isDirectory(const std::string& path) const override {
    if (!vanishing.empty() && path == vanishing && seen_++ > 0) return false;
    return PosixFileSystem::isDirectory(path);
  }

 private:
  mutable int seen_ = 0;
};

// An updater bundle in a temporary folder and an engine over fakes.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    writeFile(resources("app_list.txt"), "Zelto Lumbix.app");
    writeFile(resources("en.lproj/Localizable.strings"),
              "\"Up to date message\" = \"%@ is up to date.\";\n"
              "\"UpToDate Title\" = \"Up to date\";\n"
              "\"Update failed message\" = \"%@ failed.\";\n");
  }

  std::string resources(const std::string& name) const {
    return dir_ / ("Updater.app/Contents/Resources/" + name);
  }
  void configuration(const std::string& body) {
    writeFile(resources("configuration.plist"), plistXml(body));
  }

  UpdateEngine& engine(std::vector<std::string> arguments = {}) {
    bundle_ = Bundle::open(file_system_, dir_ / "Updater.app", {"en"});
    engine_ = std::make_unique<UpdateEngine>(
        UpdateEngineServices{file_system_, environment_, log_, processes_, notifications_,
                             application_, ui_, exit_, results_, authorization_, self_heal_},
        bundle_, UserDefaults::fromArguments(arguments));
    return *engine_;
  }

  // Runs start-up as the application would; the exit status, or nullopt
  // when the run waits for its timer.
  std::optional<int> launch(std::vector<std::string> arguments = {}) {
    UpdateEngine& e = engine(std::move(arguments));
    try {
      e.awakeFromNib();
      notifications_.post({kApplicationDidFinishLaunchingNotification, nullptr, std::nullopt});
    } catch (const ExitCalled& exit) {
      return exit.status;
    }
    return std::nullopt;
  }

  std::string app(const std::string& roz_body) {
    const std::string path = dir_ / "Applications/Zelto Lumbix.app";
    writeFile(path + "/Contents/Info.plist", plistXml(""));
    writeFile(path + "/Contents/Resources/roz.plist", plistXml(roz_body));
    return path;
  }

  TempDir dir_;
  VanishingFileSystem file_system_;
  testing::FakeEnvironment environment_;
  testing::RecordingLogSink sink_;
  Log log_{sink_};
  testing::FakeProcessLauncher processes_;
  NotificationCenter notifications_;
  testing::FakeApplication application_;
  testing::FakeUserInterface ui_;
  testing::ThrowingExit exit_;
  testing::FakeInstallerResults results_;
  testing::FakeAuthorization authorization_;
  testing::FakeSelfHeal self_heal_;
  std::shared_ptr<const Bundle> bundle_;
  std::unique_ptr<UpdateEngine> engine_;
};

TEST_F(EngineTest, CommandLineDecidesTheMode) {
  configuration(
      "<key>locate</key><dict><key>showUI</key><false/>"
      "<key>user</key><string>file-user</string>"
      "<key>password</key><string>file-secret</string></dict>");
  EXPECT_EQ(launch(), std::nullopt) << "interactive runs wait for their timer";
  EXPECT_TRUE(application_.foreground);
  EXPECT_EQ(application_.timers, 1);
  EXPECT_TRUE(findKey(*engine_->findAppDictionary(), "showUI")->asBoolean().value());

  auto status = launch({"-path", "", "-user", "cli-user"});
  ASSERT_TRUE(status.has_value());
  const PlistDictionary& locate = *engine_->findAppDictionary();
  EXPECT_FALSE(findKey(locate, "showUI")->asBoolean().value());
  EXPECT_EQ(*findKey(locate, "path")->asString(), "");
  EXPECT_EQ(*findKey(locate, "user")->asString(), "cli-user");
  EXPECT_EQ(*findKey(locate, "password")->asString(), "file-secret");
}

TEST_F(EngineTest, RevisionTest) {
  struct Case {
    const char* name;
    std::string patch;  // configuration keys
    std::string installed;
    bool newer;
  };
  const Case cases[] = {
      {"numbers, installed newer", "<key>targetUpdateRevision</key><integer>4</integer>",
       "<key>ROZProductUpdateRevision</key><integer>5</integer>", true},
      {"numbers, installed older", "<key>targetUpdateRevision</key><integer>4</integer>",
       "<key>ROZProductUpdateRevision</key><integer>3</integer>", false},
      {"equal numbers are not newer", "<key>targetUpdateRevision</key><integer>4</integer>",
       "<key>ROZProductUpdateRevision</key><real>4.0</real>", false},
      {"missing installed revision counts as 0",
       "<key>targetUpdateRevision</key><integer>0</integer>", "", false},
      {"strings order without reading numbers", "<key>ROZVersionNumber</key><string>10.0</string>",
       "<key>ROZVersionNumber</key><string>9.0</string>", true},
      {"equal strings", "<key>ROZVersionNumber</key><string>9.0</string>",
       "<key>ROZVersionNumber</key><string>9.0</string>", false},
      {"revision wins over version",
       "<key>targetUpdateRevision</key><integer>4</integer>"
       "<key>ROZVersionNumber</key><string>1</string>",
       "<key>ROZProductUpdateRevision</key><integer>3</integer>"
       "<key>ROZVersionNumber</key><string>9</string>",
       false},
      {"missing installed version counts as \"0\"", "<key>ROZVersionNumber</key><string>1</string>",
       "", false},
      {"neither key", "", "<key>ROZProductUpdateRevision</key><integer>9</integer>", false},
      {"kinds without an order", "<key>targetUpdateRevision</key><integer>4</integer>",
       "<key>ROZProductUpdateRevision</key><string>5</string>", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    configuration(c.patch + "<key>locate</key><dict/>");
    const std::string path = app(c.installed);
    launch({"-path", "/nonexistent"});
    InstalledApp record(file_system_, {"en"}, path, std::nullopt);
    EXPECT_EQ(engine_->_isAppNewerThanUpdate(&record), c.newer);
  }
  EXPECT_FALSE(engine_->_isAppNewerThanUpdate(nullptr));
}

TEST_F(EngineTest, SilentUpToDateIsLoggedAndExitsZero) {
  configuration(
      "<key>targetUpdateRevision</key><integer>4</integer>"
      "<key>locate</key><dict><key>executableNameNoExt</key><string>Lumbix</string>"
      "</dict>");
  const std::string path = app("<key>ROZProductUpdateRevision</key><integer>7</integer>");
  EXPECT_EQ(launch({"-path", path}), 0);
  EXPECT_EQ(sink_.messages(), std::vector<std::string>{"Lumbix is up to date."});
  EXPECT_TRUE(ui_.alerts.empty());
}

TEST_F(EngineTest, ReportsGoToTheUpdateManagerWhenItLaunchedTheUpdater) {
  configuration("<key>targetUpdateRevision</key><integer>4</integer><key>locate</key><dict/>");
  results_.client_path = "/Applications";
  const std::string path = app("<key>ROZProductUpdateRevision</key><integer>7</integer>");
  EXPECT_EQ(launch({"-path", path}), 0);
  ASSERT_EQ(results_.results.size(), 1u);
  EXPECT_EQ(results_.results[0].first, 0);
  EXPECT_EQ(results_.results[0].second, "");
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(EngineTest, NothingFoundIsCancelledOrResult104UnderTheUpdateManager) {
  configuration("<key>locate</key><dict/>");
  engine();
  EXPECT_EQ(engine_->decideUpdate(), UpdateStatus::kCancelled);
  EXPECT_TRUE(sink_.messages().empty());
  EXPECT_TRUE(results_.results.empty());
}

TEST_F(EngineTest, InteractiveReportsShowAnAlertAndNeverLogTheMessage) {
  configuration(
      "<key>targetUpdateRevision</key><integer>4</integer>"
      "<key>locate</key><dict><key>path</key><string>" +
      app("<key>ROZProductUpdateRevision</key><integer>7</integer>") + "</string></dict>");
  ASSERT_EQ(launch(), std::nullopt);
  EXPECT_EQ(engine_->decideUpdate(), UpdateStatus::kDone);
  ASSERT_EQ(ui_.alerts.size(), 1u);
  EXPECT_EQ(ui_.alerts[0].title, "Up to date");
  EXPECT_EQ(ui_.alerts[0].message, " is up to date.");
  for (const std::string& message : sink_.messages()) {
    EXPECT_EQ(message.find("up to date"), std::string::npos) << message;
  }
}

TEST_F(EngineTest, ThePasswordNeverReachesTheLog) {
  writeFile(resources("en.lproj/Localizable.strings"),
            "\"Up to date message\" = \"%@ is up to date.\";\n");
  configuration(
      "<key>targetUpdateRevision</key><integer>4</integer>"
      "<key>locate</key><dict><key>executableNameNoExt</key>"
      "<string>hunter2-app</string></dict>");
  const std::string path = app("<key>ROZProductUpdateRevision</key><integer>7</integer>");
  EXPECT_EQ(launch({"-path", path, "-password", "hunter2"}), 0);
  EXPECT_EQ(sink_.messages(), std::vector<std::string>{"********-app is up to date."});
}

TEST_F(EngineTest, SelfHealFailuresAreLoggedAndTheRunGoesOn) {
  configuration("<key>locate</key><dict/>");
  engine();
  engine_->callSelfHealWithPath("", nullptr);
  engine_->callSelfHealWithPath(dir_ / "none.app", nullptr);
  EXPECT_EQ(sink_.messages(),
            (std::vector<std::string>{"InvokeSelfHeal: letting Vexil locate source bundle\n",
                                      "Source bundle not found: " + (dir_ / "none.app") + "\n"}));
  EXPECT_TRUE(self_heal_.sources.empty());

  self_heal_.present = false;  // missing library: logged once where it is loaded
  testing::makeDirectories(dir_ / "Apps/A.app");
  engine_->callSelfHealWithPath(dir_ / "Apps/A.app", nullptr);
  EXPECT_EQ(sink_.messages().size(), 2u);
  EXPECT_TRUE(self_heal_.sources.empty());
}

TEST_F(EngineTest, SelfHealEndsTheProcessWhenTheTargetBundleVanishes) {
  configuration("<key>locate</key><dict/>");
  engine();
  const std::string app = dir_ / "Apps/Zelto Lumbix.app";
  testing::makeDirectories(app);
  file_system_.vanishing = app;
  try {
    engine_->callSelfHealWithPath(app + "/", nullptr);
    ADD_FAILURE() << "the process was not ended";
  } catch (const ExitCalled& exit) {
    EXPECT_EQ(exit.status, -120);
  }
  EXPECT_EQ(sink_.messages(), std::vector<std::string>{"Target bundle not found: " + app + "\n"});
  EXPECT_TRUE(self_heal_.sources.empty());
}

}  // namespace
}  // namespace updater
