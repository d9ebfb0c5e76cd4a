// The main window without a server: settings on first showing and closing,
// view options, command states, keyboard and the closing order's log step.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "client/ui/ChatTreeView.h"
#include "client/ui/ClientMain.h"
#include "ui_fixture.h"

namespace novalune::ui::testing {
namespace {

namespace sys = keys::system;

class MainWindowSettings : public FormTest {};

TEST_F(MainWindowSettings, NoSettingsFileFirstShowingAppliesTheDefaults) {
  TZKWChatForm& w = MakeForm();
  EXPECT_FALSE(w.FirstShowDone());
  w.show();
  ASSERT_TRUE(w.FirstShowDone());

  EXPECT_TRUE(w.ToolBar1->isHidden());
  EXPECT_TRUE(w.StatusBar->isHidden());
  EXPECT_TRUE(w.IconBar->isHidden());
  EXPECT_FALSE(w.ToolBar2->isHidden()) << "the lower tool bar has no option";
  for (QAction* option :
       {w.MenuShowToolBar, w.MenuIconList, w.MenuShowStatusBar, w.MenuShowOnTop, w.MenuShowIcon}) {
    EXPECT_FALSE(option->isChecked()) << option->text().toStdString();
  }
  EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(w.Core().Members().GetIconMode());
  for (int kind = 1; kind <= 4; ++kind) {
    const FontSetting& font = w.Memo->GetFontSetting(kind);
    EXPECT_TRUE(font.name.empty()) << kind;
    EXPECT_EQ(font.size, 9);
    EXPECT_FALSE(font.bold || font.italic || font.underline || font.strikeout);
    EXPECT_EQ(w.Core().Members().Templates().fonts[static_cast<std::size_t>(kind - 1)], font);
  }
  EXPECT_EQ(w.Splitter->sizes().at(0), 140) << "the layout width stays";
  EXPECT_EQ(w.windowTitle(), QString::fromUtf8("NOVALUNE Ver1.13  未接続"));
  EXPECT_FALSE(SettingsFileExists()) << "reading creates nothing";
}

TEST_F(MainWindowSettings, StoredValuesAreAppliedOnFirstShowingOnly) {
  WriteSettingFlag(sys::kSection, sys::kViewToolBar, true);
  WriteSettingFlag(sys::kSection, sys::kViewStatusBar, true);
  WriteSettingFlag(sys::kSection, sys::kShowIcon, true);
  WriteSettingInt(sys::kSection, sys::kBackColor, 0xFFFFFF);
  WriteSettingInt(sys::kSection, sys::kListViewWidth, 180);
  WriteSettingString(sys::kSection, sys::kBeepFile, Sjis("鐘.wav"));
  FontSetting own{"Noto Sans CJK JP", 12, true, false, false, false, 0x0000FF};
  WriteFontSetting(own, "MemoFont4");
  WriteSettingInt("ZKWChatForm", "PlaceNormalPos.Left", 30);
  WriteSettingInt("ZKWChatForm", "PlaceNormalPos.Right", 830);

  TZKWChatForm& w = MakeForm();
  EXPECT_FALSE(w.MenuShowToolBar->isChecked()) << "nothing is applied before the first showing";
  w.show();
  EXPECT_FALSE(w.ToolBar1->isHidden());
  EXPECT_TRUE(w.MenuShowToolBar->isChecked());
  EXPECT_FALSE(w.StatusBar->isHidden());
  EXPECT_TRUE(w.IconBar->isHidden()) << "the icon bar is hidden at every start";
  EXPECT_TRUE(w.MenuShowIcon->isChecked());
  EXPECT_TRUE(w.Core().Members().GetIconMode());
  EXPECT_EQ(w.Memo->BackColor(), 0xFFFFFF);
  EXPECT_EQ(w.Splitter->sizes().at(0), 180);
  EXPECT_EQ(w.Memo->GetFontSetting(4), own);
  EXPECT_EQ(w.Edit->font().pointSize(), 12);
  EXPECT_TRUE(w.Edit->font().bold());
  EXPECT_EQ(w.Core().BeepFile(), Sjis("鐘.wav"));
  EXPECT_EQ(w.BeepBtn->toolTip(), QString::fromUtf8("鐘.wav"));
  EXPECT_EQ(w.normalGeometry().left(), 30);
  EXPECT_EQ(w.normalGeometry().width(), 800);

  // A second showing reads nothing again.
  WriteSettingFlag(sys::kSection, sys::kViewToolBar, false);
  w.hide();
  w.show();
  EXPECT_FALSE(w.ToolBar1->isHidden());
}

TEST_F(MainWindowSettings, ClosingWritesTheViewStateWithoutAQuestionWhenAutoSaveIsOff) {
  TZKWChatForm& w = MakeForm();
  w.show();
  w.SetViewToolBar(true);
  w.SetViewStatusBar(false);
  ASSERT_TRUE(w.close());
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewToolBar), "1");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewStatusBar), "0");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewOnTop), "0");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kShowIcon), "0");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kBackColor), std::to_string(w.Memo->BackColor()));
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kBeepFile), "");
  EXPECT_EQ(ReadSettingInt(sys::kSection, sys::kListViewWidth), w.ListView->width());
  EXPECT_EQ(ReadSettingInt(sys::kSection, sys::kWavListBox), 110) << "the hidden list's layout width";
  EXPECT_EQ(ReadSettingString("MemoFont1", "Size"), "9");
  EXPECT_EQ(ReadSettingString("MemoFont3", "Bold"), "0");
  EXPECT_EQ(ReadSettingInt("ZKWChatForm", "PlaceNormalPos.Right") -
                ReadSettingInt("ZKWChatForm", "PlaceNormalPos.Left"),
            w.normalGeometry().width());
}

