// Framing, dispatch, registration and liveness of the server engine.
#include "server/core_fixture.h"

namespace novalune::server::test {
namespace {

using CoreRegistration = CoreTest;

TEST_F(CoreRegistration, FirstNickGetsWelcomeAndMotdOnly) {
  const ConnId c = Connect("10.0.0.2");
  Send(c, "NICK taro");
  EXPECT_EQ(Take(c), (Lines{":ZKWChatServer214 001 taro :Welcome to the Internet Relay Network taro",
                            ":ZKWChatServer214 376 taro :End of /MOTD command"}));
  EXPECT_EQ(core.Users()[0].nick, "taro");
}

TEST_F(CoreRegistration, TakenOwnOrEmptyNickGets433AndKeepsTheOldOne) {
  const ConnId taro = Register("taro");
  const ConnId other = Register("hanako");
  Send(taro, "NICK taro");
  Send(taro, "NICK");
  Send(other, "NICK TARO");
  EXPECT_EQ(Take(taro), (Lines{":ZKWChatServer214 433 taro :Nicname is olready in use",
                               ":ZKWChatServer214 433  :Nicname is olready in use"}));
  EXPECT_EQ(Take(other), (Lines{":ZKWChatServer214 433 TARO :Nicname is olready in use"}));
  EXPECT_EQ(Nicks(), (std::vector<std::string>{"taro", "hanako"}));
  // An unnamed connection stays unnamed after a refused nick.
  const ConnId fresh = Connect("10.0.0.3");
  Send(fresh, "nick Hanako");
  EXPECT_EQ(Take(fresh), (Lines{":ZKWChatServer214 433 Hanako :Nicname is olready in use"}));
  EXPECT_EQ(core.Users()[2].nick, "");
}

TEST_F(CoreRegistration, RenameReachesTheRoomOnlyOrEveryoneWithoutRoom) {
  const ConnId a = Joined("a", "#ROOM");
  const ConnId b = Joined("b", "#ROOM");
  const ConnId c = Joined("c", "#OTHER");
  const ConnId d = Register("d");
  const ConnId e = Register("e");
  Take(a);
  Send(a, "NICK a2");
  EXPECT_EQ(Take(a), (Lines{":a!x@x NICK :a2"}));
  EXPECT_EQ(Take(b), (Lines{":a!x@x NICK :a2"}));
  EXPECT_EQ(Take(c), Lines{});
  EXPECT_EQ(Take(d), Lines{});
  Send(d, "NICK d2");
  EXPECT_EQ(Take(d), (Lines{":d!x@x NICK :d2"}));
  EXPECT_EQ(Take(e), (Lines{":d!x@x NICK :d2"}));
  EXPECT_EQ(Take(b), Lines{});
  EXPECT_EQ(core.Users()[0].nick, "a2");
  // The old nick is free again, the new one taken.
  const ConnId f = Register("a");
  Send(f, "NICK D2");
  EXPECT_EQ(Take(f), (Lines{":ZKWChatServer214 433 D2 :Nicname is olready in use"}));
}

TEST_F(CoreRegistration, CommandWordsIgnoreCaseAndIrcxMustStandAlone) {
  const ConnId c = Connect("10.0.0.2");
  Send(c, "irCX");
  Send(c, "IRCX now");
  Send(c, "MODE ISIRCX");
  Send(c, "mode isircx");
  Send(c, "PONG x");
  Send(c, "");
  Send(c, "PiNg 1");
  EXPECT_EQ(Take(c),
            (Lines{":ZKWChatServer214 800 * 1 0 NTML,ANON 512 *",
                   ":ZKWChatServer214 800 * 0 0 NTML,ANON 512 *", ":10.0.0.2 PONG 10.0.0.2 :192.168.0.1"}));
}

TEST_F(CoreRegistration, UserAndIconStoreTheWholeText) {
  const ConnId c = Connect("10.0.0.2");
  Send(c, "USER taro * * :Taro Yamada");
  Send(c, "ICON pics/cat 1.gif");
  EXPECT_EQ(core.Users()[0].name, "taro * * :Taro Yamada");
  EXPECT_EQ(core.Users()[0].icon, "pics/cat 1.gif");
  Send(c, "USER jiro x y :z");
  EXPECT_EQ(core.Users()[0].name, "jiro x y :z");
  EXPECT_EQ(Take(c), Lines{});
}

TEST_F(CoreRegistration, FramingCutsAtLfAndDropsFromTheFirstCr) {
  const ConnId c = Connect("10.0.0.2");
  core.UserReceived(c, "NI");
  EXPECT_EQ(core.Users()[0].buffer, "NI");
  core.UserReceived(c, "CK ta");
  EXPECT_EQ(core.Users()[0].buffer, "NICK ta");
  EXPECT_EQ(Take(c), Lines{});
  core.UserReceived(c, "ro\nJOIN #A\r\nPING\rjunk\nLUS");
  EXPECT_EQ(core.Users()[0].buffer, "LUS");
  const Lines lines = Take(c);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], ":ZKWChatServer214 001 taro :Welcome to the Internet Relay Network taro");
  EXPECT_EQ(lines[2], ":taro!x@x JOIN :#A");
  EXPECT_EQ(lines[6], ":10.0.0.2 PONG 10.0.0.2 :192.168.0.1");
  EXPECT_EQ(core.Users()[0].room, "#A");
}

