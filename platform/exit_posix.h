// The real ProcessExit: flushes the standard streams, then exit(3).
#pragma once

#include "platform/exit.h"

namespace updater {

class PosixProcessExit : public ProcessExit {
 public:
  [[noreturn]] void exit(int status) override;
};

}  // namespace updater
