// Shift-JIS <-> ISO-2022-JP conversion. Expected bytes come from the wire
// format, from glibc iconv as an independent reference, and from tables of
// characters written out in the test itself.
#include "common/jconvert.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/jconvert_decode.h"
#include "common/jconvert_reference.h"

namespace novalune {
namespace {

using namespace std::string_literals;

// The bytes in a heap block of exactly their size, so that AddressSanitizer
// reports any read past the end (std::string would hide it behind its NUL).
class HeapBytes {
 public:
  explicit HeapBytes(std::string_view bytes)
      : size_(bytes.size()), data_(new char[bytes.size() + (bytes.empty() ? 1 : 0)]) {
    std::memcpy(data_.get(), bytes.data(), bytes.size());
  }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  std::size_t size_;
  std::unique_ptr<char[]> data_;
};

// glibc iconv as the reference; nullopt-like empty flag on failure.
struct Converted {
  bool ok = false;
  std::string bytes;
};

Converted Iconv(const char* to, const char* from, std::string_view text) {
  Converted result;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return result;
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const bool converted = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                         iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!converted) return result;
  out.resize(out.size() - outLeft);
  result.ok = true;
  result.bytes = out;
  return result;
}

std::string Utf8OfJis(std::string_view jis) {
  const Converted c = Iconv("UTF-8", "ISO-2022-JP", jis);
  EXPECT_TRUE(c.ok) << "iconv refused the encoder's output";
  return c.bytes;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

bool IsValidLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsValidTrail(int b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// --- Encoding -------------------------------------------------------------

TEST(SjisToJisTest, PlainAsciiPassesWithoutEscapes) {
  EXPECT_EQ(SjisToJis("abc"), "abc");
  EXPECT_EQ(SjisToJis("PRIVMSG #ROOM :hello\r\n"), "PRIVMSG #ROOM :hello\r\n");
  EXPECT_EQ(SjisToJis(""), "");
}

TEST(SjisToJisTest, KanjiRunEndsBeforeCrLf) {
  // あ CR LF
  EXPECT_EQ(SjisToJis("\x82\xA0\r\n"), "\x1B$B\x24\x22\x1B(J\r\n");
  // A lone LF ends the Kanji run as well.
  EXPECT_EQ(SjisToJis("\x82\xA0\n"), "\x1B$B\x24\x22\x1B(J\n");
}

TEST(SjisToJisTest, StringEndingInKanjiModeGetsNoClosingEscape) {
  EXPECT_EQ(SjisToJis("\x82\xA0\x82\xA2"), "\x1B$B\x24\x22\x24\x24");
}

TEST(SjisToJisTest, MixedLineSwitchesModesAtEveryBoundary) {
  // "aあいb漢x" + CR LF: one Kanji run per stretch of Japanese, left with ESC ( J.
  const std::string sjis =
      "a\x82\xA0\x82\xA2"
      "b\x8A\xBF"
      "x\r\n";
  const std::string jis = "a\x1B$B\x24\x22\x24\x24\x1B(Jb\x1B$B\x34\x41\x1B(Jx\r\n";
  EXPECT_EQ(SjisToJis(sjis), jis);
  EXPECT_EQ(Utf8OfJis(jis), "aあいb漢x\r\n");
}

TEST(SjisToJisTest, NeverWritesEscapeToAscii) {
  const std::string jis = SjisToJis(
      "\x82\xA0"
      "a\xB1"
      "b\x8A\xBF\r\n");
  EXPECT_EQ(jis.find("\x1B(B"), std::string::npos);
  EXPECT_EQ(jis, "\x1B$B\x24\x22\x1B(Ja\x1B$B\x25\x22\x1B(Jb\x1B$B\x34\x41\x1B(J\r\n");
}

TEST(SjisToJisTest, AppendKeepsWhatIsAlreadyInTheBuffer) {
  std::string out = "head:";
  AppendSjisToJis("\x82\xA0\r\n", out);
  AppendSjisToJis("x", out);
  EXPECT_EQ(out, "head:\x1B$B\x24\x22\x1B(J\r\nx");
}

TEST(SjisToJisTest, LongInputGrowsTheOutputAsNeeded) {
  // Alternating half-width letter and ASCII is the worst case: 2 bytes become 9.
  std::string sjis;
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    sjis +=
        "\xB1"
        "a";
    expected += "\x1B$B\x25\x22\x1B(Ja";
  }
  EXPECT_EQ(SjisToJis(sjis), expected);
}

TEST(SjisToJisTest, BytesThatAreNoLeadBecomeOneQuestionMarkEach) {
  // 0x80, 0xA0 and 0xFD..0xFF never start a pair: the byte after them stays.
  EXPECT_EQ(SjisToJis("\x80\x40"), "?\x40");
  EXPECT_EQ(SjisToJis("\xA0 b"), "? b");
  EXPECT_EQ(SjisToJis("\x82\xA0\xFF\x82\xA0"), "\x1B$B\x24\x22\x1B(J?\x1B$B\x24\x22");
}

TEST(SjisToJisTest, LeadWithoutValidTrailNeverSwallowsFramingBytes) {
  // A lead before CR, blank, comma, NUL, 0x7F or 0xFD: one '?' in Roman mode,
  // and the next byte is written as it is.
  EXPECT_EQ(SjisToJis("a\x82\r\n"), "a?\r\n");
  EXPECT_EQ(SjisToJis("\x82\xA0\x82 x"), "\x1B$B\x24\x22\x1B(J? x");
  EXPECT_EQ(SjisToJis("\x82,\x82" + "\0"s + "\x82\x7F"), "?,?" + "\0"s + "?\x7F");
  EXPECT_EQ(SjisToJis("\x82\xFD\x82\xA0"), "??\x1B$B\x24\x22");
  // UTF-8 from a standard IRC client: #雑談 as one client sent it.
  EXPECT_EQ(SjisToJis("JOIN #\xE9\x9B\x91\xE8\xAB\x87\r\n"), "JOIN #\x1B$Bq{Bj%)\x1B(J?\r\n");
}

TEST(SjisToJisTest, PairCutOffAtTheEndStopsWithoutReadingPastIt) {
  const HeapBytes lone("\x82");
  EXPECT_EQ(SjisToJis(lone.view()), "");
  const HeapBytes afterText("ab\x82\xA0\x8A");
  EXPECT_EQ(SjisToJis(afterText.view()), "ab\x1B$B\x24\x22");
  const HeapBytes empty("");
  EXPECT_EQ(SjisToJis(empty.view()), "");
}

// --- Every double-byte code --------------------------------------------------

TEST(PairArithmeticTest, EveryValidShiftJisCodeComesBack) {
  int codes = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsValidLead(lead)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsValidTrail(trail)) continue;
      ++codes;
      const BytePair jis = SjisPairToJis(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail));
      const BytePair back = JisPairToSjis(jis[0], jis[1]);
      ASSERT_EQ(back[0], lead) << std::hex << lead << ' ' << trail;
      ASSERT_EQ(back[1], trail) << std::hex << lead << ' ' << trail;
      // Trail bytes always land in the 94 printable codes.
      ASSERT_GE(jis[1], 0x21);
      ASSERT_LE(jis[1], 0x7E);
      if (lead <= 0xEF) {
        ASSERT_GE(jis[0], 0x21);
        ASSERT_LE(jis[0], 0x7E);
      }
    }
  }
  EXPECT_EQ(codes, (31 + 29) * 188);
}

