#include "manager/kvr_installer_results_wrapper.h"

#include <cstring>
#include <vector>

#include "manager/installer_results_library.h"
#include "platform/bundle.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/property_list.h"

namespace updater {
namespace {

constexpr size_t kMaxInstallerDataBytes = 1024 * 1024;
constexpr uint32_t kFirstBufferSize = 1024;
// A client path is a file system path; a library asking for more is broken.
constexpr uint32_t kMaxClientPathBytes = 1024 * 1024;

// The library promises a NUL-terminated string; read only up to the buffer's
// end even if it broke that promise.
std::string stringInBuffer(const std::vector<char>& buffer) {
  const char* end = static_cast<const char*>(std::memchr(buffer.data(), '\0', buffer.size()));
  return std::string(buffer.data(), end != nullptr ? end : buffer.data() + buffer.size());
}

}  // namespace

KVRInstallerResultsWrapper::KVRInstallerResultsWrapper(const FileSystem& file_system,
                                                       const Environment& environment,
                                                       std::shared_ptr<const Bundle> main_bundle,
                                                       ProcessLauncher& processes,
                                                       InstallerResultsLibrary& library)
    : file_system_(file_system),
      environment_(environment),
      main_bundle_(std::move(main_bundle)),
      processes_(processes),
      library_(library) {}

bool KVRInstallerResultsWrapper::testKVRID(const std::optional<std::string>& app_id) const {
  if (!app_id) return true;
  const std::string home = environment_.homeDirectory();
  if (home.empty()) return false;
  const std::string path = home + (std::string(kInstallerDataFile).substr(1));
  auto bytes = file_system_.readFile(path, kMaxInstallerDataBytes);
  if (!bytes) return false;
  auto data = parsePropertyListDictionary(*bytes);
  if (!data) return false;
  const PlistValue* stored = findKey(*data, "KVR_APP_ID");
  return stored != nullptr && stored->asString() != nullptr && *stored->asString() == *app_id;
}

std::optional<std::string> KVRInstallerResultsWrapper::clientAppPath() const {
  std::vector<char> buffer(kFirstBufferSize, '\0');
  uint32_t length = kFirstBufferSize;
  int32_t answer = library_.getClientAppPath(&length, buffer.data());
  if (answer == 1) return stringInBuffer(buffer);
  if (answer != 0 || length == 0 || length >= kMaxClientPathBytes) return std::nullopt;
  buffer.assign(static_cast<size_t>(length) + 1, '\0');
  length = static_cast<uint32_t>(buffer.size());
  if (library_.getClientAppPath(&length, buffer.data()) != 1) return std::nullopt;
  return stringInBuffer(buffer);
}

std::optional<std::string> KVRInstallerResultsWrapper::clientAppPath(
    const std::optional<std::string>& app_id) const {
  if (!testKVRID(app_id)) return std::nullopt;
  return clientAppPath();
}

bool KVRInstallerResultsWrapper::runningUnderKVR(const std::optional<std::string>& app_id) const {
  return clientAppPath(app_id).has_value();
}

bool KVRInstallerResultsWrapper::runningUnderKVR() const { return clientAppPath().has_value(); }

bool KVRInstallerResultsWrapper::setInstallerResults(
    ResultCode code, const std::optional<std::string>& message_key) const {
  std::string message;
  if (message_key) message = main_bundle_->localizedString(*message_key, "", "resultsMessages");
  return library_.setInstallerResults(static_cast<int32_t>(code), message.c_str()) == 1;
}

bool KVRInstallerResultsWrapper::setInstallerResults(ResultCode code) const {
  return setInstallerResults(code, std::nullopt);
}

bool KVRInstallerResultsWrapper::cleanup() const {
  if (auto script = main_bundle_->pathForResource("cleanupKVR", "sh")) {
    processes_.launch(*script, {*script});
  }
  return true;
}

bool KVRInstallerResultsWrapper::cleanup(const std::optional<std::string>& app_id) const {
  if (!testKVRID(app_id)) return false;
  return cleanup();
}

}  // namespace updater
