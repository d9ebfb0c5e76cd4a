// The real program started as "novalune /SONLY" on a machine without a display:
// it serves on the fixed port and ends cleanly on SIGTERM and SIGINT.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/TestClient.h"

extern char** environ;

namespace novalune::test {
namespace {

constexpr std::uint16_t kUserPort = 6667;
const std::string kServingLine = "NOVALUNE server: serving on port 6667 without its console (no display)\n";

// The program as a child process without any display, its standard error on a pipe.
class Program {
 public:
  explicit Program(const char* argument) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
          text.rfind("QT_QPA_PLATFORM=", 0) != 0) {
        environment.push_back(text);
      }
    }
    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(NOVALUNE_PROGRAM), const_cast<char*>(argument), nullptr};
    if (::posix_spawn(&pid_, NOVALUNE_PROGRAM, &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    errors_ = pipeFds[0];
  }

  ~Program() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (errors_ >= 0) ::close(errors_);
  }

  bool Started() const { return pid_ > 0; }

  // Standard error up to and including its first line (empty when none came in time).
  std::string FirstErrorLine() {
    std::string text;
    char byte;
    pollfd poller{errors_, POLLIN, 0};
    while (::poll(&poller, 1, 10000) > 0 && ::read(errors_, &byte, 1) == 1) {
      text += byte;
      if (byte == '\n') break;
    }
    return text;
  }

  void Signal(int signal) { ::kill(pid_, signal); }

  // The exit status when the process ended within ten seconds, else -1.
  int WaitExit() {
    for (int i = 0; i < 1000; ++i) {
      int status = 0;
      const pid_t done = ::waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int errors_ = -1;
};

// Starts the program and returns its first line on standard error. Another run on this machine
// may hold the fixed port or the server marker for a while (the program then ends at once):
// the start is retried for up to a minute.
std::string StartServing(std::unique_ptr<Program>& program, const char* argument) {
  std::string line;
  for (int attempt = 0; attempt < 120; ++attempt) {
    program = std::make_unique<Program>(argument);
    if (!program->Started()) return "";
    line = program->FirstErrorLine();
    if (line == kServingLine || program->WaitExit() == -1) return line;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  return line;
}

TEST(ProgramTest, SigtermDisconnectsEveryUserWithQuitAndExitsCleanly) {
  std::unique_ptr<Program> started;
  ASSERT_EQ(StartServing(started, "/SONLY"), kServingLine);
  Program& program = *started;

  TestClient taro, hanako, jiro;
  ASSERT_TRUE(taro.Connect(kUserPort));
  ASSERT_TRUE(taro.Register("taro"));
  ASSERT_TRUE(hanako.Connect(kUserPort, "127.0.0.2"));
  ASSERT_TRUE(hanako.Register("hanako"));
  ASSERT_TRUE(jiro.Connect(kUserPort, "127.0.0.2"));
  ASSERT_TRUE(jiro.Register("jiro"));
  for (TestClient* user : {&taro, &hanako, &jiro}) {
    ASSERT_TRUE(user->SendLine("JOIN #ROOM"));
    ASSERT_TRUE(user->Sync());
  }
  ASSERT_TRUE(taro.Sync());
  ASSERT_TRUE(hanako.Sync());

  program.Signal(SIGTERM);
  // Users leave in table order; each one still connected hears of those before it.
  EXPECT_TRUE(taro.WaitClosed());
  EXPECT_TRUE(hanako.Expect(":taro! QUIT #ROOM"));
  EXPECT_TRUE(hanako.WaitClosed());
  EXPECT_TRUE(jiro.ExpectLines({":taro! QUIT #ROOM", ":hanako! QUIT #ROOM"}));
  EXPECT_TRUE(jiro.WaitClosed());
  EXPECT_EQ(program.WaitExit(), 0);
}

TEST(ProgramTest, LowerCaseSonlyServesAndSigintEndsIt) {
  std::unique_ptr<Program> started;
  ASSERT_EQ(StartServing(started, "/sonly"), kServingLine);
  Program& program = *started;
  TestClient taro;
  ASSERT_TRUE(taro.Connect(kUserPort));
  ASSERT_TRUE(taro.Register("taro"));
  program.Signal(SIGINT);
  EXPECT_TRUE(taro.WaitClosed());
  EXPECT_EQ(program.WaitExit(), 0);
}

}  // namespace
}  // namespace novalune::test
