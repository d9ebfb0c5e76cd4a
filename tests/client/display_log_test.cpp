// Saving, opening and clearing the log through the display commands, with
// every dialog answered by the test.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <deque>
#include <functional>
#include <system_error>

#include "client/display/DisplayCommands.h"
#include "client/display/DisplayText.h"
#include "client/display_fixture.h"
#include "client/display_rtf_reader.h"
#include "common/Settings.h"

namespace novalune::display {
namespace {

using test::Sjis;

namespace sys = keys::system;

class DisplayLogTest : public test::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    display = std::make_unique<TChatDisplay>();
    viewer = std::make_unique<TLogViewForm>();
    DisplayHooks hooks;
    hooks.askYesNo = [this](const std::string& question) {
      questions.push_back(question);
      if (answers.empty()) return false;
      const bool answer = answers.front();
      answers.pop_front();
      return answer;
    };
    hooks.chooseFile = [this](const FileDialogSetup& setup) {
      setups.push_back(setup);
      return chosen;
    };
    hooks.openFile = [this](const QString& path) {
      opened.push_back(path);
      return true;
    };
    hooks.notice = [this](const std::string& text) { notices.push_back(text); };
    hooks.now = [] { return QDateTime(QDate(1999, 12, 7), QTime(21, 5)); };
    commands = std::make_unique<DisplayCommands>(*display, *viewer, hooks);
  }

  void TearDown() override {
    commands.reset();
    viewer.reset();
    display.reset();
    DisplayTest::TearDown();
  }

  // Nick in style 2 (Japanese face), statement in style 4.
  void Conversation() {
    FontSetting nick;
    nick.name = Sjis("ＭＳ Ｐゴシック");
    nick.size = 10;
    nick.bold = true;
    nick.color = 0x0000FF;
    FontSetting own;
    own.name = "Arial";
    own.size = 12;
    own.italic = true;
    own.strikeout = true;
    own.color = 0x336699;
    display->SetFontSetting(2, nick);
    display->SetFontSetting(4, own);
    display->DspMessage(2, Sjis("たろう"));
    display->DspMessage(4, Sjis(" 表示 http://a.jp/ {ok}") + std::string(kLineBreakEscape) + Sjis("二行目"));
  }

  std::string DefaultExt() const { return ReadSettingString(sys::kSection, sys::kDefaultExt); }

  std::unique_ptr<TChatDisplay> display;
  std::unique_ptr<TLogViewForm> viewer;
  std::unique_ptr<DisplayCommands> commands;
  std::vector<std::string> questions;
  std::deque<bool> answers;
  std::vector<FileDialogSetup> setups;
  std::optional<QString> chosen;
  std::vector<QString> opened;
  std::vector<std::string> notices;
};

TEST_F(DisplayLogTest, SaveAsRichTextKeepsEachParagraphsLook) {
  Conversation();
  chosen = HomeFile("991207_2105.RTF");
  ASSERT_TRUE(commands->MenuSaveClick());
  EXPECT_EQ(DefaultExt(), "RTF");

  const test::RtfDocument doc = test::RtfReader::Parse(test::FileBytes(*chosen));
  ASSERT_EQ(doc.paragraphs.size(), 3u);
  const auto check = [&](std::size_t p, const std::string& face, int size, int color, bool bold, bool italic,
                         bool strike, const std::string& text) {
    SCOPED_TRACE(p);
    ASSERT_EQ(doc.paragraphs[p].size(), 1u);
    const test::RtfRun& run = doc.paragraphs[p][0];
    EXPECT_EQ(doc.fonts.at(run.state.font).name, face);
    EXPECT_EQ(doc.fonts.at(run.state.font).charset, 128);
    EXPECT_EQ(run.state.halfPoints, size * 2);
    EXPECT_EQ(doc.colors.at(run.state.color), color);
    EXPECT_EQ(run.state.bold, bold);
    EXPECT_EQ(run.state.italic, italic);
    EXPECT_EQ(run.state.strike, strike);
    EXPECT_FALSE(run.state.underline);
    EXPECT_EQ(run.text, text);
  };
  check(0, Sjis("ＭＳ Ｐゴシック"), 10, 0x0000FF, true, false, false, Sjis("たろう"));
  check(1, "Arial", 12, 0x336699, false, true, true, Sjis(" 表示 http://a.jp/ {ok}"));
  check(2, "Arial", 12, 0x336699, false, true, true, Sjis(" 二行目"));
}

