// The connect, connection-settings, room, description, rename and message
// dialogs offscreen: what they read, what they refuse and in which order, and
// the files and keys they write.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "common/Settings.h"
#include "controls/IntEdit.h"
#include "settings/ProxySetDlg.h"
#include "settings/ReNameDlg.h"
#include "settings/RoomTopicDlg.h"
#include "settings/SetJoinDlg.h"
#include "settings/SetMessageDlg.h"
#include "settings/SetRoomDlg.h"
#include "settings/settings_fixture.h"

namespace novalune::settings {
namespace {

using test::Sjis;
using testing::ProgramFolderTest;

const char* const kNickEmpty = "ニックネームが入力されていません";
const char* const kNickBlank = "ニックネームに空白文字を入れないでください";
const char* const kNickMark = "ニックネームに\"!\",\"#\",などの文字は使えません";
const char* const kRoomEmpty = "部屋名が入力されていません";
const char* const kRoomBlank = "部屋名に空白文字を入れないでください";
const char* const kPassBlank = "パスワードに空白文字を入れないでください";

using test::FindChild;

void Press(QWidget& dialog, const char* button) { FindChild<QPushButton>(dialog, button)->click(); }

// Key by key where the test library can type it (ASCII), else as one insertion.
void Type(QLineEdit* edit, const QString& text) {
  edit->clear();
  bool ascii = true;
  for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
  if (ascii) {
    QTest::keyClicks(edit, text);
  } else {
    edit->insert(text);
  }
}

QStringList Texts(QWidget& owner) {
  QStringList texts;
  for (const QLabel* label : owner.findChildren<QLabel*>()) texts << label->text();
  for (const QAbstractButton* button : owner.findChildren<QAbstractButton*>()) texts << button->text();
  for (const QGroupBox* group : owner.findChildren<QGroupBox*>()) texts << group->title();
  return texts;
}

// --- Connect dialog ----------------------------------------------------------

class SetJoinTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    test::TestApp();
    ProgramFolderTest::SetUp();
  }
};

TEST_F(SetJoinTest, CaptionPagesAndLabels) {
  TSetJoinDlg dialog(Recorder());
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Chatの接続"));
  auto* pages = FindChild<QTabWidget>(dialog, "PageControl");
  ASSERT_EQ(pages->count(), 2);
  EXPECT_EQ(pages->tabText(0), QString::fromUtf8("接続"));
  EXPECT_EQ(pages->tabText(1), QString::fromUtf8("個人情報"));
  const QStringList texts = Texts(dialog);
  for (const char* expected :
       {"部屋名", "パスワード", "この部屋の説明", "相手の名前", "相手のＩＰアドレス", "自分がサ－バ－になる",
        "ニックネーム", "ホームページアドレス", "メールアドレス", "OK", "ｷｬﾝｾﾙ"}) {
    EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
  }
}