TEST_F(CoreRegistration, JapaneseTravelsAsIso2022JpAndHalfWidthKanaArrivesWidened) {
  const ConnId a = Joined("a", "#ROOM");
  const ConnId b = Joined("b", "#ROOM");
  Take(a);
  // あ, then half-width ｶﾞ which the client's encoder widens to ガ.
  Send(b, "PRIVMSG #ROOM :" + J("あ") + "x" + J("ｶﾞ"));
  EXPECT_EQ(TakeRaw(a), ":b!x@x PRIVMSG #ROOM :\x1b$B$\"\x1b(Jx\x1b$B%,\x1b(J\r\n");
  Send(b, "PRIVMSG #ROOM :abc");
  EXPECT_EQ(TakeRaw(a), ":b!x@x PRIVMSG #ROOM :abc\r\n");
  // A nick in Kanji is kept and compared as Shift-JIS.
  Send(b, "NICK " + J("花子"));
  EXPECT_EQ(Take(a), (Lines{":b!x@x NICK :" + J("花子")}));
}

TEST_F(CoreRegistration, QuitClosesAndDropsTheRestOfTheRead) {
  const ConnId a = Joined("a", "#A");
  const ConnId b = Joined("b", "#A");
  Take(a);
  core.UserReceived(b, "QUIT :bye\r\nPRIVMSG #A :after\r\nNICK");
  EXPECT_TRUE(IsClosed(b));
  EXPECT_EQ(Take(a), (Lines{":b! QUIT #A"}));
  EXPECT_EQ(Nicks(), (std::vector<std::string>{"a"}));
  // Bytes the adapter still delivers for the closed connection change nothing.
  core.UserReceived(b, "NICK zombie\r\n");
  core.UserClosed(b);
  EXPECT_EQ(Nicks(), (std::vector<std::string>{"a"}));
}

TEST_F(CoreRegistration, LeaverWithoutRoomIsAnnouncedToOthersWithoutRoom) {
  const ConnId inRoom = Joined("a", "#A");
  const ConnId idle1 = Register("b");
  const ConnId idle2 = Register("c");
  core.UserClosed(idle1);
  EXPECT_EQ(Take(idle2), (Lines{":b! QUIT "}));
  EXPECT_EQ(Take(inRoom), Lines{});
  EXPECT_FALSE(IsClosed(idle1));  // the peer closed it: the engine does not close it again
}

TEST_F(CoreRegistration, LongPartialLineDisconnects) {
  const ConnId a = Register("a");
  const ConnId b = Register("b");
  core.UserReceived(a, std::string(64 * 1024, 'x'));
  EXPECT_FALSE(IsClosed(a));
  core.UserReceived(a, "y");
  EXPECT_TRUE(IsClosed(a));
  EXPECT_EQ(Take(b), (Lines{":a! QUIT "}));
  // A long line that ends is handled like any other.
  Send(b, "USER " + std::string(100 * 1024, 'n'));
  EXPECT_FALSE(IsClosed(b));
  EXPECT_EQ(core.Users()[0].name.size(), 100u * 1024);
}

class CoreIdleTimer : public CoreTest {
 protected:
  void Ticks(int n) {
    for (int k = 0; k < n; ++k) core.Tick();
  }
};

TEST_F(CoreIdleTimer, DropsAfter300TicksWithoutRoomAndPingRestarts) {
  const ConnId idle = Register("idle");
  const ConnId pinger = Register("pinger");
  const ConnId member = Joined("member", "#A");
  Ticks(299);
  EXPECT_EQ(core.Users()[0].count, 299);
  EXPECT_EQ(CountCell(core.Users()[0].count), "299");
  EXPECT_EQ(core.Users()[2].count, 0);
  Send(pinger, "PING x");
  Take(pinger);
  EXPECT_EQ(core.Users()[1].count, 0);
  EXPECT_FALSE(IsClosed(idle));
  Ticks(1);
  EXPECT_TRUE(IsClosed(idle));
  EXPECT_EQ(Take(pinger), (Lines{":idle! QUIT "}));
  Ticks(299);  // the tick that dropped idle did not count pinger
  EXPECT_FALSE(IsClosed(pinger));
  Ticks(1);
  EXPECT_TRUE(IsClosed(pinger));
  Ticks(1000);
  EXPECT_FALSE(IsClosed(member));
}

TEST_F(CoreIdleTimer, OneUserPerTickAndLaterRowsWaitAndPartKeepsCounting) {
  const ConnId a = Register("a");
  const ConnId b = Register("b");
  const ConnId c = Register("c");
  Ticks(299);
  Send(c, "JOIN #A");  // resets c
  Ticks(1);
  EXPECT_TRUE(IsClosed(a));
  EXPECT_FALSE(IsClosed(b));
  // b was not counted in the tick that dropped a.
  EXPECT_EQ(core.Users()[0].count, 299);
  Ticks(1);
  EXPECT_TRUE(IsClosed(b));
  Send(c, "PART #A");
  Ticks(299);
  EXPECT_FALSE(IsClosed(c));
  Ticks(1);
  EXPECT_TRUE(IsClosed(c));
  EXPECT_TRUE(core.Users().empty());
}

TEST_F(CoreIdleTimer, UnnamedConnectionsAreDroppedToo) {
  const ConnId c = Connect("10.0.0.2");
  Ticks(300);
  EXPECT_TRUE(IsClosed(c));
}

}  // namespace
}  // namespace novalune::server::test
