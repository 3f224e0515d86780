#include "privileged/auth_exec.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/notification_center.h"
#include "tests/support/fakes.h"

namespace updater {
namespace {

class AuthExecTest : public ::testing::Test {
 protected:
  AuthExec runner() { return AuthExec(authorization_, environment_, notifications_); }
  testing::FakeAuthorization authorization_;
  testing::FakeEnvironment environment_;
  NotificationCenter notifications_;
};

TEST_F(AuthExecTest, TheSuperuserIsAuthorizedWithoutAsking) {
  environment_.uid = 0;
  authorization_.answer = AuthorizationStatus::kRefused;
  AuthExec exec = runner();
  EXPECT_EQ(exec.preAuthorizeForUser("admin", "secret"), 0);
  EXPECT_TRUE(authorization_.requests.empty());
  EXPECT_NE(exec.authRef(), nullptr);
}

TEST_F(AuthExecTest, OtherUsersAskWithCredentialsOnlyWhenBothAreGiven) {
  environment_.uid = 1000;
  struct Case {
    std::optional<std::string> user, password;
    bool passed_on;
  };
  const Case cases[] = {{"admin", "secret", true},
                        {"admin", "", false},
                        {"admin", std::nullopt, false},
                        {std::nullopt, "secret", false}};
  for (const Case& c : cases) {
    authorization_.requests.clear();
    AuthExec exec = runner();
    EXPECT_EQ(exec.preAuthorizeForUser(c.user, c.password), 0);
    ASSERT_EQ(authorization_.requests.size(), 1u);
    EXPECT_EQ(authorization_.requests[0].first.has_value(), c.passed_on);
    EXPECT_EQ(authorization_.requests[0].second.has_value(), c.passed_on);
  }
}

TEST_F(AuthExecTest, CancelAndRefusalAreToldApart) {
  environment_.uid = 1000;
  authorization_.answer = AuthorizationStatus::kCancelled;
  AuthExec cancelled = runner();
  EXPECT_EQ(cancelled.preAuthorizeForUser(std::nullopt, std::nullopt), 1);

  // An unauthorized runner runs nothing but still releases its caller.
  int notified = 0;
  notifications_.addObserver(&notified, kAuthExecThreadWillExitNotification,
                             [&](const Notification&) { ++notified; });
  cancelled.setCommand("/bin/true");
  EXPECT_FALSE(cancelled.execute());
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(cancelled.waitStatus(), -1);
  EXPECT_TRUE(authorization_.runs.empty());

  authorization_.answer = AuthorizationStatus::kRefused;
  EXPECT_EQ(runner().preAuthorizeForUser(std::nullopt, std::nullopt), 2);
  authorization_.can_create = false;
  AuthExec no_reference = runner();
  EXPECT_EQ(no_reference.preAuthorizeForUser(std::nullopt, std::nullopt), 2);
  EXPECT_EQ(no_reference.authRef(), nullptr);
}

TEST_F(AuthExecTest, WaitStatusAfterARun) {
  struct Case {
    const char* name;
    std::string output;
    bool read_error;
    int start_status;
    int32_t expected;
  };
  const Case cases[] = {
      {"last status line counts", "++++++++++ 3 ++++++++++\nnoise\n++++++++++ 0 ++++++++++\n",
       false, 0, 0},
      {"no status line", "done\n", false, 0, -1},
      {"read error wins over a status", "++++++++++ 0 ++++++++++\n", true, 0, 255},
      {"failed start keeps its status", "", false, 13, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    authorization_.output = c.output;
    authorization_.read_error = c.read_error;
    authorization_.start_status = c.start_status;
    AuthExec exec = runner();
    ASSERT_EQ(exec.preAuthorizeForUser(std::nullopt, std::nullopt), 0);
    exec.setCommand("/patch/InstallUpdates.sh");
    exec.execute();
    EXPECT_EQ(exec.waitStatus(), c.expected);
  }
  EXPECT_TRUE(authorization_.runs.back().arguments.empty()) << "no argument array set";
}

TEST_F(AuthExecTest, TheNotificationCarriesTheNotifyDictionaryOnTheRunningThread) {
  AuthExec exec = runner();
  ASSERT_EQ(exec.preAuthorizeForUser(std::nullopt, std::nullopt), 0);
  exec.setCommand("/patch/InstallUpdates.sh");
  exec.setArguments({"a", "b"});
  exec.setNotify(PlistDictionary{{"ROZUpdaterAppID", PlistValue::string("id")}});
  std::thread::id delivered_on;
  int32_t status_seen = 99;
  notifications_.addObserver(&exec, kAuthExecThreadWillExitNotification,
                             [&](const Notification& n) {
                               delivered_on = std::this_thread::get_id();
                               status_seen = exec.waitStatus();
                               EXPECT_EQ(n.object, &exec);
                               EXPECT_EQ(*n.userInfo->at("ROZUpdaterAppID").asString(), "id");
                             });
  std::thread::id worker_id;
  std::thread worker([&] {
    worker_id = std::this_thread::get_id();
    exec.execute();
  });
  worker.join();
  EXPECT_EQ(delivered_on, worker_id);
  EXPECT_EQ(status_seen, 0) << "the status is stored before the notification";
  EXPECT_EQ(authorization_.runs.back().arguments, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace updater