TEST_F(SetJoinTest, OkReportsTheChecksInOrderOnTheFieldsPage) {
  TSetJoinDlg dialog(Recorder());
  dialog.show();
  dialog.SetRoomName("a b");
  dialog.SetRoomPass(
      "p"
      "\x81\x40");
  dialog.ShowPage(JoinPage::kConnect);

  const std::vector<std::pair<std::string, JoinPage>> steps = {
      {"", JoinPage::kPersonal},       // empty
      {"ta ro", JoinPage::kPersonal},  // blank
      {"taro!", JoinPage::kPersonal},  // mark
      {"taro", JoinPage::kConnect},    // room blank
  };
  for (const auto& [nick, page] : steps) {
    dialog.SetNick(nick);
    dialog.ShowPage(page == JoinPage::kConnect ? JoinPage::kPersonal : JoinPage::kConnect);
    Press(dialog, "OKBtn");
    EXPECT_EQ(dialog.CurrentPage(), page) << nick;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  dialog.SetRoomName("room");
  dialog.ShowPage(JoinPage::kPersonal);
  Press(dialog, "OKBtn");
  EXPECT_EQ(dialog.CurrentPage(), JoinPage::kConnect);
  EXPECT_EQ(notices_, (std::vector<std::string>{Sjis(kNickEmpty), Sjis(kNickBlank), Sjis(kNickMark),
                                                Sjis(kRoomBlank), Sjis(kPassBlank)}));
  EXPECT_FALSE(Exists("NOVALUNE.INI"));
  EXPECT_FALSE(Exists("Address.adr"));

  // A full-width space in the nick is a blank, not a mark.
  notices_.clear();
  dialog.SetNick(Sjis("太　郎!"));
  Press(dialog, "OKBtn");
  EXPECT_EQ(notices_, std::vector<std::string>{Sjis(kNickBlank)});

  notices_.clear();
  dialog.SetNick(Sjis("太郎"));
  dialog.SetRoomPass("");
  Press(dialog, "OKBtn");
  EXPECT_TRUE(notices_.empty());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SetJoinTest, EmptyRoomAndPasswordPass) {
  TSetJoinDlg dialog(Recorder());
  dialog.show();
  dialog.SetNick("n");
  Press(dialog, "OKBtn");
  EXPECT_TRUE(notices_.empty());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(Exists("Room.adr"));     // nothing to store for an empty room
  EXPECT_FALSE(Exists("Address.adr"));  // nor for an empty partner name
}

TEST_F(SetJoinTest, CreationReadsKeysAndFiles) {
  WriteBytes("Address.adr",
             "zed\x02"
             "9.9.9.9\x02\x03\r\n" +
                 Sjis("友達") +
                 "\x02"
                 "10.0.0.7\x02\x03\r\n");
  WriteBytes("Room.adr", "#lobby\r\n" + Sjis("雑談") + "\r\n");
  WriteBytes("RoomTopic.txt", Sjis("一行目") + "\r\n" + Sjis("二行目") + "\r\n");
  WriteSettingFlag("System", "JoinMe", false);
  WriteSettingString("System", "ServerName", Sjis("友達"));
  WriteSettingString("System", "ServerIP", "10.0.0.8");
  WriteSettingString("System", "RoomName", "#lobby");
  WriteSettingString("System", "Nick", Sjis("花子"));
  WriteSettingString("System", "HomePage", "http://h.example/");
  WriteSettingString("System", "Mail", "m@example.org");

  TSetJoinDlg dialog(Recorder());
  EXPECT_FALSE(dialog.JoinMe());
  EXPECT_EQ(dialog.ServerName(), Sjis("友達"));
  EXPECT_EQ(dialog.ServerIP(), "10.0.0.8");  // the stored key, read after the name
  EXPECT_EQ(dialog.RoomName(), "#lobby");
  EXPECT_EQ(dialog.Nick(), Sjis("花子"));
  EXPECT_EQ(dialog.HomePage(), "http://h.example/");
  EXPECT_EQ(dialog.Mail(), "m@example.org");
  EXPECT_EQ(dialog.Topic(), Sjis("一行目\n二行目"));
  auto* names = FindChild<QComboBox>(dialog, "ServerNameBox");
  ASSERT_EQ(names->count(), 2);
  EXPECT_EQ(names->itemText(0), "zed");
  EXPECT_EQ(names->itemText(1), QString::fromUtf8("友達"));
  auto* rooms = FindChild<QComboBox>(dialog, "RoomNameBox");
  ASSERT_EQ(rooms->count(), 2);
  EXPECT_EQ(rooms->itemText(1), QString::fromUtf8("雑談"));
}

TEST_F(SetJoinTest, ChoosingAPartnerFillsItsAddress) {
  WriteBytes("Address.adr",
             "home\x02"
             "192.0.2.1\x02\x03\r\n"
             "Home\x02"
             "192.0.2.2\x02\x03\r\n");
  TSetJoinDlg dialog(Recorder());
  dialog.show();
  auto* names = FindChild<QComboBox>(dialog, "ServerNameBox");
  auto* address = FindChild<QLineEdit>(dialog, "ServerIPEdit");
  Type(names->lineEdit(), "Home");
  EXPECT_EQ(address->text(), "192.0.2.2");
  Type(names->lineEdit(), "home");
  EXPECT_EQ(address->text(), "192.0.2.1");
  Type(names->lineEdit(), "nobody");
  EXPECT_EQ(address->text(), "192.0.2.1");  // no entry: the field stays
}

TEST_F(SetJoinTest, IAmTheServerSwitchesThePartnerFieldsAndTheDescription) {
  TSetJoinDlg dialog(Recorder());
  auto* check = FindChild<QCheckBox>(dialog, "JoinMeCheckBtn");
  auto* names = FindChild<QComboBox>(dialog, "ServerNameBox");
  auto* address = FindChild<QLineEdit>(dialog, "ServerIPEdit");
  auto* topic = FindChild<QPlainTextEdit>(dialog, "Topic");
  EXPECT_FALSE(check->isChecked());
  EXPECT_TRUE(names->isEnabled());
  EXPECT_TRUE(address->isEnabled());
  EXPECT_FALSE(address->isReadOnly());
  EXPECT_FALSE(topic->isEnabled());
  check->click();
  EXPECT_FALSE(names->isEnabled());
  EXPECT_FALSE(address->isEnabled());
  EXPECT_TRUE(address->isReadOnly());
  EXPECT_TRUE(topic->isEnabled());

  // The rule also holds for a stored "on".
  WriteSettingFlag("System", "JoinMe", true);
  TSetJoinDlg stored(Recorder());
  EXPECT_TRUE(stored.JoinMe());
  EXPECT_FALSE(FindChild<QComboBox>(stored, "ServerNameBox")->isEnabled());
  EXPECT_TRUE(FindChild<QPlainTextEdit>(stored, "Topic")->isEnabled());
}

TEST_F(SetJoinTest, OkStoresAddressBookRoomKeysAndDescription) {
  WriteBytes("Address.adr",
             "old\x02"
             "1.1.1.1\x02\x03\r\n"
             "broken\r\n" +
                 Sjis("友達") +
                 "\x02"
                 "2.2.2.2\x02\x03\r\n");
  WriteBytes("Room.adr", "#lobby\r\n");
  TSetJoinDlg dialog(Recorder());
  dialog.show();
  dialog.SetServerName(Sjis("友達"));
  dialog.SetServerIP("203.0.113.9");
  dialog.SetRoomName(Sjis("雑談"));
  dialog.SetRoomPass("secret");
  dialog.SetTopic(Sjis("説明\n二行"));
  dialog.SetNick(Sjis("花子"));
  dialog.SetHomePage("http://h/");
  dialog.SetMail("m@h");
  dialog.SetJoinMe(true);
  Press(dialog, "OKBtn");
  ASSERT_TRUE(notices_.empty());
  ASSERT_EQ(dialog.result(), QDialog::Accepted);

  // The partner is replaced in place; the broken line stays as it was.
  EXPECT_EQ(ReadBytes("Address.adr"),
            "old\x02"
            "1.1.1.1\x02\x03\r\n"
            "broken\r\n" +
                Sjis("友達") +
                "\x02"
                "203.0.113.9\x02\x03\r\n");
  EXPECT_EQ(ReadBytes("Room.adr"), "#lobby\r\n" + Sjis("雑談") + "\r\n");
  EXPECT_EQ(ReadBytes("RoomTopic.txt"), Sjis("説明") + "\r\n" + Sjis("二行") + "\r\n");
  EXPECT_TRUE(ReadSettingFlag("System", "JoinMe"));
  EXPECT_EQ(ReadSettingString("System", "ServerName"), Sjis("友達"));
  EXPECT_EQ(ReadSettingString("System", "ServerIP"), "203.0.113.9");
  EXPECT_EQ(ReadSettingString("System", "RoomName"), Sjis("雑談"));
  EXPECT_EQ(ReadSettingString("System", "Nick"), Sjis("花子"));
  EXPECT_EQ(ReadSettingString("System", "HomePage"), "http://h/");
  EXPECT_EQ(ReadSettingString("System", "Mail"), "m@h");
  EXPECT_EQ(ReadSettingString("System", "RoomPass"), "");  // the password is not kept

  // A second connect with a new partner and a known room appends only the partner.
  TSetJoinDlg again(Recorder());
  again.show();
  EXPECT_EQ(again.ServerIP(), "203.0.113.9");
  again.SetServerName("New");
  again.SetServerIP("198.51.100.1");
  Press(again, "OKBtn");
  EXPECT_EQ(ReadBytes("Address.adr"),
            "old\x02"
            "1.1.1.1\x02\x03\r\n"
            "broken\r\n" +
                Sjis("友達") +
                "\x02"
                "203.0.113.9\x02\x03\r\n"
                "New\x02"
                "198.51.100.1\x02\x03\r\n");
  EXPECT_EQ(ReadBytes("Room.adr"), "#lobby\r\n" + Sjis("雑談") + "\r\n");
}

TEST_F(SetJoinTest, TypedRoomIsNotAddedToTheListByPressingEnter) {
  TSetJoinDlg dialog(Recorder());
  dialog.show();
  auto* rooms = FindChild<QComboBox>(dialog, "RoomNameBox");
  Type(rooms->lineEdit(), "#typed");
  QTest::keyClick(rooms->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(rooms->count(), 0);
}

// --- Connection-settings dialog ---------------------------------------------

class ProxySetTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    test::TestApp();
    ProgramFolderTest::SetUp();
  }
};