TEST_F(DisplayLogTest, SaveAsTextWritesShiftJisWithCrLf) {
  Conversation();
  chosen = HomeFile("log.txt");
  ASSERT_TRUE(commands->MenuSaveClick());
  EXPECT_EQ(DefaultExt(), "TXT");
  EXPECT_EQ(test::FileBytes(*chosen),
            "\x82\xbd\x82\xeb\x82\xa4\r\n"             // たろう
            " \x95\x5c\x8e\xa6 http://a.jp/ {ok}\r\n"  // 表示
            " \x93\xf1\x8d\x73\x96\xda\r\n");          // 二行目
}

TEST_F(DisplayLogTest, ANameWithoutExtensionIsPlainTextAndRtfInAnyCaseIsRichText) {
  display->DspMessage(1, "x");
  chosen = HomeFile("noext");
  ASSERT_TRUE(commands->MenuSaveClick());
  EXPECT_EQ(DefaultExt(), "TXT");
  EXPECT_EQ(test::FileBytes(*chosen), "x\r\n");
  chosen = HomeFile("mixed.RtF");
  ASSERT_TRUE(commands->MenuSaveClick());
  EXPECT_EQ(DefaultExt(), "RTF");
  EXPECT_EQ(test::FileBytes(*chosen).rfind("{\\rtf1", 0), 0u);
}

TEST_F(DisplayLogTest, SaveDialogSetup) {
  commands->MenuSaveClick();  // "DefaultExt" missing: rich text preselected
  WriteSettingString(sys::kSection, sys::kDefaultExt, "TXT");
  commands->MenuSaveClick();
  WriteSettingString(sys::kSection, sys::kDefaultExt, "txt");  // not exactly "TXT"
  commands->MenuSaveClick();
  ASSERT_EQ(setups.size(), 3u);
  EXPECT_EQ(setups[0].selectedFilter, 0);
  EXPECT_EQ(setups[1].selectedFilter, 1);
  EXPECT_EQ(setups[2].selectedFilter, 0);
  const FileDialogSetup& s = setups[0];
  EXPECT_TRUE(s.save);
  EXPECT_EQ(s.proposedName, QStringLiteral("991207_2105"));
  EXPECT_EQ(QDir(s.directory).canonicalPath(), QDir(Home()).canonicalPath());
  EXPECT_EQ(s.defaultSuffix, QStringLiteral("RTF"));
  ASSERT_EQ(s.filters.size(), 2);
  EXPECT_TRUE(s.filters[0].startsWith(QString::fromUtf8("リッチテキスト(*.RTF) (*.RTF")));
  EXPECT_TRUE(s.filters[1].startsWith(QString::fromUtf8("テキスト(*.TXT) (*.TXT")));
}

TEST_F(DisplayLogTest, CancelledSaveWritesNothing) {
  display->DspMessage(1, "x");
  chosen.reset();
  EXPECT_FALSE(commands->MenuSaveClick());
  EXPECT_EQ(DefaultExt(), "");
  EXPECT_EQ(QDir(Home()).entryList(QDir::Files), QStringList{});
}

TEST_F(DisplayLogTest, ExitQuestionOffClosesWithoutAsking) {
  EXPECT_TRUE(commands->ExitLogQuestion(false));
  EXPECT_TRUE(questions.empty());
  EXPECT_TRUE(setups.empty());
}

TEST_F(DisplayLogTest, ExitQuestionNoClosesWithoutSaving) {
  answers = {false};
  EXPECT_TRUE(commands->ExitLogQuestion(true));
  EXPECT_EQ(questions, std::vector<std::string>{Sjis("ログの保存をしますか？")});
  EXPECT_TRUE(setups.empty());
}

TEST_F(DisplayLogTest, ExitQuestionYesThenCancelledDialogKeepsTheWindowOpen) {
  display->DspMessage(1, "keep me");
  answers = {true};
  chosen.reset();
  EXPECT_FALSE(commands->ExitLogQuestion(true));
  EXPECT_EQ(setups.size(), 1u);
  EXPECT_EQ(QDir(Home()).entryList(QDir::Files), QStringList{});
  EXPECT_EQ(display->ParagraphCount(), 1u);
}