TEST(PairArithmeticTest, EveryValidCodeSurvivesTheWholeLineRoundTrip) {
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsValidLead(lead)) continue;
    std::string line;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsValidTrail(trail)) continue;
      line.push_back(static_cast<char>(lead));
      line.push_back(static_cast<char>(trail));
      line += "a";  // forces a mode switch after every character
    }
    line += "\r\n";
    const std::string jis = SjisToJis(line);
    ASSERT_EQ(jis.compare(jis.size() - 6, 6, "\x1B(Ja\r\n"), 0);
    ASSERT_EQ(JisToSjis(jis), line) << std::hex << lead;
  }
}

TEST(PairArithmeticTest, AgreesWithIconvOnEveryJisX0208Character) {
  // CP932 codes that iconv maps to ISO-2022-JP and back to the same code are
  // the JIS X 0208 characters; the arithmetic must give the very same bytes.
  int compared = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsValidLead(lead)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsValidTrail(trail)) continue;
      const std::string sjis = Bytes({lead, trail});
      const Converted jis = Iconv("ISO-2022-JP", "CP932", sjis);
      if (!jis.ok || jis.bytes.size() != 8 || jis.bytes.compare(0, 3, "\x1B$B") != 0) continue;
      const Converted back = Iconv("CP932", "ISO-2022-JP", jis.bytes);
      if (!back.ok || back.bytes != sjis) continue;  // a duplicate of another code
      ++compared;
      const BytePair mine = SjisPairToJis(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail));
      ASSERT_EQ(mine[0], static_cast<std::uint8_t>(jis.bytes[3])) << std::hex << lead << ' ' << trail;
      ASSERT_EQ(mine[1], static_cast<std::uint8_t>(jis.bytes[4])) << std::hex << lead << ' ' << trail;
      const BytePair sjisBack = JisPairToSjis(mine[0], mine[1]);
      ASSERT_EQ(sjisBack[0], lead);
      ASSERT_EQ(sjisBack[1], trail);
      ASSERT_EQ(SjisToJis(sjis), jis.bytes.substr(0, 5));
    }
  }
  // JIS X 0208 has 6879 characters; a few map to other Unicode points in CP932.
  EXPECT_GT(compared, 6800);
}

// --- Half-width katakana -----------------------------------------------------

// What each half-width byte 0xA1..0xDF must become, written as characters.
const char* const kFullWidth[63] = {
    "。", "「", "」", "、", "・", "ヲ", "ァ", "ィ", "ゥ", "ェ", "ォ", "ャ", "ュ", "ョ", "ッ", "ー",
    "ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ", "タ",
    "チ", "ツ", "テ", "ト", "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ", "マ", "ミ",
    "ム", "メ", "モ", "ヤ", "ユ", "ヨ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ン", "゛", "゜",
};

