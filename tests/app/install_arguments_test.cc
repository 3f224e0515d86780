#include "app/install_arguments.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace updater {
namespace {

using namespace std::string_literals;

TEST(EscapeApplicationFolderTest, PathsWithoutRiskyBackslashesGetTheThreePlainReplacements) {
  const struct {
    std::string path;
    std::string escaped;
  } kCases[] = {
      {"", ""},
      {"/Applications", "/Applications"},
      {"/Applications/My Apps 'old'", "/Applications/My Apps 'old'"},
      {"/Users/$USER/Apps", "/Users/\\$USER/Apps"},
      {"/a`id`b", "/a\\`id\\`b"},
      {"/a\"b\"", "/a\\\"b\\\""},
      {"$`\"", "\\$\\`\\\""},
      {"/a\\b", "/a\\b"},
      {"/a\\ b\\n", "/a\\ b\\n"},
      {"/a\\/b", "/a\\/b"},
      {"/line\nfeed", "/line\nfeed"},
      {"/\xc3\xa9t\xc3\xa9", "/\xc3\xa9t\xc3\xa9"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(escapeApplicationFolder(c.path), c.escaped) << c.path;
  }
}

TEST(EscapeApplicationFolderTest, BackslashesThatWouldEscapeAreDoubled) {
  const struct {
    std::string path;
    std::string escaped;
  } kCases[] = {
      {"a\\", "a\\\\"},       {"\\", "\\\\"},         {"a\\$HOME", "a\\\\\\$HOME"},
      {"a\\`", "a\\\\\\`"},   {"a\\\"", "a\\\\\\\""}, {"a\\\\b", "a\\\\\\b"},
      {"a\\\nb", "a\\\\\nb"}, {"a\\\\", "a\\\\\\\\"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(escapeApplicationFolder(c.path), c.escaped) << c.path;
  }
}

TEST(InstallScriptArgumentsTest, EscapesOnlyTheFolder) {
  EXPECT_EQ(installScriptArguments("/Apps/$x \\", "My $App.app", "/R/\"Res\"", 3),
            (std::vector<std::string>{"/Apps/\\$x \\\\", "My $App.app", "/R/\"Res\"", "3"}));
  EXPECT_EQ(installScriptArguments("/A", "b", "c", -1)[3], "-1");
  EXPECT_EQ(installScriptArguments("/A", "b", "c", INT32_MIN)[3], "-2147483648");
}

// Runs `shell -c script` and returns its standard output, or nullopt when the
// shell could not be run or did not exit with status 0.
std::optional<std::string> runShell(const std::string& shell, const std::string& script) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> argv = {const_cast<char*>(shell.c_str()), const_cast<char*>("-c"),
                             const_cast<char*>(script.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, shell.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string output;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) output.append(buffer, n);
  close(fds[0]);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return std::nullopt;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

// /bin/sh and every other installed shell that the install script may meet,
// each once even where /bin/sh is a link to one of them.
std::vector<std::string> availableShells() {
  std::vector<std::string> shells;
  std::vector<std::string> seen;
  for (const char* shell : {"/bin/sh", "/bin/dash", "/bin/bash"}) {
    char resolved[PATH_MAX];
    if (access(shell, X_OK) != 0 || realpath(shell, resolved) == nullptr) continue;
    if (std::find(seen.begin(), seen.end(), resolved) != seen.end()) continue;
    seen.push_back(resolved);
    shells.push_back(shell);
  }
  return shells;
}

class EscapeInShellTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/escape_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    marker_ = dir_ + "/marker";
  }
  void TearDown() override {
    // A faulty escape may have run commands that left other files here.
    if (DIR* dir = opendir(dir_.c_str())) {
      while (const dirent* entry = readdir(dir)) {
        unlinkat(dirfd(dir), entry->d_name, 0);
      }
      closedir(dir);
    }
    rmdir(dir_.c_str());
  }
  bool markerExists() const {
    struct stat st;
    return stat(marker_.c_str(), &st) == 0;
  }

  std::string dir_;
  std::string marker_;
};

TEST_F(EscapeInShellTest, HostileFolderNamesComeBackUnchangedAndRunNothing) {
  const std::string touch = "touch " + marker_;
  const std::vector<std::string> kPaths = {
      "/Applications/My App",
      "a$(" + touch + ")",
      "a`" + touch + "`",
      "a\"; " + touch + "; \"",
      "a\\\"; " + touch + "; \\\"",
      "a\\",
      "a\\$HOME",
      "a\\$(" + touch + ")",
      "a\\`" + touch + "\\`",
      "a\\\\b",
      "a\\\"",
      "a\\\\\"",
      "a\\\n",
      "a\\\n$(" + touch + ")",
      "line\nfeed\n",
      "it's a 'quote'",
      "${HOME}",
      "$((1+1))",
      "*?[a]~ !#&|;<>(){}",
      "\t\\t\\n\\0\\x",
      "\xe2\x9c\x93 \xc3\xa9t\xc3\xa9 \\\xc3\xa9",
  };
  for (const std::string& shell : availableShells()) {
    for (const std::string& path : kPaths) {
      const std::string script = "printf %s \"" + escapeApplicationFolder(path) + "\"";
      EXPECT_EQ(runShell(shell, script), path) << shell << " with " << path;
      EXPECT_FALSE(markerExists()) << shell << " ran a command from " << path;
      unlink(marker_.c_str());
    }
  }
}

// The Part's plain replacements, used to check that the doubling of risky
// backslashes leaves every other path's form as it was.
std::string plainReplacements(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '$' || c == '`' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

bool hasRiskyBackslash(const std::string& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '\\') continue;
    if (i + 1 == path.size()) return true;
    if (std::string("$`\"\\\n").find(path[i + 1]) != std::string::npos) return true;
  }
  return false;
}

TEST(EscapeApplicationFolderExhaustiveTest, EveryShortPathRoundTripsThroughTheShell) {
  const std::string kAlphabet = "a\\$`\"\n ";
  std::vector<std::string> paths = {""};
  for (size_t begin = 0, length = 0; length < 4; ++length) {
    const size_t end = paths.size();
    for (size_t i = begin; i < end; ++i) {
      for (char c : kAlphabet) paths.push_back(paths[i] + c);
    }
    begin = end;
  }

  std::string script = "printf '%s\\0'";
  std::string expected;
  for (const std::string& path : paths) {
    const std::string escaped = escapeApplicationFolder(path);
    if (!hasRiskyBackslash(path)) {
      EXPECT_EQ(escaped, plainReplacements(path)) << path;
    }
    script += " \"" + escaped + "\"";
    expected += path + '\0';
  }
  for (const std::string& shell : availableShells()) {
    const std::optional<std::string> output = runShell(shell, script);
    ASSERT_TRUE(output.has_value()) << shell;
    if (*output == expected) continue;
    // Name the first path that came back wrong rather than dumping it all.
    size_t start = 0;
    for (const std::string& path : paths) {
      const size_t stop = output->find('\0', start);
      ASSERT_EQ(output->substr(start, stop - start), path) << shell;
      start = stop + 1;
    }
    FAIL() << shell << " printed extra output";
  }
}

}  // namespace
}  // namespace updater
