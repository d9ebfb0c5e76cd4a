// The chat protocol end to end over loopback sockets: exact bytes on the wire,
// Japanese text in ISO-2022-JP, local and remote users.
#include <gtest/gtest.h>

#include "support/ServerThread.h"
#include "support/TestClient.h"

namespace novalune::test {
namespace {

const std::string kServer = ":ZKWChatServer214";
const char* kRemote = "127.0.0.2";  // a loopback address other than the server's: a remote user

class ProtocolTest : public ::testing::Test {
 protected:
  ServerThread server;
};

TEST_F(ProtocolTest, RegistrationRepliesAreExactBytesOnTheWire) {
  TestClient taro;
  ASSERT_TRUE(taro.Connect(server.UserPort()));
  ASSERT_TRUE(taro.SendLine("USER taro * * :taro"));
  ASSERT_TRUE(taro.SendLine("NICK taro"));
  EXPECT_EQ(taro.ReadRawLine(), kServer + " 001 taro :Welcome to the Internet Relay Network taro\r\n");
  EXPECT_EQ(taro.ReadRawLine(), kServer + " 376 taro :End of /MOTD command\r\n");

  ASSERT_TRUE(taro.SendLine("irCX"));
  EXPECT_EQ(taro.ReadRawLine(), kServer + " 800 * 1 0 NTML,ANON 512 *\r\n");
  ASSERT_TRUE(taro.SendLine("MODE ISIRCX"));
  EXPECT_EQ(taro.ReadRawLine(), kServer + " 800 * 0 0 NTML,ANON 512 *\r\n");
  ASSERT_TRUE(taro.SendLine("PING x"));
  EXPECT_EQ(taro.ReadRawLine(), ":127.0.0.1 PONG 127.0.0.1 :127.0.0.1\r\n");

  TestClient other;
  ASSERT_TRUE(other.Connect(server.UserPort(), kRemote));
  ASSERT_TRUE(other.SendLine("NICK TARO"));
  EXPECT_EQ(other.ReadRawLine(), kServer + " 433 TARO :Nicname is olready in use\r\n");
  ASSERT_TRUE(other.SendLine("NICK"));
  EXPECT_EQ(other.ReadRawLine(), kServer + " 433  :Nicname is olready in use\r\n");
  // The remote user's PONG names its own address and the server's address on that connection.
  ASSERT_TRUE(other.SendLine("PING"));
  EXPECT_EQ(other.ReadRawLine(), ":127.0.0.2 PONG 127.0.0.2 :127.0.0.1\r\n");
}

TEST_F(ProtocolTest, LinesSplitAcrossWritesAndSeveralLinesInOneWrite) {
  TestClient taro;
  ASSERT_TRUE(taro.Connect(server.UserPort()));
  ASSERT_TRUE(taro.SendRaw("NI"));
  ASSERT_TRUE(taro.SendRaw("CK ta"));
  ASSERT_TRUE(taro.SendRaw("ro\r\nIRCX\nPING\r\n"));
  EXPECT_TRUE(
      taro.ExpectLines({kServer + " 001 taro :Welcome to the Internet Relay Network taro",
                        kServer + " 376 taro :End of /MOTD command", kServer + " 800 * 1 0 NTML,ANON 512 *",
                        ":127.0.0.1 PONG 127.0.0.1 :127.0.0.1"}));
}

TEST_F(ProtocolTest, JapaneseNickTravelsAsIso2022Jp) {
  TestClient taro;
  ASSERT_TRUE(taro.Connect(server.UserPort()));
  ASSERT_TRUE(taro.SendLine(Sj("NICK 太郎")));
  // 太 is JIS 0x4240 ("B@"), 郎 is 0x4F3A ("O:"); every line ends in Roman mode before CR LF.
  const std::string nick = "\x1b$BB@O:\x1b(J";
  EXPECT_EQ(taro.ReadRawLine(),
            kServer + " 001 " + nick + " :Welcome to the Internet Relay Network " + nick + "\r\n");
  EXPECT_TRUE(taro.Expect(kServer + " 376 " + Sj("太郎") + " :End of /MOTD command"));
}

// Two users in a Japanese-named room: the local one becomes host, the remote one does not.
class RoomTest : public ProtocolTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(taro.Connect(server.UserPort()));
    ASSERT_TRUE(taro.Register(nickTaro));
    ASSERT_TRUE(taro.SendLine("ICON t.gif"));
    ASSERT_TRUE(hanako.Connect(server.UserPort(), kRemote));
    ASSERT_TRUE(hanako.Register(nickHanako));
    ASSERT_TRUE(hanako.SendLine("ICON h.gif"));

