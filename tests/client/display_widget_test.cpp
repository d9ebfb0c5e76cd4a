// The conversation display widget: styles, paragraphs, addresses, clearing.
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "client/display/ChatDisplay.h"
#include "client/display/DisplayFormat.h"
#include "client/display/DisplayText.h"
#include "client/display_fixture.h"

namespace novalune::display {
namespace {

using test::Sjis;

const std::string kEsc(kLineBreakEscape);

FontSetting Style(const char* face, int size, int color, bool bold = false, bool italic = false) {
  FontSetting font;
  font.name = Sjis(face);
  font.size = size;
  font.color = color;
  font.bold = bold;
  font.italic = italic;
  return font;
}

class ChatDisplayTest : public test::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    display = std::make_unique<TChatDisplay>();
    display->resize(600, 400);
    styles = {Style("システム書体", 9, 0x000080), Style("ＭＳ ゴシック", 10, 0x008000, true),
              Style("Arial", 11, 0x800000, false, true), Style("Courier New", 12, 0x123456)};
    styles[3].underline = true;
    for (int kind = 1; kind <= 4; ++kind) display->SetFontSetting(kind, styles[kind - 1]);
  }

  std::vector<QTextBlock> Blocks() const {
    std::vector<QTextBlock> blocks;
    for (QTextBlock b = display->document()->begin(); b.isValid(); b = b.next()) blocks.push_back(b);
    return blocks;
  }

  static std::string BlockText(const QTextBlock& block) { return ToSjis(block.text()); }

  // The look of the first stretch of the block, from its char format.
  static FontSetting LookOf(const QTextBlock& block) {
    return SettingFromCharFormat(block.begin().fragment().charFormat());
  }

  std::unique_ptr<TChatDisplay> display;
  std::array<FontSetting, 4> styles;
};

TEST_F(ChatDisplayTest, StatementShowsNickInStyleTwoAndTextInStyleFour) {
  const std::string nick = Sjis("たろう");
  const std::string text = Sjis(" こんにちは");
  display->DspMessage(2, nick);
  display->DspMessage(4, text);

  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(BlockText(blocks[0]), nick);
  EXPECT_EQ(BlockText(blocks[1]), text);

  const QTextCharFormat nickFormat = blocks[0].begin().fragment().charFormat();
  EXPECT_EQ(nickFormat.fontFamilies().toStringList(), QStringList{QString::fromUtf8("ＭＳ ゴシック")});
  EXPECT_EQ(nickFormat.fontPointSize(), 10.0);
  EXPECT_EQ(nickFormat.fontWeight(), QFont::Bold);
  EXPECT_FALSE(nickFormat.fontItalic());
  EXPECT_EQ(nickFormat.foreground().color(), QColor(0, 0x80, 0));

  const QTextCharFormat textFormat = blocks[1].begin().fragment().charFormat();
  EXPECT_EQ(textFormat.fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")});
  EXPECT_EQ(textFormat.fontPointSize(), 12.0);
  EXPECT_EQ(textFormat.fontWeight(), QFont::Normal);
  EXPECT_TRUE(textFormat.fontUnderline());
  EXPECT_EQ(textFormat.foreground().color(), QColor(0x56, 0x34, 0x12));

  EXPECT_EQ(LookOf(blocks[0]), styles[1]);
  EXPECT_EQ(LookOf(blocks[1]), styles[3]);
  EXPECT_EQ(display->ParagraphCount(), 2u);
}

TEST_F(ChatDisplayTest, EveryStyleAndTheStyleSetLast) {
  for (int kind = 1; kind <= 4; ++kind) display->DspMessage(kind, "k" + std::to_string(kind));
  display->DspMessage(3, "three");
  display->DspMessage(0, "zero keeps three");
  display->DspMessage(5, "five keeps three");
  display->DspTextFontSet(9);
  display->DspMessage(-1, "still three");
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 8u);
  for (int kind = 1; kind <= 4; ++kind) EXPECT_EQ(LookOf(blocks[kind - 1]), styles[kind - 1]) << kind;
  for (std::size_t i = 4; i < 8; ++i) EXPECT_EQ(LookOf(blocks[i]), styles[2]) << BlockText(blocks[i]);
}

