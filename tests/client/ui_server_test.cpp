// The main window against the real server on loopback: what the input line
// and the member commands put on the wire, and the closing order.
#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "client/ui/FileTransfer.h"
#include "client/ui/PrivateBoxForm.h"
#include "support/HttpTestServer.h"
#include "support/ServerThread.h"
#include "support/TestClient.h"
#include "ui_fixture.h"

namespace novalune::ui::testing {
namespace {

using test::ServerThread;
using test::TestClient;

namespace sys = keys::system;

// The next line a blocking test client receives, while the window's event
// loop keeps running (its socket writes only from the loop).
std::optional<std::string> NextLine(TestClient& client) {
  for (int round = 0; round < 250; ++round) {
    QCoreApplication::processEvents();
    if (auto line = client.ReadLine(std::chrono::milliseconds(20))) return line;
  }
  return std::nullopt;
}

std::string Text(const display::LogParagraph& paragraph) {
  // The runs of one paragraph, joined.
  std::string text;
  for (const display::LogRun& run : paragraph.runs) text += run.text;
  return text;
}

class WindowAgainstServer : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    server = std::make_unique<ServerThread>();
  }
  void TearDown() override {
    parts.reset();
    server.reset();
    FormTest::TearDown();
  }

  // taro's window connected from the server's own machine and in #lobby, then
  // hanako (from another address) in the same room.
  TZKWChatForm& Connected() {
    WriteSettingString(sys::kSection, sys::kNick, "taro");
    WriteSettingString(sys::kSection, sys::kRoomName, "#lobby");
    ChatFormSetup setup;
    setup.ports = {server->UserPort(), server->HostPort()};
    setup.localAddress = "127.0.0.1";
    setup.chooseSendFile = [this] { return parts->form->property("testSendFile").toString(); };
    TZKWChatForm& w = MakeForm(std::move(setup));
    w.show();
    w.Core().ConectHostAddress("127.0.0.1");
    EXPECT_TRUE(w.Core().ClientActive(true));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Core().GetJoinRoom() == "#lobby"; }, 5000));
    EXPECT_TRUE(hanako.Connect(server->UserPort(), "127.0.0.2"));
    EXPECT_TRUE(hanako.Register("hanako"));
    hanako.SendLine("JOIN #lobby");
    EXPECT_TRUE(hanako.Sync().has_value());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Core().Members().FindFirst("hanako").has_value(); }, 5000));
    return w;
  }

  // A line from taro's window after which nothing else of taro's can come.
  void ExpectMarkerNext(TZKWChatForm& w) {
    w.Core().CommandSend("PRIVMSG #lobby :marker");
    EXPECT_EQ(NextLine(hanako), ":taro!x@x PRIVMSG #lobby :marker");
  }

  std::unique_ptr<ServerThread> server;
  TestClient hanako;
};

TEST_F(WindowAgainstServer, EnterSendsOnePrivmsgAndShowsNickAndText) {
  TZKWChatForm& w = Connected();
  EXPECT_EQ(w.windowTitle(), QString::fromUtf8("NOVALUNE Ver1.13 taro #lobby 入室"));
  EXPECT_EQ(w.EditRoom->text(), QStringLiteral("#lobby"));
  EXPECT_TRUE(w.TalkBtn->isEnabled());
  EXPECT_TRUE(w.MenuRoomTopic->isEnabled());
  EXPECT_FALSE(w.MenuJoin->isEnabled());
  FontSetting nickFont;
  nickFont.color = 0x0000FF;
  FontSetting ownFont;
  ownFont.color = 0xFF0000;
  ownFont.bold = true;
  w.Memo->SetFontSetting(2, nickFont);
  w.Memo->SetFontSetting(4, ownFont);

  w.Edit->setText(QString::fromUtf8("こんにちは、花子さん"));
  QTest::keyClick(w.Edit, Qt::Key_Return);
  EXPECT_TRUE(w.Edit->text().isEmpty());
  EXPECT_EQ(NextLine(hanako), ":taro!x@x PRIVMSG #lobby :" + Sjis("こんにちは、花子さん"));
  ExpectMarkerNext(w);

  const auto paragraphs = w.Memo->LogParagraphs();
  ASSERT_GE(paragraphs.size(), 2u);
  const auto& nick = paragraphs[paragraphs.size() - 2];
  const auto& said = paragraphs.back();
  EXPECT_EQ(Text(nick), "taro");
  ASSERT_FALSE(nick.runs.empty());
  EXPECT_EQ(nick.runs[0].font, nickFont);
  EXPECT_EQ(Text(said), " " + Sjis("こんにちは、花子さん"));
  ASSERT_FALSE(said.runs.empty());
  EXPECT_EQ(said.runs[0].font, ownFont);
}