TEST_F(ProxySetTest, ShowsThirtySecondsForZeroAndSwitchesItsFields) {
  TProxySetDlg dialog(Recorder());
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("接続設定"));
  const QStringList texts = Texts(dialog);
  for (const char* expected :
       {"プロキシサーバー", "プロキシサーバーを使う", "ポート", "URL接続（ＨＴＴＰプロトコル）",
        "外部へは接続しない", "接続時に問い合わせをする", "接続時のタイムアウト", "秒", "OK", "キャンセル"}) {
    EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
  }
  auto* time = FindChild<controls::IntEdit>(dialog, "HttpTime");
  EXPECT_EQ(time->text(), "30");
  auto* host = FindChild<QLineEdit>(dialog, "HostEdit");
  auto* port = FindChild<controls::IntEdit>(dialog, "PortEdit");
  EXPECT_FALSE(host->isEnabled());
  EXPECT_FALSE(port->isEnabled());
  FindChild<QCheckBox>(dialog, "UseProxy")->click();
  EXPECT_TRUE(host->isEnabled());
  EXPECT_TRUE(port->isEnabled());

  auto* ask = FindChild<QCheckBox>(dialog, "MesConect");
  EXPECT_TRUE(ask->isEnabled());
  FindChild<QCheckBox>(dialog, "HttpNotOut")->click();
  EXPECT_FALSE(ask->isEnabled());
  EXPECT_FALSE(time->isEnabled());
}

