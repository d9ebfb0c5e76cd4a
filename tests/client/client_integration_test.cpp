// Client engines on the Qt main thread, each with its Qt socket adapter and a
// recording window, against the real server running in its own thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <map>
#include <memory>

#include "client/net/OwnAddress.h"
#include "client/net/QtClientNet.h"
#include "client_fake.h"
#include "support/ServerThread.h"

namespace novalune::client::testing {
namespace {

using server::ServerCore;
using server::ServerNet;
using test::ServerThread;

// Sits between the engine and the Qt adapter: records the raw lines received
// and lets a test send a server connection to another port by its address
// (each address on 127/8 stands for a machine with its own server).
class RecordingNet : public ClientNet, public ClientNetEvents {
 public:
  explicit RecordingNet(QtClientNet& inner) : inner_(inner) { inner_.SetEvents(this); }
  void SetEngine(ClientNetEvents* engine) { engine_ = engine; }

  bool Open(const std::string& host, bool numeric, std::uint16_t port) override {
    const auto mapped = portFor.find(host);
    return inner_.Open(host, numeric, mapped == portFor.end() ? port : mapped->second);
  }
  void Write(std::string_view bytes) override { inner_.Write(bytes); }
  void Close() override { inner_.Close(); }
  bool HostOpen(std::uint16_t port) override { return inner_.HostOpen(port); }
  bool HostIsOpen() override { return inner_.HostIsOpen(); }
  void HostWrite(std::string_view bytes) override { inner_.HostWrite(bytes); }
  void HostClose() override { inner_.HostClose(); }
  void Post(std::function<void()> task) override { inner_.Post(std::move(task)); }

  void ClientSocketConnect() override { engine_->ClientSocketConnect(); }
  void ClientSocketDisconnect() override { engine_->ClientSocketDisconnect(); }
  void ClientSocketRead(std::string_view bytes) override {
    received += JisToSjis(bytes);
    engine_->ClientSocketRead(bytes);
  }
  void ClientSocketError() override { engine_->ClientSocketError(); }
  void HostClientRead(std::string_view bytes) override { engine_->HostClientRead(bytes); }
  void HostClientClosed() override { engine_->HostClientClosed(); }
  void HostClientError(const std::string& message) override { engine_->HostClientError(message); }

  std::map<std::string, std::uint16_t> portFor;
  std::string received;

 private:
  QtClientNet& inner_;
  ClientNetEvents* engine_ = nullptr;
};

// One client program: engine, adapter and recording window.
struct Peer {
  Peer(const std::string& nick, const std::string& room, const ServerThread& server, const char* localAddress)
      : net(qt), core(net, view, ClientPorts{server.UserPort(), server.HostPort()}) {
    net.SetEngine(&core);
    qt.SetLocalAddress(QHostAddress(QString::fromLatin1(localAddress)));
    view.myAddress = localAddress;
    values.nick = nick;
    values.roomName = room;
    values.serverAddress = localAddress;
  }

  void Start() { core.Start(values); }
  void Connect(const std::string& address = "127.0.0.1") {
    Start();
    core.ConectHostAddress(address);
    ASSERT_TRUE(core.ClientActive(true));
  }

  bool Shows(int style, const std::string& text) const {
    for (const Shown& line : view.shown) {
      if (line.style == style && line.text == text) return true;
    }
    return false;
  }
  bool HasMember(const std::string& nick, const std::string& mode) const {
    const auto row = core.Members().FindFirst(nick);
    return row && core.Members().Row(*row).mode == mode;
  }