// ｶ..ﾄ with the voicing mark, ﾊ..ﾎ with either mark, ｳ with the voicing mark.
const char* const kVoicedKaToTo[15] = {"ガ", "ギ", "グ", "ゲ", "ゴ", "ザ", "ジ", "ズ",
                                       "ゼ", "ゾ", "ダ", "ヂ", "ヅ", "デ", "ド"};
const char* const kVoicedHa[5] = {"バ", "ビ", "ブ", "ベ", "ボ"};
const char* const kSemiVoicedHa[5] = {"パ", "ピ", "プ", "ペ", "ポ"};

std::string ExpectedWithMark(int h, int mark) {
  if (mark == 0xDE) {
    if (h == 0xB3) return "ヴ";
    if (h >= 0xB6 && h <= 0xC4) return kVoicedKaToTo[h - 0xB6];
    if (h >= 0xCA && h <= 0xCE) return kVoicedHa[h - 0xCA];
  } else if (h >= 0xCA && h <= 0xCE) {
    return kSemiVoicedHa[h - 0xCA];
  }
  return std::string(kFullWidth[h - 0xA1]) + kFullWidth[mark - 0xA1];
}

TEST(HankakuTest, EveryHalfWidthByteWidensToItsFullWidthCharacter) {
  for (int h = 0xA1; h <= 0xDF; ++h) {
    const std::string jis = SjisToJis(Bytes({h}));
    ASSERT_EQ(jis.size(), 5u) << std::hex << h;
    EXPECT_EQ(Utf8OfJis(jis), kFullWidth[h - 0xA1]) << std::hex << h;
  }
}

TEST(HankakuTest, VoicingMarksFoldOnlyIntoLettersThatHaveVoicedForms) {
  for (int h = 0xA1; h <= 0xDF; ++h) {
    for (int mark : {0xDE, 0xDF}) {
      const std::string jis = SjisToJis(Bytes({h, mark}));
      EXPECT_EQ(Utf8OfJis(jis), ExpectedWithMark(h, mark)) << std::hex << h << ' ' << mark;
    }
  }
}

TEST(HankakuTest, ExamplesOfTheWireFormat) {
  EXPECT_EQ(SjisToJis("\xB6\xDE"), "\x1B$B\x25\x2C");  // ｶﾞ is ガ
  EXPECT_EQ(SjisToJis("\xCA\xDF"), "\x1B$B\x25\x51");  // ﾊﾟ is パ
  EXPECT_EQ(SjisToJis("\xB6\xDE\r\n"), "\x1B$B\x25\x2C\x1B(J\r\n");
  // Half-width and double-byte characters share one Kanji run.
  EXPECT_EQ(SjisToJis("\xB1\x82\xA0"), "\x1B$B\x25\x22\x24\x22");
}

TEST(HankakuTest, DecoderGivesTheFullWidthShiftJisCharacters) {
  // ﾃﾞｰﾀ becomes データ in CP932.
  EXPECT_EQ(JisToSjis(SjisToJis("\xC3\xDE\xB0\xC0\r\n")), "\x83\x66\x81\x5B\x83\x5E\r\n");
  for (int h = 0xA1; h <= 0xDF; ++h) {
    const std::string sjis = JisToSjis(SjisToJis(Bytes({h})));
    const Converted expected = Iconv("CP932", "UTF-8", kFullWidth[h - 0xA1]);
    ASSERT_TRUE(expected.ok);
    EXPECT_EQ(sjis, expected.bytes) << std::hex << h;
  }
}

TEST(HankakuTest, PositionAdvancesPastWhatWasConsumed) {
  const HeapBytes text("\xB6\xDE\xB6\xB1\xDF");
  std::size_t position = 0;
  EXPECT_EQ(HankakuToJis(text.view(), position), (BytePair{0x25, 0x2C}));  // ガ
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(HankakuToJis(text.view(), position), (BytePair{0x25, 0x2B}));  // カ
  EXPECT_EQ(position, 3u);
  EXPECT_EQ(HankakuToJis(text.view(), position), (BytePair{0x25, 0x22}));  // ア, mark not folded
  EXPECT_EQ(position, 4u);
  EXPECT_EQ(HankakuToJis(text.view(), position), (BytePair{0x21, 0x2C}));  // ゜ alone
  EXPECT_EQ(position, 5u);
}

TEST(HankakuTest, LetterAtTheVeryEndIsNotFoldedWithAnythingBeyondIt) {
  const HeapBytes text("\xCA");
  std::size_t position = 0;
  EXPECT_EQ(HankakuToJis(text.view(), position), (BytePair{0x25, 0x4F}));  // ハ
  EXPECT_EQ(position, 1u);
  EXPECT_EQ(SjisToJis(text.view()), "\x1B$B\x25\x4F");
}

