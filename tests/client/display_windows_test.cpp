// The log viewer, the memo window, the options dialog and the font and colour commands.
#include <QCheckBox>
#include <QFile>
#include <QFontComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "client/display/DisplayCommands.h"
#include "client/display/DisplayFormat.h"
#include "client/display/FontDlg.h"
#include "client/display/MemoForm.h"
#include "client/display_fixture.h"
#include "common/Settings.h"

namespace novalune::display {
namespace {

using test::Sjis;

namespace sys = keys::system;

class DisplayWindowsTest : public test::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    display = std::make_unique<TChatDisplay>();
    viewer = std::make_unique<TLogViewForm>();
  }
  void TearDown() override {
    commands.reset();
    viewer.reset();
    display.reset();
    DisplayTest::TearDown();
  }
  void MakeCommands(DisplayHooks hooks = {}) {
    commands = std::make_unique<DisplayCommands>(*display, *viewer, std::move(hooks));
  }

  std::unique_ptr<TChatDisplay> display;
  std::unique_ptr<TLogViewForm> viewer;
  std::unique_ptr<DisplayCommands> commands;
};

TEST_F(DisplayWindowsTest, LogViewerShowsASnapshotAfterTheCurrentEvent) {
  MakeCommands();
  FontSetting bold;
  bold.bold = true;
  bold.color = 0x0000FF;
  display->SetFontSetting(2, bold);
  display->DspMessage(2, Sjis("たろう"));
  display->DspMessage(3, " see http://a.jp/");
  display->SetBackColor(0x303030);
  viewer->Memo->setPlainText(QStringLiteral("old snapshot"));

  commands->LogViewBtnClick();
  EXPECT_TRUE(viewer->Memo->document()->isEmpty());  // cleared at once
  EXPECT_FALSE(viewer->isVisible());                 // shown by the posted request
  test::Settle();

  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), QString::fromUtf8("ログビューア"));
  EXPECT_EQ(viewer->Memo->toPlainText(), QString::fromUtf8("たろう\n see http://a.jp/"));
  const QTextBlock first = viewer->Memo->document()->firstBlock();
  EXPECT_EQ(first.begin().fragment().charFormat().fontWeight(), QFont::Bold);
  EXPECT_EQ(first.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
  bool hasLink = false;
  for (auto it = first.next().begin(); !it.atEnd(); ++it) {
    hasLink |= it.fragment().charFormat().anchorHref() == QStringLiteral("http://a.jp/");
  }
  EXPECT_TRUE(hasLink);
  EXPECT_FALSE(display->textCursor().hasSelection());
  EXPECT_EQ(viewer->Memo->BackColor(), 0x303030);

  display->DspMessage(1, "later");  // a snapshot: later text does not arrive
  EXPECT_EQ(viewer->Memo->document()->blockCount(), 2);
  viewer->OkBtn->click();
  EXPECT_FALSE(viewer->isVisible());
}

TEST_F(DisplayWindowsTest, LogViewerAddressesGoToTheirHandler) {
  std::vector<std::string> clicked;
  viewer->Memo->SetAddressHandler([&](const std::string& a) { clicked.push_back(a); });
  emit viewer->Memo->anchorClicked(QUrl(QStringLiteral("mailto:a@b.jp")));
  EXPECT_EQ(clicked, std::vector<std::string>{"mailto:a@b.jp"});
}

class DisplayMemoTest : public test::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    memo = std::make_unique<TMemoForm>();
    memo->SetSendHandler([this](const std::string& text) {
      sent.push_back(text);
      return keep;
    });
    memo->show();
  }
  void TearDown() override {
    memo.reset();
    DisplayTest::TearDown();
  }

  std::unique_ptr<TMemoForm> memo;
  std::vector<std::string> sent;
  std::string keep;
};

TEST_F(DisplayMemoTest, SendHandsOverCrLfTextAndKeepsWhatTheEngineReturns) {
  memo->MultiMemo->setPlainText(QString::fromUtf8("一行目\n二行目"));
  keep = "";
  memo->SendBtn->click();
  EXPECT_EQ(sent, std::vector<std::string>{Sjis("一行目\r\n二行目")});
  EXPECT_TRUE(memo->MultiMemo->toPlainText().isEmpty());

  memo->MultiMemo->setPlainText(QStringLiteral("  not connected  "));
  keep = "not connected";
  memo->SendBtn->click();
  EXPECT_EQ(memo->MultiMemo->toPlainText(), QStringLiteral("not connected"));
}

