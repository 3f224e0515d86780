#include "platform/user_interface_terminal.h"

#include <algorithm>

namespace updater {
namespace {

std::string extensionOf(const std::string& path) {
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  name = name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? "" : name.substr(dot + 1);
}

class TerminalOpenPanel : public OpenPanel {
 public:
  explicit TerminalOpenPanel(TerminalUserInterface& ui) : ui_(ui) {}

  bool acceptsMessage() const override { return true; }

  OpenPanelResult runModal(const OpenPanelRequest& request) override {
    std::FILE* out = ui_.out();
    std::optional<std::string> preset;
    if (request.directory && request.file) {
      preset = *request.directory +
               (request.directory->empty() || request.directory->back() != '/' ? "/" : "") +
               *request.file;
    }
    if (request.message) std::fprintf(out, "%s\n", request.message->c_str());
    for (;;) {
      if (preset) {
        std::fprintf(out, "Path [%s] (empty line: %s, end of input: cancel): ", preset->c_str(),
                     request.prompt.empty() ? "confirm" : request.prompt.c_str());
      } else {
        std::fprintf(out, "Path (empty line or end of input: cancel): ");
      }
      std::fflush(out);
      auto line = ui_.readLine();
      std::fprintf(out, "\n");
      if (!line) return {};
      std::string choice = line->empty() ? preset.value_or("") : *line;
      if (choice.empty()) return {};
      if (!acceptable(request, choice)) {
        std::fprintf(out, "%s cannot be chosen.\n", choice.c_str());
        continue;
      }
      return {true, {choice}};
    }
  }

 private:
  bool acceptable(const OpenPanelRequest& request, const std::string& path) const {
    const std::string extension = extensionOf(path);
    const bool typed =
        std::find(request.types.begin(), request.types.end(), extension) != request.types.end();
    if (!request.types.empty() && !typed) return false;
    if (!request.can_choose_files && typed) return false;
    return request.delegate == nullptr || request.delegate->shouldShowFilename(path);
  }

  TerminalUserInterface& ui_;
};

constexpr const char* kSpinner = "|/-\\";

}  // namespace

void TerminalProgressWindow::onShow() {
  if (is_terminal_) std::fprintf(out_, "Installing...\n");
}

void TerminalProgressWindow::onModalTick() {
  if (!is_terminal_) return;
  std::fprintf(out_, "\r%c", kSpinner[frame_++ % 4]);
  std::fflush(out_);
}

void TerminalProgressWindow::onModalEnd() {
  if (!is_terminal_) return;
  std::fprintf(out_, "\r \r");
  std::fflush(out_);
}

void TerminalProgressWindow::onClose() {}

TerminalUserInterface::TerminalUserInterface(std::FILE* in, std::FILE* out, bool is_terminal)
    : in_(in), out_(out), progress_(out, is_terminal) {}

std::optional<std::string> TerminalUserInterface::readLine() {
  std::string line;
  for (;;) {
    int c = std::fgetc(in_);
    if (c == EOF) {
      if (line.empty()) return std::nullopt;
      return line;
    }
    if (c == '\n') return line;
    // A person's answer is short; do not let a flood on the pipe grow memory.
    if (line.size() < 64 * 1024) line.push_back(static_cast<char>(c));
  }
}

AlertResponse TerminalUserInterface::runAlert(const AlertRequest& request) {
  const std::string default_button =
      request.default_button.empty() ? std::string("OK") : request.default_button;
  std::fprintf(out_, "\n== %s ==\n%s\n", request.title.c_str(), request.message.c_str());
  for (;;) {
    if (request.alternate_button) {
      std::fprintf(out_, "[1] %s (default)  [2] %s: ", default_button.c_str(),
                   request.alternate_button->c_str());
    } else {
      std::fprintf(out_, "[1] %s: ", default_button.c_str());
    }
    std::fflush(out_);
    auto line = readLine();
    std::fprintf(out_, "\n");
    std::fflush(out_);
    // At the end of input nobody can answer: cancel where cancelling exists.
    if (!line)
      return request.alternate_button ? AlertResponse::kAlternate : AlertResponse::kDefault;
    if (line->empty() || *line == "1") return AlertResponse::kDefault;
    if (*line == "2" && request.alternate_button) return AlertResponse::kAlternate;
  }
}

std::unique_ptr<OpenPanel> TerminalUserInterface::makeOpenPanel() {
  return std::make_unique<TerminalOpenPanel>(*this);
}

}  // namespace updater