  StartupValues values;
  FakeView view;
  QtClientNet qt;
  RecordingNet net;
  ClientCore core;
};

bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }

class ClientAgainstServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "client_integration_test";
      static char* argv[] = {name, nullptr};
      new QCoreApplication(argc, argv);
    }
  }

  // Connected, registered and in the room named at construction.
  std::unique_ptr<Peer> Enter(const std::string& nick, const std::string& room, const char* address,
                              ServerThread& at) {
    auto peer = std::make_unique<Peer>(nick, room, at, address);
    peer->Connect();
    EXPECT_TRUE(WaitFor([&] { return !peer->core.GetJoinRoom().empty(); })) << nick;
    return peer;
  }

  // Sends PING and waits for its PONG: everything the server wrote before has arrived.
  static bool Sync(Peer& peer) {
    const std::size_t before = peer.net.received.size();
    peer.core.CommandSend("PING sync");
    return WaitFor([&] { return peer.net.received.find(" PONG ", before) != std::string::npos; });
  }

  std::size_t ServerConnections(ServerThread& at) {
    std::size_t open = 0;
    at.Run([&](ServerCore&, ServerNet& net) { open = net.OpenConnections(); });
    return open;
  }

  std::string RoomOf(ServerThread& at, const std::string& nick) {
    std::string room = "<absent>";
    at.Run([&](ServerCore& core, ServerNet&) {
      for (const auto& user : core.Users()) {
        if (user.nick == nick) room = user.room;
      }
    });
    return room;
  }

  ServerThread server;
};

TEST_F(ClientAgainstServer, RegisterEnterAndTalkInJapanese) {
  auto taro = Enter("taro", "lobby", "127.0.0.1", server);
  EXPECT_EQ(taro->core.GetJoinRoom(), "#lobby");
  EXPECT_TRUE(taro->core.LoggedIn());
  EXPECT_EQ(taro->core.ServerVersion(), 214);
  EXPECT_EQ(taro->view.caption, "NOVALUNE Ver1.13 taro #lobby " + S("入室"));
  EXPECT_TRUE(taro->Shows(1, S("サーバーと接続しました")));
  EXPECT_TRUE(taro->Shows(1, "001 taro :Welcome to the Internet Relay Network taro"));
  // From the server's own machine: host.
  EXPECT_TRUE(WaitFor([&] { return taro->HasMember("taro", "o"); }));

  auto hanako = Enter(S("花子"), "#lobby", "127.0.0.2", server);
  EXPECT_TRUE(WaitFor([&] { return taro->HasMember(S("花子"), ""); }));
  EXPECT_TRUE(taro->Shows(2, S("花子が入室しました")));
  EXPECT_TRUE(hanako->HasMember("taro", "o"));
  EXPECT_TRUE(hanako->HasMember(S("花子"), ""));
  EXPECT_EQ(RoomOf(server, S("花子")), "#lobby");

  taro->view.TakeShown();
  hanako->view.TakeShown();
  EXPECT_TRUE(taro->core.TalkEnter(S("こんにちは、花子さん")));
  EXPECT_EQ(taro->view.TakeShown(), (std::vector<Shown>{{2, "taro"}, {4, " " + S("こんにちは、花子さん")}}));
  ASSERT_TRUE(WaitFor([&] { return hanako->view.shown.size() >= 2; }));
  EXPECT_EQ(hanako->view.TakeShown(),
            (std::vector<Shown>{{2, "taro"}, {3, " " + S("こんにちは、花子さん")}}));

  // Half-width katakana travels widened.
  EXPECT_TRUE(hanako->core.TalkEnter(S("ｶﾞｯｺｳ")));
  ASSERT_TRUE(WaitFor([&] { return taro->view.shown.size() >= 2; }));
  EXPECT_EQ(taro->view.TakeShown(), (std::vector<Shown>{{2, S("花子")}, {3, " " + S("ガッコウ")}}));
}

