#include "app/RunMode.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace novalune::app {
namespace {

TEST(RunModeTest, DecisionTableWithoutRunningServer) {
  EXPECT_EQ(DecideRunMode("", false), RunMode::ServerWithClient);
  EXPECT_EQ(DecideRunMode("/SONLY", false), RunMode::ServerOnly);
  EXPECT_EQ(DecideRunMode("/CONLY", false), RunMode::Client);
  EXPECT_EQ(DecideRunMode("C:\\CHAT\\LOG.TXT", false), RunMode::Client);
  EXPECT_EQ(DecideRunMode("ZKWC2://HOST/ROOM", false), RunMode::Client);
}

TEST(RunModeTest, DecisionTableWithRunningServerIsAlwaysClient) {
  for (const char* arg : {"", "/SONLY", "/CONLY", "other"}) {
    EXPECT_EQ(DecideRunMode(arg, true), RunMode::Client) << arg;
  }
}

// Fixed per test process, also inside forked children.
const std::string& TestMarkerName() {
  static const std::string name = "NOVALUNE_runmode_test_" + std::to_string(::getpid());
  return name;
}

TEST(ServerMarkerTest, ExistsExactlyWhileHeld) {
  ServerMarker holder(TestMarkerName());
  ServerMarker other(TestMarkerName());
  EXPECT_FALSE(other.Exists());
  ASSERT_TRUE(holder.Create());
  EXPECT_TRUE(holder.Held());
  EXPECT_TRUE(other.Exists());
  EXPECT_FALSE(other.Create()) << "a second holder must be refused";
  EXPECT_FALSE(other.Held());
  // Probing does not disturb the holder.
  EXPECT_TRUE(other.Exists());
  holder.Release();
  EXPECT_FALSE(other.Exists());
  EXPECT_TRUE(other.Create());
}

TEST(ServerMarkerTest, GoesAwayWithTheDestructor) {
  ServerMarker probe(TestMarkerName());
  {
    ServerMarker holder(TestMarkerName());
    ASSERT_TRUE(holder.Create());
    EXPECT_TRUE(probe.Exists());
  }
  EXPECT_FALSE(probe.Exists());
}

// The holder is killed without any chance to clean up.
TEST(ServerMarkerTest, VanishesWhenTheHoldingProcessIsKilled) {
  TestMarkerName();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ServerMarker holder(TestMarkerName());
    const char ok = holder.Create() ? 'y' : 'n';
    (void)!::write(ready[1], &ok, 1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ::close(ready[0]);
  ASSERT_EQ(ok, 'y');
  ServerMarker probe(TestMarkerName());
  EXPECT_TRUE(probe.Exists());
  ASSERT_EQ(::kill(child, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_FALSE(probe.Exists());
  EXPECT_TRUE(probe.Create());
}

// A program started by the holder must not inherit the marker.
TEST(ServerMarkerTest, IsNotInheritedByStartedPrograms) {
  ServerMarker holder(TestMarkerName());
  ASSERT_TRUE(holder.Create());
  // The pipe's write end closes on exec: end of file means the child has exec'd.
  int execed[2];
  ASSERT_EQ(::pipe2(execed, O_CLOEXEC), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(execed[1]);
  char byte;
  ASSERT_EQ(::read(execed[0], &byte, 1), 0);
  ::close(execed[0]);
  holder.Release();
  ServerMarker probe(TestMarkerName());
  EXPECT_FALSE(probe.Exists());
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace novalune::app
