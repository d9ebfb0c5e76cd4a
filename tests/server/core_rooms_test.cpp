// Rooms and the two tables: JOIN, PART, TOPIC, MODE, KICK, JOINIP.
#include "server/core_fixture.h"

namespace novalune::server::test {
namespace {

using CoreRooms = CoreTest;

TEST_F(CoreRooms, RemoteJoinSequenceAndTableRows) {
  const ConnId a = Register("a", "10.0.0.2");
  Send(a, "ICON cat.gif");
  Send(a, "JOIN #A");
  EXPECT_EQ(Take(a), (Lines{":a!x@x JOIN :#A", ":ZKWChatServer214 353 a = #A :a",
                            ":ZKWChatServer214 366 a #A :End of /NAMES list",
                            ":ZKWChatServer214 LISTICON a cat.gif"}));
  const ConnId b = Register("b", "10.0.0.3");
  Send(b, "JOIN %#a");
  EXPECT_EQ(Take(a), (Lines{":b!x@x JOIN :#a", ":ZKWChatServer214 LISTICON b "}));
  EXPECT_EQ(Take(b), (Lines{":b!x@x JOIN :#a", ":ZKWChatServer214 353 b = #a :a b",
                            ":ZKWChatServer214 366 b #a :End of /NAMES list",
                            ":ZKWChatServer214 LISTICON a cat.gif", ":ZKWChatServer214 LISTICON b "}));
  ASSERT_EQ(core.Rooms().size(), 1u);
  EXPECT_EQ(core.Rooms()[0].name, "#a");  // spelled as the latest joiner wrote it
  EXPECT_EQ(LenCell(core.Rooms()[0].len), "    2");
  EXPECT_EQ(core.Users()[1].room, "#a");
  EXPECT_EQ(IdCell(core.Users()[1].id), "    2");
}

TEST_F(CoreRooms, LocalJoinerBecomesHostAndIsListedWithAt) {
  const ConnId remote = Joined("hanako", "#A", "10.0.0.2");
  const ConnId local = Register("taro", "127.0.0.1", "127.0.0.1");
  Send(local, "JOIN #A");
  EXPECT_EQ(Take(local), (Lines{":taro!x@x JOIN :#A", ":taro!x@x MODE #A +o taro",
                                ":ZKWChatServer214 353 taro = #A :hanako @taro",
                                ":ZKWChatServer214 366 taro #A :End of /NAMES list",
                                ":ZKWChatServer214 LISTICON hanako ", ":ZKWChatServer214 LISTICON taro "}));
  EXPECT_EQ(Take(remote),
            (Lines{":taro!x@x JOIN :#A", ":taro!x@x MODE #A +o taro", ":ZKWChatServer214 LISTICON taro "}));
  EXPECT_EQ(core.Users()[1].mode, "o");
  // A client bound to another loopback address is not on the server's own address.
  const ConnId other = Register("jiro", "127.0.0.2", "127.0.0.1");
  Send(other, "JOIN #A");
  EXPECT_EQ(Take(other)[1], ":ZKWChatServer214 353 jiro = #A :hanako @taro jiro");
  // The host moves to #B and keeps its mode.
  Take(local);
  Send(local, "JOIN #B");
  const Lines moved = Take(local);
  EXPECT_EQ(moved[0], ":taro!x@x PART #A");
  EXPECT_EQ(moved[3], ":ZKWChatServer214 353 taro = #B :@taro");
}

TEST_F(CoreRooms, PasswordOnCreationWrongPasswordAndChange) {
  const ConnId a = Register("a", "10.0.0.2");
  Send(a, "JOIN #A pw");
  const Lines created = Take(a);
  EXPECT_EQ(created[0], ":NOVALUNE!x@x PRIVMSG #A :" + J("この部屋のパスワードは") + "pw" + J("です"));
  EXPECT_EQ(created[1], ":a!x@x JOIN :#A");
  EXPECT_EQ(core.Users()[0].mode, "");
  EXPECT_EQ(core.Rooms()[0].pass, "pw");

  const ConnId b = Joined("b", "#B", "10.0.0.3");
  Send(b, "JOIN #A");
  Send(b, "JOIN #A PW");
  EXPECT_EQ(Take(b), Lines{});
  EXPECT_EQ(core.Users()[1].room, "#B");
  Send(b, "JOIN #A pw");
  EXPECT_EQ(Take(b)[0], ":b!x@x PART #B");
  EXPECT_EQ(core.Rooms().size(), 1u);  // #B went with its last member

  Send(b, "JOIN #A new");
  const std::string changed = ":b!x@x PRIVMSG #A :" + J("部屋のパスワードを") + "new" + J("に設定しました");
  EXPECT_EQ(Take(a), (Lines{":b!x@x JOIN :#A", ":ZKWChatServer214 LISTICON b ", changed}));
  EXPECT_EQ(Take(b), (Lines{changed}));
  EXPECT_EQ(core.Rooms()[0].pass, "new");
  // The Japanese text is on the wire as ISO-2022-JP.
  Send(b, "JOIN #A x");
  const std::string raw = TakeRaw(a);
  EXPECT_NE(raw.find("\x1b$B"), std::string::npos);
  EXPECT_EQ(raw.find('\x82'), std::string::npos);
  EXPECT_EQ(raw.substr(raw.size() - 5), "\x1b(J\r\n");
}

TEST_F(CoreRooms, PassCheckLeavesPasswordChangesToHostsAndLocalUsers) {
  core.SetPassCheck(true);
  const ConnId a = Register("a", "10.0.0.2");
  Send(a, "JOIN #A pw");
  const ConnId local = Register("me", "127.0.0.1", "127.0.0.1");
  Send(local, "JOIN #A pw");
  Take(a);
  Send(a, "JOIN #A other");
  EXPECT_EQ(Take(a), Lines{});
  EXPECT_EQ(core.Rooms()[0].pass, "pw");
  Send(local, "JOIN #A mine");
  EXPECT_EQ(core.Rooms()[0].pass, "mine");
  Send(local, "MODE #A +o a");
  Send(a, "JOIN #A hers");
  EXPECT_EQ(core.Rooms()[0].pass, "hers");
  // A password given while entering an occupied room without one is ignored.
  const ConnId c = Joined("c", "#C", "10.0.0.4");
  const ConnId d = Register("d", "10.0.0.5");
  Send(d, "JOIN #C secret");
  EXPECT_EQ(core.Rooms()[1].pass, "");
  EXPECT_EQ(Take(d)[0], ":d!x@x JOIN :#C");
  Take(c);
}

TEST_F(CoreRooms, JoinBeforeNickIsIgnoredAndRejoinDoesNothing) {
  const ConnId c = Connect("10.0.0.2");
  Send(c, "JOIN #A");
  EXPECT_EQ(Take(c), Lines{});
  EXPECT_TRUE(core.Rooms().empty());
  const ConnId a = Joined("a", "#A");
  Send(a, "JOIN #a");
  EXPECT_EQ(Take(a), Lines{});
}

TEST_F(CoreRooms, TopicIsStoredSilentlyAndShownOnTheNextJoin) {
  const ConnId host = Register("host", "127.0.0.1", "127.0.0.1");
  Send(host, "JOIN #A");
  const ConnId plain = Joined("plain", "#A", "10.0.0.2");
  Take(host);
  Send(plain, "TOPIC #A :no");
  EXPECT_EQ(core.Rooms()[0].topic, "");
  Send(host, "TOPIC #A :a b c");
  EXPECT_EQ(core.Rooms()[0].topic, "a b c");
  EXPECT_EQ(Take(host), Lines{});
  Send(host, "TOPIC #NOWHERE :x");
  EXPECT_EQ(core.Rooms().size(), 1u);
  const ConnId late = Register("late", "10.0.0.3");
  Send(late, "JOIN #A");
  EXPECT_EQ(Take(plain),
            (Lines{":late!x@x JOIN :#A", ":late!x@x TOPIC #A :a b c", ":ZKWChatServer214 LISTICON late "}));
  EXPECT_EQ(Take(late)[3], ":late!x@x TOPIC #A :a b c");
  Send(host, "TOPIC #A");
  EXPECT_EQ(core.Rooms()[0].topic, "");
}

TEST_F(CoreRooms, ModeGivesAndTakesHostWithEachReceiversOwnNick) {
  const ConnId host = Register("host", "127.0.0.1", "127.0.0.1");
  Send(host, "JOIN #A");
  const ConnId hanako = Joined("hanako", "#A", "10.0.0.2");
  const ConnId outside = Joined("jiro", "#B", "10.0.0.3");
  Take(host);
  Send(hanako, "MODE #A +o hanako");
  EXPECT_EQ(Take(host), Lines{});
  Send(host, "MODE #A +o hanako");
  EXPECT_EQ(Take(host), (Lines{":host!x@x MODE #A +o hanako"}));
  EXPECT_EQ(Take(hanako), (Lines{":hanako!x@x MODE #A +o hanako"}));
  EXPECT_EQ(Take(outside), Lines{});
  EXPECT_EQ(core.Users()[1].mode, "o");
  Send(host, "MODE #A +o hanako");
  EXPECT_EQ(core.Users()[1].mode, "o");
  Send(hanako, "MODE #A -o host");
  EXPECT_EQ(core.Users()[0].mode, "");
  // Sent even when the target is not there; nothing changes.
  Take(host);
  Send(hanako, "MODE #A +o nobody");
  EXPECT_EQ(Take(host), (Lines{":host!x@x MODE #A +o nobody"}));
  Send(hanako, "MODE #A");
  Send(hanako, "MODE #NONE");
  EXPECT_EQ(Take(hanako).back(), ":ZKWChatServer214 324 hanako #A :");
}

TEST_F(CoreRooms, KickDisconnectsOnlyTheNamedMemberOfThatRoom) {
  const ConnId host = Register("host", "127.0.0.1", "127.0.0.1");
  Send(host, "JOIN #A");
  const ConnId hanako = Joined("hanako", "#A", "10.0.0.2");
  const ConnId jiro = Joined("jiro", "#B", "10.0.0.3");
  Take(host);
  Send(hanako, "KICK #A host");
  Send(host, "KICK #A jiro");
  EXPECT_FALSE(IsClosed(host));
  EXPECT_FALSE(IsClosed(jiro));
  Send(host, "KICK #a HANAKO");
  EXPECT_TRUE(IsClosed(hanako));
  EXPECT_EQ(Take(host), (Lines{":hanako! QUIT #A"}));
  // Kicking oneself drops the rest of the read.
  core.UserReceived(host, "KICK #A host\r\nJOIN #B\r\n");
  EXPECT_TRUE(IsClosed(host));
  EXPECT_EQ(Take(jiro), Lines{});
  EXPECT_EQ(Nicks(), (std::vector<std::string>{"jiro"}));
}

TEST_F(CoreRooms, JoinIpAnswersWithTheStoredNickAndAddress) {
  const ConnId a = Register("a", "10.0.0.2");
  Register("Hanako", "10.0.0.7");
  Send(a, "JOINIP hanako");
  Send(a, "JOINIP nobody");
  EXPECT_EQ(Take(a), (Lines{":a!x@x JOINIP Hanako 10.0.0.7"}));
}

TEST_F(CoreRooms, PartTellsTheRoomAndTheLastLeaverDeletesIt) {
  const ConnId a = Register("a", "10.0.0.2");
  Send(a, "JOIN #A pw");
  core.OperatorSetRoomTopic(0, "t");
  const ConnId b = Joined("b", "#B", "10.0.0.3");
  Take(a);
  Send(a, "PART #A");
  EXPECT_EQ(Take(a), (Lines{":a!x@x PART #A"}));
  EXPECT_EQ(Take(b), Lines{});
  ASSERT_EQ(core.Rooms().size(), 1u);
  EXPECT_EQ(core.Rooms()[0].name, "#B");
  Send(a, "JOIN #A");  // a fresh room: no password, no topic
  EXPECT_EQ(core.Rooms()[1].pass, "");
  EXPECT_EQ(core.Rooms()[1].topic, "");
}

// Each line is cut on its own: a shorter line after a longer one in the same
// read sees none of its fields, and a line completed from a partial read
// keeps its arguments while its handler changes the tables.
TEST_F(CoreRooms, EveryLineOfOneReadGetsItsOwnArguments) {
  const ConnId host = Register("host", "127.0.0.1", "127.0.0.1");
  core.UserReceived(host, "JOIN %#A p");
  core.UserReceived(host, "w\r\nJOIN #a new\r\nMODE #A -o host\r\nMODE #A\r\nPART #A\r\n");
  EXPECT_EQ(
      Take(host),
      (Lines{":NOVALUNE!x@x PRIVMSG #A :" + J("この部屋のパスワードは") + "pw" + J("です"),
             ":host!x@x JOIN :#A", ":host!x@x MODE #A +o host", ":ZKWChatServer214 353 host = #A :@host",
             ":ZKWChatServer214 366 host #A :End of /NAMES list", ":ZKWChatServer214 LISTICON host ",
             ":host!x@x PRIVMSG #a :" + J("部屋のパスワードを") + "new" + J("に設定しました"),
             ":host!x@x MODE #A -o host", ":ZKWChatServer214 324 host #A :", ":host!x@x PART #A"}));
  EXPECT_EQ(core.Users()[0].mode, "");
  EXPECT_EQ(core.Users()[0].room, "");
}

TEST_F(CoreRooms, PartNamingAnotherRoomLeavesTheRealRoomStaleUntilADisconnect) {
  const ConnId a = Joined("a", "#A", "10.0.0.2");
  const ConnId b = Joined("b", "#B", "10.0.0.3");
  const ConnId c = Joined("c", "#B", "10.0.0.4");
  const ConnId idle = Register("idle", "10.0.0.5");
  Take(b);
  Send(a, "PART #B");
  EXPECT_EQ(Take(b), (Lines{":a!x@x PART #B"}));
  EXPECT_EQ(Take(c), (Lines{":a!x@x PART #B"}));
  EXPECT_EQ(Take(a), Lines{});
  EXPECT_EQ(core.Users()[0].room, "");
  ASSERT_EQ(core.Rooms().size(), 2u);
  EXPECT_EQ(core.Rooms()[0].name, "#A");
  EXPECT_EQ(core.Rooms()[0].len, 1);  // still counted, though empty
  EXPECT_EQ(core.Rooms()[1].len, 2);
  core.UserClosed(idle);
  ASSERT_EQ(core.Rooms().size(), 1u);
  EXPECT_EQ(core.Rooms()[0].name, "#B");
}

TEST_F(CoreRooms, IdsAreReusedAndRowsKeepAcceptanceOrder) {
  Register("one");
  const ConnId two = Register("two");
  Register("three");
  core.UserClosed(two);
  Register("four");
  ASSERT_EQ(core.Users().size(), 3u);
  EXPECT_EQ(Nicks(), (std::vector<std::string>{"one", "three", "four"}));
  EXPECT_EQ(core.Users()[2].id, 2u);
  EXPECT_EQ(core.Users()[2].ip, "10.0.0.9");
  Register("five");
  EXPECT_EQ(core.Users()[3].id, 4u);
}

TEST_F(CoreRooms, RoomRowsMoveUpWhenOneIsDeleted) {
  const ConnId a = Joined("a", "#A");
  Joined("b", "#B");
  Joined("c", "#C");
  Send(a, "JOIN #D");
  ASSERT_EQ(core.Rooms().size(), 3u);
  EXPECT_EQ(core.Rooms()[0].name, "#B");
  EXPECT_EQ(core.Rooms()[1].name, "#C");
  EXPECT_EQ(core.Rooms()[2].name, "#D");
}

}  // namespace
}  // namespace novalune::server::test