TEST_F(WindowAgainstServer, EmptyLineSendsNothingAndShowsNothing) {
  TZKWChatForm& w = Connected();
  const std::size_t shown = w.Memo->ParagraphCount();
  QTest::keyClick(w.Edit, Qt::Key_Return);
  EXPECT_EQ(w.Memo->ParagraphCount(), shown);
  ExpectMarkerNext(w);
}

TEST_F(WindowAgainstServer, HostMakesHostAndKicks) {
  TZKWChatForm& w = Connected();
  w.PopupMenuPopup();
  EXPECT_TRUE(w.MenuHost->isEnabled()) << "taro connects from the server's machine";
  EXPECT_TRUE(w.MenuKick->isEnabled());
  const auto row = w.Core().Members().FindFirst("hanako");
  ASSERT_TRUE(row.has_value());
  w.Core().Members().Select(*row);
  w.MenuHost->trigger();
  // The server names the new host as the source of the mode change.
  EXPECT_EQ(NextLine(hanako), ":hanako!x@x MODE #lobby +o hanako");

  messageAnswer = 2;  // "いいえ"
  w.MenuKick->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], Sjis("hanakoを切断します"));
  ExpectMarkerNext(w);
  messageAnswer = 1;
  w.MenuKick->trigger();
  for (int round = 0; round < 100 && hanako.Connected(); ++round) {
    QCoreApplication::processEvents();
    if (hanako.WaitClosed(std::chrono::milliseconds(20))) break;
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Core().Members().FindFirst("hanako").has_value(); }, 5000));
}

TEST_F(WindowAgainstServer, AwayButtonAnnouncesAndMarksTheOwnRow) {
  TZKWChatForm& w = Connected();
  ASSERT_TRUE(w.AwayBtn->isEnabled());
  w.AwayBtn->trigger();
  EXPECT_EQ(NextLine(hanako), ":taro!x@x PRIVMSG #lobby :\x01" + Sjis("AWAY 席を離れます") + "\x01");
  EXPECT_EQ(w.Core().Members().GetMemberMode("taro"), "oa");
  w.AwayBtn->trigger();
  EXPECT_EQ(NextLine(hanako),
            ":taro!x@x PRIVMSG #lobby :\x01"
            "AWAY\x01");
  EXPECT_EQ(w.Core().Members().GetMemberMode("taro"), "o");
}

TEST_F(WindowAgainstServer, QuietPeriodMinimisesAndTheNextStatementRestores) {
  WriteSettingFlag(sys::kSection, sys::kAutoMin, true);
  WriteSettingInt(sys::kSection, sys::kAutoTime, 0);
  WriteSettingFlag(sys::kSection, sys::kAutoShow, true);
  TZKWChatForm& w = Connected();
  ASSERT_FALSE(w.ActiveTimer->isActive());
  hanako.SendLine("PRIVMSG #lobby :" + Sjis("もしもし"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.ActiveTimer->isActive(); }, 5000));
  EXPECT_EQ(w.IdleCountdown(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.Minimized(); }, 3000)) << "one second after the statement";
  EXPECT_FALSE(w.ActiveTimer->isActive());

  hanako.SendLine("PRIVMSG #lobby :" + Sjis("戻って"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.windowState().testFlag(Qt::WindowMinimized); }, 5000));
  EXPECT_TRUE(w.ActiveTimer->isActive()) << "and the countdown starts again";
}

// A second program's window, from another machine's address.
std::unique_ptr<ClientParts> SecondWindow(const ServerThread& server, const std::string& nick,
                                          ChatFormSetup setup = {}) {
  WriteSettingString(sys::kSection, sys::kNick, nick);
  setup.ports = {server.UserPort(), server.HostPort()};
  setup.localAddress = "127.0.0.2";
  setup.messageBox = [](const std::string&, int) { return 1; };
  setup.notifyWhisper = [](const std::string&, const std::string&, const std::function<void()>&) {};
  auto parts = std::make_unique<ClientParts>(std::move(setup), Network::kReal);
  TZKWChatForm* w = parts->form.get();
  w->show();
  w->Core().ConectHostAddress("127.0.0.1");
  EXPECT_TRUE(w->Core().ClientActive(true));
  return parts;
}

