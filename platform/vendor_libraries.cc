#include "platform/vendor_libraries.h"

#include "platform/dynamic_library.h"
#include "platform/log.h"

namespace updater {
namespace {

std::unique_ptr<DynamicLibrary> openOrLog(const std::string& path, const char* name,
                                          const char* without, Log& log) {
  std::string error;
  auto library = DynamicLibrary::open(path, &error);
  if (!library)
    log(std::string("Warning:  ") + name + " could not be loaded (" + error + "); " + without);
  return library;
}

}  // namespace

LoadedInstallerResults::LoadedInstallerResults(std::string bundle_path, Log& log)
    : path_(std::move(bundle_path) + "/" + kInstallerResultsLibrary), log_(log) {}

LoadedInstallerResults::~LoadedInstallerResults() = default;

void LoadedInstallerResults::load() {
  std::call_once(once_, [this] {
    const char* without = "going on as without an update manager.";
    library_ = openOrLog(path_, "InstallerResults", without, log_);
    if (!library_) return;
    get_path_ = library_->symbol<decltype(KVRGetClientAppPath)>("KVRGetClientAppPath");
    set_results_ = library_->symbol<decltype(KVRSetInstallerResults)>("KVRSetInstallerResults");
    if (!get_path_ || !set_results_) {
      log_(std::string("Warning:  InstallerResults lacks ") +
           (!get_path_ ? "KVRGetClientAppPath" : "KVRSetInstallerResults") + "; " + without);
      get_path_ = nullptr;
      set_results_ = nullptr;
    }
  });
}

int32_t LoadedInstallerResults::getClientAppPath(uint32_t* length, char* buffer) {
  load();
  if (!get_path_) {
    *length = 0;
    return 0;
  }
  return get_path_(length, buffer);
}

int32_t LoadedInstallerResults::setInstallerResults(int32_t result_code, const char* message) {
  load();
  return set_results_ ? set_results_(result_code, message) : 0;
}

LoadedSelfHeal::LoadedSelfHeal(std::string bundle_path, Log& log)
    : path_(std::move(bundle_path) + "/" + kSelfHealLibrary), log_(log) {}

LoadedSelfHeal::~LoadedSelfHeal() = default;

bool LoadedSelfHeal::available() {
  std::call_once(once_, [this] {
    const char* without = "no self-heal repair.";
    library_ = openOrLog(path_, "ZeltoSelfHealing", without, log_);
    if (!library_) return;
    repair_ = library_->symbol<decltype(SHRepair)>("SHRepair");
    if (!repair_) log_(std::string("Warning:  ZeltoSelfHealing lacks SHRepair; ") + without);
  });
  return repair_ != nullptr;
}

int32_t LoadedSelfHeal::repair(SelfHealRequest* request, void* reserved, SHOptionsRef* options) {
  return available() ? repair_(request, reserved, options) : -1;
}

}  // namespace updater