TEST(HankakuTest, OutOfRangeCallsAreHarmless) {
  std::size_t position = 1;
  const HeapBytes one("\xB1");
  EXPECT_EQ(HankakuToJis(one.view(), position), (BytePair{0x21, 0x29}));
  EXPECT_EQ(position, 1u);  // nothing consumed at the end
  const HeapBytes ascii("a");
  position = 0;
  EXPECT_EQ(HankakuToJis(ascii.view(), position), (BytePair{0x21, 0x29}));
  EXPECT_EQ(position, 1u);
}

// --- Decoding ----------------------------------------------------------------

TEST(JisToSjisTest, DecodesKanjiRunAndReturnsToRoman) {
  EXPECT_EQ(JisToSjis("\x1B$B\x24\x22\x1B(Jx"), "\x82\xA0x");
  EXPECT_EQ(JisToSjis("plain\r\n"), "plain\r\n");
  EXPECT_EQ(JisToSjis(""), "");
}

TEST(JisToSjisTest, AcceptsTheOtherCommonEscapes) {
  // ESC $ @ (old JIS) and ESC ( B (ASCII), as other programs write them.
  EXPECT_EQ(JisToSjis("\x1B$@\x24\x22\x1B(Bx"), "\x82\xA0x");
  const Converted fromIconv = Iconv("ISO-2022-JP", "UTF-8", "今日は、world!\r\n");
  ASSERT_TRUE(fromIconv.ok);
  const Converted expected = Iconv("CP932", "UTF-8", "今日は、world!\r\n");
  EXPECT_EQ(JisToSjis(fromIconv.bytes), expected.bytes);
}

TEST(JisToSjisTest, UnknownEscapeKeepsTheModeAndDropsThreeBytes) {
  EXPECT_EQ(JisToSjis("a\x1B"
                      "xyb"),
            "ab");
  EXPECT_EQ(JisToSjis("\x1B$B\x24\x22\x1B"
                      "xy\x24\x24"),
            "\x82\xA0\x82\xA2");
}

TEST(JisToSjisTest, ByteRightAfterAnEscapeIsNeverAnotherEscape) {
  // In Roman mode the ESC after an escape is copied as it is.
  EXPECT_EQ(JisToSjis("\x1B(J\x1B$B"), "\x1B$B");
  // In Kanji mode it is a control byte, copied alone.
  EXPECT_EQ(JisToSjis("\x1B$B\x1B\x24\x22"), "\x1B\x82\xA0");
}

TEST(JisToSjisTest, StrayBytesInKanjiModeAreNeverHalfOfAPair) {
  // A Kanji run left open before CR LF: the line end stays a line end.
  EXPECT_EQ(JisToSjis("\x1B$B\x24\x22\r\n"), "\x82\xA0\r\n");
  // A first byte whose second byte is stray becomes '?'; the stray byte keeps its meaning.
  EXPECT_EQ(JisToSjis("\x1B$B\x24\r\n"), "?\r\n");
  EXPECT_EQ(JisToSjis("\x1B$B\x24\x1B(Jx"), "?x");
  EXPECT_EQ(JisToSjis("\x1B$B\x24 \x24\x22"), "? \x82\xA0");
  // 8-bit bytes are no pair bytes, except first bytes of the extended rows (髙 is 0xFB 0xFC).
  EXPECT_EQ(JisToSjis("\x1B$B\xA0\x24\x22\x24\xA0\x24\x22"), "?\x82\xA0??\x82\xA0");
  EXPECT_EQ(JisToSjis(SjisToJis("\xFB\xFC\r\n")), "\xFB\xFC\r\n");
}

TEST(JisToSjisTest, EachCallStartsInRomanMode) {
  // A block that ends inside a Kanji run: the next block starts in Roman mode.
  EXPECT_EQ(JisToSjis("\x1B$B\x24\x22"), "\x82\xA0");
  EXPECT_EQ(JisToSjis("\x24\x24\x1B(J\r\n"), "\x24\x24\r\n");
}

TEST(JisToSjisTest, CutOffEscapeOrPairStopsWithoutReadingPastTheEnd) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases = {
      {"\x1B", ""},
      {"\x1B$", ""},
      {"ab\x1B", "ab"},
      {"ab\x1B(", "ab"},
      {"\x1B$B", ""},
      {"\x1B$B\x24", ""},
      {"\x1B$B\x24\x22\x24", "\x82\xA0"},
      {"\x1B$B\x24\x22\x1B$", "\x82\xA0"},
      {"\x1B(J", ""},
      {"\x1B(Jx", "x"},
  };
  for (const Case& c : cases) {
    const HeapBytes in(c.in);
    EXPECT_EQ(JisToSjis(in.view()), c.out) << testing::PrintToString(c.in);
  }
}

TEST(JisToSjisTest, OutputNeverExceedsInput) {
  std::string noise;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int pick = static_cast<int>((seed >> 16) % 8);
    noise += pick == 0 ? "\x1B$B"s : pick == 1 ? "\x1B(J"s : std::string(1, static_cast<char>(seed >> 24));
  }
  const HeapBytes in(noise);
  EXPECT_LE(JisToSjis(in.view()).size(), noise.size());
}

