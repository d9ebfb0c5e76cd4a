// Whisper windows in the main window: one per member, what they show and
// send, the blink, the save question when a member goes, and the desktop
// notification while the program is in the background.
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include "client/display/ChatDisplay.h"
#include "client/display_rtf_reader.h"
#include "client/ui/HistoryDialogs.h"
#include "client/ui/PrivateBoxForm.h"
#include "ui_fixture.h"

namespace novalune::ui::testing {
namespace {

namespace sys = keys::system;

class PrivateWindows : public FormTest {
 protected:
  TZKWChatForm& Joined(ChatFormSetup setup = {}) {
    setup.notifyWhisper = [this](const std::string& nick, const std::string& line,
                                 std::function<void()> show) {
      notices.push_back(nick + "|" + line);
      showNoticed = std::move(show);
    };
    WriteSettingString(sys::kSection, sys::kNick, "taro");
    TZKWChatForm& w = MakeForm(std::move(setup), Network::kFake);
    w.show();
    w.Core().ConectHostAddress("10.0.0.1");
    w.Core().ClientActive(true);
    w.Core().ClientSocketConnect();
    parts->fakeNet->RunPosted();
    w.Core().MenuRoomIn("#lobby", "");
    Feed(":ZKWChatServer214 001 taro :Welcome");
    Feed(":ZKWChatServer214 376 taro :End of /MOTD command");
    Feed(":taro!x@x JOIN :#lobby");
    Feed(":" + Sjis("花子") + "!x@x JOIN :#lobby");
    Feed(":jiro!x@x JOIN :#lobby");
    parts->fakeNet->TakeLines();
    return w;
  }
  void Feed(const std::string& sjisLine) { parts->core->ClientSocketRead(SjisToJis(sjisLine + "\r\n")); }
  std::vector<std::string> Sent() { return parts->fakeNet->TakeLines(); }
  static std::vector<std::string> Texts(const TPrivateBoxForm& box) {
    std::vector<std::string> texts;
    for (const auto& paragraph : box.Content()) {
      std::string text;
      for (const auto& run : paragraph.runs) text += run.text;
      texts.push_back(text);
    }
    return texts;
  }

