// The real log: standard error in the console form, and syslog(3).
#pragma once

#include <mutex>

#include "platform/log.h"

namespace updater {

class ConsoleLogSink : public LogSink {
 public:
  ConsoleLogSink();
  ~ConsoleLogSink() override;
  void write(std::string_view message) override;

 private:
  std::mutex mutex_;
};

}  // namespace updater
