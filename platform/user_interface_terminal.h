// The terminal front end: serves a person at a terminal and a script on a
// pipe alike. Questions go to standard output, answers are read one line at a
// time from standard input (the protocol is in the README).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/modal_progress.h"
#include "platform/user_interface.h"

namespace updater {

class TerminalProgressWindow : public ModalProgressWindow {
 public:
  TerminalProgressWindow(std::FILE* out, bool is_terminal) : out_(out), is_terminal_(is_terminal) {}

 protected:
  void onShow() override;
  void onModalTick() override;
  void onModalEnd() override;
  void onClose() override;

 private:
  std::FILE* out_;
  bool is_terminal_;
  unsigned frame_ = 0;
};

class TerminalUserInterface : public UserInterface {
 public:
  // `in` and `out` are the conversation's streams; `is_terminal` turns on
  // the live progress indicator.
  TerminalUserInterface(std::FILE* in, std::FILE* out, bool is_terminal);

  AlertResponse runAlert(const AlertRequest& request) override;
  std::unique_ptr<OpenPanel> makeOpenPanel() override;
  ProgressWindow& progressWindow() override { return progress_; }

  // One line of input without its line feed; nullopt at end of input.
  std::optional<std::string> readLine();
  std::FILE* out() const { return out_; }

 private:
  std::FILE* in_;
  std::FILE* out_;
  TerminalProgressWindow progress_;
};

}  // namespace updater
