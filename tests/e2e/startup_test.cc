// Start-up failures, the command line and the revision test, seen from outside.
#include <gtest/gtest.h>

#include <functional>

#include "tests/e2e/updater_run.h"

namespace updater::testing {
namespace {

using Log = std::vector<std::string>;

TEST(StartupTest, InstalledApplicationNewerIsUpToDate) {
  PatchFixture patch;
  writeDefaultPatch(patch);
  const std::string app = patch.application(
      "Zelto Lumbix.app", "<key>ROZProductUpdateRevision</key><integer>5</integer>");
  RunResult run = patch.run({"-path", app});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.log(), Log{"Zelto Lumbix is up to date."});
  EXPECT_EQ(run.out, "");
}

TEST(StartupTest, StartupFailuresEndWithTheirLineAndStatus) {
  struct Case {
    const char* name;
    std::function<void(PatchFixture&)> damage;
    int status;
    Log log;
  };
  const Case cases[] = {
      {"payload list missing",
       [](PatchFixture& p) { p.removeResource("app_list.txt"); },
       1,
       {"FATAL ERROR:  app_list.txt not found."}},
      {"payload list empty",
       [](PatchFixture& p) { p.resource("app_list.txt", ""); },
       1,
       {"FATAL ERROR:  app_list.txt found but empty."}},
      {"payload list not UTF-8",
       [](PatchFixture& p) { p.resource("app_list.txt", "A\xff.app"); },
       1,
       {"FATAL ERROR:  app_list.txt found but empty."}},
      {"payload list unreadable",
       [](PatchFixture& p) {
         p.removeResource("app_list.txt");
         makeDirectories(p.resources() + "/app_list.txt");
       },
       1,
       {"FATAL ERROR:  app_list.txt found but empty."}},
      {"configuration missing",
       [](PatchFixture& p) { p.removeResource("configuration.plist"); },
       3,
       {"FATAL ERROR:  configuration.plist could not be found."}},
      {"configuration malformed",
       [](PatchFixture& p) { p.resource("configuration.plist", "<plist><dict><key>"); },
       3,
       {"Configuration data not found", " could not be updated."}},
      {"configuration root not a dictionary",
       [](PatchFixture& p) {
         p.resource("configuration.plist",
                    "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>");
       },
       3,
       {"Configuration data not found", " could not be updated."}},
      {"configuration value of the wrong type",
       [](PatchFixture& p) {
         p.configuration(
             "<key>locate</key><dict><key>fixedPaths</key><string>/A.app</string>"
             "</dict>");
       },
       3,
       {"FATAL ERROR:  configuration.plist: the value of \"locate.fixedPaths\" must be an array "
        "of strings."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PatchFixture patch;
    writeDefaultPatch(patch);
    c.damage(patch);
    RunResult run = patch.run({"-path", patch.applications() + "/Zelto Lumbix.app"});
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_EQ(run.log(), c.log);
  }
}

TEST(StartupTest, HelpPrintsUsageAndExitsZero) {
  PatchFixture patch;
  writeDefaultPatch(patch);
  for (const char* flag : {"-help", "--help"}) {
    RunResult run = patch.run({flag});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("Usage: updater"), std::string::npos);
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
}  // namespace updater::testing