  std::vector<std::string> notices;
  std::function<void()> showNoticed;
};

TEST_F(PrivateWindows, AWhisperGoesToItsMembersOwnWindowNeverToTheRoom) {
  TZKWChatForm& w = Joined();
  const std::size_t roomParagraphs = w.Memo->ParagraphCount();
  Feed(":" + Sjis("花子") + "!x@x PRIVMSG taro :" + Sjis("内緒の話"));
  Feed(":" + Sjis("花子") + "!x@x PRIVMSG TARO :" + Sjis("二行目\x10r\x10nです"));
  Feed(":ghost!x@x PRIVMSG taro :boo");  // not in the room: no window at all
  QApplication::processEvents();

  EXPECT_EQ(w.Memo->ParagraphCount(), roomParagraphs) << "nothing of a whisper in the room display";
  TPrivateBoxForm* hanako = w.PrivateBox(1);
  ASSERT_NE(hanako, nullptr);
  EXPECT_EQ(w.PrivateBox(3), nullptr) << "one window per member row, and no more";
  EXPECT_TRUE(hanako->isVisible());
  EXPECT_FALSE(w.PrivateBox(2)->isVisible());
  EXPECT_EQ(hanako->windowTitle(), QString::fromUtf8("花子とのささやきBox"));
  EXPECT_EQ(Texts(*hanako), (std::vector<std::string>{Sjis("花子"), Sjis(" 内緒の話"), Sjis("花子"),
                                                      Sjis(" 二行目"), Sjis(" です")}));
  EXPECT_TRUE(w.Core().Members().Row(1).unread) << "the row blinks until the text is looked at";

  // The pointer over the window's text ends the blink.
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(hanako->Memo->viewport(), &move);
  EXPECT_FALSE(w.Core().Members().Row(1).unread);
}

TEST_F(PrivateWindows, TypingSendsExactlyOnePrivmsgLineAndShowsItInTheWindow) {
  WriteSettingString(sys::kSection, sys::kBeepFile, "ding.wav");
  TZKWChatForm& w = Joined();
  w.Core().Members().Select(1);
  w.PrivateBtn->click();
  TPrivateBoxForm* box = w.PrivateBox(1);
  ASSERT_TRUE(box->isVisible()) << "ささやく opens the selected member's window";

  box->Edit->setText(QString::fromUtf8("こんにちは http://example.jp/ ね"));
  QTest::keyClick(box->Edit, Qt::Key_Return);
  EXPECT_TRUE(box->Edit->text().isEmpty());
  QApplication::processEvents();  // the window posts; the main window sends
  EXPECT_EQ(Sent(), std::vector<std::string>{"PRIVMSG " + Sjis("花子 :こんにちは http://example.jp/ ね")});

  // A pasted text with line breaks and a forged command stays one line.
  box->Edit->setText(QString::fromUtf8("一\r\nQUIT :bye\nNICK x"));
  QTest::keyClick(box->Edit, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(Sent(),
            std::vector<std::string>{"PRIVMSG " + Sjis("花子 :一\x10r\x10nQUIT :bye\x10r\x10nNICK x")});

  // The sound button asks for the current sound and keeps the typed text.
  box->Edit->setText("half");
  box->BeepBtn->click();
  QApplication::processEvents();
  EXPECT_EQ(Sent(), std::vector<std::string>{"PRIVMSG " + Sjis("花子") + " :\x01SOUND ding.wav\x01"});
  EXPECT_EQ(box->Edit->text(), QStringLiteral("half"));
  EXPECT_EQ(Texts(*box), (std::vector<std::string>{"taro", Sjis(" こんにちは http://example.jp/ ね"), "taro",
                                                   Sjis(" 一"), " QUIT :bye", " NICK x", "taro_(ding.wav)"}));
  // The own nick never opens a window.
  w.Core().Members().Select(0);
  w.PrivateBtn->click();
  EXPECT_FALSE(w.PrivateBox(0)->isVisible());
}

TEST_F(PrivateWindows, ARenameKeepsTheConversationAndALeavingMemberAsksOnceToSaveIt) {
  WriteSettingFlag(sys::kSection, sys::kAutoSave, true);
  WriteSettingString(sys::kSection, sys::kDefaultExt, "RTF");
  TZKWChatForm& w = Joined();
  Feed(":jiro!x@x PRIVMSG taro :" + Sjis("やあ"));
  Feed(":jiro!x@x NICK :" + Sjis("次郎"));
  TPrivateBoxForm* box = w.PrivateBox(2);
  EXPECT_EQ(box->windowTitle(), QString::fromUtf8("次郎とのささやきBox"));
  EXPECT_EQ(Texts(*box).size(), 2u);

  messageAnswer = 1;
  saveLog = true;
  savePath = QString::fromStdString(PathOf("jiro.rtf"));
  Feed(":" + Sjis("次郎") + "!x@x PART #lobby");
  Feed(":" + Sjis("花子") + "!x@x PART #lobby");  // an empty window asks nothing
  QApplication::processEvents();
  ASSERT_EQ(questions, std::vector<std::string>{Sjis("次郎とのささやきを保存をしますか？")});
  EXPECT_EQ(fileDialogs, 1);
  const std::string rtf = test::FileBytes(PathOf("jiro.rtf"));
  const test::RtfDocument document = test::RtfReader::Parse(rtf);
  ASSERT_EQ(document.paragraphs.size(), 2u);
  ASSERT_EQ(document.paragraphs[1].size(), 1u);
  EXPECT_EQ(document.paragraphs[1][0].text, Sjis(" やあ"));
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kDefaultExt), "RTF");