TEST(JisToSjisTest, AppendKeepsWhatIsAlreadyInTheBuffer) {
  std::string out = "partial line ";
  AppendJisToSjis("\x1B$B\x24\x22\x1B(J\r\n", out);
  EXPECT_EQ(out, "partial line \x82\xA0\r\n");
}

// --- Decoding into room kept from line to line -------------------------------

// A line of exactly `size` bytes: `phase` Roman letters, then Kanji
// characters between Roman letters, so that the escapes fall at every offset
// of the words the decoder works in.
std::string KanjiLine(std::size_t size, std::size_t phase) {
  static const std::string unit = "\x1B$B\x30\x21\x46\x7E\x1B(Jx";
  std::string s(phase, 'a');
  while (s.size() + unit.size() <= size) s += unit;
  s.resize(size, 'b');
  return s;
}

TEST(JisToSjisIntoTest, LinesOfEverySizeGiveTheByteByByteReadingInOneReusedRoom) {
  std::string room;  // one for all, through longer and shorter lines alike
  for (std::size_t size :
       {0u, 1u, 31u, 32u, 33u, 63u, 64u, 65u, 95u, 96u, 97u, 128u, 129u, 2048u, 2049u, 5u}) {
    for (std::size_t phase = 0; phase < 11; ++phase) {
      std::string stray = KanjiLine(size, phase);  // a control byte inside a Kanji run
      if (const std::size_t at = stray.find("\x1B$B"); at != std::string::npos && at + 4 < size)
        stray[at + 4] = '\r';
      std::string cut = KanjiLine(size, phase);  // a pair cut off at the end
      if (size >= 4) cut.replace(size - 4, 4, "\x1B$B\x30");
      for (const std::string& line : {KanjiLine(size, phase), stray, cut}) {
        const std::string_view decoded = JisToSjisInto(HeapBytes(line).view(), room);
        ASSERT_EQ(decoded, ReferenceJisToSjis(line))
            << size << ' ' << phase << ' ' << testing::PrintToString(line);
        ASSERT_EQ(decoded.data(), room.data());
      }
    }
  }
}

TEST(JisToSjisIntoTest, RoomGrowsForALongLineAndServesShorterOnesWithoutMoving) {
  std::string room;
  const std::string longLine = KanjiLine(3000, 0);
  EXPECT_EQ(JisToSjisInto(longLine, room), ReferenceJisToSjis(longLine));
  const char* const place = room.data();
  EXPECT_EQ(JisToSjisInto("\x1B$B\x24\x22\x1B(J\r\n", room), "\x82\xA0\r\n");
  EXPECT_EQ(JisToSjisInto(KanjiLine(70, 3), room), ReferenceJisToSjis(KanjiLine(70, 3)));
  EXPECT_EQ(room.data(), place);
}

// --- Encoding into room kept from line to line -------------------------------

// A line of exactly `size` bytes: `phase` Roman letters, then characters
// (one with a trail byte in the ASCII range) between Roman bytes, so that
// the switches fall at every offset of the words the encoder works in.
std::string SjisLine(std::size_t size, std::size_t phase) {
  static const std::string unit = "\x82\xA0\x8A\xBFx\x83\x5C\x81\x40 ";  // あ漢xソ　
  std::string s(std::min(phase, size), 'a');
  while (s.size() + unit.size() <= size) s += unit;
  s.resize(size, 'b');
  return s;
}

// Every kernel, and the line into `room`, give the byte-by-byte reading.
void ExpectEveryEncodingOf(const std::string& sjis, std::string& room) {
  using jconvert_detail::EncodeKernel;
  const std::string expected = ReferenceSjisToJis(sjis);
  const HeapBytes in(sjis);
  const std::string_view line = SjisToJisInto(in.view(), room);
  EXPECT_EQ(line, expected) << sjis.size() << ' ' << testing::PrintToString(sjis);
  EXPECT_EQ(line.data(), room.data());
  for (EncodeKernel kernel : {EncodeKernel::kPortable, EncodeKernel::kAvx2}) {
    if (jconvert_detail::KernelSupported(kernel)) {
      EXPECT_EQ(jconvert_detail::SjisToJisWith(kernel, in.view()), expected) << static_cast<int>(kernel);
    }
  }
}

TEST(SjisToJisIntoTest, LinesOfEverySizeGiveTheByteByByteReadingInOneReusedRoom) {
  std::string room;  // one for all, through longer and shorter lines alike
  for (std::size_t size : {0u,   1u,   15u,  16u,  17u,  31u,   32u,   33u,   63u,   64u,   65u, 127u,
                           128u, 129u, 639u, 640u, 641u, 1023u, 1024u, 1025u, 1700u, 5000u, 3u,  70u}) {
    for (std::size_t phase = 0; phase < 11; ++phase) {
      const std::string plain = SjisLine(size, phase);
      ExpectEveryEncodingOf(plain, room);
      if (size == 0) continue;
      std::string variant = plain;
      variant.back() = '\x82';  // a lead at the very end
      ExpectEveryEncodingOf(variant, room);
      variant.back() = '\xB6';  // ｶ
      ExpectEveryEncodingOf(variant, room);
      if (size >= 2) ExpectEveryEncodingOf(plain.substr(0, size - 2) + "\xB6\xDE", room);  // ｶﾞ
      variant = plain;
      variant[size / 2] = '\xFF';  // a stray byte, then plain text again
      ExpectEveryEncodingOf(variant, room);
    }
  }
}

