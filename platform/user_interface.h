// Everything the updater can show a person: alerts, the open panel and the
// progress window.
//
// Abstract so front ends can be chosen at start (terminal now, a graphical one
// later) and tests can script the answers. Every call is made on the main
// thread, except ProgressWindow::abortModal(), which the install worker
// thread makes.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace updater {

// The answers of a modal alert, with the platform's values.
enum class AlertResponse {
  kDefault = 1,    // the default button
  kAlternate = 0,  // the alternate button
  kOther = -1,     // the third button
  kError = -2,     // the alert could not be shown
};
std::ostream& operator<<(std::ostream& out, AlertResponse response);

struct AlertRequest {
  std::string title;
  std::string message;
  // Empty: the platform's default button title ("OK").
  std::string default_button;
  std::optional<std::string> alternate_button;
};

// Asked by the open panel, for every entry it is about to list, whether the
// entry may be chosen (or, for a folder, entered).
class OpenPanelDelegate {
 public:
  virtual ~OpenPanelDelegate() = default;
  virtual bool shouldShowFilename(const std::string& path) = 0;
};

struct OpenPanelRequest {
  OpenPanelDelegate* delegate = nullptr;
  bool can_choose_directories = false;
  bool can_choose_files = true;
  std::string prompt;                  // the confirm button's title
  std::optional<std::string> message;  // set only when acceptsMessage()
  std::optional<std::string> directory;
  std::optional<std::string> file;  // preset file name inside `directory`
  std::vector<std::string> types;   // path extensions, e.g. "app"
};

struct OpenPanelResult {
  bool confirmed = false;              // the modal run answered 1
  std::vector<std::string> filenames;  // chosen paths, first one first
};

class OpenPanel {
 public:
  virtual ~OpenPanel() = default;
  // Whether the panel can show a message; when not, the caller shows its
  // message in an alert first.
  virtual bool acceptsMessage() const = 0;
  virtual OpenPanelResult runModal(const OpenPanelRequest& request) = 0;
};

// The progress window: an animated indicator without a value.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void show() = 0;
  // Runs the window modally until abortModal(). An abort that came while the
  // window was shown but before this run began ends this run at once.
  virtual void runModal() = 0;
  // Any thread. Without a shown window it has no effect.
  virtual void abortModal() = 0;
  virtual void close() = 0;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  virtual AlertResponse runAlert(const AlertRequest& request) = 0;
  // nullptr when no panel can be made.
  virtual std::unique_ptr<OpenPanel> makeOpenPanel() = 0;
  virtual ProgressWindow& progressWindow() = 0;
};

}  // namespace updater
