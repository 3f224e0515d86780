// The updater's log.
//
// Every message is one entry: on standard error in the console form (date, time
// with milliseconds, "updater[pid:tid]", the message) and in the system log.
// LogSink is abstract so it can be mocked out for tests; the real one is
// ConsoleLogSink (log_console.cc).
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

class LogSink {
 public:
  virtual ~LogSink() = default;
  // Writes one entry. May be called from any thread.
  virtual void write(std::string_view message) = 0;
};

// What the updater's logic logs through: holds the secrets (the password) that
// must never reach any log line and masks them before the sink sees a message.
class Log {
 public:
  explicit Log(LogSink& sink) : sink_(sink) {}

  void operator()(std::string_view message);
  // From now on every occurrence of `secret` is written as "********".
  void addSecret(std::string secret);

 private:
  LogSink& sink_;
  std::mutex mutex_;
  std::vector<std::string> secrets_;
};

// The console form of one entry, without the trailing line feed:
// "2026-12-11 06:20:10.123 updater[4242:4243] message".
std::string formatConsoleEntry(std::string_view message, long long epoch_milliseconds, long pid,
                               long tid);

}  // namespace updater