TEST(SjisToJisIntoTest, LongTextWhoseLastPlainPieceIsShorterThanABlock) {
  // A stray byte sends a long ASCII run to the byte-by-byte encoder, which
  // takes it whole: the plain text after it is a piece of a few bytes.
  std::string room;
  for (std::size_t tail = 0; tail < 40; ++tail) {
    ExpectEveryEncodingOf("\xFF" + std::string(1500, 'a') + SjisLine(tail, 0), room);
  }
}

TEST(SjisToJisIntoTest, RoomServesShorterLinesWithoutMoving) {
  std::string room;
  EXPECT_EQ(SjisToJisInto(SjisLine(900, 3), room), ReferenceSjisToJis(SjisLine(900, 3)));
  const char* const place = room.data();
  EXPECT_EQ(SjisToJisInto("\x82\xA0\r\n", room), "\x1B$B\x24\x22\x1B(J\r\n");
  EXPECT_EQ(SjisToJisInto(SjisLine(70, 1), room), ReferenceSjisToJis(SjisLine(70, 1)));
  EXPECT_EQ(room.data(), place);
}

// --- Long and random inputs against a byte-by-byte reading -----------------
//
// The converters work a block at a time; the readings of jconvert_reference.h
// follow the steps one byte at a time, and every input must give the same bytes.

// Bytes drawn mostly from what matters to the converters: escapes and their
// selectors, line ends, printable ASCII, JIS codes, leads and half-width kana.
std::string RandomBytes(std::mt19937& rng, std::size_t length) {
  static const std::string kSpecial = "\x1B$(BJ@\r\n \x7F\x80\xA0\xFF\xDE\xDF";
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> any(0, 255);
  std::string s;
  for (std::size_t k = 0; k < length; ++k) {
    const int pick = kind(rng);
    if (pick == 0) {
      s.push_back(kSpecial[static_cast<std::size_t>(any(rng)) % kSpecial.size()]);
    } else if (pick <= 4) {
      s.push_back(static_cast<char>(0x21 + any(rng) % 94));
    } else if (pick <= 6) {
      s += pick == 5 ? "\x1B$B" : "\x1B(J";
    } else {
      s.push_back(static_cast<char>(any(rng)));
    }
  }
  return s;
}

TEST(LongInputTest, DecoderMatchesTheByteByByteReadingOnRandomInput) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t length = static_cast<std::size_t>(round % 300);
    const std::string input = RandomBytes(rng, length);
    const HeapBytes in(input);
    ASSERT_EQ(JisToSjis(in.view()), ReferenceJisToSjis(input)) << testing::PrintToString(input);
  }
  const std::string big = RandomBytes(rng, 100000);
  EXPECT_EQ(JisToSjis(HeapBytes(big).view()), ReferenceJisToSjis(big));
}

TEST(LongInputTest, EncoderMatchesTheByteByByteReadingOnRandomInput) {
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    const std::string input = RandomBytes(rng, static_cast<std::size_t>(round % 300));
    const HeapBytes in(input);
    ASSERT_EQ(SjisToJis(in.view()), ReferenceSjisToJis(input)) << testing::PrintToString(input);
  }
}

TEST(LongInputTest, EncoderKernelsMatchTheByteByByteReadingOnRandomShiftJis) {
  // Mostly valid characters, now and then a half-width letter or a stray
  // byte, in texts that cross the encoder's chunks.
  std::mt19937 rng(23);
  std::uniform_int_distribution<int> pick(0, 99);
  std::uniform_int_distribution<int> any(0, 255);
  std::string room;
  for (int round = 0; round < 400; ++round) {
    std::string sjis;
    const std::size_t length = static_cast<std::size_t>(round < 300 ? round * 3 : 1000 + round * 7);
    const int noise = round % 3 == 0 ? 0 : 2;  // a third are plain throughout
    while (sjis.size() < length) {
      const int kind = pick(rng);
      if (kind < 40) {
        sjis += Bytes({0x82, 0x9F + any(rng) % 84});  // hiragana, trail above 0x9E
      } else if (kind < 60) {
        sjis += Bytes({0x88 + any(rng) % 8, 0x40 + any(rng) % 63});  // kanji, trail in the ASCII range
      } else if (kind < 100 - noise) {
        sjis.push_back(static_cast<char>(0x20 + any(rng) % 95));
      } else {
        sjis.push_back(static_cast<char>(kind % 2 == 0 ? 0xA1 + any(rng) % 63 : 0xFD));
      }
    }
    ExpectEveryEncodingOf(sjis, room);
  }
}

