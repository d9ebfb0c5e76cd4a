// The log writers: RTF read back with a small reader, plain text byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/display/LogWriter.h"
#include "client/display_rtf_reader.h"
#include "common/SjisText.h"
#include "support/TestSupport.h"

namespace novalune::display {
namespace {

using test::RtfDocument;
using test::RtfReader;

using test::Sjis;

FontSetting Font(const std::string& name, int size, int color) {
  FontSetting font;
  font.name = name;
  font.size = size;
  font.color = color;
  return font;
}

LogParagraph Paragraph(const FontSetting& font, const std::string& text) { return {font, {{font, text}}}; }

// What the reader saw of one run, as the writer's terms.
struct SeenRun {
  std::string face;
  int charset;
  int size;
  int color;
  bool bold, italic, underline, strike;
  std::string text;
};

SeenRun Seen(const RtfDocument& doc, std::size_t paragraph, std::size_t run) {
  const auto& r = doc.paragraphs.at(paragraph).at(run);
  const auto& font = doc.fonts.at(r.state.font);
  return {font.name,    font.charset,   r.state.halfPoints / 2, doc.colors.at(r.state.color),
          r.state.bold, r.state.italic, r.state.underline,      r.state.strike,
          r.text};
}

TEST(WriteRtfLog, KeepsFaceSizeStyleColourAndJapaneseText) {
  FontSetting nick = Font(Sjis("ＭＳ ゴシック"), 10, 0x0000FF);  // red
  nick.bold = true;
  FontSetting text = Font("Arial", 12, 0x804020);
  text.italic = true;
  text.underline = true;
  text.strikeout = true;
  // Trail bytes 0x5C ("表", "ソ") and 0x7B/0x7D-looking bytes must survive.
  const std::string japanese = Sjis(" 表示ソフト {括弧} \\ です");
  const std::vector<LogParagraph> log = {Paragraph(nick, Sjis("たろう")), Paragraph(text, japanese)};

  const std::string rtf = WriteRtfLog(log);
  const RtfDocument doc = RtfReader::Parse(rtf);
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg932", 0), 0u);
  ASSERT_EQ(doc.paragraphs.size(), 2u);
  ASSERT_EQ(doc.paragraphs[0].size(), 1u);
  ASSERT_EQ(doc.paragraphs[1].size(), 1u);

  const SeenRun first = Seen(doc, 0, 0);
  EXPECT_EQ(first.face, nick.name);
  EXPECT_EQ(first.charset, 128);
  EXPECT_EQ(first.size, 10);
  EXPECT_EQ(first.color, 0x0000FF);
  EXPECT_TRUE(first.bold);
  EXPECT_FALSE(first.italic || first.underline || first.strike);
  EXPECT_EQ(first.text, Sjis("たろう"));

  const SeenRun second = Seen(doc, 1, 0);
  EXPECT_EQ(second.face, "Arial");
  EXPECT_EQ(second.charset, 128);  // it carries Japanese text
  EXPECT_EQ(second.size, 12);
  EXPECT_EQ(second.color, 0x804020);
  EXPECT_FALSE(second.bold);
  EXPECT_TRUE(second.italic && second.underline && second.strike);
  EXPECT_EQ(second.text, japanese);
}

TEST(WriteRtfLog, EscapesSpecialsAndWritesBytesAsHexPairs) {
  const FontSetting font = Font("Courier New", 9, 0);
  const std::string rtf = WriteRtfLog({Paragraph(font, "a\\b{c}" + Sjis("表"))});
  EXPECT_NE(rtf.find("a\\\\b\\{c\\}\\'95\\'5c"), std::string::npos) << rtf;
  const RtfDocument doc = RtfReader::Parse(rtf);
  EXPECT_EQ(doc.fonts.at(0).charset, 128);
  EXPECT_EQ(Seen(doc, 0, 0).text, "a\\b{c}" + Sjis("表"));
}

TEST(WriteRtfLog, AsciiOnlyFaceKeepsTheWesternCharset) {
  const RtfDocument doc = RtfReader::Parse(WriteRtfLog({Paragraph(Font("Arial", 9, 0), "plain")}));
  EXPECT_EQ(doc.fonts.at(0).charset, 0);
}

TEST(WriteRtfLog, SeveralRunsSharedTablesLineBreaksAndEmptyParagraphs) {
  const FontSetting a = Font("A", 9, 0x112233);
  const FontSetting b = Font("B", 14, 0x112233);
  LogParagraph mixed{a, {{a, " one"}, {b, "two\nthree"}}};
  const RtfDocument doc = RtfReader::Parse(WriteRtfLog({mixed, LogParagraph{b, {}}, Paragraph(a, " ")}));
  ASSERT_EQ(doc.paragraphs.size(), 3u);
  ASSERT_EQ(doc.paragraphs[0].size(), 2u);
  EXPECT_EQ(Seen(doc, 0, 0).text, " one");
  EXPECT_EQ(Seen(doc, 0, 0).face, "A");
  EXPECT_EQ(Seen(doc, 0, 1).text, "two\nthree");
  EXPECT_EQ(Seen(doc, 0, 1).face, "B");
  EXPECT_EQ(Seen(doc, 0, 1).size, 14);
  EXPECT_TRUE(doc.paragraphs[1].empty());
  EXPECT_EQ(Seen(doc, 2, 0).text, " ");
  EXPECT_EQ(doc.fonts.size(), 2u);
  EXPECT_EQ(doc.colors, (std::vector<int>{0, 0x112233}));
}

TEST(WriteRtfLog, EmptyLogIsAValidDocument) {
  const RtfDocument doc = RtfReader::Parse(WriteRtfLog({}));
  EXPECT_TRUE(doc.paragraphs.empty());
}

TEST(WriteTextLog, OneParagraphPerLineShiftJisCrLf) {
  const FontSetting font = Font("A", 9, 0);
  const std::vector<LogParagraph> log = {Paragraph(font, Sjis("たろう")), Paragraph(font, Sjis(" 表示")),
                                         LogParagraph{font, {}},
                                         LogParagraph{font, {{font, "a"}, {font, "b\nc"}}}};
  EXPECT_EQ(WriteTextLog(log), "\x82\xbd\x82\xeb\x82\xa4\r\n \x95\x5c\x8e\xa6\r\n\r\nab\r\nc\r\n");
  EXPECT_EQ(WriteTextLog({}), "");
}

}  // namespace
}  // namespace novalune::display
