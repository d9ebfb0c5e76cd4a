#include <gtest/gtest.h>

#include "client/core/ClientUtil.h"
#include "client_fake.h"

namespace novalune::client::testing {
namespace {

using Lines = std::vector<std::string>;

class ClientConnection : public ::testing::Test, public ClientFixture {};

TEST_F(ClientConnection, LinkAddressesSetHostAndMayNameTheRoom) {
  struct Case {
    const char* address;
    const char* host;
    bool numeric;
    const char* room;
  };
  const Case cases[] = {
      {"zkwc2://myhost/lobby", "myhost", false, "lobby"},
      {"ZKWC2://192.168.0.5", "192.168.0.5", true, "kept"},
      {"ZKWC2://myhost/lobby/extra", "myhost", false, "lobby"},
      {"ZKWC2://myhost/", "myhost", false, ""},
      {"myhost", "myhost", false, "kept"},
      {"10.0.0.1", "10.0.0.1", true, "kept"},
      {"", "", true, "kept"},
  };
  for (const Case& c : cases) {
    core.MenuRoomIn("kept", "");  // not connected: only RoomName changes
    core.ConectHostAddress(c.address);
    EXPECT_EQ(core.TargetHost(), c.host) << c.address;
    EXPECT_EQ(core.ServerAddress(), c.host) << c.address;
    EXPECT_EQ(core.TargetNumeric(), c.numeric) << c.address;
    EXPECT_EQ(core.RoomName(), c.room == std::string("kept") ? "#kept" : c.room) << c.address;
  }
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientConnection, OpeningGoesToTheServerPortAndAnImmediateFailureIsANotice) {
  core.ConectHostAddress("");
  EXPECT_FALSE(core.ClientActive(true));
  EXPECT_EQ(view.TakeAsked(), (std::vector<Asked>{{S("サーバーに接続できません"), kNotice}}));
  EXPECT_FALSE(core.Active());

  core.ConectHostAddress("chat.example");
  EXPECT_TRUE(core.ClientActive(true));
  EXPECT_EQ(net.opens.back(), (FakeNet::OpenCall{"chat.example", false, 6667}));
  EXPECT_TRUE(view.asked.empty());
  EXPECT_FALSE(core.Active());  // connecting is not active

  // Closing while the connect is under way does nothing.
  core.ClientActive(false);
  EXPECT_EQ(net.closes, 0);
}

TEST_F(ClientConnection, PortsAreParameters) {
  FakeNet otherNet;
  FakeView otherView;
  ClientCore other(otherNet, otherView, ClientPorts{4000, 4001});
  other.ConectHostAddress("127.0.0.1");
  other.ClientActive(true);
  EXPECT_EQ(otherNet.opens.back().port, 4000);
  otherView.localServer = true;
  other.Start({});
  EXPECT_EQ(otherNet.hostOpens, (std::vector<std::uint16_t>{4001}));
}

TEST_F(ClientConnection, StartShowsTheClosedCaptionAndOpensTheHostLinkOnlyWithALocalServer) {
  EXPECT_EQ(view.caption, "NOVALUNE Ver1.13 taro " + S("未接続"));
  EXPECT_TRUE(net.hostOpens.empty());
  view.localServer = true;
  core.Start(StartupValues{.roomTopic = "a\r\nb", .nick = "jiro"});
  EXPECT_EQ(net.hostOpens, (std::vector<std::uint16_t>{32570}));
  EXPECT_EQ(core.RoomTopic(), "ab");
}

TEST_F(ClientConnection, RegistrationSendsUserNickAndIconInOrder) {
  core.SetIconName("http://example.com/me.gif");
  core.ConectHostAddress("10.0.0.1");
  core.ClientActive(true);
  core.ClientSocketConnect();
  EXPECT_EQ(net.TakeLines(), (Lines{"USER taro * * :taro", "NICK taro", "ICON http://example.com/me.gif"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("サーバーと接続しました")}}));
  EXPECT_EQ(view.caption, "NOVALUNE Ver1.13 taro " + S("接続"));
  EXPECT_FALSE(core.LoggedIn());
  // The message board request runs after the event, not inside it.
  EXPECT_EQ(view.novMessages, 0);
  net.RunPosted();
  EXPECT_EQ(view.novMessages, 1);
}

TEST_F(ClientConnection, RegistrationWithoutIconIsExactlyTwoLines) {
  Connect();
  core.ClientActive(false);
  core.ClientActive(true);
  core.ClientSocketConnect();
  EXPECT_EQ(net.TakeLines(), (Lines{"USER taro * * :taro", "NICK taro"}));
}

TEST_F(ClientConnection, LinesAreWrittenAsIso2022JpWithCrLf) {
  Connect();
  core.CommandSend(S("PRIVMSG #部屋 :こんにちは"));
  EXPECT_EQ(net.written, SjisToJis(S("PRIVMSG #部屋 :こんにちは") + "\r\n"));
  EXPECT_NE(net.written.find("\033$B"), std::string::npos);
  EXPECT_EQ(net.written.substr(net.written.size() - 5), "\033(J\r\n");
}

TEST_F(ClientConnection, NothingIsWrittenWhileClosedOrConnecting) {
  core.CommandSend("PING x");
  core.ConectHostAddress("10.0.0.1");
  core.ClientActive(true);
  core.CommandSend("PING y");
  EXPECT_EQ(net.written, "");
}

TEST_F(ClientConnection, FramingWaitsForTheLineFeed) {
  Connect();
  core.ClientSocketRead("PING a b");
  EXPECT_TRUE(net.TakeLines().empty());
  core.ClientSocketRead("\r");
  EXPECT_TRUE(net.TakeLines().empty());  // a CR alone ends nothing
  core.ClientSocketRead("\nPING c d\r\nPING e f\r\nPING");
  EXPECT_EQ(net.TakeLines(), (Lines{"PONG a", "PONG c", "PONG e"}));
  core.ClientSocketRead(" g h\n");
  EXPECT_EQ(net.TakeLines(), (Lines{"PONG g"}));
}

TEST_F(ClientConnection, EachBlockIsDecodedFromIso2022Jp) {
  JoinRoom("#lobby");
  core.ClientSocketRead(SjisToJis(":hanako!x@x PRIVMSG #lobby :" + S("日本語です") + "\r\n"));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, "hanako"}, {3, " " + S("日本語です")}}));
}