TEST_F(MainWindowSettings, CancelledLogSaveKeepsTheWindowOpenAndWritesNothing) {
  WriteSettingFlag(sys::kSection, sys::kAutoSave, true);
  TZKWChatForm& w = MakeForm();
  w.show();
  w.Memo->DspMessage(1, Sjis("記録"));
  saveLog = true;
  savePath.reset();
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_EQ(fileDialogs, 1);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewToolBar), "") << "SystemWrite did not run";

  savePath = QString::fromStdString(PathOf("log.txt"));
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(std::filesystem::exists(PathOf("log.txt")));
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewToolBar), "0");
}

// WCAG contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Stored(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

TEST_F(MainWindowSettings, AFirstStartIsReadableAndChosenColoursStillWin) {
  TZKWChatForm& w = MakeForm();
  w.show();
  const QColor back = Stored(w.Memo->BackColor());
  for (int kind = 1; kind <= 4; ++kind) {
    EXPECT_GE(Contrast(Stored(w.Memo->GetFontSetting(kind).color), back), 4.5) << "display style " << kind;
  }
  EXPECT_GE(Contrast(w.ListView->ListColor(), w.ListView->palette().color(QPalette::Text)), 4.5)
      << "member list";
  EXPECT_GE(Contrast(w.Edit->palette().color(QPalette::Base), w.Edit->palette().color(QPalette::Text)), 4.5)
      << "input line";
  parts.reset();

  // Black, once stored, is the user's choice.
  WriteSettingInt(sys::kSection, sys::kBackColor, 0);
  WriteSettingInt("MemoFont1", "Color", 0x00FF00);
  TZKWChatForm& again = MakeForm();
  again.show();
  EXPECT_EQ(again.Memo->BackColor(), 0);
  EXPECT_EQ(again.ListView->ListColor(), QColor(0, 0, 0));
  EXPECT_EQ(again.Memo->GetFontSetting(1).color, 0x00FF00);
}

TEST_F(MainWindowSettings, ALogThatCannotBeWrittenAtExitKeepsTheWindowOpen) {
  WriteSettingFlag(sys::kSection, sys::kAutoSave, true);
  TZKWChatForm& w = MakeForm();
  w.show();
  saveLog = true;
  savePath = QString::fromStdString(PathOf("no-such-folder/log.txt"));
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(messages.size(), 1u) << "the error is reported";
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewToolBar), "")
      << "SystemWrite waits for the real closing";

  savePath = QString::fromStdString(PathOf("log.txt"));
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(std::filesystem::exists(PathOf("log.txt")));
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kViewToolBar), "0");
}