// A line written in two pieces, cut inside a Kanji run and then inside an
// escape, reaches the client in two reads and is shown whole.
TEST_F(ClientAgainstServer, LineSplitBetweenTwoReadsIsDecodedWhole) {
  QTcpServer listener;
  ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
  Peer taro("taro", "#lobby", server, "127.0.0.1");
  taro.net.portFor["127.0.0.1"] = listener.serverPort();
  taro.Connect();
  ASSERT_TRUE(WaitFor([&] { return listener.hasPendingConnections(); }));
  QTcpSocket* wire = listener.nextPendingConnection();
  ASSERT_TRUE(WaitFor([&] { return taro.core.Active(); }));

  const std::string text = "NOTICE taro :" + S("今日は雨") + "x" + S("です");
  const std::string bytes = SjisToJis(":server " + text + "\r\n");
  // ":server NOTICE taro :" ESC $ B and 3 bytes cut 日 in two; then "x" ESC | $ B.
  for (const std::size_t cut : {std::size_t{21 + 3 + 3}, bytes.rfind("\x1b$B") + 1}) {
    const std::size_t before = taro.net.received.size();
    wire->write(bytes.data(), static_cast<qint64>(cut));
    ASSERT_TRUE(WaitFor([&] { return taro.net.received.size() > before; }));
    wire->write(bytes.data() + cut, static_cast<qint64>(bytes.size() - cut));
    // Before registration ends, a server line shows from its second word on.
    EXPECT_TRUE(WaitFor([&] { return !taro.view.shown.empty() && taro.view.shown.back().text == text; }))
        << cut;
    taro.view.TakeShown();
  }
}

TEST_F(ClientAgainstServer, RoomsWithPasswords) {
  auto taro = Enter("taro", "#secret", "127.0.0.1", server);
  taro->core.RoomIn("#secret", "pw");  // a member sets the password
  ASSERT_TRUE(WaitFor([&] { return taro->Shows(3, " " + S("部屋のパスワードをpwに設定しました")); }));

  auto hanako = std::make_unique<Peer>("hanako", "#secret", server, "127.0.0.2");
  hanako->Connect();
  ASSERT_TRUE(WaitFor([&] { return hanako->core.LoggedIn(); }));
  ASSERT_TRUE(Sync(*hanako));
  EXPECT_EQ(hanako->core.GetJoinRoom(), "");
  EXPECT_EQ(RoomOf(server, "hanako"), "");

  hanako->core.RoomIn("#secret", "wrong");
  ASSERT_TRUE(Sync(*hanako));
  EXPECT_EQ(hanako->core.GetJoinRoom(), "");

  hanako->core.MenuRoomIn("#secret", "pw");
  ASSERT_TRUE(WaitFor([&] { return hanako->core.GetJoinRoom() == "#secret"; }));
  EXPECT_TRUE(WaitFor([&] { return taro->HasMember("hanako", ""); }));

  // A new room with a password is announced to its creator.
  auto jiro = Enter("jiro", "#own", "127.0.0.3", server);
  jiro->core.RoomIn("#private", S("秘密"));
  ASSERT_TRUE(WaitFor([&] { return jiro->core.GetJoinRoom() == "#private"; }));
  EXPECT_TRUE(WaitFor([&] { return jiro->Shows(3, " " + S("この部屋のパスワードは秘密です")); }));
  EXPECT_TRUE(jiro->Shows(2, "NOVALUNE"));
}

TEST_F(ClientAgainstServer, WhisperAwayAndBack) {
  auto taro = Enter("taro", "#lobby", "127.0.0.1", server);
  auto hanako = Enter("hanako", "#lobby", "127.0.0.2", server);
  ASSERT_TRUE(WaitFor([&] { return taro->HasMember("hanako", ""); }));

  hanako->core.WMPrivateMsg("taro", S("内緒の 話"));
  ASSERT_TRUE(WaitFor([&] { return !taro->view.privateLines.empty(); }));
  EXPECT_EQ(taro->view.privateLines[0],
            (PrivateLine{*taro->core.Members().FindFirst("hanako"), 3, S("内緒の 話")}));
  hanako->core.SetBeepFile("pon.wav");
  hanako->core.WMPrivateBeep("TARO");
  ASSERT_TRUE(WaitFor([&] { return taro->view.privateLines.size() == 2; }));
  EXPECT_EQ(taro->view.privateLines[1].text, "hanako_(pon.wav)");
  EXPECT_EQ(taro->view.beeps, (std::vector<std::string>{"pon.wav"}));

  hanako->core.SetAwayMessages(S("買い物中"), S("戻りました"));
  hanako->core.AwayBtnClick(true);
  ASSERT_TRUE(WaitFor([&] { return taro->HasMember("hanako", "a"); }));
  EXPECT_TRUE(taro->Shows(2, S("hanakoが席を離れました")));
  EXPECT_TRUE(taro->Shows(3, S("買い物中")));
  EXPECT_TRUE(hanako->HasMember("hanako", "a"));

  // A newcomer learns that hanako is away.
  auto jiro = Enter("jiro", "#lobby", "127.0.0.3", server);
  EXPECT_TRUE(WaitFor([&] { return jiro->HasMember("hanako", "a"); }));

  hanako->core.AwayBtnClick(false);
  ASSERT_TRUE(WaitFor([&] { return taro->HasMember("hanako", ""); }));
  EXPECT_TRUE(WaitFor([&] { return taro->Shows(3, " " + S("戻りました")); }));
  EXPECT_TRUE(taro->Shows(2, S("hanakoが戻りました")));
}

