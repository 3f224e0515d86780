// The self-heal library as the updater sees it.
//
// Abstract so it can be mocked out for tests; the real one is loaded from the
// updater bundle at run time (platform/vendor_libraries.h).
#pragma once

#include <cstdint>

#include "repair/self_heal.h"

namespace updater {

class SelfHealLibrary {
 public:
  virtual ~SelfHealLibrary() = default;
  // False when the library or its entry point could not be loaded; the
  // reason has been logged once.
  virtual bool available() = 0;
  // SHRepair with its contract; only when available().
  virtual int32_t repair(SelfHealRequest* request, void* reserved, SHOptionsRef* options) = 0;
};

}  // namespace updater