class MainWindowView : public FormTest {};

TEST_F(MainWindowView, ViewEntriesToggleTheirPartAndCheckMark) {
  TZKWChatForm& w = MakeForm();
  w.show();
  w.MenuShowToolBar->trigger();
  EXPECT_TRUE(w.GetViewToolBar());
  EXPECT_FALSE(w.ToolBar1->isHidden());
  w.MenuShowToolBar->trigger();
  EXPECT_FALSE(w.ToolBar1->isVisible());

  w.MenuShowStatusBar->trigger();
  EXPECT_FALSE(w.StatusBar->isHidden());
  EXPECT_LT(w.StatusBar->geometry().bottom(), w.ToolBar2->geometry().top())
      << "the lower tool bar stays last";

  w.MenuIconList->trigger();
  EXPECT_FALSE(w.IconBar->isHidden()) << "also while the tool bar is hidden";

  w.MenuShowIcon->trigger();
  EXPECT_TRUE(w.Core().Members().GetIconMode());
  w.MenuShowIcon->trigger();
  EXPECT_FALSE(w.Core().Members().GetIconMode());

  w.MenuShowOnTop->trigger();
  EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  w.MenuShowOnTop->trigger();
  EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainWindowView, SoundHistoryShowsBesideTheTreeWithItsStoredWidth) {
  WriteSettingInt(sys::kSection, sys::kWavListBox, 90);
  TZKWChatForm& w = MakeForm();
  w.show();
  EXPECT_TRUE(w.WavListBox->isHidden());
  w.WavListBtn->click();
  ASSERT_FALSE(w.WavListBox->isHidden());
  EXPECT_EQ(w.Splitter->sizes().at(1), 90);
  QApplication::processEvents();
  EXPECT_LT(w.ListView->geometry().right(), w.WavListBox->geometry().left());
  EXPECT_LT(w.WavListBox->geometry().right(), w.Memo->geometry().left())
      << "between the tree and the display";
  w.WavListBtn->click();
  EXPECT_TRUE(w.WavListBox->isHidden());
}

TEST_F(MainWindowView, CommandsWhileNotConnected) {
  TZKWChatForm& w = MakeForm({}, Network::kFake);
  w.show();
  EXPECT_TRUE(w.MenuJoin->isEnabled());
  EXPECT_TRUE(w.JoinBtn->isEnabled());
  for (QAction* action :
       {w.MenuCut, w.CutBtn, w.MenuRoomIn, w.RoomInBtn, w.MenuRoomOut, w.RoomOutBtn, w.MenuRoomLook,
        w.RoomListBtn, w.MenuMemberLook, w.UserListBtn, w.AwayBtn, w.MenuRoomTopic}) {
    EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
  }
  for (QToolButton* button : {w.TalkBtn, w.PrivateBtn, w.BeepBtn}) EXPECT_FALSE(button->isEnabled());

  // Enter while not connected says so and keeps the text.
  w.Edit->setText(QString::fromUtf8("こんにちは"));
  QTest::keyClick(w.Edit, Qt::Key_Return);
  EXPECT_EQ(w.Edit->text(), QString::fromUtf8("こんにちは"));
  const auto paragraphs = w.Memo->LogParagraphs();
  ASSERT_FALSE(paragraphs.empty());
  ASSERT_FALSE(paragraphs.back().runs.empty());
  EXPECT_EQ(paragraphs.back().runs[0].text, Sjis("サーバーに接続されていません"));
}

TEST_F(MainWindowView, EscapeMinimisesAndTypingGoesToTheInputLine) {
  TZKWChatForm& w = MakeForm();
  w.show();
  QTest::keyClicks(w.Memo, "ab");
  EXPECT_EQ(w.Edit->text(), QStringLiteral("ab"));
  EXPECT_TRUE(w.Edit->hasFocus() || !QApplication::focusWidget());
  QTest::keyClick(w.ListView->viewport(), Qt::Key_Escape);
  EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMinimized));
  EXPECT_TRUE(w.Minimized());
}