  // With auto-save off a leaving member's conversation goes without a question.
  questions.clear();
  w.Core().Members().SetTemplates([&] {
    auto templates = w.Core().Members().Templates();
    templates.autoSave = false;
    return templates;
  }());
  Feed(":jiro2!x@x JOIN :#lobby");
  Feed(":jiro2!x@x PRIVMSG taro :hi");
  Feed(":jiro2!x@x QUIT #lobby");
  QApplication::processEvents();
  EXPECT_TRUE(questions.empty());
}

TEST_F(PrivateWindows, TheSaveButtonWritesShiftJisTextWithoutChangingTheDefaultType) {
  const auto dialog = display::PrivateSaveSetup(QDateTime(QDate(2026, 12, 10), QTime(9, 5)),
                                                QString::fromUtf8("花子"), "TXT");
  EXPECT_EQ(dialog.proposedName, QString::fromUtf8("花子261210_0905"))
      << "the nick directly followed by the date";
  EXPECT_EQ(dialog.selectedFilter, 1) << "text preselected";

  WriteSettingString(sys::kSection, sys::kDefaultExt, "RTF");
  TZKWChatForm& w = Joined();
  Feed(":" + Sjis("花子") + "!x@x PRIVMSG taro :" + Sjis("保存して"));
  savePath = QString::fromStdString(PathOf("talk.txt"));
  w.PrivateBox(1)->SaveBtn->click();
  ASSERT_EQ(fileDialogs, 1);
  EXPECT_EQ(test::FileBytes(PathOf("talk.txt")), Sjis("花子\r\n 保存して\r\n"));
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kDefaultExt), "RTF");
}

TEST_F(PrivateWindows, AWhisperInTheBackgroundReachesTheDesktopUnlessSwitchedOff) {
  TZKWChatForm& w = Joined();
  ASSERT_EQ(QApplication::activeWindow(), nullptr) << "offscreen: no window of the program is active";
  Feed(":" + Sjis("花子") + "!x@x PRIVMSG taro :" + Sjis("一行目\x10r\x10n二行目"));
  ASSERT_EQ(notices, std::vector<std::string>{Sjis("花子|一行目")});
  w.PrivateBox(1)->hide();
  showNoticed();
  EXPECT_TRUE(w.PrivateBox(1)->isVisible()) << "clicking the notification shows the window";

  WriteSettingFlag(sys::kSection, sys::kNoWhisperNotice, true);
  notices.clear();
  Joined();
  Feed(":" + Sjis("花子") + "!x@x PRIVMSG taro :again");
  EXPECT_TRUE(notices.empty());
}

// The window's lists: addresses from the room and from whispers, arrivals
// and departures, kept across a restart.
TEST_F(PrivateWindows, AddressesAndArrivalsReachTheListsAndSurviveARestart) {
  WriteSettingInt(sys::kSectionUpper, sys::kUrlLen, 10);
  WriteSettingInt(sys::kSectionUpper, sys::kUserHistoryLen, 10);
  TZKWChatForm& w = Joined();
  Feed(":jiro!x@x PRIVMSG #lobby :" + Sjis("見て http://example.jp/a 面白い"));
  Feed(":jiro!x@x PRIVMSG taro :" + Sjis("こっそり ftp://files.example.jp/b"));
  Feed(":jiro!x@x PART #lobby");
  const auto urls = w.URLList->List().Visible();
  ASSERT_EQ(urls.size(), 2u);
  EXPECT_EQ(urls[0].substr(0, urls[0].find("   [")), "ftp://files.example.jp/b");
  EXPECT_EQ(urls[1].substr(0, urls[1].find("   [")), "http://example.jp/a");
  const auto history = w.UserHistory->List().Visible();
  ASSERT_EQ(history.size(), 3u) << "花子 and jiro came, jiro left";
  EXPECT_NE(history[0].find(Sjis(" 退室 [jiro]")), std::string::npos);

  ASSERT_TRUE(w.close());
  TZKWChatForm& again = MakeForm({}, Network::kFake);
  EXPECT_EQ(again.URLList->List().Visible(), urls);
  EXPECT_EQ(again.UserHistory->List().Visible(), history);
}

}  // namespace
}  // namespace novalune::ui::testing
