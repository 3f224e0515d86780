// The update manager's library as the bridge sees it.
//
// Abstract so it can be mocked out for tests; the real one is loaded from the
// updater bundle at run time (installer_results_loader.h).
#pragma once

#include <cstdint>

namespace updater {

class InstallerResultsLibrary {
 public:
  virtual ~InstallerResultsLibrary() = default;
  // The two entry points of installer_results.h, with their contracts.
  virtual int32_t getClientAppPath(uint32_t* length, char* buffer) = 0;
  virtual int32_t setInstallerResults(int32_t result_code, const char* message) = 0;
};

// Behaves as when no update manager is present: no client application path,
// and no result accepted.
class AbsentInstallerResults : public InstallerResultsLibrary {
 public:
  int32_t getClientAppPath(uint32_t* length, char*) override {
    *length = 0;
    return 0;
  }
  int32_t setInstallerResults(int32_t, const char*) override { return 0; }
};

}  // namespace updater
