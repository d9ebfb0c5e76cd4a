// The host link, the lock, the refuse list and the operator's actions.
#include "server/core_fixture.h"

namespace novalune::server::test {
namespace {

using CoreConsole = CoreTest;

TEST_F(CoreConsole, HostLinkHearsStartJoinAndEndUnconverted) {
  core.HostAccepted(1);
  core.HostAccepted(2);
  const ConnId c = Connect("10.0.0.2");
  Send(c, "NICK " + J("太郎"));
  Send(c, "JOIN #" + J("部屋"));
  core.UserClosed(c);
  const std::string expected =
      "START  10.0.0.2\r\nJOIN #" + J("部屋") + " " + J("太郎") + "\r\nEND  10.0.0.2\r\n";
  EXPECT_EQ(out.sent[1], expected);
  EXPECT_EQ(out.sent[2], expected);
}

TEST_F(CoreConsole, ViewMustBeOneWholeBlock) {
  core.HostAccepted(1);
  core.HostReceived(1, "VI");
  core.HostReceived(1, "EW");
  core.HostReceived(1, "VIEW\r\n");
  EXPECT_EQ(out.consoleShown, 0);
  core.HostReceived(1, "VIEW");
  EXPECT_EQ(out.consoleShown, 1);
}

TEST_F(CoreConsole, HostLinkCloseReportsUsersAndLinksLeft) {
  core.HostAccepted(1);
  core.HostAccepted(2);
  core.HostClosed(1);
  const ConnId c = Connect("10.0.0.2");
  core.HostClosed(2);
  core.HostClosed(2);
  EXPECT_EQ(out.hostClosed, (std::vector<std::pair<bool, std::size_t>>{{true, 1}, {false, 0}}));
  Take(c);
}

TEST_F(CoreConsole, LockAndRefuseListCloseNewConnectionsBeforeAnyRow) {
  core.HostAccepted(1);
  core.SetServerLock(true);
  const ConnId local = Connect("127.0.0.1", "127.0.0.1");
  EXPECT_TRUE(IsClosed(local));
  core.SetServerLock(false);
  core.SetRefList({"10.0.0.9", "10.0.0.10"});
  EXPECT_EQ(core.RefList(), (std::vector<std::string>{"10.0.0.10", "10.0.0.9"}));
  const ConnId refused = Connect("10.0.0.9");
  EXPECT_TRUE(IsClosed(refused));
  EXPECT_TRUE(core.Users().empty());
  EXPECT_EQ(out.sent[1], "");
  // Whatever the adapter still reports for them changes nothing.
  core.UserReceived(refused, "NICK x\r\n");
  core.UserClosed(refused);
  EXPECT_EQ(out.sent[1], "");
  EXPECT_TRUE(core.Users().empty());
}

TEST_F(CoreConsole, RefuseAddsTheAddressOnceAndKeepsTheUser) {
  const ConnId a = Register("a", "10.0.0.5");
  Register("b", "10.0.0.5");
  core.OperatorRefuse(0);
  core.OperatorRefuse(1);
  core.OperatorRefuse(7);
  EXPECT_EQ(core.RefList(), (std::vector<std::string>{"10.0.0.5"}));
  EXPECT_FALSE(IsClosed(a));
  EXPECT_TRUE(IsClosed(Connect("10.0.0.5")));
  core.OperatorDeleteRefused({0});
  EXPECT_TRUE(core.RefList().empty());
  EXPECT_FALSE(IsClosed(Connect("10.0.0.5")));
}

TEST_F(CoreConsole, MakeAndWithdrawHostTellTheUsersRoomWithTheirOwnNicks) {
  const ConnId a = Joined("a", "#A");
  const ConnId b = Joined("b", "#A");
  const ConnId c = Joined("c", "#C");
  Take(a);
  core.OperatorMakeHost(1);
  EXPECT_EQ(core.Users()[1].mode, "o");
  EXPECT_EQ(Take(a), (Lines{":a!x@x MODE #A +o b"}));
  EXPECT_EQ(Take(b), (Lines{":b!x@x MODE #A +o b"}));
  EXPECT_EQ(Take(c), Lines{});
  core.OperatorMakeHost(1);
  EXPECT_EQ(core.Users()[1].mode, "o");
  EXPECT_EQ(Take(a), (Lines{":a!x@x MODE #A +o b"}));
  core.OperatorWithdrawHost(1);
  EXPECT_EQ(core.Users()[1].mode, "");
  EXPECT_EQ(Take(b), (Lines{":b!x@x MODE #A +o b", ":b!x@x MODE #A -o b"}));
}

TEST_F(CoreConsole, MessagesAndDisconnect) {
  const ConnId a = Joined("a", "#A");
  const ConnId b = Joined("b", "#A");
  const ConnId c = Register("c");
  Take(a);
  core.OperatorMessageUser(0, J("こんにちは"));
  core.OperatorMessageUser(0, "");
  EXPECT_EQ(Take(a), (Lines{":Server_Message!x@x PRIVMSG #A :" + J("こんにちは")}));
  EXPECT_EQ(Take(b), Lines{});
  core.OperatorMessageRoom(0, "all");
  EXPECT_EQ(Take(a), (Lines{":Server_Message!x@x PRIVMSG #A :all"}));
  EXPECT_EQ(Take(b), (Lines{":Server_Message!x@x PRIVMSG #A :all"}));
  EXPECT_EQ(Take(c), Lines{});
  core.OperatorDisconnect(0);
  EXPECT_TRUE(IsClosed(a));
  EXPECT_EQ(Take(b), (Lines{":a! QUIT #A"}));
}

TEST_F(CoreConsole, ClearingThePasswordShowsTheRoomInListAgain) {
  const ConnId a = Register("a");
  Send(a, "JOIN #A pw");
  core.OperatorSetRoomPass(0, "");
  core.OperatorSetRoomPass(3, "x");
  Take(a);
  Send(a, "LIST");
  EXPECT_EQ(Take(a)[1], ":ZKWChatServer214 322 a #A 1 :");
}

TEST_F(CoreConsole, DisconnectAllEmptiesBothTablesThroughTheNormalPath) {
  core.HostAccepted(1);
  const ConnId a = Joined("a", "#A", "10.0.0.2");
  const ConnId b = Joined("b", "#B", "10.0.0.3");
  core.DisconnectAll();
  EXPECT_TRUE(IsClosed(a));
  EXPECT_TRUE(IsClosed(b));
  EXPECT_TRUE(core.Users().empty());
  EXPECT_TRUE(core.Rooms().empty());
  const std::string& host = out.sent[1];
  EXPECT_NE(host.find("END  10.0.0.2\r\n"), std::string::npos);
  EXPECT_NE(host.find("END  10.0.0.3\r\n"), std::string::npos);
  EXPECT_GT(out.tablesChanged, 0);
}

}  // namespace
}  // namespace novalune::server::test
