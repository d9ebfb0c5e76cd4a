// The display's text rules: line splitting, address recognition, log names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/display/DisplayText.h"
#include "common/SjisText.h"
#include "support/TestSupport.h"

namespace novalune::display {
namespace {

using Lines = std::vector<std::string>;

const std::string kEsc(kLineBreakEscape);

using test::Sjis;

TEST(SplitDisplayLines, SingleLineTextIsOneParagraphUnchanged) {
  EXPECT_EQ(SplitDisplayLines("hello"), Lines{"hello"});
  EXPECT_EQ(SplitDisplayLines(" leading"), Lines{" leading"});
  EXPECT_EQ(SplitDisplayLines(""), Lines{""});
  // A CR LF without the escape is not a split point.
  EXPECT_EQ(SplitDisplayLines("a\r\nb"), Lines{"a\r\nb"});
}

TEST(SplitDisplayLines, EscapedLinesEachGetOneLeadingSpace) {
  EXPECT_EQ(SplitDisplayLines("line one" + kEsc + "line two" + kEsc + " three"),
            (Lines{" line one", " line two", " three"}));
}

TEST(SplitDisplayLines, TrailingEscapeAddsNoEmptyParagraph) {
  EXPECT_EQ(SplitDisplayLines("one" + kEsc), Lines{" one"});
}

TEST(SplitDisplayLines, TwoEscapesInARowGiveAParagraphOfOneSpace) {
  EXPECT_EQ(SplitDisplayLines("a" + kEsc + kEsc + "b"), (Lines{" a", " ", " b"}));
  EXPECT_EQ(SplitDisplayLines(kEsc + "x"), (Lines{" ", " x"}));
}

TEST(SplitDisplayLines, OnceEscapedAPlainCrLfSplitsToo) {
  EXPECT_EQ(SplitDisplayLines("a\r\nb" + kEsc + "c"), (Lines{" a", " b", " c"}));
}

TEST(SplitDisplayLines, JapaneseLinesKeepTheirBytes) {
  const std::string one = Sjis("表示");  // trail byte 0x5C
  const std::string two = Sjis("ソフト");
  EXPECT_EQ(SplitDisplayLines(one + kEsc + two), (Lines{" " + one, " " + two}));
}

struct Found {
  std::string text;
  std::string target;
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
  return out << "{" << f.text << " -> " << f.target << "}";
}

// The addresses found, and a check that the pieces cover the text in order.
std::vector<Found> Addresses(const std::string& text) {
  std::vector<Found> found;
  std::size_t at = 0;
  for (const TextPiece& piece : SplitAddresses(text)) {
    EXPECT_EQ(piece.begin, at);
    at = piece.begin + piece.length;
    if (!piece.target.empty()) found.push_back({text.substr(piece.begin, piece.length), piece.target});
  }
  EXPECT_EQ(at, text.size());
  return found;
}

TEST(SplitAddresses, PlainTextIsOnePiece) {
  const auto pieces = SplitAddresses("no address here");
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].length, 15u);
  EXPECT_TRUE(pieces[0].target.empty());
  EXPECT_EQ(SplitAddresses("").size(), 1u);
}

TEST(SplitAddresses, EverySchemeInAnyCase) {
  for (const std::string scheme : {"http", "https", "ftp", "file", "mailto", "gopher", "nntp", "prospero",
                                   "telnet", "news", "wais", "HTTP", "Ftp"}) {
    const std::string address = scheme + "://host/x";
    EXPECT_EQ(Addresses("see " + address + " now"), (std::vector<Found>{{address, address}})) << scheme;
  }
  EXPECT_TRUE(Addresses("gopherx://host irc://host").empty());
}

TEST(SplitAddresses, AddressEndsAtBlankJapaneseOrPunctuation) {
  const std::string jp = Sjis("です");
  EXPECT_EQ(Addresses("http://a.jp/x" + jp), (std::vector<Found>{{"http://a.jp/x", "http://a.jp/x"}}));
  EXPECT_EQ(Addresses("(http://a.jp/x), ok."), (std::vector<Found>{{"http://a.jp/x", "http://a.jp/x"}}));
  EXPECT_EQ(Addresses("http://en.wp.org/A_(b)."),
            (std::vector<Found>{{"http://en.wp.org/A_(b)", "http://en.wp.org/A_(b)"}}));
  EXPECT_EQ(Addresses("<http://a.jp/?q=1&r=2>"),
            (std::vector<Found>{{"http://a.jp/?q=1&r=2", "http://a.jp/?q=1&r=2"}}));
}

