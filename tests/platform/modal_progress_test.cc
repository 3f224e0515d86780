#include "platform/modal_progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace updater {
namespace {

TEST(ModalProgressTest, AnAbortBeforeTheModalRunIsKept) {
  ModalProgressWindow window;
  window.show();
  std::thread worker([&] { window.abortModal(); });
  worker.join();
  window.runModal();  // returns at once: the abort was kept
  SUCCEED();
}

TEST(ModalProgressTest, AnAbortFromAnotherThreadEndsTheRun) {
  ModalProgressWindow window;
  window.show();
  for (int run = 0; run < 20; ++run) {
    std::thread worker([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(run % 3));
      window.abortModal();
    });
    window.runModal();
    worker.join();
  }
  window.close();
}

TEST(ModalProgressTest, AnAbortWithoutAShownWindowHasNoEffect) {
  ModalProgressWindow window;
  window.abortModal();
  window.show();
  std::atomic<bool> second_abort{false};
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    second_abort = true;
    window.abortModal();
  });
  window.runModal();
  // The early abort was dropped, so this run waited for the second one.
  EXPECT_TRUE(second_abort.load());
  worker.join();
}

}  // namespace
}  // namespace updater
