// The real program started as "novalune /SONLY" on a machine without a display:
// it serves on the fixed port and ends cleanly on SIGTERM and SIGINT.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
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
  // `home`, when not empty, is the program folder (NOVALUNE_HOME).
  explicit Program(const char* argument, const std::string& home = "") {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
          text.rfind("QT_QPA_PLATFORM=", 0) != 0 && (home.empty() || text.rfind("NOVALUNE_HOME=", 0) != 0)) {
        environment.push_back(text);
      }
    }
    if (!home.empty()) environment.push_back("NOVALUNE_HOME=" + home);
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
std::string StartServing(std::unique_ptr<Program>& program, const char* argument,
                         const std::string& home = "") {
  std::string line;
  for (int attempt = 0; attempt < 120; ++attempt) {
    program = std::make_unique<Program>(argument, home);
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

// A program folder of its own, removed with the test.
class Home {
 public:
  Home() {
    char pattern[] = "/tmp/novalune-program-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~Home() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};

// True when the server closes a new connection from `address` at once.
bool Refused(const std::string& address) {
  TestClient client;
  return client.Connect(kUserPort, address) && client.WaitClosed(std::chrono::milliseconds(500));
}

TEST(ProgramTest, HeadlessServerRefusesAndKeepsPassHostAndReloadsBothOnSighup) {
  Home home;
  ASSERT_FALSE(home.Path().empty());
  home.Write("RefList.txt", "127.0.0.3\r\n");
  home.Write("NOVALUNE.INI", "[Server]\r\nPassHost=1\r\n");
  std::unique_ptr<Program> started;
  ASSERT_EQ(StartServing(started, "/SONLY", home.Path()), kServingLine);
  Program& program = *started;

  EXPECT_TRUE(Refused("127.0.0.3"));
  TestClient remote;
  ASSERT_TRUE(remote.Connect(kUserPort, "127.0.0.2"));
  ASSERT_TRUE(remote.Register("remote"));
  ASSERT_TRUE(remote.SendLine("JOIN #A"));
  ASSERT_TRUE(remote.Sync());
  ASSERT_TRUE(remote.SendLine("JOIN #A pw1"));
  EXPECT_TRUE(remote.ExpectQuiet()) << "only a host may set a password";

  // The operator edits the files and signals the server.
  home.Write("RefList.txt", "127.0.0.4\r\n");
  home.Write("NOVALUNE.INI", "[Server]\r\nPassHost=0\r\n");
  program.Signal(SIGHUP);
  EXPECT_TRUE(WaitUntil([] { return Refused("127.0.0.4"); }));
  TestClient allowed;
  ASSERT_TRUE(allowed.Connect(kUserPort, "127.0.0.3"));
  EXPECT_TRUE(allowed.Register("allowed")) << "no longer in the refuse list";
  ASSERT_TRUE(remote.SendLine("JOIN #A pw2"));
  EXPECT_TRUE(remote.Expect(":remote!x@x PRIVMSG #A :" + Sj("部屋のパスワードをpw2に設定しました")));

  program.Signal(SIGTERM);
  EXPECT_EQ(program.WaitExit(), 0);
}

}  // namespace
}  // namespace novalune::test
