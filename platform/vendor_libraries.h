// The two vendor libraries, loaded from the updater bundle's Frameworks
// folder the first time they are needed. A library that is missing or lacks
// an entry point is logged once; the updater then goes on without it.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "manager/installer_results.h"
#include "manager/installer_results_library.h"
#include "repair/self_heal.h"
#include "repair/self_heal_library.h"

namespace updater {

class DynamicLibrary;
class Log;

inline constexpr const char* kInstallerResultsLibrary =
    "Contents/Frameworks/InstallerResults.framework/Versions/A/InstallerResults";
inline constexpr const char* kSelfHealLibrary =
    "Contents/Frameworks/ZeltoSelfHealing.framework/Versions/A/ZeltoSelfHealing";

// Without the library it behaves as without an update manager: no client
// path, and no result accepted.
class LoadedInstallerResults : public InstallerResultsLibrary {
 public:
  LoadedInstallerResults(std::string bundle_path, Log& log);
  ~LoadedInstallerResults() override;
  int32_t getClientAppPath(uint32_t* length, char* buffer) override;
  int32_t setInstallerResults(int32_t result_code, const char* message) override;

 private:
  void load();
  std::string path_;
  Log& log_;
  std::once_flag once_;
  std::unique_ptr<DynamicLibrary> library_;
  decltype(KVRGetClientAppPath)* get_path_ = nullptr;
  decltype(KVRSetInstallerResults)* set_results_ = nullptr;
};

class LoadedSelfHeal : public SelfHealLibrary {
 public:
  LoadedSelfHeal(std::string bundle_path, Log& log);
  ~LoadedSelfHeal() override;
  bool available() override;
  int32_t repair(SelfHealRequest* request, void* reserved, SHOptionsRef* options) override;

 private:
  std::string path_;
  Log& log_;
  std::once_flag once_;
  std::unique_ptr<DynamicLibrary> library_;
  decltype(SHRepair)* repair_ = nullptr;
};

}  // namespace updater