TEST_F(ClientAgainstServer, HostAndKick) {
  auto taro = Enter("taro", "#lobby", "127.0.0.1", server);
  auto hanako = Enter("hanako", "#lobby", "127.0.0.2", server);
  auto jiro = Enter("jiro", "#lobby", "127.0.0.3", server);
  ASSERT_TRUE(WaitFor([&] { return taro->core.Members().Count() == 3; }));

  // hanako is not a host.
  hanako->core.Members().Select(hanako->core.Members().FindFirst("jiro"));
  hanako->core.MenuKickClick();
  EXPECT_EQ(hanako->view.TakeAsked(), (std::vector<Asked>{{S("ホストではありません"), kNotice}}));

  taro->core.Members().Select(taro->core.Members().FindFirst("hanako"));
  taro->core.MenuHostClick();
  EXPECT_TRUE(WaitFor([&] { return jiro->HasMember("hanako", "o") && hanako->HasMember("hanako", "o"); }));

  hanako->view.answers = {1};
  hanako->core.MenuKickClick();
  EXPECT_EQ(hanako->view.TakeAsked(), (std::vector<Asked>{{S("jiroを切断します"), kQuestion}}));
  ASSERT_TRUE(WaitFor([&] { return !jiro->core.Active(); }));
  EXPECT_TRUE(jiro->Shows(1, S("サーバーと切断しました")));
  EXPECT_TRUE(WaitFor([&] { return taro->Shows(1, S("jiroが切断しました")); }));
  EXPECT_FALSE(taro->core.Members().FindFirst("jiro"));
  EXPECT_EQ(taro->view.history.back(), "2026/12/07 09:05" + S(" 切断 [jiro]"));
}

TEST_F(ClientAgainstServer, RenameAfterNickInUse) {
  auto taro = Enter("taro", "#lobby", "127.0.0.1", server);
  auto second = std::make_unique<Peer>("TARO", "#lobby", server, "127.0.0.2");
  second->view.renameAnswer = S("次郎");
  second->Connect();
  ASSERT_TRUE(WaitFor([&] { return second->core.GetJoinRoom() == "#lobby"; }));
  EXPECT_EQ(second->view.asked, (std::vector<Asked>{{S("TAROは現在使われています"), kNotice}}));
  EXPECT_EQ(second->core.MyNick(), S("次郎"));
  EXPECT_TRUE(WaitFor([&] { return taro->HasMember(S("次郎"), ""); }));

  // A rename in the room reaches everybody, the renamer too.
  second->core.MenuReName("jiro");
  EXPECT_TRUE(WaitFor([&] { return taro->HasMember("jiro", "") && second->HasMember("jiro", ""); }));
  EXPECT_TRUE(taro->Shows(2, S("次郎がjiroに名前を変えました")));
}

