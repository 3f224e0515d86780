#include "platform/log_console.h"

#include <sys/syscall.h>
#include <syslog.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace updater {

ConsoleLogSink::ConsoleLogSink() { openlog("updater", LOG_PID, LOG_USER); }

ConsoleLogSink::~ConsoleLogSink() { closelog(); }

void ConsoleLogSink::write(std::string_view message) {
  const auto now = std::chrono::system_clock::now();
  const long long millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  std::string entry = formatConsoleEntry(message, millis, static_cast<long>(getpid()),
                                         static_cast<long>(syscall(SYS_gettid)));
  entry.push_back('\n');
  std::lock_guard<std::mutex> lock(mutex_);
  // One write per entry keeps entries whole when other processes share stderr.
  std::fwrite(entry.data(), 1, entry.size(), stderr);
  std::fflush(stderr);
  syslog(LOG_NOTICE, "%.*s", static_cast<int>(message.size()), message.data());
}

}  // namespace updater
