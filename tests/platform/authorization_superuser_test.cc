#include "platform/authorization_superuser.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/log.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace updater {
namespace {

std::string readAll(PrivilegedProcess& process) {
  std::string output;
  char buffer[7];  // small, so output arrives in many pieces
  ssize_t got;
  while ((got = process.read(buffer, sizeof buffer)) > 0) output.append(buffer, got);
  EXPECT_EQ(got, 0);
  return output;
}

TEST(SuperuserAuthorizationTest, RefusesOtherUsersWithAnExplanation) {
  testing::FakeEnvironment environment;
  environment.uid = 1000;
  testing::RecordingLogSink sink;
  Log log(sink);
  SuperuserAuthorizationService service(environment, log, {});
  auto reference = service.create();
  EXPECT_EQ(reference->copyRights("admin", "secret"), AuthorizationStatus::kRefused);
  ASSERT_EQ(sink.messages().size(), 1u);
  EXPECT_NE(sink.messages()[0].find("Run the updater as root"), std::string::npos);
  EXPECT_EQ(sink.messages()[0].find("secret"), std::string::npos);
  int status = 0;
  EXPECT_EQ(reference->executeWithPrivileges("/bin/true", {}, &status), nullptr);
  EXPECT_NE(status, 0);
}

TEST(SuperuserAuthorizationTest, StartsCommandsWithOnlyTheirStandardStreams) {
  testing::TempDir dir;
  testing::writeFile(dir / "script.sh",
                     "#!/bin/sh\n"
                     "echo \"args:$#:$1:$2\"\n"
                     "echo \"env:$SAFE:${LD_PRELOAD-unset}\"\n"
                     "ls /proc/self/fd | tr '\\n' ' '; echo\n",
                     0755);
  testing::FakeEnvironment environment;
  testing::RecordingLogSink sink;
  Log log(sink);
  SuperuserAuthorizationService service(environment, log, {{"SAFE", "yes"}, {"PATH", kSafePath}});
  auto reference = service.create();

  // A descriptor the updater left open without close-on-exec.
  int null_fd = ::open("/dev/null", O_RDONLY);
  int leaked = ::dup2(null_fd, 57);
  ::close(null_fd);
  ASSERT_EQ(leaked, 57);
  int status = 0;
  auto process = reference->executeWithPrivileges(dir / "script.sh", {"one", "two words"}, &status);
  ::close(leaked);
  ASSERT_NE(process, nullptr) << status;
  const std::string output = readAll(*process);
  process.reset();

  EXPECT_NE(output.find("args:2:one:two words\n"), std::string::npos) << output;
  EXPECT_NE(output.find("env:yes:unset\n"), std::string::npos) << output;
  EXPECT_EQ(output.find(" 57 "), std::string::npos) << output;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "the command was reaped";
  EXPECT_EQ(errno, ECHILD);
}

TEST(SuperuserAuthorizationTest, AFailedStartGivesItsStatus) {
  testing::FakeEnvironment environment;
  testing::RecordingLogSink sink;
  Log log(sink);
  SuperuserAuthorizationService service(environment, log, {});
  int status = 0;
  EXPECT_EQ(service.create()->executeWithPrivileges("/nonexistent/script", {}, &status), nullptr);
  EXPECT_EQ(status, ENOENT);
}

}  // namespace
}  // namespace updater
