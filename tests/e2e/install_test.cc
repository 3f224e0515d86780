// Installing payloads with real scripts, and the self-heal repair after each.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/e2e/updater_run.h"

namespace updater::testing {
namespace {

using Lines = std::vector<std::string>;

// Records "<folder as the shell reads argument 1>|<name>|<index>" and prints
// the status found in status-<index> (0 without one).
constexpr const char* kRecordingScript =
    "#!/bin/sh\n"
    "root=\"$3/../../..\"\n"
    "eval \"folder=\\\"$1\\\"\"\n"
    "printf '%s|%s|%s\\n' \"$folder\" \"$2\" \"$4\" >> \"$root/install.txt\"\n"
    "status=0\n"
    "[ -f \"$root/status-$4\" ] && status=$(cat \"$root/status-$4\")\n"
    "echo \"++++++++++ $status ++++++++++\"\n";

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_UNLESS_ROOT(); }
  InstallTest() {
    writeDefaultPatch(patch_);
    patch_.resource("InstallUpdates.sh", kRecordingScript, 0755);
    app_ = patch_.application("Zelto Lumbix.app",
                              "<key>ROZProductUpdateRevision</key>"
                              "<integer>3</integer>");
    selfHeal(app_);
  }
  std::string bundle(const std::string& name, bool self_heal = true) {
    std::string path = patch_.application(name, std::nullopt);
    if (self_heal) selfHeal(path);
    return path;
  }
  void selfHeal(const std::string& path) {
    writeFile(path + "/Contents/MacOS/SHInit.xml", "<x file=\"ENU90SelfHeal.xml\"/>");
  }
  RunResult run(std::map<std::string, std::string> environment = {}) {
    environment["FAKE_SH_RECORD"] = patch_.record("repair.txt");
    return patch_.run({"-path", app_}, environment);
  }
  std::string installed(const std::string& name, int index) const {
    return patch_.applications() + "|" + name + "|" + std::to_string(index);
  }
  std::string repaired(const std::string& name, const std::string& options) const {
    const std::string path = patch_.applications() + "/" + name;
    return "repair source=" + path + " target=" + path +
           " auth=set reserved=0 request=0 options=" + options;
  }

  PatchFixture patch_;
  std::string app_;
};

TEST_F(InstallTest, MultiplePayloadsInstallFromTheLastLineDown) {
  patch_.resource("app_list.txt", "Zelto Lumbix.app\tmultiple_payload\nHelper.app\nExtra.app");
  bundle("Helper.app", false);
  bundle("Extra.app");
  RunResult result = run();
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(patch_.recorded("install.txt"),
            (Lines{installed("Extra.app", 2), installed("Helper.app", 1),
                   installed("Zelto Lumbix.app", 0)}));
  // Helper.app has no self-heal description: no repair for it.
  EXPECT_EQ(patch_.recorded("repair.txt"),
            (Lines{repaired("Extra.app", "(null)"),
                   repaired("Zelto Lumbix.app", "INSTALL_MODE=Browser,RUN_SILENT_INSTALL=true")}));
  EXPECT_EQ(result.log(),
            (Lines{"Setting Silent Install for SelfHeal", "Zelto Lumbix is up to date."}));
}

TEST_F(InstallTest, SinglePayloadModeChecksEveryLineButInstallsTheFirst) {
  patch_.resource("app_list.txt", "Zelto Lumbix.app\nHelper.app\nGone.app\toptional");
  bundle("Helper.app");
  RunResult result = run({{"RE_build", ""}});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(patch_.recorded("install.txt"), Lines{installed("Zelto Lumbix.app", 0)});
  EXPECT_EQ(patch_.recorded("repair.txt"), Lines{}) << "RE_build, even empty, skips repair";

  std::filesystem::remove_all(patch_.applications() + "/Helper.app");
  result = run();
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(result.log(), (Lines{"Fatal Error:  Application " + patch_.applications() +
                                     "/Helper.app is missing.\nCan't update this application.",
                                 "Zelto Lumbix could not be updated."}));
  EXPECT_EQ(patch_.recorded("install.txt").size(), 1u) << "nothing more installed";
}