TEST_F(MainWindowView, PublicationTimerFollowsTheStoredSwitches) {
  {
    TZKWChatForm& w = MakeForm();
    w.show();
    EXPECT_FALSE(w.AutoTimer->isActive());
    EXPECT_FALSE(w.AutoOnDone());
  }
  WriteSettingFlag("Server", "AUTOTIME", true);
  WriteSettingFlag("Server", "AUTOONOF", true);
  TZKWChatForm& w = MakeForm();
  EXPECT_TRUE(w.AutoTimer->isActive()) << "running from creation";
  EXPECT_FALSE(w.AutoOnDone());
  w.show();
  EXPECT_TRUE(w.AutoOnDone()) << "the start-up publication's turn";
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(w.AutoOffDone()) << "the withdrawal at exit";
}

TEST_F(MainWindowView, QuietPeriodNeedsAConnection) {
  WriteSettingFlag(sys::kSection, sys::kAutoMin, true);
  WriteSettingInt(sys::kSection, sys::kAutoTime, 5);
  TZKWChatForm& w = MakeForm({}, Network::kFake);
  w.show();
  w.ActiveTimerStart();
  EXPECT_FALSE(w.ActiveTimer->isActive()) << "no countdown without a connection";
}

// The window is a view: on the fake network layer it still says goodbye in
// order, QUIT written before it asks the layer to send what is queued.
TEST_F(MainWindowView, ClosingWritesQuitThenFlushesTheNetworkLayer) {
  WriteSettingString(sys::kSection, sys::kNick, "taro");
  TZKWChatForm& w = MakeForm({}, Network::kFake);
  w.show();
  w.Core().ConectHostAddress("10.0.0.1");
  ASSERT_TRUE(w.Core().ClientActive(true));
  w.Core().ClientSocketConnect();
  EXPECT_TRUE(w.CutBtn->isEnabled()) << "the window follows the engine's connection";
  FlushRecordingNet& net = *parts->fakeNet;
  net.written.clear();
  const int closes = net.closes;
  ASSERT_TRUE(w.close());
  ASSERT_EQ(net.writtenAtFlush.size(), 1u);
  EXPECT_EQ(net.writtenAtFlush[0], "QUIT \r\n");
  EXPECT_EQ(net.closesAtFlush, closes) << "still connected while flushing";
  EXPECT_EQ(net.closes, closes + 1) << "the connection goes after the flush";
}

// Keyboard users reach every menu and the usual commands.
TEST_F(MainWindowView, MenusHaveMnemonicsAndTheUsualShortcutsTakeTheNormalPath) {
  TZKWChatForm& w = MakeForm({}, Network::kFake);
  w.show();
  QString keys;
  for (QAction* menu : w.menuBar()->actions()) {
    const QKeySequence mnemonic = QKeySequence::mnemonic(menu->text());
    ASSERT_EQ(mnemonic.count(), 1) << menu->text().toStdString();
    keys += QKeySequence(mnemonic[0].key()).toString();
  }
  EXPECT_EQ(keys, QStringLiteral("FVSRMLH"));
  EXPECT_TRUE(w.menuBar()->actions().front()->text().startsWith(QString::fromUtf8("ファイル(")));
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(questions, std::vector<std::string>{Sjis("ログの消去をします。よろしいですか？")});
  QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(w.isVisible()) << "Ctrl+Q closes through the closing order";
}

// A link clicked in a browser arrives percent-encoded and, through another
// copy of the program, at this window: the room keeps its Japanese name.
TEST_F(MainWindowView, AHandedOverLinkConnectsToItsHostAndJapaneseRoom) {
  TZKWChatForm& w = MakeForm({}, Network::kFake);
  w.show();
  messageAnswer = 1;
  w.ConnectFromLink("zkwc2://10.0.0.7/%E9%9B%91%E8%AB%87");
  EXPECT_EQ(w.Core().RoomName(), Sjis("雑談"));
  ASSERT_EQ(parts->fakeNet->opens.size(), 1u);
  EXPECT_EQ(parts->fakeNet->opens[0].host, "10.0.0.7");
  EXPECT_EQ(CommandLineArgument("ZKWC2://host/%41%"), "ZKWC2://host/A%") << "a stray % stays";
}

}  // namespace
}  // namespace novalune::ui::testing
