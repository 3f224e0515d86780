#include "platform/modal_progress.h"

#include <chrono>

namespace updater {

void ModalProgressWindow::show() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_ = true;
  }
  onShow();
}

void ModalProgressWindow::runModal() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!abort_pending_) {
    aborted_.wait_for(lock, std::chrono::milliseconds(100));
    if (abort_pending_) break;
    lock.unlock();
    onModalTick();
    lock.lock();
  }
  abort_pending_ = false;
  lock.unlock();
  onModalEnd();
}

void ModalProgressWindow::abortModal() {
  std::lock_guard<std::mutex> lock(mutex_);
  // Without a shown window no modal run is in progress or about to begin.
  if (!shown_) return;
  abort_pending_ = true;
  aborted_.notify_all();
}

void ModalProgressWindow::close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_ = false;
    abort_pending_ = false;
  }
  onClose();
}

}  // namespace updater
