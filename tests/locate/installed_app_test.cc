#include "locate/installed_app.h"

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

class InstalledAppTest : public ::testing::Test {
 protected:
  std::string app() const { return dir_ / "Apps/Lumbix.app"; }
  void bundleWithRoz(const std::string& roz_body) {
    writeFile(app() + "/Contents/Info.plist",
              plistXml("<key>CFBundleExecutable</key><string>lumbix</string>"));
    writeFile(app() + "/Contents/Resources/roz.plist", plistXml(roz_body));
  }
  int64_t revision(const InstalledApp& record) {
    if (!record.rozDictionary()) return -1;
    const PlistValue* value = findKey(*record.rozDictionary(), "ROZProductUpdateRevision");
    return value ? static_cast<int64_t>(*value->numberValue()) : -1;
  }

  testing::TempDir dir_;
  PosixFileSystem fs_;
};

TEST_F(InstalledAppTest, FolderIgnoresATrailingSlash) {
  EXPECT_EQ(deletingLastPathComponent("/Apps/Lumbix.app"), "/Apps");
  EXPECT_EQ(deletingLastPathComponent("/Apps/Lumbix.app/"), "/Apps");
  EXPECT_EQ(deletingLastPathComponent("/Lumbix.app"), "/");
  EXPECT_EQ(deletingLastPathComponent("Lumbix.app"), "");
  InstalledApp record(fs_, {"en"}, app() + "/", std::nullopt);
  EXPECT_EQ(record.appPathFolder(), dir_ / "Apps");
  EXPECT_EQ(record.path(), app() + "/");
}

TEST_F(InstalledAppTest, MetadataComesFromTheBundleOrThePartialPath) {
  bundleWithRoz("<key>ROZProductUpdateRevision</key><integer>3</integer>");
  writeFile(app() + "/Contents/Other/meta.plist",
            plistXml("<key>ROZProductUpdateRevision</key><integer>9</integer>"));

  EXPECT_EQ(revision(InstalledApp(fs_, {"en"}, app(), std::nullopt)), 3);
  EXPECT_EQ(revision(InstalledApp(fs_, {"en"}, app(), "/Contents/Other/meta.plist")), 9);
  // A partial path to nothing does not fall back to the bundle's own file.
  EXPECT_EQ(InstalledApp(fs_, {"en"}, app(), "/Contents/none.plist").rozDictionary(), nullptr);
  // Not a bundle, no partial path: no metadata.
  EXPECT_EQ(InstalledApp(fs_, {"en"}, dir_ / "Apps", std::nullopt).rozDictionary(), nullptr);
  EXPECT_EQ(InstalledApp(fs_, {"en"}, dir_ / "Apps", std::nullopt).bundle(), nullptr);
}

TEST_F(InstalledAppTest, MetadataThatIsNoDictionaryIsNone) {
  writeFile(app() + "/Contents/Info.plist", plistXml(""));
  writeFile(app() + "/Contents/Resources/roz.plist",
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>");
  EXPECT_EQ(InstalledApp(fs_, {"en"}, app(), std::nullopt).rozDictionary(), nullptr);
  writeFile(app() + "/Contents/Resources/roz.plist", "garbage");
  EXPECT_EQ(InstalledApp(fs_, {"en"}, app(), std::nullopt).rozDictionary(), nullptr);
}

TEST_F(InstalledAppTest, RunningAsksIsRunningScript) {
  bundleWithRoz("");
  const std::string updater = dir_ / "Updater.app";
  const std::string script = updater + "/Contents/Resources/IsRunning.sh";
  testing::RecordingLogSink sink;
  Log log(sink);
  testing::FakeProcessLauncher processes;
  InstalledApp record(fs_, {"en"}, app(), std::nullopt);

  writeFile(updater + "/Contents/Info.plist", plistXml(""));
  auto bundle = Bundle::open(fs_, updater, {"en"});
  EXPECT_EQ(record.running(*bundle, processes, log), 2);
  EXPECT_EQ(sink.messages(),
            std::vector<std::string>{"Unable to locate IsRunning script in application resources"});

  writeFile(script, "#!/bin/sh\n", 0755);
  processes.statuses[script] = {0, 1, 2};
  EXPECT_EQ(record.running(*bundle, processes, log), 1);
  EXPECT_EQ(record.running(*bundle, processes, log), 0);
  EXPECT_EQ(record.running(*bundle, processes, log), 2);
  EXPECT_EQ(processes.calls.back().arguments,
            (std::vector<std::string>{script, app() + "/Contents/MacOS/lumbix"}));

  processes.statuses.clear();
  EXPECT_EQ(record.running(*bundle, processes, log), 2);
  EXPECT_EQ(sink.messages().back(), "Unable to spawn IsRunning script");

  InstalledApp no_bundle(fs_, {"en"}, dir_ / "Apps", std::nullopt);
  processes.statuses[script] = {1};
  EXPECT_EQ(no_bundle.running(*bundle, processes, log), 0);
  EXPECT_EQ(processes.calls.back().arguments, std::vector<std::string>{script});
}

}  // namespace
}  // namespace updater