TEST_F(ChatDisplayTest, ShownTextKeepsItsLookWhenTheStyleChanges) {
  display->DspMessage(1, "before");
  const FontSetting changed = Style("Serif", 20, 0xFFFFFF, true);
  display->SetFontSetting(1, changed);
  display->DspMessage(1, "after");
  const auto blocks = Blocks();
  EXPECT_EQ(LookOf(blocks[0]), styles[0]);
  EXPECT_EQ(LookOf(blocks[1]), changed);
  EXPECT_EQ(display->GetFontSetting(1), changed);
}

TEST_F(ChatDisplayTest, SingleLineTextIsAppendedUnchanged) {
  display->DspMessage(1, "no space added");
  display->DspMessage(3, "  two spaces kept");
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(BlockText(blocks[0]), "no space added");
  EXPECT_EQ(BlockText(blocks[1]), "  two spaces kept");
}

TEST_F(ChatDisplayTest, EscapedLinesBecomeIndentedParagraphsOfTheSameStyle) {
  display->DspMessage(2, "nick");
  display->DspMessage(4, " " + Sjis("一行目") + kEsc + Sjis("二行目") + kEsc + kEsc + " three" + kEsc);
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 5u);
  EXPECT_EQ(BlockText(blocks[1]), Sjis(" 一行目"));
  EXPECT_EQ(BlockText(blocks[2]), Sjis(" 二行目"));
  EXPECT_EQ(BlockText(blocks[3]), " ");
  EXPECT_EQ(BlockText(blocks[4]), " three");
  for (std::size_t i = 1; i < blocks.size(); ++i) EXPECT_EQ(LookOf(blocks[i]), styles[3]);
  EXPECT_EQ(display->ParagraphCount(), 5u);
}

TEST_F(ChatDisplayTest, AStrayLineBreakStaysInsideItsParagraph) {
  display->DspMessage(1, "a\nb");
  display->DspMessage(1, "c");
  ASSERT_EQ(Blocks().size(), 2u);
  const auto log = display->LogParagraphs();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].runs.at(0).text, "a\nb");
}

TEST_F(ChatDisplayTest, AddressesAreBlueUnderlinedLinksWithTheirTargets) {
  display->DspMessage(3, Sjis(" 見て http://example.jp/a?b=1 と taro@example.co.jp"));
  const QTextBlock block = Blocks().at(0);
  std::vector<std::pair<std::string, std::string>> links;
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextCharFormat format = it.fragment().charFormat();
    if (!format.isAnchor()) {
      EXPECT_EQ(format.foreground().color(), QColor(0, 0, 0x80));
      continue;
    }
    EXPECT_EQ(format.foreground().color(), QColor(Qt::blue));
    EXPECT_TRUE(format.fontUnderline());
    links.emplace_back(it.fragment().text().toStdString(), format.anchorHref().toStdString());
  }
  EXPECT_EQ(links, (std::vector<std::pair<std::string, std::string>>{
                       {"http://example.jp/a?b=1", "http://example.jp/a?b=1"},
                       {"taro@example.co.jp", "mailto:taro@example.co.jp"}}));
  // In the log the address keeps the look of its paragraph: one stretch.
  const auto log = display->LogParagraphs();
  ASSERT_EQ(log.at(0).runs.size(), 1u);
  EXPECT_EQ(log[0].runs[0].font, styles[2]);
}

