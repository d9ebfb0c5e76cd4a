// Standard IRC clients (WeeChat, irssi, HexChat) beside our own: a connection
// that sends CAP before NICK speaks UTF-8 and gets the plain IRC form of the
// replies where ours differ. Our own connections' bytes stay as they were.
#include "server/core_fixture.h"

namespace novalune::server::test {
namespace {

class StandardClients : public CoreTest {
 protected:
  // Registers the way irssi does; the replies are taken away.
  ConnId Standard(std::string_view nick, std::string_view ip = "10.0.0.20",
                  std::string_view local = kServerIp) {
    const ConnId conn = Connect(ip, local);
    SendUtf8(conn, "CAP LS 302");
    SendUtf8(conn, "NICK " + std::string(nick));
    SendUtf8(conn, "USER " + std::string(nick) + " 0 * :Real Name");
    SendUtf8(conn, "CAP END");
    TakeUtf8(conn);
    return conn;
  }

  void SendUtf8(ConnId conn, std::string_view utf8Line) {
    core.UserReceived(conn, std::string(utf8Line) + "\r\n");
  }

  // The lines written so far, exactly as on the wire without CR LF, taken away.
  Lines TakeUtf8(ConnId conn) {
    const std::string raw = TakeRaw(conn);
    Lines lines;
    for (std::size_t start = 0, end; start < raw.size(); start = end + 2) {
      end = raw.find("\r\n", start);
      if (end == std::string::npos) {
        ADD_FAILURE() << "unterminated line";
        break;
      }
      lines.push_back(raw.substr(start, end - start));
    }
    return lines;
  }
};

TEST_F(StandardClients, CapBeforeNickMarksAStandardClientThatRegistersAsUsual) {
  const ConnId c = Connect("10.0.0.20");
  core.UserReceived(c, "CAP LS 302\r\nCAP REQ :multi-prefix sasl\r\nCAP END\r\nNICK 太郎\r\nPING :lag 1\r\n");
  EXPECT_EQ(TakeUtf8(c),
            (Lines{":ZKWChatServer214 CAP * LS :", ":ZKWChatServer214 CAP * NAK :multi-prefix sasl",
                   ":ZKWChatServer214 001 太郎 :Welcome to the Internet Relay Network 太郎",
                   ":ZKWChatServer214 376 太郎 :End of /MOTD command",
                   ":ZKWChatServer214 PONG ZKWChatServer214 :lag 1"}));
  EXPECT_EQ(core.Users()[0].nick, J("太郎"));
  SendUtf8(c, "CAP LIST");
  EXPECT_EQ(TakeUtf8(c), (Lines{":ZKWChatServer214 CAP 太郎 LIST :"}));

  // Ours never sends CAP; after NICK it is an unknown command and changes nothing.
  const ConnId ours = Register("hanako");
  Send(ours, "CAP LS 302");
  Send(ours, "PING");
  EXPECT_EQ(Take(ours), (Lines{":10.0.0.9 PONG 10.0.0.9 :192.168.0.1"}));
  Send(ours, "NICK " + J("花子"));
  EXPECT_EQ(TakeRaw(ours), ":hanako!x@x NICK :\x1b$B2V;R\x1b(J\r\n");
}

TEST_F(StandardClients, JapaneseTravelsAsUtf8OnOneSideAndIso2022JpOnTheOther) {
  const ConnId irssi = Standard("irssi");
  const ConnId ours = Joined("taro", J("#雑談"));
  SendUtf8(irssi, "JOIN #雑談");
  EXPECT_EQ(TakeRaw(ours), ":irssi!x@x JOIN :#\x1b$B;(CL\x1b(J\r\n:ZKWChatServer214 LISTICON irssi \r\n");
  EXPECT_EQ(TakeUtf8(irssi),
            (Lines{":irssi!x@x JOIN :#雑談", ":ZKWChatServer214 353 irssi = #雑談 :irssi taro",
                   ":ZKWChatServer214 366 irssi #雑談 :End of /NAMES list"}));
  EXPECT_EQ(core.Rooms().size(), 1u);

  // Backslash and tilde after Japanese stay themselves on the UTF-8 side.
  SendUtf8(irssi, "PRIVMSG #雑談 :表示~\\ok");
  EXPECT_EQ(TakeRaw(ours), ":irssi!x@x PRIVMSG #\x1b$B;(CL\x1b(J :\x1b$BI=<(\x1b(J~\\ok\r\n");
  Send(ours, "PRIVMSG " + J("#雑談 :こんにちは~\\"));
  EXPECT_EQ(TakeRaw(irssi), ":taro!x@x PRIVMSG #雑談 :こんにちは~\\\r\n");

  // Each byte of broken UTF-8, and each character Shift-JIS lacks, arrives as
  // "?"; nor does broken Shift-JIS reach the UTF-8 side.
  core.UserReceived(irssi, "PRIVMSG taro :a\xe3\x81 b \xf0\x9f\x98\x80 c\r\n");
  EXPECT_EQ(TakeRaw(ours), ":irssi!x@x PRIVMSG taro :a?? b ? c\r\n");
  Send(ours, "PRIVMSG irssi :x\x82");
  EXPECT_EQ(TakeRaw(irssi), ":taro!x@x PRIVMSG irssi :x?\r\n");
}

TEST_F(StandardClients, AMixedRoomGetsEachLineInBothEncodings) {
  const ConnId sender = Joined("s", "#R");
  const ConnId ours = Joined("o", "#R");
  const ConnId a = Standard("a");
  const ConnId b = Standard("b");
  SendUtf8(a, "JOIN #R");
  SendUtf8(b, "JOIN #R");
  for (ConnId c : {ours, a, b}) TakeRaw(c);
  Send(sender, "PRIVMSG #R :" + J("日本語"));
  EXPECT_EQ(TakeRaw(ours), ":s!x@x PRIVMSG #R :\x1b$BF|K\\8l\x1b(J\r\n");
  EXPECT_EQ(TakeRaw(a), ":s!x@x PRIVMSG #R :日本語\r\n");
  EXPECT_EQ(TakeRaw(b), ":s!x@x PRIVMSG #R :日本語\r\n");
}

// Each reply where the forms differ, ours and the standard one side by side.
TEST_F(StandardClients, TopicIsQueriedWithoutTextAndChangesAreEchoedToStandardClients) {
  const ConnId host = Register("host", "127.0.0.1", "127.0.0.1");
  Send(host, "JOIN #A");
  const ConnId ours = Joined("ours", "#A");
  const ConnId irc = Standard("irc");
  SendUtf8(irc, "JOIN #A,#B");  // the first room only
  SendUtf8(irc, "TOPIC #A");
  EXPECT_EQ(TakeUtf8(irc).back(), ":ZKWChatServer214 331 irc #A :No topic is set");
  Take(host);
  Take(ours);
  Send(host, "TOPIC #A :" + J("話題"));
  EXPECT_EQ(Take(host), Lines{});
  EXPECT_EQ(Take(ours), Lines{});
  EXPECT_EQ(TakeUtf8(irc), (Lines{":host!x@x TOPIC #A :話題"}));
  SendUtf8(irc, "TOPIC #a");
  EXPECT_EQ(TakeUtf8(irc), (Lines{":ZKWChatServer214 332 irc #a :話題"}));
  EXPECT_EQ(core.Rooms()[0].topic, J("話題"));

  // A join shows ours the topic line and gives a standard joiner the reply;
  // a standard member is not told the topic changed.
  const ConnId late = Standard("late");
  SendUtf8(late, "JOIN #A");
  EXPECT_EQ(
      TakeUtf8(late),
      (Lines{":late!x@x JOIN :#A", ":ZKWChatServer214 353 late = #A :@host ours irc late",
             ":ZKWChatServer214 366 late #A :End of /NAMES list", ":ZKWChatServer214 332 late #A :話題"}));
  EXPECT_EQ(TakeUtf8(irc), (Lines{":late!x@x JOIN :#A"}));
  EXPECT_EQ(Take(ours), (Lines{":late!x@x JOIN :#A", ":late!x@x TOPIC #A :" + J("話題"),
                               ":ZKWChatServer214 LISTICON late "}));
  // Ours clears with the room alone; a standard client with an empty ":".
  Send(host, "TOPIC #A");
  EXPECT_EQ(TakeUtf8(irc), (Lines{":host!x@x TOPIC #A :"}));
  Send(host, "TOPIC #A :x");
  SendUtf8(irc, "MODE #A +o irc");  // not a host: refused, silently
  SendUtf8(irc, "TOPIC #A :");
  EXPECT_EQ(core.Rooms()[0].topic, "x");
}

TEST_F(StandardClients, ModeIcons353AndWhoInTheirStandardForm) {
  const ConnId host = Register("host", "127.0.0.1", "127.0.0.1");
  Send(host, "ICON cat.gif");
  Send(host, "JOIN #A");
  const ConnId irc = Standard("irc");
  const ConnId idle = Standard("idle", "10.0.0.21");
  SendUtf8(irc, "JOIN #A");
  Take(host);
  TakeUtf8(irc);
  Send(host, "MODE #A +o irc");
  EXPECT_EQ(Take(host), (Lines{":host!x@x MODE #A +o irc"}));
  EXPECT_EQ(TakeUtf8(irc), (Lines{":host!x@x MODE #A +o irc"}));
  core.OperatorWithdrawHost(1);
  EXPECT_EQ(Take(host), (Lines{":host!x@x MODE #A -o irc"}));
  EXPECT_EQ(TakeUtf8(irc), (Lines{":ZKWChatServer214 MODE #A -o irc"}));
  // Icons are for ours only.
  Send(host, "CHGICON");
  EXPECT_EQ(Take(host), (Lines{":ZKWChatServer214 LISTICON host cat.gif"}));
  EXPECT_EQ(TakeUtf8(irc), Lines{});

  SendUtf8(irc, "NAMES #a,#b");
  Send(host, "NAMES #A");
  EXPECT_EQ(TakeUtf8(irc), (Lines{":ZKWChatServer214 353 irc = #a :@host irc",
                                  ":ZKWChatServer214 366 irc #a :End of /NAMES list"}));
  EXPECT_EQ(Take(host), Lines{});

  SendUtf8(irc, "WHO");
  EXPECT_EQ(TakeUtf8(irc), (Lines{":ZKWChatServer214 352 irc #A host 127.0.0.1 * host H@ :0 host",
                                  ":ZKWChatServer214 352 irc #A irc 10.0.0.20 0 irc H :0 Real",
                                  ":ZKWChatServer214 352 irc * idle 10.0.0.21 0 idle H :0 Real",
                                  ":ZKWChatServer214 315 irc * :End of /WHO list"}));
  SendUtf8(irc, "WHO #a");
  EXPECT_EQ(TakeUtf8(irc).back(), ":ZKWChatServer214 315 irc #a :End of /WHO list");
  Send(host, "WHO");
  EXPECT_EQ(Take(host), (Lines{":ZKWChatServer214 352 host #A host 127.0.0.1 * host H@ :0 host",
                               ":ZKWChatServer214 352 host #A irc 10.0.0.20 0 irc H@ :0 Real",
                               ":ZKWChatServer214 352 host  idle 10.0.0.21 0 idle H@ :0 Real",
                               ":ZKWChatServer214 315 host :End of /WHO list"}));
  TakeUtf8(idle);
}

TEST_F(StandardClients, KickIsShownAsAKickWithItsReasonBeforeTheVictimGoes) {
  const ConnId host = Register("host", "127.0.0.1", "127.0.0.1");
  Send(host, "JOIN #A");
  const ConnId ours = Joined("ours", "#A");
  const ConnId irc = Standard("irc");
  const ConnId victim = Standard("victim", "10.0.0.21");
  SendUtf8(irc, "JOIN #A");
  SendUtf8(victim, "JOIN #A");
  Take(host);
  Take(ours);
  TakeUtf8(irc);
  TakeUtf8(victim);
  Send(host, "KICK #A victim :" + J("さようなら また"));
  EXPECT_TRUE(IsClosed(victim));
  EXPECT_EQ(TakeUtf8(victim), (Lines{":host!x@x KICK #A victim :さようなら また"}));
  EXPECT_EQ(TakeUtf8(irc), (Lines{":host!x@x KICK #A victim :さようなら また"}));
  EXPECT_EQ(Take(ours), (Lines{":victim! QUIT #A"}));
  EXPECT_EQ(Take(host), (Lines{":victim! QUIT #A"}));
  // Without a reason the kicker's nick stands for it.
  Send(host, "KICK #A ours");
  EXPECT_EQ(TakeUtf8(irc), (Lines{":host!x@x KICK #A ours :host"}));
  EXPECT_EQ(Take(host), (Lines{":ours! QUIT #A"}));
}

}  // namespace
}  // namespace novalune::server::test
