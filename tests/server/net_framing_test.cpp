// Line framing over real sockets: a line that reaches the server in two reads
// decodes intact, and bytes that are not Shift-JIS never cost another line its
// CR, its blanks or its "!".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/jconvert.h"
#include "support/ServerThread.h"
#include "support/TestClient.h"

namespace novalune::test {
namespace {

const std::string kServer = ":ZKWChatServer214";

class FramingTest : public ::testing::Test {
 protected:
  std::string BufferOf(const std::string& nick) {
    std::string buffer = "<absent>";
    server.Run([&](server::ServerCore& core, server::ServerNet&) {
      for (const auto& user : core.Users()) {
        if (user.nick == nick) buffer = user.buffer;
      }
    });
    return buffer;
  }

  // Writes the wire form of `line` cut at `cut`; the second piece goes out only
  // once the server holds the first one as the partial line, so they are two reads.
  void SendInTwoReads(TestClient& client, const std::string& nick, const std::string& line, std::size_t cut) {
    const std::string wire = SjisToJis(line + "\r\n");
    ASSERT_TRUE(client.SendRaw(wire.substr(0, cut)));
    ASSERT_TRUE(WaitUntil([&] { return BufferOf(nick) == wire.substr(0, cut); })) << cut;
    ASSERT_TRUE(client.SendRaw(wire.substr(cut)));
  }

  ::testing::AssertionResult ExpectRaw(TestClient& client, const std::vector<std::string>& lines) {
    for (const std::string& expected : lines) {
      const auto got = client.ReadRawLine();
      if (got != expected) {
        return ::testing::AssertionFailure() << "expected " << ::testing::PrintToString(expected) << "\n got "
                                             << ::testing::PrintToString(got.value_or("<nothing>"));
      }
    }
    return ::testing::AssertionSuccess();
  }

  ServerThread server;
};

TEST_F(FramingTest, LineSplitInsideAKanjiRunOrAnEscapeArrivesWhole) {
  TestClient taro, hanako;
  ASSERT_TRUE(taro.Connect(server.UserPort()));
  ASSERT_TRUE(taro.Register("taro"));
  ASSERT_TRUE(hanako.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(hanako.Register("hanako"));
  ASSERT_TRUE(taro.SendLine("JOIN #r"));
  ASSERT_TRUE(taro.Sync());
  ASSERT_TRUE(hanako.SendLine("JOIN #r"));
  ASSERT_TRUE(hanako.Sync());
  ASSERT_TRUE(taro.Sync());

  const std::string text = "PRIVMSG #r :" + Sj("今日は雨") + "x" + Sj("です");
  // "PRIVMSG #r :" ESC $ B, then 3 bytes: the cut falls between the two bytes of 日.
  SendInTwoReads(hanako, "hanako", text, 12 + 3 + 3);
  // The console shows the partial line decoded up to the cut pair.
  EXPECT_EQ(server::BufferCell(SjisToJis(text).substr(0, 18)), "PRIVMSG #r :" + Sj("今"));
  EXPECT_TRUE(taro.Expect(":hanako!x@x PRIVMSG #r :" + Sj("今日は雨") + "x" + Sj("です")));
  // Cut inside the escape that enters the second Kanji run ("x" ESC | $ B).
  const std::size_t secondEscape = SjisToJis(text).rfind("\x1b$B");
  SendInTwoReads(hanako, "hanako", text, secondEscape + 1);
  EXPECT_TRUE(taro.Expect(":hanako!x@x PRIVMSG #r :" + Sj("今日は雨") + "x" + Sj("です")));
  EXPECT_TRUE(taro.ExpectQuiet());
}

TEST_F(FramingTest, Utf8ClientInAJapaneseRoomKeepsEveryLineFramed) {
  // A standard IRC client sends 雑 as its nick and #雑談 as the room, in UTF-8.
  const std::string nick = "\xE9\x9B\x91";
  const std::string room = "#\xE9\x9B\x91\xE8\xAB\x87";
  // On the wire: the valid-looking pairs in Kanji mode, each stray lead as one '?' in Roman mode.
  const std::string nickW = "\x1b$Bq{\x1b(J?";
  const std::string roomW = "#\x1b$Bq{Bj%)\x1b(J?";

  TestClient irssi, taro;
  ASSERT_TRUE(irssi.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(irssi.SendRaw("USER u * * :u\r\nNICK " + nick + "\r\nJOIN " + room + "\r\n"));
  EXPECT_TRUE(ExpectRaw(
      irssi, {
                 kServer + " 001 " + nickW + " :Welcome to the Internet Relay Network " + nickW + "\r\n",
                 kServer + " 376 " + nickW + " :End of /MOTD command\r\n",
                 ":" + nickW + "!x@x JOIN :" + roomW + "\r\n",
                 kServer + " 353 " + nickW + " = " + roomW + " :" + nickW + "\r\n",
                 kServer + " 366 " + nickW + " " + roomW + " :End of /NAMES list\r\n",
                 kServer + " LISTICON " + nickW + " \r\n",
             }));

  // Another member (our own client, which writes the room as it saw it) gets every line whole.
  ASSERT_TRUE(taro.Connect(server.UserPort()));
  ASSERT_TRUE(taro.Register("taro"));
  ASSERT_TRUE(taro.SendRaw("JOIN " + room + "\r\nLIST\r\nWHO " + room + "\r\n"));
  EXPECT_TRUE(ExpectRaw(taro, {
                                  ":taro!x@x JOIN :" + roomW + "\r\n",
                                  ":taro!x@x MODE " + roomW + " +o taro\r\n",
                                  kServer + " 353 taro = " + roomW + " :" + nickW + " @taro\r\n",
                                  kServer + " 366 taro " + roomW + " :End of /NAMES list\r\n",
                                  kServer + " LISTICON " + nickW + " \r\n",
                                  kServer + " LISTICON taro \r\n",
                                  kServer + " 321 taro Channel :Users  Name\r\n",
                                  kServer + " 322 taro " + roomW + " 2 :\r\n",
                                  kServer + " 323 taro :End of /LIST\r\n",
                                  kServer + " 352 taro " + roomW + " u 127.0.0.2 * " + nickW + " H@ :0 u\r\n",
                                  kServer + " 352 taro " + roomW + " taro 127.0.0.1 * taro H@ :0 taro\r\n",
                                  kServer + " 315 taro :End of /WHO list\r\n",
                              }));
  EXPECT_TRUE(
      ExpectRaw(irssi, {":taro!x@x JOIN :" + roomW + "\r\n", ":taro!x@x MODE " + roomW + " +o taro\r\n",
                        kServer + " LISTICON taro \r\n"}));
}

}  // namespace
}  // namespace novalune::test
