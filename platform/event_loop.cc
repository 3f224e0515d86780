#include "platform/event_loop.h"

#include <algorithm>

#include "platform/notification_center.h"

namespace updater {

void EventLoopApplication::run() {
  notifications_.post({kApplicationDidFinishLaunchingNotification, this, std::nullopt});
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopped_ && !timers_.empty()) {
    auto next = std::min_element(timers_.begin(), timers_.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; });
    if (std::chrono::steady_clock::now() < next->due) {
      wake_.wait_until(lock, next->due);
      continue;
    }
    std::function<void()> action = std::move(next->action);
    timers_.erase(next);
    lock.unlock();
    action();
    lock.lock();
  }
}

void EventLoopApplication::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
  wake_.notify_all();
}

void EventLoopApplication::scheduleTimer(double seconds, std::function<void()> action) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.push_back({std::chrono::steady_clock::now() +
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(seconds)),
                     std::move(action)});
  wake_.notify_all();
}

}  // namespace updater