TEST(SplitAddresses, SchemeNeedsAWordStartAndABody) {
  EXPECT_TRUE(Addresses("xhttp://a.jp").empty());
  EXPECT_TRUE(Addresses("http:// and http: or http:. or (http:)").empty());
  EXPECT_EQ(Addresses("1http://a"), std::vector<Found>{});
  EXPECT_EQ(Addresses("-http://a"), (std::vector<Found>{{"http://a", "http://a"}}));
}

TEST(SplitAddresses, SeveralAddressesInOneText) {
  EXPECT_EQ(Addresses("ftp://f.jp/a http://h.jp/b"),
            (std::vector<Found>{{"ftp://f.jp/a", "ftp://f.jp/a"}, {"http://h.jp/b", "http://h.jp/b"}}));
}

TEST(SplitAddresses, MailAddresses) {
  EXPECT_EQ(Addresses("mail me: taro.y@mail.example.co.jp."),
            (std::vector<Found>{{"taro.y@mail.example.co.jp", "mailto:taro.y@mail.example.co.jp"}}));
  EXPECT_EQ(Addresses("mailto:a@b.jp"), (std::vector<Found>{{"mailto:a@b.jp", "mailto:a@b.jp"}}));
  EXPECT_TRUE(Addresses("a@b user@localhost @x.jp x@.jp x@-a.jp").empty());
  const std::string jp = Sjis("宛");
  EXPECT_EQ(Addresses(jp + "a@b.jp" + jp), (std::vector<Found>{{"a@b.jp", "mailto:a@b.jp"}}));
}

TEST(SplitAddresses, TrailBytesThatLookLikeAsciiAreNotText) {
  // "Ｉ" is 0x82 0x68: its trail byte 'h' followed by "ttp://" is no address;
  // neither is a lone '@' between double-byte characters.
  const std::string text = Sjis("ソ") + "@" + Sjis("ー") + "x.jp " + Sjis("Ｉ") + "ttp://a.jp";
  EXPECT_TRUE(Addresses(text).empty());
  const std::string at = "\x83\x40";  // "ァ": trail byte 0x40 is '@'
  EXPECT_TRUE(Addresses("abc" + at + "def.jp").empty());
}

TEST(SplitAddresses, HalfWidthKanaAndControlBytesEndAnAddress) {
  EXPECT_EQ(Addresses("http://a.jp/\xB1z"), (std::vector<Found>{{"http://a.jp/", "http://a.jp/"}}));
  EXPECT_EQ(Addresses("http://a.jp/\x10z"), (std::vector<Found>{{"http://a.jp/", "http://a.jp/"}}));
}

TEST(SplitAddresses, TruncatedDoubleByteCharacterAtTheEnd) {
  EXPECT_EQ(Addresses("http://a.jp \x82"), (std::vector<Found>{{"http://a.jp", "http://a.jp"}}));
}

TEST(SplitAddresses, LongHostileRunsAreCutCorrectly) {
  // Many unmatched parentheses, '@' signs and schemes in one line.
  const std::string parens = "http://a.jp/x" + std::string(200000, ')');
  EXPECT_EQ(Addresses(parens), (std::vector<Found>{{"http://a.jp/x", "http://a.jp/x"}}));
  std::string ats;
  for (int i = 0; i < 50000; ++i) ats += "a@";
  EXPECT_TRUE(Addresses(ats).empty());
  std::string schemes;
  for (int i = 0; i < 50000; ++i) schemes += "http:<";
  EXPECT_TRUE(Addresses(schemes).empty());
}

TEST(LogFileStem, TwoDigitYearMonthDayHourMinute) {
  EXPECT_EQ(LogFileStem(1999, 12, 7, 21, 5), "991207_2105");
  EXPECT_EQ(LogFileStem(2026, 1, 2, 3, 4), "260102_0304");
  EXPECT_EQ(LogFileStem(2000, 10, 31, 0, 0), "001031_0000");
}

TEST(IsRtfLogName, OnlyAnRtfExtensionInAnyCaseIsRichText) {
  EXPECT_TRUE(IsRtfLogName("/x/991207_2105.RTF"));
  EXPECT_TRUE(IsRtfLogName("log.rtf"));
  EXPECT_TRUE(IsRtfLogName("log.RtF"));
  EXPECT_FALSE(IsRtfLogName("log.txt"));
  EXPECT_FALSE(IsRtfLogName("log"));
  EXPECT_FALSE(IsRtfLogName("rtf"));
  EXPECT_FALSE(IsRtfLogName("log.rtf.txt"));
}

}  // namespace
}  // namespace novalune::display
