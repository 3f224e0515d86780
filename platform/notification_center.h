// A notification centre with synchronous delivery on the posting thread.
//
// Observers are added and removed by name from any thread, also while another
// thread posts: once removeObserver() has returned, that observer is not
// running and will not be called again (unless the remover is the observer's
// own delivery, which may remove itself).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/plist_value.h"

namespace updater {

inline constexpr const char* kApplicationDidFinishLaunchingNotification =
    "NSApplicationDidFinishLaunchingNotification";

struct Notification {
  std::string name;
  const void* object = nullptr;
  std::optional<PlistDictionary> userInfo;
};

class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;

  // `observer` identifies the registration for removal; `name` empty observes
  // every notification. Any sender.
  void addObserver(const void* observer, const std::string& name, Handler handler);
  // Every registration of `observer`, or those for `name`.
  void removeObserver(const void* observer);
  void removeObserver(const void* observer, const std::string& name);
  // Calls every matching observer on this thread before returning.
  void post(const Notification& notification);

 private:
  struct Registration {
    const void* observer;
    std::string name;
    Handler handler;
    bool removed = false;
    std::vector<std::thread::id> running_on;
  };
  void removeWhere(const std::function<bool(const Registration&)>& matches);

  std::mutex mutex_;
  std::condition_variable idle_;
  std::vector<std::shared_ptr<Registration>> registrations_;
};

}  // namespace updater