TEST_F(InstallTest, AMissingOptionalPayloadIsSkippedWithAWarning) {
  patch_.resource("app_list.txt", "Zelto Lumbix.app\tmultiple_payload\nGone.app\toptional");
  RunResult result = run({{"RE_build", "1"}});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.log(), (Lines{"Warning:  Application " + patch_.applications() +
                                     "/Gone.app is missing.\nCan't update this application.",
                                 "Zelto Lumbix is up to date."}));
  EXPECT_EQ(patch_.recorded("install.txt"), Lines{installed("Zelto Lumbix.app", 0)});
}

TEST_F(InstallTest, AFailingPayloadStopsTheLoop) {
  patch_.resource("app_list.txt", "Zelto Lumbix.app\tmultiple_payload\nHelper.app\nExtra.app");
  bundle("Helper.app");
  bundle("Extra.app");
  writeFile(patch_.record("status-1"), "5");
  RunResult result = run({{"FAKE_SH_STATUS", "-7"}});
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(patch_.recorded("install.txt"),
            (Lines{installed("Extra.app", 2), installed("Helper.app", 1)}));
  EXPECT_EQ(patch_.recorded("repair.txt"), Lines{repaired("Extra.app", "(null)")});
  EXPECT_EQ(result.log(), (Lines{"error: -7 returned from callSelfHealWithPath",
                                 "Install script failed with exit status: 5",
                                 "Zelto Lumbix could not be updated."}));
}