TEST_F(WindowAgainstServer, TwoWindowsTalkInJapaneseAndFollowEachOther) {
  TZKWChatForm& taro = Connected();
  auto hanakoWindow = SecondWindow(*server, Sjis("花子"));
  TZKWChatForm& other = *hanakoWindow->form;
  const std::string hanakoNick = Sjis("花子");
  ASSERT_TRUE(QTest::qWaitFor([&] { return other.Core().GetJoinRoom() == "#lobby"; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return taro.Core().Members().FindFirst(hanakoNick).has_value(); }, 5000));
  const client::MemberList& seenByTaro = taro.Core().Members();
  const client::MemberList& seenByHanako = other.Core().Members();
  EXPECT_STREQ(seenByTaro.SmallMark(*seenByTaro.FindFirst(hanakoNick)), client::kMarkMember);
  EXPECT_STREQ(seenByHanako.SmallMark(*seenByHanako.FindFirst("taro")), client::kMarkHost);
  EXPECT_EQ(other.windowTitle(), QString::fromUtf8("NOVALUNE Ver1.13 花子 #lobby 入室"));

  FontSetting othersFont;
  othersFont.color = 0x00FF00;
  other.Memo->SetFontSetting(3, othersFont);
  taro.Edit->setText(QString::fromUtf8("こんにちは、花子さん"));
  QTest::keyClick(taro.Edit, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const auto paragraphs = other.Memo->LogParagraphs();
        return !paragraphs.empty() && Text(paragraphs.back()) == " " + Sjis("こんにちは、花子さん");
      },
      5000));
  const auto paragraphs = other.Memo->LogParagraphs();
  EXPECT_EQ(Text(paragraphs[paragraphs.size() - 2]), "taro");
  EXPECT_EQ(paragraphs.back().runs.at(0).font, othersFont);

  other.AwayBtn->trigger();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        const auto row = seenByTaro.FindFirst(hanakoNick);
        return row && std::string(seenByTaro.SmallMark(*row)) == client::kMarkAway;
      },
      5000));

  taro.Core().MenuReName(Sjis("太郎"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return seenByHanako.FindFirst(Sjis("太郎")).has_value(); }, 5000));
  EXPECT_FALSE(seenByHanako.FindFirst("taro").has_value());

  other.MenuRoomOutClick();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !seenByTaro.FindFirst(hanakoNick).has_value(); }, 5000));
  EXPECT_EQ(seenByHanako.Count(), 0u) << "leaving empties the own list";
  EXPECT_FALSE(other.MenuRoomOut->isEnabled());
}

// Each side types in the other's whisper window; the third member of the
// room gets nothing of it.
TEST_F(WindowAgainstServer, TwoWindowsWhisperInJapaneseAndTheThirdMemberSeesNothing) {
  TZKWChatForm& taro = Connected();
  auto hanakoWindow = SecondWindow(*server, Sjis("花子"));
  TZKWChatForm& other = *hanakoWindow->form;
  const std::string hanakoNick = Sjis("花子");
  ASSERT_TRUE(QTest::qWaitFor([&] { return other.Core().Members().FindFirst("taro").has_value(); }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return taro.Core().Members().FindFirst(hanakoNick).has_value(); }, 5000));
  ASSERT_TRUE(hanako.Sync().has_value());

  auto lastText = [](const TPrivateBoxForm& box) {
    const auto paragraphs = box.Content();
    return paragraphs.empty() ? std::string() : Text(paragraphs.back());
  };
  TPrivateBoxForm* toHanako = taro.PrivateBox(*taro.Core().Members().FindFirst(hanakoNick));
  toHanako->Edit->setText(QString::fromUtf8("秘密の話です"));
  QTest::keyClick(toHanako->Edit, Qt::Key_Return);
  TPrivateBoxForm* toTaro = other.PrivateBox(*other.Core().Members().FindFirst("taro"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return lastText(*toTaro) == " " + Sjis("秘密の話です"); }, 5000));
  EXPECT_TRUE(toTaro->isVisible());

  toTaro->Edit->setText(QString::fromUtf8("了解、～です"));
  QTest::keyClick(toTaro->Edit, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return lastText(*toHanako) == " " + Sjis("了解、～です"); }, 5000));
  EXPECT_EQ(Text(toHanako->Content().at(toHanako->Content().size() - 2)), hanakoNick);

  ExpectMarkerNext(taro);
}