    ASSERT_TRUE(taro.SendLine("JOIN " + room));
    ASSERT_TRUE(taro.ExpectLines({
        ":" + nickTaro + "!x@x JOIN :" + room,
        ":" + nickTaro + "!x@x MODE " + room + " +o " + nickTaro,
        kServer + " 353 " + nickTaro + " = " + room + " :@" + nickTaro,
        kServer + " 366 " + nickTaro + " " + room + " :End of /NAMES list",
        kServer + " LISTICON " + nickTaro + " t.gif",
    }));
    ASSERT_TRUE(hanako.SendLine("JOIN %" + room));
    ASSERT_TRUE(hanako.ExpectLines({
        ":" + nickHanako + "!x@x JOIN :" + room,
        kServer + " 353 " + nickHanako + " = " + room + " :@" + nickTaro + " " + nickHanako,
        kServer + " 366 " + nickHanako + " " + room + " :End of /NAMES list",
        kServer + " LISTICON " + nickTaro + " t.gif",
        kServer + " LISTICON " + nickHanako + " h.gif",
    }));
    ASSERT_TRUE(taro.ExpectLines({
        ":" + nickHanako + "!x@x JOIN :" + room,
        kServer + " LISTICON " + nickHanako + " h.gif",
    }));
  }

  const std::string nickTaro = Sj("太郎");
  const std::string nickHanako = Sj("花子");
  const std::string room = Sj("#部屋");
  TestClient taro;
  TestClient hanako;
};

TEST_F(RoomTest, RoomMessagesReachTheOthersOnlyInIso2022Jp) {
  ASSERT_TRUE(hanako.SendLine("PRIVMSG " + room + Sj(" :こんにちは、世界")));
  // The joined room "#部屋" and the text each switch into Kanji and back.
  EXPECT_EQ(taro.ReadRawLine(),
            "\x3a\x1b$B2V;R\x1b(J!x@x PRIVMSG #\x1b$BIt20\x1b(J :\x1b$B$3$s$K$A$O!\"@$3&\x1b(J\r\n");
  EXPECT_TRUE(hanako.ExpectQuiet());

  ASSERT_TRUE(taro.SendLine("DATA " + room + " :x"));
  EXPECT_TRUE(hanako.Expect(":" + nickTaro + "!x@x DATA " + room + " :x"));
  EXPECT_TRUE(taro.ExpectQuiet());
}

TEST_F(RoomTest, HalfWidthKatakanaArrivesWidened) {
  // The sending side's encoder widens half-width katakana (voicing marks folded in).
  ASSERT_TRUE(hanako.SendLine("PRIVMSG " + room + " :" + Sj("ｶﾞｯﾂ ﾃｽﾄ")));
  EXPECT_TRUE(taro.Expect(":" + nickHanako + "!x@x PRIVMSG " + room + " :" + Sj("ガッツ テスト")));
}

TEST_F(RoomTest, PrivateMessageReachesOneUserWhereverItIs) {
  TestClient jiro;
  ASSERT_TRUE(jiro.Connect(server.UserPort(), kRemote));
  ASSERT_TRUE(jiro.Register("jiro"));
  ASSERT_TRUE(jiro.SendLine("PRIVMSG " + nickHanako + Sj(" :やあ")));
  EXPECT_TRUE(hanako.Expect(":jiro!x@x PRIVMSG " + nickHanako + " :" + Sj("やあ")));
  EXPECT_TRUE(taro.ExpectQuiet());
  EXPECT_TRUE(jiro.ExpectQuiet());
}

