// Hand-written fakes of the platform interfaces: they hold state, record
// calls and follow a script.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "manager/installer_results_library.h"
#include "platform/application.h"
#include "platform/authorization.h"
#include "platform/environment.h"
#include "platform/exit.h"
#include "platform/log.h"
#include "platform/process.h"
#include "platform/user_interface.h"
#include "repair/self_heal_library.h"

namespace updater::testing {

class RecordingLogSink : public LogSink {
 public:
  void write(std::string_view message) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.emplace_back(message);
  }
  std::vector<std::string> messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> messages_;
};

class FakeEnvironment : public Environment {
 public:
  std::map<std::string, std::string> variables;
  std::string home = "/nonexistent-home";
  unsigned uid = 0;

  std::optional<std::string> get(const std::string& name) const override {
    auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  }
  std::vector<std::pair<std::string, std::string>> all() const override {
    return {variables.begin(), variables.end()};
  }
  std::string homeDirectory() const override { return home; }
  unsigned realUserId() const override { return uid; }
};

class FakeProcessLauncher : public ProcessLauncher {
 public:
  struct Call {
    std::string program;
    std::vector<std::string> arguments;
    bool waited;
  };
  std::vector<Call> calls;
  // Exit statuses by program path; absent programs fail to start.
  std::map<std::string, std::deque<int>> statuses;

  std::optional<int> runAndWait(const std::string& program,
                                const std::vector<std::string>& arguments) override {
    calls.push_back({program, arguments, true});
    auto found = statuses.find(program);
    if (found == statuses.end() || found->second.empty()) return std::nullopt;
    int status = found->second.front();
    if (found->second.size() > 1) found->second.pop_front();
    return status;
  }
  bool launch(const std::string& program, const std::vector<std::string>& arguments) override {
    calls.push_back({program, arguments, false});
    return true;
  }
};

// Ends a "process" by throwing, so a test can watch an exit happen.
struct ExitCalled {
  int status;
};
class ThrowingExit : public ProcessExit {
 public:
  [[noreturn]] void exit(int status) override { throw ExitCalled{status}; }
};

class FakeApplication : public Application {
 public:
  int timers = 0;
  bool foreground = false;
  bool activated = false;
  void run() override {}
  void stop() override {}
  void scheduleTimer(double, std::function<void()>) override { ++timers; }
  void transformToForegroundApplication() override { foreground = true; }
  void activateIgnoringOtherApps() override { activated = true; }
};

class FakeProgressWindow : public ProgressWindow {
 public:
  std::vector<std::string> events;
  void show() override { events.push_back("show"); }
  void runModal() override { events.push_back("runModal"); }
  void abortModal() override {}
  void close() override { events.push_back("close"); }
};

class FakeUserInterface : public UserInterface {
 public:
  std::vector<AlertRequest> alerts;
  std::deque<AlertResponse> responses;
  FakeProgressWindow progress;
  // The open panel: whether one can be made, whether it shows messages, what
  // it was asked, and what the user answers.
  bool panel_available = true;
  bool panel_accepts_message = true;
  std::vector<OpenPanelRequest> panel_requests;
  OpenPanelResult panel_answer;
  // Asked of the delegate before answering, as a panel listing them would.
  std::vector<std::string> panel_listing;
  std::vector<bool> panel_shown;

  AlertResponse runAlert(const AlertRequest& request) override {
    alerts.push_back(request);
    if (responses.empty()) return AlertResponse::kDefault;
    AlertResponse response = responses.front();
    responses.pop_front();
    return response;
  }
  std::unique_ptr<OpenPanel> makeOpenPanel() override {
    if (!panel_available) return nullptr;
    return std::make_unique<Panel>(*this);
  }
  ProgressWindow& progressWindow() override { return progress; }

 private:
  class Panel : public OpenPanel {
   public:
    explicit Panel(FakeUserInterface& owner) : owner_(owner) {}
    bool acceptsMessage() const override { return owner_.panel_accepts_message; }
    OpenPanelResult runModal(const OpenPanelRequest& request) override {
      owner_.panel_requests.push_back(request);
      for (const std::string& path : owner_.panel_listing) {
        owner_.panel_shown.push_back(request.delegate->shouldShowFilename(path));
      }
      return owner_.panel_answer;
    }

   private:
    FakeUserInterface& owner_;
  };
};

class FakeInstallerResults : public InstallerResultsLibrary {
 public:
  std::optional<std::string> client_path;
  int32_t accept = 1;
  std::vector<std::pair<int32_t, std::optional<std::string>>> results;
  int path_calls = 0;

  int32_t getClientAppPath(uint32_t* length, char* buffer) override {
    ++path_calls;
    if (!client_path) {
      *length = 0;
      return 0;
    }
    if (client_path->size() + 1 > *length) {
      *length = static_cast<uint32_t>(client_path->size());
      return 0;
    }
    client_path->copy(buffer, client_path->size());
    buffer[client_path->size()] = '\0';
    return 1;
  }
  int32_t setInstallerResults(int32_t code, const char* message) override {
    results.emplace_back(code, message ? std::optional<std::string>(message) : std::nullopt);
    return accept;
  }
};

// Grants, cancels or refuses as told; commands "run" by printing `output`.
class FakeAuthorization : public AuthorizationService {
 public:
  AuthorizationStatus answer = AuthorizationStatus::kGranted;
  bool can_create = true;
  std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> requests;
  struct Run {
    std::string command;
    std::vector<std::string> arguments;
  };
  std::vector<Run> runs;
  std::string output = "++++++++++ 0 ++++++++++\n";
  int start_status = 0;     // nonzero: the start fails with it
  bool read_error = false;  // the stream fails after `output`

  std::unique_ptr<AuthorizationReference> create() override {
    if (!can_create) return nullptr;
    return std::make_unique<Reference>(*this);
  }

 private:
  class Process : public PrivilegedProcess {
   public:
    Process(std::string output, bool error) : output_(std::move(output)), error_(error) {}
    ssize_t read(char* buffer, size_t size) override {
      if (offset_ == output_.size()) return error_ ? -1 : 0;
      size_t n = std::min(size, output_.size() - offset_);
      output_.copy(buffer, n, offset_);
      offset_ += n;
      return static_cast<ssize_t>(n);
    }

   private:
    std::string output_;
    bool error_;
    size_t offset_ = 0;
  };
  class Reference : public AuthorizationReference {
   public:
    explicit Reference(FakeAuthorization& owner) : owner_(owner) {}
    AuthorizationStatus copyRights(const std::optional<std::string>& user,
                                   const std::optional<std::string>& password) override {
      owner_.requests.emplace_back(user, password);
      return owner_.answer;
    }
    std::unique_ptr<PrivilegedProcess> executeWithPrivileges(
        const std::string& command, const std::vector<std::string>& arguments,
        int* start_status) override {
      owner_.runs.push_back({command, arguments});
      if (owner_.start_status != 0) {
        *start_status = owner_.start_status;
        return nullptr;
      }
      return std::make_unique<Process>(owner_.output, owner_.read_error);
    }

   private:
    FakeAuthorization& owner_;
  };
};

class FakeSelfHeal : public SelfHealLibrary {
 public:
  bool present = true;
  int32_t status = 0;
  std::vector<std::string> sources;
  bool available() override { return present; }
  int32_t repair(SelfHealRequest* request, void*, SHOptionsRef*) override {
    sources.emplace_back(request->sourceBundle->path);
    return status;
  }
};

}  // namespace updater::testing