TEST_F(ProxySetTest, OkWritesTheSixKeysAndEmptyNumbersAreZero) {
  WriteSettingInt("ICON", "HTTPTIME", 12);
  WriteSettingFlag("ICON", "USEPROXY", true);
  WriteSettingString("ICON", "PROXYHOST", "old.example");
  WriteSettingInt("ICON", "PROXYPORT", 3128);
  TProxySetDlg dialog(Recorder());
  dialog.show();
  EXPECT_EQ(FindChild<controls::IntEdit>(dialog, "HttpTime")->text(), "12");
  EXPECT_EQ(FindChild<QLineEdit>(dialog, "HostEdit")->text(), "old.example");

  auto* port = FindChild<controls::IntEdit>(dialog, "PortEdit");
  Type(port, "80x80");  // the letter is refused as it is typed
  EXPECT_EQ(port->text(), "8080");
  Type(FindChild<controls::IntEdit>(dialog, "HttpTime"), "");
  FindChild<QCheckBox>(dialog, "MesConect")->click();
  Press(dialog, "OKBtn");
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  const HttpSettings values = dialog.Values();
  EXPECT_EQ(values.timeSeconds, 0);
  EXPECT_EQ(values.TimeoutMs(), 0);
  EXPECT_EQ(ReadSettingInt("ICON", "HTTPTIME"), 0);
  EXPECT_EQ(ReadSettingInt("ICON", "PROXYPORT"), 8080);
  EXPECT_EQ(ReadSettingString("ICON", "PROXYHOST"), "old.example");
  EXPECT_TRUE(ReadSettingFlag("ICON", "USEPROXY"));
  EXPECT_TRUE(ReadSettingFlag("ICON", "MESCONECT"));
  EXPECT_FALSE(ReadSettingFlag("ICON", "HTTPNOTOUT"));

  TProxySetDlg next(Recorder());
  EXPECT_EQ(FindChild<controls::IntEdit>(next, "HttpTime")->text(), "30");
}

TEST_F(ProxySetTest, CancelWritesNothing) {
  TProxySetDlg dialog(Recorder());
  dialog.show();
  FindChild<QCheckBox>(dialog, "UseProxy")->click();
  Press(dialog, "CancelBtn");
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(Exists("NOVALUNE.INI"));
}

// --- Room dialog -------------------------------------------------------------

class SetRoomTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    test::TestApp();
    ProgramFolderTest::SetUp();
  }
};

