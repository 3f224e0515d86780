#include "platform/notification_center.h"

#include <algorithm>

namespace updater {

void NotificationCenter::addObserver(const void* observer, const std::string& name,
                                     Handler handler) {
  auto registration = std::make_shared<Registration>();
  registration->observer = observer;
  registration->name = name;
  registration->handler = std::move(handler);
  std::lock_guard<std::mutex> lock(mutex_);
  registrations_.push_back(std::move(registration));
}

void NotificationCenter::removeObserver(const void* observer) {
  removeWhere([observer](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, const std::string& name) {
  removeWhere([observer, &name](const Registration& r) {
    return r.observer == observer && r.name == name;
  });
}

void NotificationCenter::removeWhere(const std::function<bool(const Registration&)>& matches) {
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(mutex_);
  std::vector<std::shared_ptr<Registration>> removed;
  for (auto it = registrations_.begin(); it != registrations_.end();) {
    if (matches(**it)) {
      (*it)->removed = true;
      removed.push_back(*it);
      it = registrations_.erase(it);
    } else {
      ++it;
    }
  }
  // The caller may free what the handler uses as soon as we return, so wait
  // for deliveries running on other threads. A handler removing itself would
  // wait for itself: deliveries on this thread are not waited for.
  idle_.wait(lock, [&] {
    return std::all_of(removed.begin(), removed.end(), [&](const auto& r) {
      return std::all_of(r->running_on.begin(), r->running_on.end(),
                         [&](std::thread::id id) { return id == self; });
    });
  });
}

void NotificationCenter::post(const Notification& notification) {
  const std::thread::id self = std::this_thread::get_id();
  std::vector<std::shared_ptr<Registration>> targets;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& registration : registrations_) {
      if (registration->name.empty() || registration->name == notification.name) {
        targets.push_back(registration);
      }
    }
  }
  for (const auto& registration : targets) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (registration->removed) continue;
      registration->running_on.push_back(self);
    }
    registration->handler(notification);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto& running = registration->running_on;
      running.erase(std::find(running.begin(), running.end(), self));
    }
    idle_.notify_all();
  }
}

}  // namespace updater