TEST_F(ChatDisplayTest, ClickOnAnAddressGoesToTheHandler) {
  std::vector<std::string> clicked;
  display->SetAddressHandler([&](const std::string& address) { clicked.push_back(address); });
  display->show();
  display->DspMessage(1, "go http://example.jp/x now");
  test::Settle();
  QTextCursor cursor(display->document());
  cursor.setPosition(6);  // inside the address
  const QPoint at = display->cursorRect(cursor).center();
  QTest::mouseMove(display->viewport(), at);
  EXPECT_EQ(display->viewport()->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(display->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseClick(display->viewport(), Qt::LeftButton, {}, QPoint(2, at.y()));  // on "go": nothing
  EXPECT_EQ(clicked, std::vector<std::string>{"http://example.jp/x"});
}

TEST_F(ChatDisplayTest, ClearRemovesEverythingAndTheNextTextStartsAfresh) {
  display->DspMessage(1, "one");
  display->DspMessage(2, "two");
  display->ClearLog();
  EXPECT_EQ(display->ParagraphCount(), 0u);
  EXPECT_TRUE(display->document()->isEmpty());
  EXPECT_TRUE(display->LogParagraphs().empty());
  display->DspMessage(4, "three");
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(BlockText(blocks[0]), "three");
  EXPECT_EQ(LookOf(blocks[0]), styles[3]);
  EXPECT_FALSE(display->document()->isUndoRedoEnabled());
}

TEST_F(ChatDisplayTest, ReadOnlyWithoutUndoAndCopiesTheSelection) {
  EXPECT_TRUE(display->isReadOnly());
  EXPECT_FALSE(display->document()->isUndoRedoEnabled());
  display->DspMessage(2, Sjis("はなこ"));
  display->DspMessage(3, Sjis(" やあ"));
  display->selectAll();
  display->MemoCopyMenuClick();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("はなこ\n やあ"));
}

TEST_F(ChatDisplayTest, ContextMenuHasOneEntryThatCopies) {
  display->show();
  display->DspMessage(3, "copy me");
  test::Settle();
  QStringList entries;
  bool enabled = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) entries << action->text();
    enabled = !menu->actions().isEmpty() && menu->actions().front()->isEnabled();
    if (enabled) menu->actions().front()->trigger();
    menu->close();
  });
  QGuiApplication::clipboard()->clear();
  display->selectAll();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), display->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(display->viewport(), &event);
  EXPECT_EQ(entries, QStringList{QString::fromUtf8("コピー")});
  EXPECT_TRUE(enabled);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copy me"));
}

TEST_F(ChatDisplayTest, BackgroundColour) {
  display->SetBackColor(0x0000FF);
  EXPECT_EQ(display->BackColor(), 0x0000FF);
  EXPECT_EQ(display->palette().color(QPalette::Base), QColor(Qt::red));
  display->SetBackColor(0);
  EXPECT_EQ(display->palette().color(QPalette::Base), QColor(Qt::black));
}

TEST_F(ChatDisplayTest, KeepsEveryParagraphAndScrollsToTheEnd) {
  display->show();
  constexpr int kCount = 3000;
  for (int n = 0; n < kCount; ++n) display->DspMessage(1 + n % 4, "line " + std::to_string(n));
  test::Settle();
  ASSERT_EQ(display->ParagraphCount(), static_cast<std::size_t>(kCount));
  EXPECT_EQ(display->document()->blockCount(), kCount);
  EXPECT_EQ(display->document()->firstBlock().text(), QStringLiteral("line 0"));
  EXPECT_EQ(display->document()->lastBlock().text(), QStringLiteral("line 2999"));
  QScrollBar* bar = display->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(DisplayFormat, ColoursAndFontsConvert) {
  test::TestApp();
  EXPECT_EQ(ColorFromSetting(0x00332211), QColor(0x11, 0x22, 0x33));
  EXPECT_EQ(SettingFromColor(QColor(0x11, 0x22, 0x33)), 0x00332211);
  FontSetting font = Style("Serif", 0, 0x0A0B0C, true, true);
  font.strikeout = true;
  const QFont qfont = FontFromSetting(font);
  EXPECT_EQ(qfont.pointSize(), 1);  // a size below 1 cannot be shown
  EXPECT_TRUE(qfont.bold() && qfont.italic() && qfont.strikeOut());
  font.size = 14;
  EXPECT_EQ(SettingFromFont(FontFromSetting(font), font.color), font);
  EXPECT_EQ(SettingFromCharFormat(CharFormatFromSetting(font)), font);
}

}  // namespace
}  // namespace novalune::display