TEST_F(ClientAgainstServer, JoinIpFollowsAMemberToItsOwnServer) {
  ServerThread other;
  auto taro = Enter("taro", "#lobby", "127.0.0.1", server);
  auto hanako = Enter("hanako", "#lobby", "127.0.0.2", server);
  ASSERT_TRUE(WaitFor([&] { return taro->HasMember("hanako", ""); }));
  // hanako's machine, 127.0.0.2, runs the other server.
  taro->net.portFor["127.0.0.2"] = other.UserPort();

  taro->core.Members().Select(taro->core.Members().FindFirst("hanako"));
  taro->core.MenuUJoinClick();
  ASSERT_TRUE(WaitFor([&] { return RoomOf(other, "taro") == "#lobby"; }));
  EXPECT_TRUE(WaitFor([&] { return taro->core.GetJoinRoom() == "#lobby"; }));
  EXPECT_EQ(taro->core.ServerAddress(), "127.0.0.2");
  EXPECT_EQ(RoomOf(server, "taro"), "<absent>");
  EXPECT_TRUE(WaitFor([&] { return hanako->Shows(1, S("taroが切断しました")); }));
}

TEST_F(ClientAgainstServer, HostLinkNoticesAndView) {
  auto taro = std::make_unique<Peer>("taro", "#lobby", server, "127.0.0.1");
  taro->view.localServer = true;
  const std::size_t before = ServerConnections(server);
  taro->Connect();
  ASSERT_TRUE(WaitFor([&] { return taro->core.GetJoinRoom() == "#lobby" && taro->net.HostIsOpen(); }));
  ASSERT_TRUE(WaitFor([&] { return ServerConnections(server) == before + 2; }));

  auto hanako = Enter("hanako", "#tea", "127.0.0.2", server);
  EXPECT_TRUE(WaitFor([&] { return taro->Shows(1, S("あなたのサーバーへ[127.0.0.2]が接続しました")); }));
  EXPECT_TRUE(WaitFor([&] { return taro->Shows(1, S("あなたのサーバーへhanakoが#teaに入室しました")); }));
  EXPECT_EQ(taro->core.RoomName(), "#lobby");

  hanako->core.MenuCut();
  EXPECT_TRUE(WaitFor([&] { return taro->Shows(1, S("あなたのサーバーから[127.0.0.2]を切断しました")); }));

  std::atomic<bool> shown{false};
  server.Run([&](ServerCore&, ServerNet& net) {
    QObject::connect(&net, &ServerNet::ConsoleRequested, &net, [&] { shown = true; });
  });
  taro->core.ServerViewBtnClick();
  EXPECT_TRUE(WaitFor([&] { return shown.load(); }));
}

TEST_F(ClientAgainstServer, JoinNoticeWhileDisconnectedConnectsToTheOwnServer) {
  auto taro = std::make_unique<Peer>("taro", "", server, "127.0.0.1");
  taro->view.localServer = true;
  const std::size_t before = ServerConnections(server);
  taro->Start();
  ASSERT_TRUE(WaitFor([&] { return taro->net.HostIsOpen(); }));
  ASSERT_TRUE(WaitFor([&] { return ServerConnections(server) == before + 1; }));
  EXPECT_FALSE(taro->core.Active());

  auto hanako = Enter("hanako", S("#お茶"), "127.0.0.2", server);
  ASSERT_TRUE(WaitFor([&] { return taro->core.GetJoinRoom() == S("#お茶"); }));
  EXPECT_EQ(RoomOf(server, "taro"), S("#お茶"));
  EXPECT_TRUE(WaitFor([&] { return hanako->HasMember("taro", "o"); }));
}

TEST_F(ClientAgainstServer, IconsAndTheMessageBoardRunAfterTheEvent) {
  auto taro = std::make_unique<Peer>("taro", "#lobby", server, "127.0.0.1");
  taro->values.iconName = "http://icons.example/taro.gif";
  taro->Start();
  taro->core.SetShowIcon(true);
  taro->core.ConectHostAddress("127.0.0.1");
  ASSERT_TRUE(taro->core.ClientActive(true));
  ASSERT_TRUE(WaitFor([&] { return !taro->view.iconFetches.empty(); }));
  using Fetches = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(taro->view.iconFetches, (Fetches{{"taro", "http://icons.example/taro.gif"}}));
  EXPECT_EQ(taro->view.novMessages, 1);

  // Coming back asks the server to announce the own icon again.
  taro->core.AwayBtnClick(true);
  taro->core.AwayBtnClick(false);
  EXPECT_TRUE(WaitFor([&] { return taro->view.iconFetches.size() == 2; }));
}

