// A fake adapter for the server engine: records what goes on each connection
// and hands the lines back decoded, the way a client would read them.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/SjisText.h"
#include "common/jconvert.h"
#include "server/core/ServerCore.h"

namespace novalune::server::test {

struct FakeOutput : ServerOutput {
  std::map<ConnId, std::string> sent;
  std::vector<ConnId> closed;
  std::vector<std::pair<RelaySide, bool>> listening;
  std::vector<std::pair<ConnId, ConnId>> pairs;
  int consoleShown = 0;
  std::vector<std::pair<bool, std::size_t>> hostClosed;
  int tablesChanged = 0;

  void Send(ConnId conn, std::string_view bytes) override { sent[conn] += bytes; }
  void Close(ConnId conn) override { closed.push_back(conn); }
  void SetRelayListening(RelaySide side, bool active) override { listening.emplace_back(side, active); }
  void PairRelay(ConnId senderSide, ConnId receiverSide) override {
    pairs.emplace_back(senderSide, receiverSide);
  }
  void ShowConsole() override { ++consoleShown; }
  void HostLinkClosed(bool noUsers, std::size_t linksLeft) override {
    hostClosed.emplace_back(noUsers, linksLeft);
  }
  void TablesChanged() override { ++tablesChanged; }
};

// UTF-8 in the test source, Shift-JIS as the engine sees it.
inline std::string J(const char* utf8) { return Utf8ToSjis(utf8); }

inline constexpr std::string_view kServerIp = "192.168.0.1";

class CoreTest : public ::testing::Test {
 protected:
  FakeOutput out;
  ServerCore core{out, ServerPorts{17066, 17067}};
  ConnId nextConn = 100;

  void TearDown() override { EXPECT_EQ(core.CheckConsistency(), ""); }

  ConnId Connect(std::string_view ip, std::string_view local = kServerIp) {
    const ConnId conn = nextConn++;
    core.UserAccepted(conn, ip, local);
    return conn;
  }

  // A client that has said USER and NICK; its replies are taken away.
  ConnId Register(std::string_view nick, std::string_view ip = "10.0.0.9",
                  std::string_view local = kServerIp) {
    const ConnId conn = Connect(ip, local);
    Send(conn, "USER " + std::string(nick) + " * * :" + std::string(nick));
    Send(conn, "NICK " + std::string(nick));
    Take(conn);
    return conn;
  }

  ConnId Joined(std::string_view nick, std::string_view room, std::string_view ip = "10.0.0.9") {
    const ConnId conn = Register(nick, ip);
    Send(conn, "JOIN " + std::string(room));
    Take(conn);
    return conn;
  }

  // One Shift-JIS line, encoded as a client sends it.
  void Send(ConnId conn, std::string_view sjisLine) {
    core.UserReceived(conn, SjisToJis(std::string(sjisLine) + "\r\n"));
  }

  // The raw bytes written to a connection so far, taken away.
  std::string TakeRaw(ConnId conn) { return std::exchange(out.sent[conn], std::string()); }

  // The decoded lines written to a connection so far, taken away. Every line
  // must end in CR LF.
  std::vector<std::string> Take(ConnId conn) {
    const std::string text = JisToSjis(TakeRaw(conn));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        ADD_FAILURE() << "unterminated line: " << text.substr(start);
        break;
      }
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  bool IsClosed(ConnId conn) const {
    for (ConnId c : out.closed) {
      if (c == conn) return true;
    }
    return false;
  }

  std::vector<std::string> Nicks() const {
    std::vector<std::string> nicks;
    for (const UserRow& row : core.Users()) nicks.push_back(row.nick);
    return nicks;
  }
};

using Lines = std::vector<std::string>;

}  // namespace novalune::server::test
