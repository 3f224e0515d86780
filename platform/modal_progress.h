// The modal-run bookkeeping every progress window shares: runModal() blocks
// until abortModal(), and an abort that comes from the worker thread before
// the modal run has begun is kept, so the run it was meant for ends at once
// instead of waiting forever.
#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/user_interface.h"

namespace updater {

class ModalProgressWindow : public ProgressWindow {
 public:
  void show() override;
  void runModal() override;
  void abortModal() override;
  void close() override;

 protected:
  // Hooks for what a front end draws; called on the main thread, without
  // the lock held. onModalTick() runs about ten times a second during a run.
  virtual void onShow() {}
  virtual void onModalTick() {}
  virtual void onModalEnd() {}
  virtual void onClose() {}

 private:
  std::mutex mutex_;
  std::condition_variable aborted_;
  bool shown_ = false;
  bool abort_pending_ = false;
};

}  // namespace updater