TEST_F(ClientAgainstServer, FailedConnectsAreReported) {
  Peer lost("taro", "#lobby", server, "127.0.0.1");
  lost.Start();
  lost.core.ConectHostAddress("999.1.1.1");
  EXPECT_FALSE(lost.core.ClientActive(true));
  EXPECT_EQ(lost.view.TakeAsked(), (std::vector<Asked>{{S("サーバーに接続できません"), kNotice}}));

  // Nothing listens on port 1: the connect is refused.
  lost.net.portFor["127.0.0.1"] = 1;
  lost.core.ConectHostAddress("127.0.0.1");
  EXPECT_TRUE(lost.core.ClientActive(true));
  ASSERT_TRUE(WaitFor([&] { return lost.Shows(1, S("接続中にエラ－が発生しました")); }));
  EXPECT_FALSE(lost.core.Active());
  EXPECT_TRUE(lost.core.GetMenuState().join);

  // The next attempt works.
  lost.net.portFor.clear();
  EXPECT_TRUE(lost.core.ClientActive(true));
  EXPECT_TRUE(WaitFor([&] { return lost.core.GetJoinRoom() == "#lobby"; }));
}

// The rename dialog of reply 433 is modal: while it is open, the server sends
// a JOINIP reply and closes, so those bytes reach the engine together with
// the close, and the engine connects again from inside that last delivery.
class DialogOpenWhileServerLeaves : public FakeView {
 public:
  std::function<void()> whileOpen;
  bool AskNewNick(std::string&) override {
    whileOpen();
    return false;
  }
};

TEST_F(ClientAgainstServer, AReconnectInsideTheLastDeliveryKeepsTheNewConnection) {
  QTcpServer listener;
  ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
  DialogOpenWhileServerLeaves view;
  QtClientNet qt;
  ClientCore core(qt, view, ClientPorts{listener.serverPort(), 1});
  qt.SetEvents(&core);
  core.Start(StartupValues{.nick = "taro"});

  QTcpSocket* first = nullptr;
  view.whileOpen = [&] {
    first->write(":ZKWChatServer214 JOINIP taro 127.0.0.1\r\n");
    first->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !core.Active(); }));
  };
  core.ConectHostAddress("127.0.0.1");
  ASSERT_TRUE(core.ClientActive(true));
  ASSERT_TRUE(WaitFor([&] { return listener.hasPendingConnections(); }));
  first = listener.nextPendingConnection();
  first->write(":ZKWChatServer214 433 taro :Nickname is already in use\r\n");

  ASSERT_TRUE(WaitFor([&] { return listener.hasPendingConnections(); }));
  QTcpSocket* second = listener.nextPendingConnection();
  EXPECT_TRUE(WaitFor([&] { return core.Active(); }));
  EXPECT_TRUE(WaitFor([&] { return second->bytesAvailable() > 0 && second->canReadLine(); }));
  EXPECT_EQ(second->readLine(), "USER taro * * :taro\r\n");
  EXPECT_EQ(second->state(), QAbstractSocket::ConnectedState);
}

TEST(OwnAddressOfThisMachine, TheRouteSourceIsOneOfTheMachinesAddresses) {
  const std::vector<std::string> addresses = InterfaceAddresses();
  const std::string source = DefaultRouteSource();
  if (source.empty()) GTEST_SKIP() << "no default route";
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), source), addresses.end()) << source;
  EXPECT_EQ(LookUpMyAddress(), source);
}

}  // namespace
}  // namespace novalune::client::testing
