#include "platform/notification_center.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace updater {
namespace {

TEST(NotificationCenterTest, DeliversSynchronouslyOnThePostingThreadByName) {
  NotificationCenter center;
  int a = 0, b = 0;
  std::thread::id seen;
  center.addObserver(&a, "A", [&](const Notification& n) {
    ++a;
    seen = std::this_thread::get_id();
    EXPECT_EQ(*n.userInfo->at("k").asString(), "v");
  });
  center.addObserver(&b, "", [&](const Notification&) { ++b; });
  std::thread poster([&] {
    center.post({"A", nullptr, PlistDictionary{{"k", PlistValue::string("v")}}});
    EXPECT_EQ(a, 1) << "delivered before post returned";
    EXPECT_EQ(seen, std::this_thread::get_id());
  });
  poster.join();
  center.post({"B", nullptr, std::nullopt});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);

  center.removeObserver(&a, "A");
  center.post({"A", nullptr, PlistDictionary{{"k", PlistValue::string("v")}}});
  EXPECT_EQ(a, 1);
  center.removeObserver(&b);
  center.post({"A", nullptr, std::nullopt});
  EXPECT_EQ(b, 3);
}

TEST(NotificationCenterTest, AHandlerMayRemoveItself) {
  NotificationCenter center;
  int calls = 0;
  center.addObserver(&calls, "A", [&](const Notification&) {
    ++calls;
    center.removeObserver(&calls);
  });
  center.post({"A", nullptr, std::nullopt});
  center.post({"A", nullptr, std::nullopt});
  EXPECT_EQ(calls, 1);
}

// A worker posts while the main thread adds and removes observers: once
// removeObserver() returns, the observer's state may be destroyed.
TEST(NotificationCenterTest, RemovalWaitsForADeliveryOnAnotherThread) {
  NotificationCenter center;
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    while (!stop.load()) center.post({"tick", nullptr, std::nullopt});
  });
  for (int round = 0; round < 300; ++round) {
    auto counter = std::make_unique<int>(0);
    int* raw = counter.get();
    center.addObserver(raw, "tick", [raw](const Notification&) { ++*raw; });
    std::this_thread::yield();
    center.removeObserver(raw, "tick");
    counter.reset();  // a late delivery would write freed memory
  }
  stop = true;
  worker.join();
}

}  // namespace
}  // namespace updater