TEST_F(RoomTest, QueriesListUsersAndRooms) {
  ASSERT_TRUE(taro.SendLine("TOPIC " + room + Sj(" :雑談 です")));
  EXPECT_TRUE(taro.ExpectQuiet());
  ASSERT_TRUE(hanako.SendLine("WHO"));
  EXPECT_TRUE(hanako.ExpectLines({
      kServer + " 352 " + nickHanako + " " + room + " " + nickTaro + " 127.0.0.1 * " + nickTaro + " H@ :0 " +
          nickTaro,
      kServer + " 352 " + nickHanako + " " + room + " " + nickHanako + " 127.0.0.2 * " + nickHanako +
          " H@ :0 " + nickHanako,
      kServer + " 315 " + nickHanako + " :End of /WHO list",
  }));
  ASSERT_TRUE(hanako.SendLine("LIST"));
  EXPECT_TRUE(hanako.ExpectLines({
      kServer + " 321 " + nickHanako + " Channel :Users  Name",
      kServer + " 322 " + nickHanako + " " + room + " 2 :" + Sj("雑談 です"),
      kServer + " 323 " + nickHanako + " :End of /LIST",
  }));
  ASSERT_TRUE(hanako.SendLine("LUSERS"));
  EXPECT_TRUE(hanako.ExpectLines({
      kServer + " 251 " + nickHanako + " :There are 2 users and 0 invisible on 1 servers",
      kServer + " 252 " + nickHanako + " 0 :operator(s) online",
      kServer + " 253 " + nickHanako + " 0 :unknown connection(s)",
      kServer + " 254 " + nickHanako + " 1 :channels formed",
      kServer + " 255 " + nickHanako + " :I have 2 clients and 0 servers",
  }));
}

TEST_F(RoomTest, RemoteUserCannotUseHostCommandsButTheLocalHostCan) {
  ASSERT_TRUE(hanako.SendLine("KICK " + room + " " + nickTaro));
  EXPECT_TRUE(hanako.ExpectQuiet());
  EXPECT_TRUE(taro.ExpectQuiet());

  ASSERT_TRUE(taro.SendLine("MODE " + room + " +o " + nickHanako));
  EXPECT_TRUE(taro.Expect(":" + nickTaro + "!x@x MODE " + room + " +o " + nickHanako));
  EXPECT_TRUE(hanako.Expect(":" + nickHanako + "!x@x MODE " + room + " +o " + nickHanako));
}

TEST_F(RoomTest, ClosingAConnectionSendsQuitToTheRoom) {
  hanako.Disconnect();
  EXPECT_TRUE(taro.Expect(":" + nickHanako + "! QUIT " + room));

  ASSERT_TRUE(taro.SendLine("QUIT bye"));
  EXPECT_TRUE(taro.WaitClosed());
}

TEST_F(RoomTest, OperatorActionsOutsideAnyNetworkEventReachTheWire) {
  // The console calls the engine directly; what it sends must still be written.
  server.Run([](server::ServerCore& core, server::ServerNet&) {
    core.OperatorMessageRoom(0, Sj("お知らせ"));
    core.OperatorDisconnect(1);
  });
  EXPECT_TRUE(taro.Expect(":Server_Message!x@x PRIVMSG " + room + " :" + Sj("お知らせ")));
  EXPECT_TRUE(hanako.Expect(":Server_Message!x@x PRIVMSG " + room + " :" + Sj("お知らせ")));
  EXPECT_TRUE(hanako.WaitClosed());
  EXPECT_TRUE(taro.Expect(":" + nickHanako + "! QUIT " + room));
}

TEST_F(RoomTest, KickedUserIsDisconnected) {
  ASSERT_TRUE(taro.SendLine("KICK " + room + " " + nickHanako));
  EXPECT_TRUE(hanako.WaitClosed());
  EXPECT_TRUE(taro.Expect(":" + nickHanako + "! QUIT " + room));
}

}  // namespace
}  // namespace novalune::test
