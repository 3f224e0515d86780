// EventLoopApplication: the application object for front ends without an
// event loop of their own (silent runs, the terminal).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/application.h"

namespace updater {

class NotificationCenter;

class EventLoopApplication : public Application {
 public:
  explicit EventLoopApplication(NotificationCenter& notifications)
      : notifications_(notifications) {}

  void run() override;
  void stop() override;
  void scheduleTimer(double seconds, std::function<void()> action) override;
  void transformToForegroundApplication() override {}
  void activateIgnoringOtherApps() override {}

 private:
  struct Timer {
    std::chrono::steady_clock::time_point due;
    std::function<void()> action;
  };
  NotificationCenter& notifications_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Timer> timers_;
  bool stopped_ = false;
};

}  // namespace updater
