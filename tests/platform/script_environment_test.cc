#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/environment.h"
#include "platform/process.h"

namespace updater {
namespace {

using Variables = std::vector<std::pair<std::string, std::string>>;

class FakeEnvironment : public Environment {
 public:
  explicit FakeEnvironment(Variables variables) : variables_(std::move(variables)) {}
  std::optional<std::string> get(const std::string& name) const override {
    for (const auto& [n, v] : variables_) {
      if (n == name) return v;
    }
    return std::nullopt;
  }
  Variables all() const override { return variables_; }
  std::string homeDirectory() const override { return get("HOME").value_or("/"); }
  unsigned realUserId() const override { return 501; }

 private:
  Variables variables_;
};

TEST(ScriptEnvironmentTest, HostileCallerPassesOnNothingDangerous) {
  const Variables hostile = {
      {"PATH", "/tmp/evil:/usr/bin"},
      {"LD_PRELOAD", "/tmp/evil.so"},
      {"LD_LIBRARY_PATH", "/tmp"},
      {"LD_AUDIT", "/tmp/evil.so"},
      {"GLIBC_TUNABLES", "glibc.malloc.mxfast=1"},
      {"BASH_ENV", "/tmp/evil.sh"},
      {"ENV", "/tmp/evil.sh"},
      {"IFS", "/"},
      {"BASH_FUNC_ls%%", "() { /tmp/evil; }"},
      {"PS4", "$(/tmp/evil)"},
      {"SHELLOPTS", "xtrace"},
      {"BASHOPTS", "extdebug"},
      {"CDPATH", "/tmp"},
      {"PYTHONPATH", "/tmp"},
      {"PYTHONSTARTUP", "/tmp/evil.py"},
      {"PERL5LIB", "/tmp"},
      {"PERL5OPT", "-Mevil"},
      {"RUBYOPT", "-revil"},
      {"NODE_OPTIONS", "--require /tmp/evil.js"},
      {"DYLD_INSERT_LIBRARIES", "/tmp/evil.dylib"},
      {"LC_EVIL", "x"},
      {"LC_", "x"},
      {"lang", "C"},
      {"HOME=", "x"},
      {"", "x"},
      {"HOME", "/Users/ann"},
  };
  const Variables result = scriptEnvironment(FakeEnvironment(hostile));
  EXPECT_EQ(result, (Variables{{"PATH", kSafePath}, {"HOME", "/Users/ann"}}));
}

TEST(ScriptEnvironmentTest, PathIsTheSafeOneEvenWhenTheCallerHadNone) {
  EXPECT_EQ(scriptEnvironment(FakeEnvironment({})), (Variables{{"PATH", kSafePath}}));
}

TEST(ScriptEnvironmentTest, KeepsIdentityLocaleTerminalAndDisplayInOrder) {
  const Variables kept = {
      {"HOME", "/Users/ann"},
      {"USER", "ann"},
      {"LOGNAME", "ann"},
      {"LANG", "de_DE.UTF-8"},
      {"LANGUAGE", "de_DE:de:en"},
      {"LC_ALL", "C"},
      {"LC_CTYPE", "en_US.UTF-8"},
      {"LC_MESSAGES", "de_DE"},
      {"LC_IDENTIFICATION", "de_DE"},
      {"TERM", "xterm-256color"},
      {"TZ", "Europe/Berlin"},
      {"DISPLAY", ":0"},
      {"WAYLAND_DISPLAY", "wayland-0"},
      {"XAUTHORITY", "/Users/ann/.Xauthority"},
      {"SUDO_USER", "ann"},
      {"SUDO_UID", "501"},
      {"SUDO_GID", "20"},
      {"RE_build", ""},
  };
  Variables expected = {{"PATH", kSafePath}};
  expected.insert(expected.end(), kept.begin(), kept.end());
  EXPECT_EQ(scriptEnvironment(FakeEnvironment(kept)), expected);
}

TEST(ScriptEnvironmentTest, DropsKeptNamesWithAbusableValues) {
  const Variables input = {
      {"HOME", "() { :; }; /tmp/evil"},
      {"TERM", "()"},
      {"LANG", "../../tmp/locale"},
      {"LC_ALL", "/tmp/locale"},
      {"LANGUAGE", "en:/tmp/x"},
      {"TZ", "../../../tmp/zone"},
      {"TZ", "UTC"},  // A second copy does not stand in for the dropped first.
      {"USER", "ann"},
      {"DISPLAY", " ()"},  // Only a value that starts with "()" is a function.
  };
  EXPECT_EQ(scriptEnvironment(FakeEnvironment(input)),
            (Variables{{"PATH", kSafePath}, {"USER", "ann"}, {"DISPLAY", " ()"}}));
}

TEST(ScriptEnvironmentTest, KeepsOnlyTheFirstCopyOfADuplicatedName) {
  const Variables input = {
      {"HOME", "/Users/ann"}, {"HOME", "/tmp/evil"}, {"PATH", "/a"}, {"PATH", "/b"}};
  EXPECT_EQ(scriptEnvironment(FakeEnvironment(input)),
            (Variables{{"PATH", kSafePath}, {"HOME", "/Users/ann"}}));
}

}  // namespace
}  // namespace updater