TEST_F(ClientConnection, ServerLinesAreEchoedUntilRegistrationEnds) {
  core.ConectHostAddress("10.0.0.1");
  core.ClientActive(true);
  core.ClientSocketConnect();
  Clear();
  Feed(":ZKWChatServer214 001 taro :Welcome to the Internet Relay Network taro");
  EXPECT_EQ(view.TakeShown(),
            (std::vector<Shown>{{1, "001 taro :Welcome to the Internet Relay Network taro"}}));
  Feed("NOSPACE");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, ""}}));
  Feed(":ZKWChatServer214 376 taro :End of /MOTD command");
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_TRUE(core.LoggedIn());
  EXPECT_EQ(net.TakeLines(), (Lines{"JOIN #ROOM", "TOPIC #ROOM :"}));
  Feed(":ZKWChatServer214 251 taro :There are 1 users and 0 invisible on 1 servers");
  EXPECT_TRUE(view.TakeShown().empty());
}

TEST_F(ClientConnection, AClosedConnectionForgetsTheRoomButKeepsNickAndRoomName) {
  JoinRoom("#lobby");
  Feed(":hanako!x@x JOIN :#lobby");
  Clear();
  core.ClientSocketDisconnect();
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("サーバーと切断しました")}}));
  EXPECT_EQ(core.GetJoinRoom(), "");
  EXPECT_EQ(view.joinRoomText, "");
  EXPECT_EQ(core.Members().Count(), 0u);
  EXPECT_EQ(view.caption, "NOVALUNE Ver1.13 taro " + S("未接続"));
  EXPECT_FALSE(core.LoggedIn());
  EXPECT_FALSE(core.Active());
  EXPECT_EQ(core.RoomName(), "#lobby");
  EXPECT_EQ(core.MyNick(), "taro");
  // A second report of the same close changes nothing.
  core.ClientSocketDisconnect();
  EXPECT_TRUE(view.TakeShown().empty());
}

TEST_F(ClientConnection, ClosingAnEstablishedConnectionRunsTheDisconnectAtOnce) {
  Connect();
  EXPECT_TRUE(core.ClientActive(false));
  EXPECT_EQ(net.closes, 1);
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("サーバーと切断しました")}}));
  EXPECT_FALSE(core.Active());
}

TEST_F(ClientConnection, LinesLeftFromAClosedConnectionNeverReachTheNextOne) {
  Connect();
  core.ClientSocketRead("PING half");
  core.ClientSocketDisconnect();
  core.ClientActive(true);
  core.ClientSocketConnect();
  net.TakeLines();
  core.ClientSocketRead(" way\r\n");
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientConnection, AnEndlessLineDropsTheConnection) {
  Connect();
  const std::string chunk(64 * 1024, 'x');
  for (int i = 0; i < 16; ++i) core.ClientSocketRead(chunk);
  EXPECT_TRUE(core.Active());
  core.ClientSocketRead(chunk);
  EXPECT_FALSE(core.Active());
  EXPECT_EQ(net.closes, 1);
}

TEST_F(ClientConnection, SocketErrorIsOneSystemLine) {
  Connect();
  core.ClientSocketError();
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("接続中にエラ－が発生しました")}}));
  EXPECT_TRUE(core.Active());
}