TEST(LongInputTest, InputsAroundTheSizesWhereTheConvertersChangeBuffers) {
  // Lines are converted on the stack, longer texts straight into the string.
  std::mt19937 rng(13);
  for (std::size_t length : {1023u, 1024u, 1025u, 2047u, 2048u, 2049u}) {
    for (int round = 0; round < 20; ++round) {
      const std::string input = RandomBytes(rng, length);
      const HeapBytes in(input);
      ASSERT_EQ(JisToSjis(in.view()), ReferenceJisToSjis(input)) << length;
      ASSERT_EQ(SjisToJis(in.view()), ReferenceSjisToJis(input)) << length;
    }
    // The encoder's worst case right at the size: half-width letters between ASCII bytes.
    std::string worst;
    while (worst.size() < length) worst += Bytes({0xB1, 'a'});
    worst.resize(length);
    ASSERT_EQ(SjisToJis(HeapBytes(worst).view()), ReferenceSjisToJis(worst)) << length;
  }
}

TEST(LongInputTest, EscapesAndPairsAtEveryOffsetOfLongInput) {
  // A Kanji run that starts, ends or is cut at every position of the first
  // few hundred bytes: it crosses every internal block and window edge.
  for (std::size_t prefix = 0; prefix < 200; ++prefix) {
    for (std::size_t pairs : {1u, 7u, 8u, 9u, 31u, 32u, 33u}) {
      std::string jis(prefix, 'a');
      jis += "\x1B$B";
      std::string sjis(prefix, 'a');
      for (std::size_t k = 0; k < pairs; ++k) {
        jis += "\x24\x22";
        sjis += "\x82\xA0";
      }
      ASSERT_EQ(JisToSjis(HeapBytes(jis).view()), sjis) << prefix << ' ' << pairs;
      ASSERT_EQ(JisToSjis(HeapBytes(jis + "\x24").view()), sjis) << prefix << ' ' << pairs;   // cut pair
      ASSERT_EQ(JisToSjis(HeapBytes(jis + "\x1B(").view()), sjis) << prefix << ' ' << pairs;  // cut escape
      ASSERT_EQ(JisToSjis(HeapBytes(jis + "\x1B(Jb\r\n").view()), sjis + "b\r\n") << prefix << ' ' << pairs;
      ASSERT_EQ(SjisToJis(HeapBytes(sjis + "b\r\n").view()), jis + "\x1B(Jb\r\n") << prefix << ' ' << pairs;
    }
  }
}

TEST(LongInputTest, EveryBytePairInsideLongRunsMatchesTheByteByByteReading) {
  // Each pair of byte values amid runs of characters, where the converters
  // classify and convert whole blocks: a lead, trail or JIS byte taken wrongly
  // there changes the output.
  std::string sjisRun;
  std::string jisRun;
  for (int k = 0; k < 10; ++k) {
    sjisRun += "\x82\xA0";
    jisRun += "\x24\x22";
  }
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const std::string pair = Bytes({first, second});
      const std::string sjis = "a\x82\xA0" + pair + sjisRun + "\r\n";
      const std::string jis = "\x1B$B\x24\x22" + pair + jisRun + "\r\n";
      ASSERT_EQ(SjisToJis(sjis), ReferenceSjisToJis(sjis)) << first << ' ' << second;
      ASSERT_EQ(JisToSjis(jis), ReferenceJisToSjis(jis)) << first << ' ' << second;
    }
  }
}

TEST(LongInputTest, WholeChatLogRoundTrips) {
  // Many lines in one block, as a busy connection delivers them.
  std::string sjis;
  for (int line = 0; line < 2000; ++line) {
    sjis += ":taro!x@x PRIVMSG #ROOM :";
    for (int k = 0; k <= line % 37; ++k) sjis += k % 5 == 0 ? " ok " : "\x8A\xBF\x8E\x9A";  // 漢字
    sjis += "\r\n";
  }
  const std::string jis = SjisToJis(sjis);
  EXPECT_EQ(jis, ReferenceSjisToJis(sjis));
  EXPECT_EQ(JisToSjis(jis), sjis);
}

// --- The decoder's fast path, kernel by kernel ------------------------------
//
// Well-formed text is decoded by the AVX2 kernel where the processor has it;
// it must give the scalar kernel's bytes, and those the byte-by-byte reading.

// Whether the fast path takes `jis` (the same answer from both kernels), or
// nullopt when they disagree or write anything but the reading.
std::optional<bool> FastPathTakes(const std::string& jis) {
  using jconvert_detail::DecodeKernel;
  const HeapBytes in(jis);
  std::string scalar = "prefix";
  const bool taken = jconvert_detail::AppendWellFormedWith(DecodeKernel::kScalar, in.view(), scalar);
  if (scalar != "prefix" + (taken ? ReferenceJisToSjis(jis) : "")) return std::nullopt;
  if (jconvert_detail::KernelSupported(DecodeKernel::kAvx2)) {
    std::string out = "prefix";
    if (jconvert_detail::AppendWellFormedWith(DecodeKernel::kAvx2, in.view(), out) != taken || out != scalar)
      return std::nullopt;
  }
  return taken;
}

