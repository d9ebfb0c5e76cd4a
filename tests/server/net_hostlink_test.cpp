// The host link: notices to the local client on the loopback-only host port,
// and its requests to the console.
#include <gtest/gtest.h>

#include <QObject>

#include <atomic>

#include "support/ServerThread.h"
#include "support/TestClient.h"

namespace novalune::test {
namespace {

using server::ServerCore;
using server::ServerNet;

class HostLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ConnectHostLink(host)); }

  // Connects a host link and waits until the server has accepted it, so that it hears of
  // every user who connects afterwards.
  bool ConnectHostLink(TestClient& link) {
    std::size_t before = 0;
    server.Run([&](ServerCore&, ServerNet& net) { before = net.OpenConnections(); });
    if (!link.Connect(server.HostPort())) return false;
    return WaitUntil([&] {
      std::size_t open = 0;
      server.Run([&](ServerCore&, ServerNet& net) { open = net.OpenConnections(); });
      return open > before;
    });
  }

  ServerThread server;
  TestClient host;
};

TEST_F(HostLinkTest, NoticesArriveInShiftJisWithoutCodeConversion) {
  TestClient user;
  ASSERT_TRUE(user.Connect(server.UserPort(), "127.0.0.2"));
  EXPECT_EQ(host.ReadRawLine(), "START  127.0.0.2\r\n");

  ASSERT_TRUE(user.Register(Sj("花子")));
  ASSERT_TRUE(user.SendLine("JOIN " + Sj("#部屋")));
  EXPECT_EQ(host.ReadRawLine(), "JOIN " + Sj("#部屋") + " " + Sj("花子") + "\r\n");

  user.Disconnect();
  EXPECT_EQ(host.ReadRawLine(), "END  127.0.0.2\r\n");
}

TEST_F(HostLinkTest, EveryHostLinkConnectionGetsTheNotices) {
  TestClient second;
  ASSERT_TRUE(ConnectHostLink(second));
  TestClient user;
  ASSERT_TRUE(user.Connect(server.UserPort()));
  EXPECT_EQ(host.ReadRawLine(), "START  127.0.0.1\r\n");
  EXPECT_EQ(second.ReadRawLine(), "START  127.0.0.1\r\n");
}

TEST_F(HostLinkTest, RefusedAndLockedConnectionsAreClosedWithoutNotice) {
  server.Run([](ServerCore& core, ServerNet&) { core.SetRefList({"127.0.0.3"}); });
  TestClient refused;
  ASSERT_TRUE(refused.Connect(server.UserPort(), "127.0.0.3"));
  EXPECT_TRUE(refused.WaitClosed());

  server.Run([](ServerCore& core, ServerNet&) { core.SetServerLock(true); });
  TestClient locked;
  ASSERT_TRUE(locked.Connect(server.UserPort()));
  EXPECT_TRUE(locked.WaitClosed());

  server.Run([](ServerCore& core, ServerNet&) { core.SetServerLock(false); });
  TestClient welcome;
  ASSERT_TRUE(welcome.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(welcome.Register("welcome"));
  // The first notice is the welcome user's: the closed ones left no START or END.
  EXPECT_EQ(host.ReadRawLine(), "START  127.0.0.2\r\n");
}

TEST_F(HostLinkTest, HostPortAcceptsOnlyTheServersOwnLoopbackAddress) {
  TestClient stranger;
  EXPECT_FALSE(stranger.Connect(server.HostPort(), "", "127.0.0.2"));
  EXPECT_TRUE(stranger.Connect(server.HostPort(), "", "127.0.0.1"));
}

TEST_F(HostLinkTest, ViewAsksForTheConsoleAndClosingReportsTheLinksLeft) {
  std::atomic<int> views{0};
  std::atomic<int> ends{0};
  std::atomic<bool> lastNoUsers{false};
  std::atomic<std::size_t> lastLinksLeft{99};
  server.Run([&](ServerCore&, ServerNet& net) {
    QObject::connect(&net, &ServerNet::ConsoleRequested, &net, [&] { ++views; });
    QObject::connect(&net, &ServerNet::HostLinkEnded, &net, [&](bool noUsers, std::size_t linksLeft) {
      lastNoUsers = noUsers;
      lastLinksLeft = linksLeft;
      ++ends;
    });
  });
  ASSERT_TRUE(host.SendRaw("VIEW"));
  EXPECT_TRUE(WaitUntil([&] { return views == 1; }));

  host.Disconnect();
  ASSERT_TRUE(WaitUntil([&] { return ends == 1; }));
  EXPECT_TRUE(lastNoUsers);
  EXPECT_EQ(lastLinksLeft, 0u);
  EXPECT_EQ(views, 1);
}

}  // namespace
}  // namespace novalune::test
