// Ending the process.
//
// Abstract so it can be mocked out for tests; the real implementation flushes
// the standard streams and calls exit(3).
#pragma once

namespace updater {

class ProcessExit {
 public:
  virtual ~ProcessExit() = default;
  [[noreturn]] virtual void exit(int status) = 0;
};

}  // namespace updater
