// The bridge to the update manager: whether it launched the updater and for
// which application, handing it result codes, and its clean-up script.
//
// It keeps no state: every call reads the installer data file and asks the
// library afresh. Safe to call from the main and the install worker thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace updater {

class Bundle;
class Environment;
class FileSystem;
class InstallerResultsLibrary;
class ProcessLauncher;

// Result codes the update manager receives.
enum class ResultCode : int32_t {
  kSuccess = 0,  // installed, or already up to date
  kCancelled = 2,
  kFailed = 4,
};

inline constexpr const char* kInstallerDataFile =
    "~/Library/Application Support/Zelto/Updater/Install/ZeltoUpdaterInstallerData.plist";

class KVRInstallerResultsWrapper {
 public:
  KVRInstallerResultsWrapper(const FileSystem& file_system, const Environment& environment,
                             std::shared_ptr<const Bundle> main_bundle, ProcessLauncher& processes,
                             InstallerResultsLibrary& library);

  // True without an id; with one, when the installer data file's "KVR_APP_ID"
  // is exactly that id.
  bool testKVRID(const std::optional<std::string>& app_id) const;
  std::optional<std::string> clientAppPath() const;
  std::optional<std::string> clientAppPath(const std::optional<std::string>& app_id) const;
  bool runningUnderKVR(const std::optional<std::string>& app_id) const;
  bool runningUnderKVR() const;
  // The message is the key's text in the "resultsMessages" table (the key
  // itself when the table lacks it; the empty text without a key).
  bool setInstallerResults(ResultCode code, const std::optional<std::string>& message_key) const;
  bool setInstallerResults(ResultCode code) const;
  // Starts cleanupKVR.sh without waiting for it; true in every case.
  bool cleanup() const;
  bool cleanup(const std::optional<std::string>& app_id) const;

 private:
  const FileSystem& file_system_;
  const Environment& environment_;
  std::shared_ptr<const Bundle> main_bundle_;
  ProcessLauncher& processes_;
  InstallerResultsLibrary& library_;
};

}  // namespace updater