TEST_F(DisplayLogTest, ExitQuestionYesSavesAndCloses) {
  display->DspMessage(1, "bye");
  answers = {true};
  chosen = HomeFile("last.txt");
  EXPECT_TRUE(commands->ExitLogQuestion(true));
  EXPECT_EQ(test::FileBytes(*chosen), "bye\r\n");
}

TEST_F(DisplayLogTest, UnwritableLogFileIsAnError) {
  display->DspMessage(1, "x");
  chosen = HomeFile("missing-folder/log.txt");
  EXPECT_THROW(commands->MenuSaveClick(), std::system_error);
}

TEST_F(DisplayLogTest, ClearAsksFirst) {
  display->DspMessage(1, "x");
  answers = {false, true};
  commands->MenuClsClick();
  EXPECT_EQ(display->ParagraphCount(), 1u);
  commands->MenuClsClick();
  EXPECT_EQ(display->ParagraphCount(), 0u);
  EXPECT_TRUE(display->document()->isEmpty());
  EXPECT_EQ(questions, std::vector<std::string>(2, Sjis("ログの消去をします。よろしいですか？")));
}

TEST_F(DisplayLogTest, OpenHandsTheChosenFileToTheDesktop) {
  chosen.reset();
  commands->MenuOpenClick();
  EXPECT_TRUE(opened.empty());
  chosen = HomeFile("old.RTF");
  commands->MenuOpenClick();
  EXPECT_EQ(opened, std::vector<QString>{*chosen});
  EXPECT_TRUE(notices.empty());
  ASSERT_EQ(setups.size(), 2u);
  const FileDialogSetup& s = setups[0];
  EXPECT_FALSE(s.save);
  EXPECT_EQ(QDir(s.directory).canonicalPath(), QDir(Home()).canonicalPath());
  EXPECT_EQ(s.defaultSuffix, QStringLiteral("RTF"));
  ASSERT_EQ(s.filters.size(), 3);
  EXPECT_EQ(s.filters[0], QString::fromUtf8("すべてのファイル(*.RTF,*.TXT) (*.RTF *.rtf *.TXT *.txt)"));
  EXPECT_EQ(s.filters[1], QString::fromUtf8("リッチテキスト(*.RTF) (*.RTF *.rtf)"));
  EXPECT_EQ(s.filters[2], QString::fromUtf8("テキスト(*.TXT) (*.TXT *.txt)"));
}

// The real dialog: started from the setup, its typed name takes the extension
// of the chosen type.
class DisplayFileDialogTest : public test::DisplayTest {
 protected:
  // Runs the dialog; `act` gets it once it is shown and must close it.
  std::optional<QString> Run(const FileDialogSetup& setup, std::function<void(QFileDialog&)> act) {
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      act(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    return RunFileDialog(nullptr, setup);
  }
};

TEST_F(DisplayFileDialogTest, SaveDialogStartsAsSetUpAndFollowsTheChosenType) {
  WriteSettingString(sys::kSection, sys::kDefaultExt, "TXT");
  const FileDialogSetup setup = LogSaveSetup(QDateTime(QDate(2026, 12, 7), QTime(23, 59)));
  const auto chosen = Run(setup, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.selectedNameFilter(), QString::fromUtf8("テキスト(*.TXT)"));  // patterns hidden
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("TXT"));
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(Home()).canonicalPath());
    dialog.selectNameFilter(setup.filters[0]);
    emit dialog.filterSelected(setup.filters[0]);
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("RTF"));
    dialog.selectFile(QStringLiteral("mylog"));
    static_cast<QDialog&>(dialog).accept();  // the OK button
  });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(*chosen).fileName(), QStringLiteral("mylog.RTF"));
}

TEST_F(DisplayFileDialogTest, ProposedNameAndCancel) {
  const FileDialogSetup setup = LogSaveSetup(QDateTime(QDate(2026, 1, 2), QTime(3, 4)));
  const auto chosen = Run(setup, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.selectedNameFilter(), QString::fromUtf8("リッチテキスト(*.RTF)"));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("RTF"));
    ASSERT_EQ(dialog.selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(dialog.selectedFiles().front()).fileName(), QStringLiteral("260102_0304.RTF"));
    dialog.reject();
  });
  EXPECT_FALSE(chosen.has_value());
}

}  // namespace
}  // namespace novalune::display
