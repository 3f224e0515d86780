#include "platform/log.h"

#include <cstdio>
#include <ctime>

namespace updater {

void Log::operator()(std::string_view message) {
  std::string text(message);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& secret : secrets_) {
      for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 8)) {
        text.replace(at, secret.size(), "********");
      }
    }
  }
  sink_.write(text);
}

void Log::addSecret(std::string secret) {
  // An empty secret would match everywhere and mask every message.
  if (secret.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  secrets_.push_back(std::move(secret));
}

std::string formatConsoleEntry(std::string_view message, long long epoch_milliseconds, long pid,
                               long tid) {
  std::time_t seconds = static_cast<std::time_t>(epoch_milliseconds / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d updater[%ld:%ld] ",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<int>(epoch_milliseconds % 1000), pid, tid);
  std::string entry(stamp);
  entry.append(message);
  return entry;
}

}  // namespace updater