// Roman runs (any byte but ESC) and Kanji runs of JIS pairs, switched by the
// escapes that other programs write too, with now and then an unknown escape.
std::string WellFormedJis(std::mt19937& rng, std::size_t runs) {
  std::uniform_int_distribution<int> any(0, 255);
  std::uniform_int_distribution<int> jis(0x21, 0x7E);
  std::uniform_int_distribution<int> units(1, 40);
  std::uniform_int_distribution<int> pick(0, 9);
  std::string s;
  bool kanji = false;
  for (std::size_t run = 0; run < runs; ++run) {
    const bool unknownEscape = pick(rng) == 0;
    for (int k = units(rng) + (unknownEscape ? 1 : 0); k > 0; --k) {
      if (unknownEscape && k == 1)
        s += "\x1B"
             "ab";  // between two characters
      if (kanji) {
        s.push_back(static_cast<char>(jis(rng)));
        s.push_back(static_cast<char>(jis(rng)));
      } else {
        const char c = static_cast<char>(any(rng));
        s.push_back(c == '\x1B' ? 'x' : c);
      }
    }
    s += kanji ? (pick(rng) < 5 ? "\x1B(J" : "\x1B(B") : (pick(rng) < 5 ? "\x1B$B" : "\x1B$@");
    kanji = !kanji;
  }
  return s;
}

TEST(DecodeKernelTest, EveryKernelTakesWellFormedTextAndGivesTheByteByByteReading) {
  std::mt19937 rng(17);
  for (int round = 0; round < 3000; ++round) {
    const auto runs = static_cast<std::size_t>(round % 13);
    std::string jis = WellFormedJis(rng, runs);
    if (runs % 2 == 0) jis += "\r\n";  // back in Roman mode
    ASSERT_EQ(FastPathTakes(jis), true) << testing::PrintToString(jis);
  }
  // Past the size that is decoded on the stack.
  ASSERT_EQ(FastPathTakes(WellFormedJis(rng, 300)), true);
  // A Kanji run around every block and word edge, open or closed at the end.
  for (std::size_t prefix = 0; prefix < 140; ++prefix) {
    for (std::size_t pairs : {1u, 15u, 16u, 17u, 31u, 32u, 33u}) {
      std::string jis = "\x1B$B" + std::string(2 * pairs, '\x30');
      if (prefix != 0) jis = std::string(prefix, 'a') + jis;
      ASSERT_EQ(FastPathTakes(jis), true) << prefix << ' ' << pairs;
      ASSERT_EQ(FastPathTakes(jis + "\x1B(Jb\r\n"), true) << prefix << ' ' << pairs;
    }
  }
}

TEST(DecodeKernelTest, KernelsLeaveAnythingElseToTheGeneralDecoder) {
  for (const std::string& jis : {
           "\x1B$B\x24"s,                     // a pair cut off at the end
           "\x1B$B\x24\x22\x24\x1B(Jx"s,      // a Kanji run of odd length
           "\x1B$B\x24\x22\r\n"s,             // a control byte in Kanji mode
           "\x1B$B\xA0\x24"s,                 // an 8-bit byte in Kanji mode
           "\x1B(J\x1B$B"s,                   // an ESC right after an escape is data
           "ab\x1B("s, "ab\x1B"s,             // an escape cut off at the end
           "\x1B$Bxy\x1B$Bxy"s, "x\x1B(Jy"s,  // a switch to the mode already in force
       }) {
    EXPECT_EQ(FastPathTakes(jis), false) << testing::PrintToString(jis);
  }
  // The same cut-offs ending in every position of a half-full and a full
  // last word, the cut-off bytes split between words.
  for (std::size_t size = 30; size < 132; ++size) {
    for (const std::string& end : {"\x1B"s, "\x1B$"s, "\x1B("s, "\x1B$B\x30"s, "\x1B$B\x30\x30\x30"s}) {
      const std::string jis = std::string(size - end.size(), 'a') + end;
      ASSERT_EQ(FastPathTakes(jis), false) << size << ' ' << testing::PrintToString(end);
    }
  }
  // Random bytes and single corruptions of well-formed text: taken or not,
  // every kernel answers the same and decodes exactly.
  std::mt19937 rng(19);
  std::uniform_int_distribution<int> any(0, 255);
  for (int round = 0; round < 3000; ++round) {
    ASSERT_NE(FastPathTakes(RandomBytes(rng, static_cast<std::size_t>(round % 200))), std::nullopt);
    std::string jis = WellFormedJis(rng, 6);
    jis[static_cast<std::size_t>(any(rng)) % jis.size()] = static_cast<char>(any(rng));
    ASSERT_NE(FastPathTakes(jis), std::nullopt) << testing::PrintToString(jis);
  }
}

}  // namespace
}  // namespace novalune
