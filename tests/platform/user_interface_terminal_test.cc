#include "platform/user_interface_terminal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace updater {
namespace {

// A terminal conversation: `input` is what the person types.
class Conversation {
 public:
  explicit Conversation(const std::string& input) : input_(input) {
    in_ =
        input_.empty() ? std::fopen("/dev/null", "r") : fmemopen(input_.data(), input_.size(), "r");
    out_ = std::tmpfile();
    ui = std::make_unique<TerminalUserInterface>(in_, out_, false);
  }
  ~Conversation() {
    std::fclose(in_);
    std::fclose(out_);
  }
  std::string output() {
    std::fflush(out_);
    std::rewind(out_);
    std::string text;
    for (int c; (c = std::fgetc(out_)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
  }
  std::unique_ptr<TerminalUserInterface> ui;

 private:
  std::string input_;
  std::FILE* in_;
  std::FILE* out_;
};

TEST(TerminalAlertTest, AnswersByLine) {
  const AlertRequest two{"Apps run", "Quit them.", "Continue", "Cancel"};
  const AlertRequest one{"Done", "All good.", "", std::nullopt};
  struct Case {
    const char* input;
    const AlertRequest& request;
    AlertResponse expected;
  };
  const Case cases[] = {
      {"\n", two, AlertResponse::kDefault},          {"1\n", two, AlertResponse::kDefault},
      {"2\n", two, AlertResponse::kAlternate},       {"", two, AlertResponse::kAlternate},
      {"x\n9\n2\n", two, AlertResponse::kAlternate}, {"", one, AlertResponse::kDefault},
      {"2\n\n", one, AlertResponse::kDefault},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Conversation talk(c.input);
    EXPECT_EQ(talk.ui->runAlert(c.request), c.expected);
  }
  Conversation talk("\n");
  talk.ui->runAlert(two);
  const std::string shown = talk.output();
  EXPECT_NE(shown.find("== Apps run ==\nQuit them.\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("[1] Continue (default)  [2] Cancel"), std::string::npos) << shown;
}

class OnlyApps : public OpenPanelDelegate {
 public:
  bool shouldShowFilename(const std::string& path) override {
    asked.push_back(path);
    return path.find("Good") != std::string::npos;
  }
  std::vector<std::string> asked;
};

TEST(TerminalOpenPanelTest, ChoosesConfirmsRefusesAndCancels) {
  OnlyApps delegate;
  OpenPanelRequest request;
  request.delegate = &delegate;
  request.prompt = "Update";
  request.message = "Where is Lumbix?";
  request.types = {"app"};
  request.directory = "/Apps";
  request.file = "Good.app";

  struct Case {
    const char* input;
    bool preset;
    OpenPanelResult expected;
  };
  const Case cases[] = {
      {"\n", true, {true, {"/Apps/Good.app"}}},
      {"/Other/Good.app\n", true, {true, {"/Other/Good.app"}}},
      {"/Other/Bad.app\n/Other/notes.txt\n/Else/Good.app\n", true, {true, {"/Else/Good.app"}}},
      {"/Other/Bad.app\n", true, {false, {}}},
      {"", true, {false, {}}},
      {"\n", false, {false, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Conversation talk(c.input);
    OpenPanelRequest r = request;
    if (!c.preset) {
      r.directory.reset();
      r.file.reset();
    }
    OpenPanelResult result = talk.ui->makeOpenPanel()->runModal(r);
    EXPECT_EQ(result.confirmed, c.expected.confirmed);
    EXPECT_EQ(result.filenames, c.expected.filenames);
  }
  Conversation talk("/Other/Bad.app\n");
  talk.ui->makeOpenPanel()->runModal(request);
  const std::string shown = talk.output();
  EXPECT_NE(shown.find("Where is Lumbix?"), std::string::npos);
  EXPECT_NE(shown.find("[/Apps/Good.app]"), std::string::npos);
  EXPECT_NE(shown.find("/Other/Bad.app cannot be chosen."), std::string::npos) << shown;
}

TEST(TerminalProgressTest, ShowsNothingOnAPipe) {
  Conversation talk("");
  ProgressWindow& progress = talk.ui->progressWindow();
  progress.show();
  std::thread worker([&] { progress.abortModal(); });
  progress.runModal();
  worker.join();
  progress.close();
  EXPECT_EQ(talk.output(), "");
}

}  // namespace
}  // namespace updater