TEST_F(SetRoomTest, ChecksInOrderAndStaysOpen) {
  TSetRoomDlg dialog(Recorder());
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ルームに入る"));
  EXPECT_EQ(FindChild<QPushButton>(dialog, "OKBtn")->text(), QString::fromUtf8("入る"));
  EXPECT_EQ(FindChild<QPushButton>(dialog, "CancelBtn")->text(), QString::fromUtf8("閉じる"));
  dialog.show();
  dialog.SetPassword("a b");
  for (const char* room : {"", "my room", "room"}) {
    dialog.SetRoomName(room);
    Press(dialog, "OKBtn");
    EXPECT_TRUE(dialog.isVisible());
  }
  EXPECT_EQ(notices_, (std::vector<std::string>{Sjis(kRoomEmpty), Sjis(kRoomBlank), Sjis(kPassBlank)}));
  EXPECT_FALSE(Exists("Room.adr"));
  EXPECT_FALSE(Exists("NOVALUNE.INI"));
}

TEST_F(SetRoomTest, EnteringAddsANewRoomOnceAndWritesRoomName) {
  WriteBytes("Room.adr", "#lobby\r\nchat\r\n");
  WriteSettingString("System", "RoomName", "chat");
  {
    TSetRoomDlg dialog(Recorder());
    EXPECT_EQ(dialog.RoomName(), "chat");
    EXPECT_EQ(FindChild<QComboBox>(dialog, "RoomNameBox")->count(), 2);
    dialog.show();
    Press(dialog, "OKBtn");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ReadBytes("Room.adr"), "#lobby\r\nchat\r\n");
  }
  {
    TSetRoomDlg dialog(Recorder());
    dialog.show();
    dialog.SetRoomName("CHAT");
    dialog.SetPassword("key");
    Press(dialog, "OKBtn");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Password(), "key");
    EXPECT_EQ(ReadBytes("Room.adr"), "#lobby\r\nchat\r\nCHAT\r\n");
    EXPECT_EQ(ReadSettingString("System", "RoomName"), "CHAT");
  }
  EXPECT_TRUE(notices_.empty());
}

// --- Description, rename and message dialogs -------------------------------

class SmallDialogTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    test::TestApp();
    ProgramFolderTest::SetUp();
  }
};

TEST_F(SmallDialogTest, DescriptionLoadsAndSavesItsFile) {
  {
    TRoomTopicDlg empty(Recorder());
    EXPECT_EQ(empty.windowTitle(), QString::fromUtf8("ルーム説明"));
    EXPECT_TRUE(Texts(empty).contains(QString::fromUtf8("この部屋の簡単な説明")));
    EXPECT_TRUE(Texts(empty).contains(QString::fromUtf8("キャンセル")));
    EXPECT_EQ(empty.Topic(), "");
  }
  WriteBytes("RoomTopic.txt", Sjis("初心者歓迎") + "\r\n" + Sjis("雑談") + "\r\n");
  TRoomTopicDlg dialog(Recorder());
  EXPECT_EQ(dialog.Topic(), Sjis("初心者歓迎\n雑談"));
  dialog.show();
  dialog.SetTopic(Sjis("新しい\n説明\r\n"));
  EXPECT_EQ(dialog.TopicLine(), Sjis("新しい説明"));
  Press(dialog, "OKBtn");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(ReadBytes("RoomTopic.txt"), Sjis("新しい") + "\r\n" + Sjis("説明") + "\r\n\r\n");
}

TEST_F(SmallDialogTest, RenameChecksInOrderAndCancelKeepsNick) {
  WriteSettingString("System", "Nick", Sjis("旧名"));
  TReNameDlg dialog(Recorder());
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("名前の変更"));
  EXPECT_TRUE(Texts(dialog).contains(QString::fromUtf8("ニックネーム")));
  EXPECT_EQ(FindChild<QPushButton>(dialog, "CancelBtn")->text(), QString::fromUtf8("ｷｬﾝｾﾙ"));
  EXPECT_EQ(dialog.Nick(), Sjis("旧名"));
  dialog.show();
  auto* edit = FindChild<QLineEdit>(dialog, "NickEdit");
  for (const char* typed : {"", "a b", "a!", "#a", "a　b"}) {
    Type(edit, QString::fromUtf8(typed));
    Press(dialog, "OKBtn");
    EXPECT_TRUE(dialog.isVisible());
  }
  EXPECT_EQ(notices_, (std::vector<std::string>{Sjis(kNickEmpty), Sjis(kNickBlank), Sjis(kNickMark),
                                                Sjis(kNickMark), Sjis(kNickBlank)}));
  Press(dialog, "CancelBtn");
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(ReadSettingString("System", "Nick"), Sjis("旧名"));

  TReNameDlg again(Recorder());
  again.show();
  Type(FindChild<QLineEdit>(again, "NickEdit"), QString::fromUtf8("新名"));
  Press(again, "OKBtn");
  EXPECT_EQ(again.result(), QDialog::Accepted);
  EXPECT_EQ(again.Nick(), Sjis("新名"));
  EXPECT_EQ(ReadSettingString("System", "Nick"), Sjis("新名"));
}