TEST_F(ClientConnection, CommandLineConnectAsksFirstAndRunsAfterTheShow) {
  core.MenuRoomIn("old", "pw");
  core.FirstShown("/CONLY");
  EXPECT_TRUE(net.posted.empty());
  core.FirstShown("ZKWC2://myhost/lobby");
  EXPECT_TRUE(view.asked.empty());
  view.answers = {1};
  net.RunPosted();
  EXPECT_EQ(view.TakeAsked(), (std::vector<Asked>{{S("接続を開始します"), kQuestion}}));
  EXPECT_EQ(net.opens.back(), (FakeNet::OpenCall{"myhost", false, 6667}));
  EXPECT_EQ(core.RoomName(), "lobby");
  EXPECT_EQ(core.RoomPass(), "");

  view.answers = {2};
  core.WMConect("otherhost");
  EXPECT_EQ(net.opens.size(), 1u);
  EXPECT_EQ(core.RoomName(), "");  // cleared before asking
  EXPECT_EQ(core.ServerAddress(), "otherhost");
}

TEST_F(ClientConnection, ClosingTheWindowSendsQuitWithTheJoinedRoom) {
  core.SendQuit();  // not connected: nothing
  EXPECT_EQ(net.written, "");
  Connect();
  core.SendQuit();
  EXPECT_EQ(net.TakeLines(), (Lines{"QUIT "}));
  JoinRoom("#lobby");
  core.SendQuit();
  EXPECT_EQ(net.TakeLines(), (Lines{"QUIT #lobby"}));
  net.hostOpen = true;
  core.Shutdown();
  EXPECT_FALSE(core.Active());
  EXPECT_EQ(net.hostCloses, 1);
}

TEST_F(ClientConnection, PostedWorkIsDroppedOnceTheEngineIsGone) {
  FakeNet otherNet;
  FakeView otherView;
  {
    ClientCore other(otherNet, otherView);
    other.ConectHostAddress("10.0.0.1");
    other.ClientActive(true);
    other.ClientSocketConnect();
  }
  otherNet.RunPosted();
  EXPECT_EQ(otherView.novMessages, 0);
}

}  // namespace
}  // namespace novalune::client::testing

namespace novalune::client::testing {
namespace {

// A window whose rename dialog lets more data arrive while it is open, as a
// modal dialog with a running event loop does.
class ReentrantView : public FakeView {
 public:
  bool AskNewNick(std::string& nick) override {
    if (core) core->ClientSocketRead("PING inner a\r\n");
    nick = "taro2";
    return true;
  }
  ClientCore* core = nullptr;
};

// Lines keep their wire order: the one behind the 433 was already buffered.
TEST(ClientConnectionReentry, LinesArrivingDuringAModalDialogAreHandledOnceInOrder) {
  FakeNet net;
  ReentrantView view;
  ClientCore core(net, view);
  view.core = &core;
  core.Start(StartupValues{.nick = "taro"});
  core.ConectHostAddress("10.0.0.1");
  core.ClientActive(true);
  core.ClientSocketConnect();
  net.TakeLines();
  core.ClientSocketRead(":ZKWChatServer214 433 taro :Nicname is olready in use\r\nPING outer b\r\n");
  EXPECT_EQ(net.TakeLines(), (std::vector<std::string>{"PONG outer", "PONG inner", "NICK taro2"}));
  core.ClientSocketRead("PING last c\r\n");
  EXPECT_EQ(net.TakeLines(), (std::vector<std::string>{"PONG last"}));
}

TEST(ClientConnectionReentry, ManyLinesInOneBlockAreAllHandledInOrder) {
  FakeNet net;
  FakeView view;
  ClientCore core(net, view);
  core.ConectHostAddress("10.0.0.1");
  core.ClientActive(true);
  core.ClientSocketConnect();
  net.TakeLines();
  std::string block;
  std::vector<std::string> expected;
  for (int i = 0; i < 3000; ++i) {
    block += "PING " + std::to_string(i) + " x\r\n";
    expected.push_back("PONG " + std::to_string(i));
  }
  core.ClientSocketRead(block + "PING 3000");
  core.ClientSocketRead(" x\r\n");
  expected.push_back("PONG 3000");
  EXPECT_EQ(net.TakeLines(), expected);
}

}  // namespace
}  // namespace novalune::client::testing

namespace novalune::client::testing {
namespace {

// A machine with a container bridge listed before its LAN card.
TEST(OwnAddress, TheDefaultRouteSourceWinsOverTheFirstListedAddress) {
  const std::vector<std::string> addresses{"127.0.0.1", "172.17.0.1", "192.168.1.20", "10.8.0.2"};
  EXPECT_EQ(ChooseMyAddress(addresses, "192.168.1.20"), "192.168.1.20");
  // No default route, or a source that is none of ours: the first non-loopback.
  EXPECT_EQ(ChooseMyAddress(addresses, ""), "172.17.0.1");
  EXPECT_EQ(ChooseMyAddress(addresses, "203.0.113.5"), "172.17.0.1");
  EXPECT_EQ(ChooseMyAddress({"127.0.0.1"}, "127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(ChooseMyAddress({}, ""), "127.0.0.1");
}

}  // namespace
}  // namespace novalune::client::testing
