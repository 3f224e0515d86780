#include "tests/e2e/updater_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace updater::testing {
namespace {

int spawnAndWait(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& in, const std::string& out, const std::string& err) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

// The length of the console prefix "2026-12-11 06:20:10.123 updater[1:2] " at
// the start of `line`, or 0 when the line does not start an entry.
size_t entryPrefix(const std::string& line) {
  const std::string shape = "####-##-## ##:##:##.### updater[";
  if (line.size() < shape.size()) return 0;
  for (size_t at = 0; at < shape.size(); ++at) {
    const bool digit = std::isdigit(static_cast<unsigned char>(line[at])) != 0;
    if (shape[at] == '#' ? !digit : line[at] != shape[at]) return 0;
  }
  const size_t close = line.find("] ", shape.size());
  if (close == std::string::npos) return 0;
  for (size_t i = shape.size(); i < close; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i])) && line[i] != ':') return 0;
  }
  return close + 2;
}

}  // namespace

std::vector<std::string> RunResult::log() const {
  std::vector<std::string> messages;
  std::istringstream lines(err);
  std::string line;
  while (std::getline(lines, line)) {
    if (size_t prefix = entryPrefix(line)) {
      messages.push_back(line.substr(prefix));
    } else if (!messages.empty()) {
      messages.back() += "\n" + line;
    } else {
      messages.push_back(line);
    }
  }
  return messages;
}

PatchFixture::PatchFixture() {
  makeDirectories(resources());
  makeDirectories(applications());
  makeDirectories(home());
}

void PatchFixture::resource(const std::string& name, const std::string& content, unsigned mode) {
  writeFile(resources() + "/" + name, content, mode);
}

void PatchFixture::removeResource(const std::string& name) {
  std::filesystem::remove(resources() + "/" + name);
}

void PatchFixture::configuration(const std::string& dict_body) {
  resource("configuration.plist", plistXml(dict_body));
}

std::string PatchFixture::application(const std::string& name,
                                      const std::optional<std::string>& roz_body,
                                      const std::string& identifier) {
  const std::string app = applications() + "/" + name;
  writeFile(app + "/Contents/Info.plist",
            plistXml("<key>CFBundleIdentifier</key><string>" + identifier +
                     "</string><key>CFBundleExecutable</key><string>app</string>"));
  writeFile(app + "/Contents/MacOS/app", "#!/bin/sh\nexit 0\n", 0755);
  if (roz_body) writeFile(app + "/Contents/Resources/roz.plist", plistXml(*roz_body));
  return app;
}

void PatchFixture::build(const std::string& frameworks) {
  if (built_) return;
  std::vector<std::string> argv{std::string(UPDATER_SOURCE_DIR) + "/tools/make-bundle.sh",
                                "--updater", UPDATER_EXECUTABLE};
  if (!frameworks.empty()) {
    argv.push_back("--frameworks");
    argv.push_back(frameworks);
  }
  argv.push_back(resources());
  argv.push_back(bundle());
  const std::string log = dir_ / "make-bundle.log";
  if (spawnAndWait(argv, {"PATH=/usr/bin:/bin"}, "/dev/null", log, log) != 0) {
    throw std::runtime_error("make-bundle failed: " + readFile(log));
  }
  built_ = true;
}

RunResult PatchFixture::run(const std::vector<std::string>& arguments,
                            const std::map<std::string, std::string>& environment,
                            const std::string& input) {
  build();
  std::map<std::string, std::string> env{
      {"PATH", "/usr/local/bin:/usr/bin:/bin"}, {"HOME", home()}, {"LANG", "C.UTF-8"}};
  for (const auto& [name, value] : environment) env[name] = value;
  std::vector<std::string> envp;
  for (const auto& [name, value] : env) envp.push_back(name + "=" + value);
  // Sanitizer settings of the test run reach the updater too.
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = getenv(name); value && !env.count(name)) {
      envp.push_back(std::string(name) + "=" + value);
    }
  }
  std::vector<std::string> argv = prefix_;
  argv.push_back(bundle() + "/Contents/MacOS/updater");
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const std::string in = dir_ / "stdin.txt";
  writeFile(in, input);
  RunResult result;
  result.exit_status = spawnAndWait(argv, envp, in, dir_ / "stdout.txt", dir_ / "stderr.txt");
  result.out = readFile(dir_ / "stdout.txt");
  result.err = readFile(dir_ / "stderr.txt");
  return result;
}

std::vector<std::string> PatchFixture::recorded(const std::string& name) const {
  std::vector<std::string> lines;
  if (!fileExists(record(name))) return lines;
  std::istringstream in(readFile(record(name)));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

void writeDefaultPatch(PatchFixture& fixture) {
  fixture.configuration(
      "<key>ROZUpdaterAppID</key><string>com.zelto.lumbix.update.4</string>"
      "<key>targetUpdateRevision</key><integer>4</integer>"
      "<key>locate</key><dict><key>executableNameNoExt</key><string>Zelto Lumbix</string>"
      "<key>executableName</key><string>Zelto Lumbix.app</string></dict>");
  fixture.resource("app_list.txt", "Zelto Lumbix.app");
  fixture.resource("patch_languages.txt", "all");
  fixture.resource("FindAndKill.py", "#!/bin/sh\nexit 0\n", 0755);
  fixture.resource("InstallUpdates.sh", "#!/bin/sh\necho '++++++++++ 0 ++++++++++'\n", 0755);
  fixture.resource("en.lproj/Localizable.strings",
                   "\"Up to date message\" = \"%@ is up to date.\";\n"
                   "\"UpToDate Title\" = \"Up to date\";\n"
                   "\"Update failed message\" = \"%@ could not be updated.\";\n"
                   "\"Update Failed title\" = \"Update failed\";\n"
                   "\"Wrong Language Message\" = \"Wrong language.\";\n");
  fixture.resource("en.lproj/resultsMessages.strings", "\"104\" = \"Not found.\";\n");
}

}  // namespace updater::testing
