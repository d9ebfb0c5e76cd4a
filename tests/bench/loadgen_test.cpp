// The load generator against a small scripted IRC server in a thread: the
// figures the benchmark reports (deliveries, losses, duplicates) must be exact.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "loadgen_engine.h"
#include "loadgen_proto.h"

namespace {

// What the fake server does beyond plain relaying.
struct FakeScript {
  std::set<std::string> takenNicks;  // answered with 433 once
  int dropReceiver = -1;             // connection index closed after it got dropAfter relayed lines
  int dropAfter = 0;
  int duplicateTo = -1;             // connection index that gets every relayed line twice
  bool foreignLineOnFlood = false;  // with the first relayed line, one PRIVMSG that is not a flood line
};

class FakeIrcServer {
 public:
  explicit FakeIrcServer(FakeScript script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(listen(listener_, 512), 0);
    socklen_t len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FakeIrcServer() {
    stop_ = true;
    thread_.join();
    for (auto& c : conns_)
      if (c.fd >= 0) close(c.fd);
    close(listener_);
  }
  int Port() const { return port_; }
  std::vector<std::string> Nicks() {
    std::lock_guard<std::mutex> lock(mutex_);
    return nicks_;
  }
  std::map<std::string, int> CommandCounts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
  }

 private:
  struct Conn {
    int fd = -1;
    std::string nick, room, in;
    int relayed = 0;
  };

  void Serve() {
    while (!stop_) {
      std::vector<pollfd> fds{{listener_, POLLIN, 0}};
      for (auto& c : conns_) fds.push_back({c.fd, short(c.fd >= 0 ? POLLIN : 0), 0});
      if (poll(fds.data(), fds.size(), 20) <= 0) continue;
      if (fds[0].revents & POLLIN) conns_.push_back(Conn{accept(listener_, nullptr, nullptr), "", "", "", 0});
      for (std::size_t i = 1; i < fds.size(); ++i)
        if (fds[i].revents) ReadFrom(i - 1);
    }
  }

  void ReadFrom(std::size_t index) {
    char buf[65536];
    ssize_t n = recv(conns_[index].fd, buf, sizeof buf, 0);
    if (n <= 0) {
      Drop(index);
      return;
    }
    conns_[index].in.append(buf, std::size_t(n));
    std::size_t lf;
    while (conns_[index].fd >= 0 && (lf = conns_[index].in.find('\n')) != std::string::npos) {
      std::string line = conns_[index].in.substr(0, lf);
      conns_[index].in.erase(0, lf + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Handle(index, line);
    }
  }

  void Write(std::size_t index, const std::string& line) {
    Conn& c = conns_[index];
    if (c.fd < 0) return;
    std::string bytes = line + "\r\n";
    for (std::size_t done = 0; done < bytes.size();) {
      ssize_t n = send(c.fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return Drop(index);
      done += std::size_t(n);
    }
  }

  void Drop(std::size_t index) {
    if (conns_[index].fd < 0) return;
    close(conns_[index].fd);
    conns_[index].fd = -1;
  }

  void Handle(std::size_t index, const std::string& line) {
    std::string cmd = line.substr(0, line.find(' '));
    std::string arg = line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++commands_[cmd];
    }
    Conn& c = conns_[index];
    if (cmd == "NICK") {
      if (script_.takenNicks.erase(arg))
        return Write(index, ":fake 433 " + arg + " :Nickname is already in use");
      c.nick = arg;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        nicks_.push_back(arg);
      }
      Write(index, ":fake 001 " + arg + " :Welcome");
      Write(index, ":fake 376 " + arg + " :End of /MOTD command");
      Write(index, "PING :fake-token");  // the client must answer it
    } else if (cmd == "JOIN") {
      c.room = arg;
      for (std::size_t i = 0; i < conns_.size(); ++i)
        if (conns_[i].room == arg) Write(i, ":" + c.nick + "!x@x JOIN :" + arg);
      Write(index, ":fake 353 " + c.nick + " = " + arg + " :" + c.nick);
      Write(index, ":fake 366 " + c.nick + " " + arg + " :End of /NAMES list");
    } else if (cmd == "PING") {
      Write(index, ":fake PONG fake " + arg);
    } else if (cmd == "PRIVMSG") {
      std::string target = arg.substr(0, arg.find(' '));
      std::string relayed = ":" + c.nick + "!x@x PRIVMSG " + arg;
      for (std::size_t i = 0; i < conns_.size(); ++i) {
        if (i == index || conns_[i].room != target || conns_[i].fd < 0) continue;
        Write(i, relayed);
        if (script_.foreignLineOnFlood && !foreignSent_)
          Write(i, ":other!x@x PRIVMSG " + target + " :hello there");
        if (int(i) == script_.duplicateTo) Write(i, relayed);
        if (int(i) == script_.dropReceiver && ++conns_[i].relayed == script_.dropAfter) Drop(i);
      }
      foreignSent_ = true;
    }
  }