TEST_F(DisplayMemoTest, ShiftEnterSendsWithoutALineBreakAndClearsAfterwards) {
  memo->MultiMemo->setFocus();
  QTest::keyClicks(memo->MultiMemo, QStringLiteral("abc"));
  QTest::keyClick(memo->MultiMemo, Qt::Key_Return);  // a plain Enter is a line break
  QTest::keyClicks(memo->MultiMemo, QStringLiteral("def"));
  EXPECT_TRUE(sent.empty());
  QTest::keyClick(memo->MultiMemo, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(sent, std::vector<std::string>{"abc\r\ndef"});
  test::Settle();
  EXPECT_TRUE(memo->MultiMemo->toPlainText().isEmpty());
}

TEST_F(DisplayMemoTest, ShiftEnterThatCouldNotSendKeepsTheText) {
  keep = "draft";
  memo->SetText("draft");
  QTest::keyClick(memo->MultiMemo, Qt::Key_Enter, Qt::ShiftModifier);
  test::Settle();
  EXPECT_EQ(sent, std::vector<std::string>{"draft"});
  EXPECT_EQ(memo->MultiMemo->toPlainText(), QStringLiteral("draft"));
}

TEST_F(DisplayMemoTest, CloseHides) {
  EXPECT_EQ(memo->windowTitle(), QString::fromUtf8("メモ"));
  memo->CloseBtn->click();
  EXPECT_FALSE(memo->isVisible());
}

TEST_F(DisplayWindowsTest, OptionsDialogReadsTheTenKeysAndOkWritesThem) {
  WriteSettingFlag(sys::kSection, sys::kAutoMin, true);
  WriteSettingInt(sys::kSection, sys::kAutoTime, 300);
  WriteSettingFlag(sys::kSection, sys::kAutoSave, true);
  WriteSettingString(sys::kSection, sys::kInFile, Sjis("/snd/入室.wav"));
  TSetDspModeDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("表示オプション"));
  EXPECT_TRUE(dialog.AutoMinCheck->isChecked());
  EXPECT_EQ(dialog.AutoTimeEdit->text(), QStringLiteral("300"));
  EXPECT_EQ(dialog.AutoTimeEdit->maxLength(), 5);
  EXPECT_EQ(dialog.AutoTimeEdit->palette().color(QPalette::Base), QColor(Qt::white));
  EXPECT_TRUE(dialog.AutoSaveCheck->isChecked());
  EXPECT_FALSE(dialog.InBeepCheck->isChecked());
  EXPECT_EQ(dialog.Values().inFile, Sjis("/snd/入室.wav"));

  dialog.AutoMinCheck->setChecked(false);
  EXPECT_NE(dialog.AutoTimeEdit->palette().color(QPalette::Base), QColor(Qt::white));
  dialog.AutoTimeEdit->setText(QStringLiteral("45"));
  dialog.OutBeepCheck->setChecked(true);
  dialog.accept();

  DspModeValues expected;
  expected.autoTime = 45;
  expected.autoSave = true;
  expected.outBeep = true;
  expected.inFile = Sjis("/snd/入室.wav");
  EXPECT_EQ(ReadDspModeValues(), expected);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kAutoMin), "0");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kOutBeep), "1");
}

TEST_F(DisplayWindowsTest, OptionsDialogCancelChangesNothing) {
  TSetDspModeDlg dialog;
  dialog.AutoBeepCheck->setChecked(true);
  dialog.reject();
  EXPECT_FALSE(QFile::exists(HomeFile("NOVALUNE.INI")));
}

TEST_F(DisplayWindowsTest, OptionsDialogSoundFilesBrowseAndPlay) {
  SaveListFile(files::kWavDir, {Sjis("/first/音"), "/second"});
  QFile wav(HomeFile("in.wav"));
  ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
  wav.close();
  std::vector<FileDialogSetup> setups;
  std::optional<QString> answer = HomeFile("in.wav");
  std::vector<std::string> played;
  TSetDspModeDlg dialog(
      nullptr, [&](const std::string& path) { played.push_back(path); },
      [&](const FileDialogSetup& setup) {
        setups.push_back(setup);
        return answer;
      });
  dialog.InFileBtn->click();
  answer.reset();
  dialog.AutoFileBtn->click();  // cancelled: keeps the old file
  ASSERT_EQ(setups.size(), 2u);
  EXPECT_EQ(setups[0].title, QString::fromUtf8("音ファイル選択"));
  EXPECT_EQ(setups[0].defaultSuffix, QStringLiteral("wav"));
  EXPECT_TRUE(setups[0].directory.isEmpty());
  EXPECT_EQ(setups[1].directory, QString::fromUtf8("/first/音"));
  EXPECT_EQ(setups[0].filters, (QStringList{QString::fromUtf8("ｻｳﾝﾄﾞﾌｧｲﾙ(*.wav) (*.wav)"),
                                            QString::fromUtf8("MIDIﾌｧｲﾙ(*.mid) (*.mid)")}));
  EXPECT_EQ(dialog.Values().inFile, ToSjis(HomeFile("in.wav")));
  EXPECT_EQ(dialog.Values().autoFile, "");

  dialog.InPlayBtn->click();
  dialog.AutoPlayBtn->click();  // no file: nothing
  EXPECT_EQ(played, std::vector<std::string>{ToSjis(HomeFile("in.wav"))});
  QFile::remove(HomeFile("in.wav"));
  dialog.InPlayBtn->click();  // the file is gone: nothing
  EXPECT_EQ(played.size(), 1u);
}