// Each window downloads the other's announced picture from a web server and
// shows it in icon mode.
TEST_F(WindowAgainstServer, TwoWindowsShowEachOthersDownloadedPictures) {
  test::HttpTestServer web;
  web.Serve("/taro.gif", {200, test::MakeGif(32, 32, {0xFF0000, 0x00FF00})});
  web.Serve("/hanako.gif", {200, test::MakeGif(32, 32, {0x0000FF})});
  WriteSettingString(keys::icon::kSection, keys::icon::kUrl, web.Url("/taro.gif"));
  WriteSettingFlag(sys::kSection, sys::kShowIcon, true);
  TZKWChatForm& taro = Connected();
  WriteSettingString(keys::icon::kSection, keys::icon::kUrl, web.Url("/hanako.gif"));
  auto hanakoWindow = SecondWindow(*server, Sjis("花子"));
  TZKWChatForm& other = *hanakoWindow->form;
  auto loaded = [](const client::MemberList& members, const std::string& nick) {
    const auto row = members.FindFirst(nick);
    if (!row) return false;
    const std::string& picture = members.Row(*row).picture;
    return !picture.empty() && picture != client::kPictureDefault;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return loaded(taro.Core().Members(), Sjis("花子")); }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return loaded(other.Core().Members(), "taro"); }, 5000));
  EXPECT_TRUE(taro.Core().Members().GetIconMode());
}

// A file from the member menu, directly and through the server, arrives whole
// where the receiving side chose to save it.
TEST_F(WindowAgainstServer, AFileGoesFromOneWindowToTheOtherDirectlyAndThroughTheServer) {
  std::string bytes(300000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
  const std::string source = PathOf("photo 1.jpg");
  std::ofstream(source, std::ios::binary) << bytes;
  TZKWChatForm& taro = Connected();
  std::vector<QString> saved;
  ChatFormSetup receiving;
  receiving.askReceive = [](TReceiveFileDlg&) { return true; };
  receiving.chooseSavePath = [&](const QString&) {
    saved.push_back(QString::fromStdString(PathOf("saved" + std::to_string(saved.size()) + ".jpg")));
    return saved.back();
  };
  auto hanakoWindow = SecondWindow(*server, Sjis("花子"), std::move(receiving));
  TZKWChatForm& other = *hanakoWindow->form;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return taro.Core().Members().FindFirst(Sjis("花子")).has_value(); }, 5000));
  taro.Core().Members().Select(taro.Core().Members().FindFirst(Sjis("花子")));
  auto arrived = [&](std::size_t count) {
    return QTest::qWaitFor(
        [&] {
          return saved.size() == count && std::filesystem::exists(saved.back().toStdString()) &&
                 std::filesystem::file_size(saved.back().toStdString()) == bytes.size() &&
                 !other.IsReceivingFile();
        },
        10000);
  };
  // The sending side's file dialog is answered through the window's setup.
  parts->form->setProperty("testSendFile", QString::fromStdString(source));
  taro.MenuSend->trigger();
  ASSERT_TRUE(arrived(1)) << "direct";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !taro.FileTransfers().Sending(); }, 5000));
  taro.MenuSendRelay->trigger();
  ASSERT_TRUE(arrived(2)) << "relayed";
  for (const QString& path : saved) {
    EXPECT_EQ(test::FileBytes(path.toStdString()), bytes) << path.toStdString();
  }
}

TEST_F(WindowAgainstServer, ClosingSendsQuitBeforeTheLogQuestionAndACancelledSaveKeepsTheWindow) {
  WriteSettingFlag(sys::kSection, sys::kAutoSave, true);
  TZKWChatForm& w = Connected();
  std::optional<std::string> seenAtQuestion;
  onQuestion = [&] { seenAtQuestion = NextLine(hanako); };
  saveLog = true;
  savePath.reset();
  EXPECT_FALSE(w.close());
  EXPECT_EQ(seenAtQuestion, ":taro! QUIT #lobby") << "QUIT went out before the question";
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(fileDialogs, 1);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewToolBar), "") << "SystemWrite did not run";

  onQuestion = nullptr;
  savePath = QString::fromStdString(PathOf("chat.rtf"));
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.Core().Active());
  EXPECT_TRUE(std::filesystem::exists(PathOf("chat.rtf")));
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewToolBar), "0");
}

}  // namespace
}  // namespace novalune::ui::testing
