// The run modes of the real program: started with each first argument while a
// server runs and while none does, on the fixed ports.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/RunMode.h"
#include "support/TestClient.h"

extern char** environ;

namespace novalune::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kUserPort = 6667;

// Polls for a condition that is expected to become true.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

bool MarkerExists() { return app::ServerMarker().Exists(); }

// The processes whose parent is this test (copies started by a started
// program come here too: the test is their subreaper).
std::set<pid_t> ChildrenOfThisTest() {
  std::set<pid_t> children;
  const std::string self = std::to_string(::getpid());
  std::ifstream list("/proc/self/task/" + self + "/children");
  pid_t pid;
  while (list >> pid) children.insert(pid);
  return children;
}

class RunModeProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    char pattern[] = "/tmp/novalune-runmode-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    home_ = pattern;
    ASSERT_FALSE(MarkerExists()) << "another server runs on this machine";
  }

  void TearDown() override {
    for (const auto& [pid, alive] : spawned_) {
      if (alive) ::kill(pid, SIGKILL);
    }
    for (const pid_t pid : ChildrenOfThisTest()) ::kill(pid, SIGKILL);
    while (::waitpid(-1, nullptr, WNOHANG) > 0 || !ChildrenOfThisTest().empty()) {
      std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(Eventually([] { return !MarkerExists(); }));
    std::system(("rm -rf '" + home_ + "'").c_str());
  }

  // Starts the program with one argument (none when nullopt). `display`
  // false removes every way to reach a desktop.
  pid_t Start(std::optional<std::string> argument, bool display = true) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      const std::string name = text.substr(0, text.find('='));
      if (name == "NOVALUNE_HOME" || name == "QT_QPA_PLATFORM" || name == "DISPLAY" ||
          name == "WAYLAND_DISPLAY") {
        continue;
      }
      env.push_back(text);
    }
    env.push_back("NOVALUNE_HOME=" + home_);
    if (display) env.push_back("QT_QPA_PLATFORM=offscreen");
    const std::string errors = home_ + "/stderr-" + std::to_string(spawned_.size());

    const pid_t pid = ::fork();
    if (pid == 0) {
      const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) ::dup2(fd, 2);
      std::vector<char*> envp;
      for (std::string& entry : env) envp.push_back(entry.data());
      envp.push_back(nullptr);
      std::string program = NOVALUNE_PROGRAM;
      std::vector<char*> argv{program.data()};
      if (argument) argv.push_back(argument->data());
      argv.push_back(nullptr);
      ::execve(program.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    spawned_[pid] = true;
    errorFiles_[pid] = errors;
    return pid;
  }

  // The exit status of a started process once it ends by itself; nullopt when
  // it is still running after the wait.
  std::optional<int> WaitExit(pid_t pid, std::chrono::milliseconds limit = 15s) {
    int status = 0;
    const bool ended = Eventually([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, limit);
    if (!ended) return std::nullopt;
    spawned_[pid] = false;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string Errors(pid_t pid) {
    std::ifstream file(errorFiles_[pid]);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // The server answers a registration on the user port.
  ::testing::AssertionResult Serves(const std::string& nick) {
    TestClient client;
    if (!Eventually([&] { return client.Connect(kUserPort); })) {
      return ::testing::AssertionFailure() << "nothing listens on " << kUserPort;
    }
    return client.Register(nick);
  }

  // Processes that a started program started in turn (running or ended).
  std::vector<pid_t> Others() {
    std::vector<pid_t> others;
    for (const pid_t pid : ChildrenOfThisTest()) {
      if (spawned_.count(pid) == 0) others.push_back(pid);
    }
    return others;
  }

  // A client keeps its window open until closed: it is still running after a
  // while, and SIGTERM ends it.
  ::testing::AssertionResult RunsAsClient(pid_t pid) {
    if (WaitExit(pid, 1500ms).has_value()) return ::testing::AssertionFailure() << "ended by itself";
    if (::kill(pid, SIGTERM) != 0) return ::testing::AssertionFailure() << "cannot signal";
    if (!WaitExit(pid).has_value()) return ::testing::AssertionFailure() << "did not end on SIGTERM";
    return ::testing::AssertionSuccess();
  }

  std::string home_;
  std::map<pid_t, bool> spawned_;
  std::map<pid_t, std::string> errorFiles_;
};

TEST_F(RunModeProgramTest, PlainStartGivesAServerThatStartsItsClient) {
  const pid_t server = Start(std::nullopt);
  ASSERT_TRUE(Eventually(MarkerExists));
  EXPECT_TRUE(Serves("taro"));
  // The client copy was started before the server served anyone.
  const std::vector<pid_t> others = Others();
  ASSERT_EQ(others.size(), 1u) << "exactly one client copy";
  EXPECT_TRUE(RunsAsClient(others[0])) << "the copy found the server and ran as the client";
  EXPECT_FALSE(WaitExit(server, 0ms).has_value()) << "the server keeps running";
  EXPECT_TRUE(MarkerExists());
}

TEST_F(RunModeProgramTest, ServerOnlyInAnyLetterCaseStartsNoClient) {
  const pid_t server = Start("/sOnLy");
  ASSERT_TRUE(Eventually(MarkerExists));
  EXPECT_TRUE(Serves("taro"));
  EXPECT_TRUE(Others().empty());
  EXPECT_FALSE(WaitExit(server, 0ms).has_value());
}

TEST_F(RunModeProgramTest, ClientOnlyAndOtherArgumentsNeverStartAServer) {
  for (const char* argument : {"/CONLY", "/conly", "C:\\chat\\log.txt", "/S"}) {
    const pid_t client = Start(argument);
    // No server: no marker and nothing on the user port while the client runs.
    EXPECT_FALSE(Eventually(MarkerExists, 1s)) << argument;
    TestClient probe;
    EXPECT_FALSE(probe.Connect(kUserPort)) << argument;
    EXPECT_TRUE(RunsAsClient(client)) << argument;
    EXPECT_TRUE(Others().empty()) << argument;
  }
  TestClient nobody;
  EXPECT_FALSE(nobody.Connect(kUserPort));
}

TEST_F(RunModeProgramTest, WhileAServerRunsEveryStartIsAClient) {
  const pid_t server = Start("/SONLY");
  ASSERT_TRUE(Eventually(MarkerExists));
  ASSERT_TRUE(Serves("taro"));
  for (std::optional<std::string> argument :
       {std::optional<std::string>{}, std::optional<std::string>{"/SONLY"},
        std::optional<std::string>{"/CONLY"}, std::optional<std::string>{"x"}}) {
    const pid_t copy = Start(argument);
    EXPECT_TRUE(RunsAsClient(copy)) << argument.value_or("(none)");
    EXPECT_TRUE(Others().empty()) << "a client starts no further copy";
  }
  EXPECT_TRUE(Serves("hanako")) << "the first server still serves";
  EXPECT_FALSE(WaitExit(server, 0ms).has_value());
}

TEST_F(RunModeProgramTest, MarkerVanishesWhenTheServerIsKilled) {
  const pid_t server = Start("/SONLY");
  ASSERT_TRUE(Eventually(MarkerExists));
  ASSERT_TRUE(Serves("taro"));
  ASSERT_EQ(::kill(server, SIGKILL), 0);
  ASSERT_EQ(WaitExit(server), 128 + SIGKILL);
  EXPECT_FALSE(MarkerExists()) << "gone at once with the process";

  // The next plain start is a server again.
  Start("/SONLY");
  EXPECT_TRUE(Eventually(MarkerExists));
  EXPECT_TRUE(Serves("hanako"));
}

// Holds the chat port the way another program would.
class PortHolder {
 public:
  explicit PortHolder(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);  // past connections' TIME_WAIT
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    // Another run on this machine may hold the port for a while.
    held_ =
        Eventually([&] { return ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0; },
                   60s) &&
        ::listen(fd_, 1) == 0;
  }
  ~PortHolder() { ::close(fd_); }
  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

TEST_F(RunModeProgramTest, ChatPortTakenPlainStartStillRunsWithItsClientServerOnlyEnds) {
  PortHolder holder(kUserPort);
  ASSERT_TRUE(holder.Held());
  const pid_t server = Start(std::nullopt);
  ASSERT_TRUE(Eventually(MarkerExists));
  ASSERT_TRUE(Eventually([&] { return Others().size() == 1; })) << "the client copy starts";
  EXPECT_TRUE(RunsAsClient(Others()[0]));
  EXPECT_FALSE(WaitExit(server, 0ms).has_value()) << "the server and its console keep running";
  EXPECT_NE(Errors(server).find("cannot listen on port 6667"), std::string::npos) << Errors(server);
  ASSERT_EQ(::kill(server, SIGTERM), 0);
  EXPECT_EQ(WaitExit(server), 0);

  const pid_t alone = Start("/SONLY");
  EXPECT_EQ(WaitExit(alone), 1) << "a server alone that cannot serve ends";
  EXPECT_TRUE(Others().empty());
}

TEST_F(RunModeProgramTest, WithoutADisplay) {
  const pid_t plain = Start(std::nullopt, false);
  const std::optional<int> status = WaitExit(plain);
  ASSERT_TRUE(status.has_value());
  EXPECT_NE(*status, 0);
  EXPECT_NE(Errors(plain).find("needs a desktop"), std::string::npos) << Errors(plain);
  EXPECT_FALSE(MarkerExists());
  EXPECT_TRUE(Others().empty());

  // Server only keeps serving headless and ends cleanly on SIGTERM.
  const pid_t headless = Start("/SONLY", false);
  ASSERT_TRUE(Eventually(MarkerExists));
  EXPECT_TRUE(Serves("taro"));
  ASSERT_EQ(::kill(headless, SIGTERM), 0);
  EXPECT_EQ(WaitExit(headless), 0);
  EXPECT_FALSE(MarkerExists());
}

}  // namespace
}  // namespace novalune::test