TEST_F(DisplayWindowsTest, FontCommandChangesTheStyleForNewTextOnly) {
  FontSetting chosenFont;
  chosenFont.name = Sjis("ＭＳ 明朝");
  chosenFont.size = 16;
  chosenFont.underline = true;
  chosenFont.color = 0x00FF00;
  std::optional<FontSetting> answer = chosenFont;
  std::vector<FontSetting> presets;
  DisplayHooks hooks;
  hooks.chooseFont = [&](const FontSetting& preset) {
    presets.push_back(preset);
    return answer;
  };
  MakeCommands(hooks);
  display->DspMessage(3, "old");
  EXPECT_EQ(commands->MenuSetFontClick(3), chosenFont);
  display->DspMessage(3, "new");
  answer.reset();
  EXPECT_EQ(commands->MenuSetFontClick(3), std::nullopt);
  EXPECT_EQ(commands->MenuSetFontClick(5), std::nullopt);
  ASSERT_EQ(presets.size(), 2u);
  EXPECT_EQ(presets[0], FontSetting{});
  EXPECT_EQ(presets[1], chosenFont);
  EXPECT_EQ(display->GetFontSetting(3), chosenFont);
  const auto log = display->LogParagraphs();
  EXPECT_EQ(log.at(0).runs.at(0).font, FontSetting{});
  EXPECT_EQ(log.at(1).runs.at(0).font, chosenFont);
}

TEST_F(DisplayWindowsTest, BackgroundCommand) {
  std::optional<int> answer = 0x202020;
  DisplayHooks hooks;
  hooks.chooseColor = [&](int) { return answer; };
  MakeCommands(hooks);
  EXPECT_EQ(commands->MenuSetBackColorClick(), 0x202020);
  EXPECT_EQ(display->BackColor(), 0x202020);
  answer.reset();
  EXPECT_EQ(commands->MenuSetBackColorClick(), std::nullopt);
  EXPECT_EQ(display->BackColor(), 0x202020);
}

TEST_F(DisplayWindowsTest, FontDialogIsPresetAndKeepsAFaceItDoesNotKnow) {
  FontSetting font;
  font.name = Sjis("存在しない書体");
  font.size = 13;
  font.bold = true;
  font.strikeout = true;
  font.color = 0x123456;
  TFontDlg dialog(font);
  EXPECT_EQ(dialog.SizeBox->value(), 13);
  EXPECT_TRUE(dialog.BoldCheck->isChecked());
  EXPECT_FALSE(dialog.ItalicCheck->isChecked());
  EXPECT_TRUE(dialog.StrikeoutCheck->isChecked());
  EXPECT_EQ(dialog.Setting(), font);
  dialog.ItalicCheck->setChecked(true);
  dialog.SizeBox->setValue(20);
  dialog.SetColor(0xABCDEF);
  FontSetting changed = font;
  changed.italic = true;
  changed.size = 20;
  changed.color = 0xABCDEF;
  EXPECT_EQ(dialog.Setting(), changed);
}

TEST(DisplayFormatWidgets, InputLineTakesFontColourAndBackground) {
  test::TestApp();
  QLineEdit edit;
  FontSetting font;
  font.name = "Serif";
  font.size = 15;
  font.bold = true;
  font.color = 0x0000FF;
  ApplyFontSetting(edit, font);
  ApplyBackColor(edit, 0xFF0000);
  EXPECT_EQ(edit.font().pointSize(), 15);
  EXPECT_TRUE(edit.font().bold());
  EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(Qt::red));
  EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(Qt::blue));
  EXPECT_GT(FontPixelHeight(font), FontPixelHeight(FontSetting{}));
}

}  // namespace
}  // namespace novalune::display