TEST_F(InstallTest, TheLastStatusLineCounts) {
  struct Case {
    const char* name;
    std::string script;
    std::string failure;  // empty: success
  };
  const Case cases[] = {
      {"last line counts",
       "echo '++++++++++ 3 ++++++++++'; echo noise; echo '++++++++++ 0 ++++++++++'", ""},
      {"none gives -1", "echo done", "-1"},
      {"a prefixed line is not recognised", "echo ' ++++++++++ 0 ++++++++++'", "-1"},
      {"killed mid-run", "echo '++++++++++ 4 ++++++++++'; kill -9 $$; echo '++++++++++ 0'", "4"},
      {"exit status is not read", "echo '++++++++++ 0 ++++++++++'; exit 9", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PatchFixture fresh;  // a new bundle for each script
    writeDefaultPatch(fresh);
    fresh.resource("InstallUpdates.sh", std::string("#!/bin/sh\n") + c.script + "\n", 0755);
    const std::string app = fresh.application("Zelto Lumbix.app", std::nullopt);
    RunResult result = fresh.run({"-path", app}, {{"RE_build", ""}});
    if (c.failure.empty()) {
      EXPECT_EQ(result.exit_status, 0);
    } else {
      EXPECT_EQ(result.exit_status, 3);
      EXPECT_EQ(result.log(), (Lines{"Install script failed with exit status: " + c.failure,
                                     "Zelto Lumbix could not be updated."}));
    }
  }
}

TEST(InstallEscapingTest, HostileFolderNamesReachTheScriptIntact) {
  SKIP_UNLESS_ROOT();
  const char* names[] = {
      "a$(touch PWNED)b",     "a`touch PWNED`", "q\"; touch PWNED; \"", "ends\\",
      "back\\$(touch PWNED)", "two\\\\slashes", "back\\`touch PWNED`",  "back\\\"quote",
      "dollar$HOME",          "new\nline",      "back\\\nline",         "it's",
  };
  for (const char* name : names) {
    SCOPED_TRACE(name);
    PatchFixture patch;
    writeDefaultPatch(patch);
    patch.resource("InstallUpdates.sh", kRecordingScript, 0755);
    const std::string folder = patch.applications() + "/" + name;
    makeDirectories(folder);
    const std::string app = folder + "/Zelto Lumbix.app";
    makeDirectories(app + "/Contents");
    RunResult result = patch.run({"-path", app}, {{"RE_build", ""}});
    EXPECT_EQ(result.exit_status, 0) << result.err;
    const std::string recorded = readFile(patch.record("install.txt"));
    EXPECT_EQ(recorded, folder + "|Zelto Lumbix.app|0\n");
    // Scripts run in the updater's folder, which is ours.
    EXPECT_FALSE(fileExists("PWNED"));
  }
}

TEST_F(InstallTest, ScriptsGetNoneOfAHostileCallersLoaderOrShellVariables) {
  patch_.resource("InstallUpdates.sh",
                  "#!/bin/sh\nenv > \"$3/../../../env.txt\"\necho '++++++++++ 0 ++++++++++'\n",
                  0755);
  RunResult result = run({{"BASH_ENV", "/tmp/evil"},
                          {"ENV", "/tmp/evil"},
                          {"IFS", "x"},
                          {"LD_LIBRARY_PATH", "/tmp/evil"},
                          {"GLIBC_TUNABLES", "glibc.malloc.check=3"},
                          {"BASH_FUNC_ls%%", "() { touch /tmp/evil; }"},
                          {"PATH", "/tmp/evil:/usr/bin:/bin"},
                          {"PYTHONPATH", "/tmp/evil"},
                          {"USER", "admin"}});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  const std::string env = readFile(patch_.record("env.txt"));
  for (const char* name : {"BASH_ENV=", "\nENV=", "IFS=", "LD_", "GLIBC_TUNABLES", "BASH_FUNC",
                           "PYTHONPATH", "/tmp/evil"}) {
    EXPECT_EQ(env.find(name), std::string::npos) << name << " in\n" << env;
  }
  EXPECT_NE(env.find("PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin\n"),
            std::string::npos);
  EXPECT_NE(env.find("USER=admin\n"), std::string::npos);
  EXPECT_NE(env.find("HOME=" + patch_.home() + "\n"), std::string::npos);
}

TEST_F(InstallTest, SelfHealOptionsFollowTheBundleName) {
  struct Case {
    const char* name;
    const char* silent;
    const char* interactive;
  };
  const Case cases[] = {
      {"Zelto Pordeta Pro.app", "INSTALL_MODE=PDFDriver;Browser,RUN_SILENT_INSTALL=true",
       "INSTALL_MODE=PDFDriver;Browser"},
      {"Pordeta Quorvatem.app", "INSTALL_MODE=PDFDriver", "INSTALL_MODE=PDFDriver"},
      {"Zelto Lumbix.app", "INSTALL_MODE=Browser,RUN_SILENT_INSTALL=true", "INSTALL_MODE=Browser"},
      {"Other.app", "(null)", "(null)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool interactive : {false, true}) {
      PatchFixture patch;
      writeDefaultPatch(patch);
      patch.resource("app_list.txt", c.name);
      const std::string app = patch.application(c.name, std::nullopt);
      writeFile(app + "/Contents/MacOS/SHInit.xml", "x");
      std::map<std::string, std::string> env{{"FAKE_SH_RECORD", patch.record("repair.txt")}};
      RunResult result;
      if (interactive) {
        // A path in the configuration runs interactively without a search.
        patch.configuration("<key>locate</key><dict><key>path</key><string>" + app +
                            "</string></dict>");
        result = patch.run({}, env);
      } else {
        result = patch.run({"-path", app}, env);
      }
      EXPECT_EQ(result.exit_status, 0) << result.err;
      EXPECT_EQ(patch.recorded("repair.txt"), Lines{"repair source=" + app + " target=" + app +
                                                    " auth=set reserved=0 request=0 options=" +
                                                    (interactive ? c.interactive : c.silent)});
      const bool silent_line =
          !interactive && std::string(c.silent).find("RUN_SILENT") != std::string::npos;
      EXPECT_EQ(result.log().size() > 0 && result.log()[0] == "Setting Silent Install for SelfHeal",
                silent_line);
    }
  }
}

TEST_F(InstallTest, RepairSkipsLinksFilesAndOtherCases) {
  patch_.resource("app_list.txt",
                  "Zelto Lumbix.app\tmultiple_payload\nLinked.app\nzelto lumbix.app");
  const std::string real = bundle("Real.app");
  std::filesystem::create_directory_symlink(real, patch_.applications() + "/Linked.app");
  bundle("Zelto lumbix.app");
  writeFile(patch_.applications() + "/zelto lumbix.app", "a plain file", 0755);
  RunResult result = run();
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(patch_.recorded("install.txt").size(), 3u);
  EXPECT_EQ(patch_.recorded("repair.txt"),
            Lines{repaired("Zelto Lumbix.app", "INSTALL_MODE=Browser,RUN_SILENT_INSTALL=true")});
}

TEST(InstallRightsTest, AnotherUserIsRefusedWithAnExplanation) {
  SKIP_UNLESS_ROOT();
  if (!fileExists("/usr/bin/setpriv")) GTEST_SKIP() << "no setpriv to change user";
  PatchFixture patch;
  writeDefaultPatch(patch);
  patch.resource("InstallUpdates.sh", kRecordingScript, 0755);
  const std::string app = patch.application("Zelto Lumbix.app", std::nullopt);
  std::filesystem::permissions(patch.root(), std::filesystem::perms::all);
  patch.runThrough({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  RunResult result = patch.run({"-path", app});
  EXPECT_EQ(result.exit_status, 3);
  const Lines log = result.log();
  ASSERT_EQ(log.size(), 2u) << result.err;
  EXPECT_EQ(log[0].rfind("ERROR-  Administrator rights are needed", 0), 0u) << log[0];
  EXPECT_EQ(log[1], "Zelto Lumbix could not be updated.");
  EXPECT_FALSE(fileExists(patch.record("install.txt")));
}

TEST(InstallDefaultsTest, TheShippedLibrariesServeWithoutAnUpdateManager) {
  SKIP_UNLESS_ROOT();
  PatchFixture patch;
  writeDefaultPatch(patch);
  const std::string app = patch.application("Zelto Lumbix.app", std::nullopt);
  writeFile(app + "/Contents/MacOS/SHInit.xml", "x");
  patch.build(UPDATER_FRAMEWORKS_DIR);
  RunResult result = patch.run({"-path", app});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.log(),
            (Lines{"Setting Silent Install for SelfHeal", "Zelto Lumbix is up to date."}));
}

TEST(InstallDefaultsTest, MissingLibrariesAreLoggedOnceAndTheRunGoesOn) {
  SKIP_UNLESS_ROOT();
  PatchFixture patch;
  writeDefaultPatch(patch);
  // Without an updater id every report asks the update manager's library.
  patch.configuration(
      "<key>locate</key><dict><key>executableNameNoExt</key>"
      "<string>Zelto Lumbix</string></dict>");
  const std::string app = patch.application("Other.app", std::nullopt);
  patch.resource("app_list.txt", "Other.app");
  writeFile(app + "/Contents/MacOS/SHInit.xml", "x");
  patch.build("");
  RunResult result = patch.run({"-path", app});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  const Lines log = result.log();
  ASSERT_EQ(log.size(), 3u) << result.err;
  EXPECT_EQ(log[0].rfind("Warning:  InstallerResults could not be loaded (", 0), 0u) << log[0];
  EXPECT_EQ(log[1].rfind("Warning:  ZeltoSelfHealing could not be loaded (", 0), 0u) << log[1];
  EXPECT_EQ(log[2], "Zelto Lumbix is up to date.");
}

}  // namespace
}  // namespace updater::testing