  FakeScript script_;
  bool foreignSent_ = false;
  int listener_ = -1;
  int port_ = 0;
  std::vector<Conn> conns_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> nicks_;
  std::map<std::string, int> commands_;
};

loadgen::Options OptionsFor(const FakeIrcServer& server, int clients, int rooms, int messages) {
  loadgen::Options o;
  o.port = server.Port();
  o.clients = clients;
  o.rooms = rooms;
  o.messages = messages;
  o.timeout = 10;  // seconds without progress: only a failing run waits that long
  return o;
}

TEST(LoadGenLines, CommandAndFloodTextOfServerLines) {
  using loadgen::CommandOf;
  EXPECT_EQ(CommandOf(":ZKWChatServer214 001 u0001 :Welcome to the Internet Relay Network u0001"), "001");
  EXPECT_EQ(CommandOf("PING :irc.local"), "PING");
  EXPECT_EQ(CommandOf(":127.0.0.1 PONG 127.0.0.1 :127.0.0.1"), "PONG");
  EXPECT_EQ(CommandOf(":lonely"), "");
  EXPECT_EQ(loadgen::ParamsOf("PING :tok en"), ":tok en");
  EXPECT_EQ(loadgen::ParamsOf("QUIT"), "");

  std::uint64_t seq = 0, stamp = 0;
  std::string_view relayed = ":u0001!~u@localhost PRIVMSG #room3 :1234 987654321 xxxx";
  ASSERT_EQ(CommandOf(relayed), "PRIVMSG");
  ASSERT_TRUE(loadgen::ParseFloodText(loadgen::ParamsOf(relayed), seq, stamp));
  EXPECT_EQ(seq, 1234u);
  EXPECT_EQ(stamp, 987654321u);
  EXPECT_TRUE(loadgen::ParseFloodText("#r :7 8", seq, stamp));
  EXPECT_EQ(seq, 7u);
  EXPECT_FALSE(loadgen::ParseFloodText("#r :hello world", seq, stamp));
  EXPECT_FALSE(loadgen::ParseFloodText("#r :12", seq, stamp));
  EXPECT_FALSE(loadgen::ParseFloodText("#r :12 34x", seq, stamp));
  EXPECT_FALSE(loadgen::ParseFloodText("#r 12 34", seq, stamp));
}

TEST(LoadGenLines, HistogramQuantiles) {
  loadgen::LatencyHistogram h;
  EXPECT_EQ(h.Quantile(0.5), 0u);
  for (std::uint64_t us = 1; us <= 1000; ++us) h.Add(us);
  EXPECT_EQ(h.Total(), 1000u);
  EXPECT_EQ(h.Quantile(0.50), 500u);
  EXPECT_EQ(h.Quantile(0.99), 990u);
  EXPECT_EQ(h.Quantile(1.0), 1000u);

  loadgen::LatencyHistogram wide;
  for (std::uint64_t us : {3'000'000ull, 5'000ull, 70'000ull}) wide.Add(us);
  std::uint64_t median = wide.Quantile(0.5), top = wide.Quantile(1.0);
  EXPECT_GE(median, 70'000u);
  EXPECT_LE(median, 70'000u * 1002 / 1000);
  EXPECT_GE(top, 3'000'000u);
  EXPECT_LE(top, 3'000'000u * 1002 / 1000);
}

TEST(LoadGenFlood, CountsEveryDeliveryAndAnswersPings) {
  FakeScript script;
  script.takenNicks = {"u0003"};
  FakeIrcServer server(script);
  loadgen::Options o = OptionsFor(server, 12, 3, 20);
  o.serverPid = int(getpid());
  loadgen::FloodResult r = loadgen::LoadGen(o).Flood();

  ASSERT_TRUE(r.setupOk);
  EXPECT_EQ(r.sent, 240u);
  EXPECT_EQ(r.expected, 3u * 4 * 3 * 20);  // three rooms of four, each line to three others
  EXPECT_EQ(r.received, r.expected);
  EXPECT_EQ(r.lost, 0u);
  EXPECT_EQ(r.duplicates, 0u);
  EXPECT_EQ(r.unparsed, 0u);
  EXPECT_EQ(r.disconnected, 0);
  EXPECT_GT(r.msgPerSecond, 0);
  EXPECT_LE(r.p50us, r.p99us);
  EXPECT_GE(r.serverCpuSeconds, 0);

  std::vector<std::string> nicks = server.Nicks();
  EXPECT_EQ(nicks.size(), 12u);
  EXPECT_NE(std::find(nicks.begin(), nicks.end(), "u0003_"), nicks.end());
  auto counts = server.CommandCounts();
  EXPECT_EQ(counts["USER"], 12);
  EXPECT_EQ(counts["NICK"], 13);
  EXPECT_EQ(counts["JOIN"], 12);
  EXPECT_EQ(counts["PONG"], 12);  // one answer to each server PING
  EXPECT_EQ(counts["PING"], 12);  // one sync round
  EXPECT_EQ(counts["PRIVMSG"], 240);
}

TEST(LoadGenFlood, WindowOfOneStillDeliversEverything) {
  FakeIrcServer server(FakeScript{});
  loadgen::Options o = OptionsFor(server, 6, 2, 30);
  o.window = 1;
  loadgen::FloodResult r = loadgen::LoadGen(o).Flood();
  ASSERT_TRUE(r.setupOk);
  EXPECT_EQ(r.sent, 180u);
  EXPECT_EQ(r.received, 2u * 3 * 2 * 30);
  EXPECT_EQ(r.lost, 0u);
}

TEST(LoadGenFlood, DroppedReceiverShowsAsLostLines) {
  FakeScript script;
  script.dropReceiver = 1;  // the second connection, u0001
  script.dropAfter = 5;
  FakeIrcServer server(script);
  loadgen::Options o = OptionsFor(server, 4, 1, 10);
  o.timeout = 1.5;  // the lines for the dropped receiver never come
  loadgen::FloodResult r = loadgen::LoadGen(o).Flood();
  ASSERT_TRUE(r.setupOk);
  EXPECT_EQ(r.expected, 4u * 3 * 10);
  EXPECT_EQ(r.disconnected, 1);
  EXPECT_EQ(r.firstLoss.rfind("u0001: ", 0), 0u) << r.firstLoss;  // EOF or reset, as the kernel decides
  EXPECT_GT(r.lost, 0u);
  EXPECT_EQ(r.lost + r.received, r.expected);
}

TEST(LoadGenFlood, DuplicatesAndForeignLinesAreNotDeliveries) {
  FakeScript script;
  script.duplicateTo = 0;
  script.foreignLineOnFlood = true;
  FakeIrcServer server(script);
  loadgen::Options o = OptionsFor(server, 3, 1, 8);
  loadgen::FloodResult r = loadgen::LoadGen(o).Flood();
  ASSERT_TRUE(r.setupOk);
  EXPECT_EQ(r.received, r.expected);
  EXPECT_EQ(r.lost, 0u);
  EXPECT_EQ(r.duplicates, 16u);  // u0000 gets the 8 lines of each of the two others twice
  EXPECT_EQ(r.unparsed, 2u);     // the foreign line reached both other members
}

TEST(LoadGenIdle, RegistersWithoutJoining) {
  FakeIrcServer server(FakeScript{});
  loadgen::Options o = OptionsFor(server, 50, 1, 0);
  o.serverPid = int(getpid());
  loadgen::LoadGen gen(o);
  loadgen::IdleResult r = gen.OpenIdle();
  ASSERT_TRUE(r.setupOk);
  EXPECT_GT(r.rssBeforeKb, 0u);
  EXPECT_GT(r.rssAfterKb, 0u);
  auto counts = server.CommandCounts();
  EXPECT_EQ(counts["NICK"], 50);
  EXPECT_EQ(counts["PONG"], 50);
  EXPECT_EQ(counts["PING"], 50);
  EXPECT_EQ(counts.count("JOIN"), 0u);
}

TEST(LoadGenSetup, UnreachableServerFailsSetup) {
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len);
  close(probe);  // a port that nobody listens on
  loadgen::Options o;
  o.port = ntohs(addr.sin_port);
  o.clients = 3;
  o.rooms = 1;
  o.timeout = 1;
  loadgen::FloodResult r = loadgen::LoadGen(o).Flood();
  EXPECT_FALSE(r.setupOk);
  EXPECT_EQ(r.disconnected, 3);
}

}  // namespace
