#include "manager/kvr_installer_results_wrapper.h"

#include <gtest/gtest.h>

#include <cstring>

#include "manager/installer_results_library.h"
#include "platform/bundle.h"
#include "platform/file_system_posix.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace updater {
namespace {

using testing::plistXml;
using testing::writeFile;

class WrapperTest : public ::testing::Test {
 protected:
  WrapperTest() {
    environment_.home = dir_ / "home";
    writeFile(dir_ / "U.app/Contents/Resources/en.lproj/resultsMessages.strings",
              "\"104\" = \"Not found\";");
    bundle_ = Bundle::open(fs_, dir_ / "U.app", {"en"});
  }
  KVRInstallerResultsWrapper wrapper(InstallerResultsLibrary& library) {
    return KVRInstallerResultsWrapper(fs_, environment_, bundle_, processes_, library);
  }
  void installerData(const std::string& id) {
    writeFile(dir_ /
                  "home/Library/Application Support/Zelto/Updater/Install/"
                  "ZeltoUpdaterInstallerData.plist",
              plistXml("<key>KVR_APP_ID</key><string>" + id + "</string>"));
  }

  testing::TempDir dir_;
  PosixFileSystem fs_;
  testing::FakeEnvironment environment_;
  testing::FakeProcessLauncher processes_;
  testing::FakeInstallerResults library_;
  std::shared_ptr<const Bundle> bundle_;
};

TEST_F(WrapperTest, TheInstallerDataFileMustNameTheId) {
  library_.client_path = "/Applications/Lumbix.app";
  auto bridge = wrapper(library_);
  EXPECT_TRUE(bridge.testKVRID(std::nullopt));
  EXPECT_FALSE(bridge.testKVRID("com.a")) << "no file";
  EXPECT_FALSE(bridge.runningUnderKVR("com.a"));
  EXPECT_EQ(library_.path_calls, 0) << "the library is not asked for another id";
  EXPECT_FALSE(bridge.cleanup("com.a"));

  installerData("com.a");
  EXPECT_TRUE(bridge.testKVRID("com.a"));
  EXPECT_FALSE(bridge.testKVRID("COM.A"));
  EXPECT_EQ(bridge.clientAppPath("com.a"), "/Applications/Lumbix.app");
  EXPECT_TRUE(bridge.runningUnderKVR(std::nullopt));
}

// A library that answers in a scripted way and records the sizes it was given.
class ScriptedLibrary : public InstallerResultsLibrary {
 public:
  std::vector<std::pair<int32_t, std::string>> answers;  // result, bytes to write
  std::vector<uint32_t> sizes;
  uint32_t length_out = 0;
  int32_t getClientAppPath(uint32_t* length, char* buffer) override {
    sizes.push_back(*length);
    auto [result, bytes] = answers.at(sizes.size() - 1);
    std::memcpy(buffer, bytes.data(), std::min<size_t>(bytes.size(), *length));
    if (result == 0) *length = length_out;
    return result;
  }
  int32_t setInstallerResults(int32_t, const char*) override { return 1; }
};

TEST_F(WrapperTest, ClientPathEnlargesTheBufferOnce) {
  ScriptedLibrary library;
  library.length_out = 2000;
  library.answers = {{0, ""}, {1, "/long/path"}};
  EXPECT_EQ(wrapper(library).clientAppPath(), "/long/path");
  EXPECT_EQ(library.sizes, (std::vector<uint32_t>{1024, 2001}));

  ScriptedLibrary twice;
  twice.length_out = 2000;
  twice.answers = {{0, ""}, {0, ""}};
  EXPECT_EQ(wrapper(twice).clientAppPath(), std::nullopt);
  EXPECT_EQ(twice.sizes.size(), 2u) << "no third call";

  ScriptedLibrary none;
  none.answers = {{0, ""}};
  EXPECT_EQ(wrapper(none).clientAppPath(), std::nullopt);
  EXPECT_EQ(none.sizes.size(), 1u);
}

TEST_F(WrapperTest, ClientPathNeverReadsPastTheBuffer) {
  ScriptedLibrary library;
  library.answers = {{1, std::string(1024, 'x')}};  // no NUL anywhere
  auto path = wrapper(library).clientAppPath();
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->size(), 1024u);
}

TEST_F(WrapperTest, ResultsCarryTheLocalizedMessage) {
  auto bridge = wrapper(library_);
  EXPECT_TRUE(bridge.setInstallerResults(ResultCode::kSuccess, "104"));
  EXPECT_TRUE(bridge.setInstallerResults(ResultCode::kFailed, "102"));
  EXPECT_TRUE(bridge.setInstallerResults(ResultCode::kCancelled));
  using R = std::pair<int32_t, std::optional<std::string>>;
  EXPECT_EQ(library_.results, (std::vector<R>{{0, "Not found"}, {4, "102"}, {2, ""}}));
  library_.accept = 0;
  EXPECT_FALSE(bridge.setInstallerResults(ResultCode::kSuccess));
}

TEST_F(WrapperTest, CleanupStartsTheScriptWithoutWaiting) {
  auto bridge = wrapper(library_);
  EXPECT_TRUE(bridge.cleanup()) << "no script: nothing to start";
  EXPECT_TRUE(processes_.calls.empty());
  const std::string script = dir_ / "U.app/Contents/Resources/cleanupKVR.sh";
  writeFile(script, "#!/bin/sh\n", 0755);
  EXPECT_TRUE(bridge.cleanup(std::nullopt));
  ASSERT_EQ(processes_.calls.size(), 1u);
  EXPECT_EQ(processes_.calls[0].program, script);
  EXPECT_EQ(processes_.calls[0].arguments, std::vector<std::string>{script});
  EXPECT_FALSE(processes_.calls[0].waited);
}

}  // namespace
}  // namespace updater