// A pasted line break or NUL never leaves a one-line field: what the caller
// sends is what the dialog stored.
TEST_F(SmallDialogTest, OneLineFieldsReturnTheirTextWithoutLineBreaksOrNul) {
  const QString pasted = QString::fromUtf8("ab\r\nQUIT") + QChar(0) + QString::fromUtf8("x");
  TReNameDlg rename(Recorder());
  rename.show();
  FindChild<QLineEdit>(rename, "NickEdit")->setText(pasted);
  Press(rename, "OKBtn");
  EXPECT_EQ(rename.Nick(), "abQUITx");
  EXPECT_EQ(ReadSettingString("System", "Nick"), "abQUITx");

  TSetRoomDlg room(Recorder());
  room.show();
  FindChild<QComboBox>(room, "RoomNameBox")->setEditText(QString::fromUtf8("#r\nQUIT"));
  FindChild<QLineEdit>(room, "PassEdit")->setText(QString::fromUtf8("p\rw"));
  Press(room, "OKBtn");
  EXPECT_EQ(room.RoomName(), "#rQUIT");
  EXPECT_EQ(room.Password(), "pw");
  EXPECT_EQ(ReadSettingString("System", "RoomName"), "#rQUIT");

  TSetMessageDlg messages(Recorder());
  FindChild<QLineEdit>(messages, "AwayEdit")->setText(QString::fromUtf8("out\nQUIT"));
  EXPECT_EQ(messages.Messages().away, "outQUIT");

  TRoomTopicDlg topic(Recorder());
  topic.SetTopic(std::string("a\nb\0c", 5));
  EXPECT_EQ(topic.Topic(), "a\nbc");
  EXPECT_EQ(topic.TopicLine(), "abc");
}

TEST_F(SmallDialogTest, AwayMessagesAreReadAndWritten) {
  WriteSettingString("Message", "AWAY", Sjis("離席"));
  TSetMessageDlg dialog(Recorder());
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("メッセージ設定"));
  EXPECT_TRUE(Texts(dialog).contains(QString::fromUtf8("席を離れる時")));
  EXPECT_TRUE(Texts(dialog).contains(QString::fromUtf8("席に戻った時")));
  EXPECT_EQ(dialog.Messages().away, Sjis("離席"));
  EXPECT_EQ(dialog.Messages().back, "");
  dialog.show();
  Type(FindChild<QLineEdit>(dialog, "BackEdit"), QString::fromUtf8("ただいま"));
  Press(dialog, "OKBtn");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(ReadSettingString("Message", "AWAY"), Sjis("離席"));
  EXPECT_EQ(ReadSettingString("Message", "BACK"), Sjis("ただいま"));
}

TEST_F(SmallDialogTest, AFailedWriteIsReportedAndTheDialogStaysOpen) {
  // A folder where the settings file should be: the write cannot succeed.
  std::filesystem::create_directory(PathOf("NOVALUNE.INI"));
  TReNameDlg dialog(Recorder());
  dialog.show();
  dialog.SetNick("ok");
  Press(dialog, "OKBtn");
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_FALSE(notices_[0].empty());
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(SmallDialogTest, DialogsShownWhileStayingOnTopAreTopMost) {
  SetDialogsStayOnTop(true);
  TSetMessageDlg onTop(Recorder());
  onTop.show();
  EXPECT_TRUE(onTop.windowFlags() & Qt::WindowStaysOnTopHint);
  SetDialogsStayOnTop(false);
  EXPECT_TRUE(onTop.windowFlags() & Qt::WindowStaysOnTopHint);  // an open dialog keeps it
  TSetMessageDlg normal(Recorder());
  normal.show();
  EXPECT_FALSE(normal.windowFlags() & Qt::WindowStaysOnTopHint);
}

}  // namespace
}  // namespace novalune::settings
