// Shift-JIS text helpers: case folding, the full-width space, UTF-8 at the
// widget boundary and system texts.
#include "common/SjisText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace novalune {
namespace {

// Exact-size heap copy so that AddressSanitizer sees reads past the end.
class HeapBytes {
 public:
  explicit HeapBytes(std::string_view bytes) : size_(bytes.size()), data_(new char[bytes.size() + 1]) {
    std::memcpy(data_.get(), bytes.data(), bytes.size());
  }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  std::size_t size_;
  std::unique_ptr<char[]> data_;
};

// ヂ is 0x83 0x61 and ア is 0x83 0x41: the trail of ヂ is the code of 'a'.
const std::string kDi = "\x83\x61";
const std::string kA = "\x83\x41";
// 斯 0x8E 0x7A, 算 0x8E 0x5A.
const std::string kShi = "\x8E\x7A";
const std::string kSan = "\x8E\x5A";

TEST(AsciiUpperTest, FoldsAsciiLettersOnly) {
  EXPECT_EQ(AsciiUpper("taro_123 #room[x]"), "TARO_123 #ROOM[X]");
  EXPECT_EQ(AsciiUpper(""), "");
  // Bytes around the letters, control and high ones, stay.
  EXPECT_EQ(AsciiUpper("a\x01z{`@\xA1\xDF"), "A\x01Z{`@\xA1\xDF");
}

TEST(AsciiUpperTest, NeverTouchesATrailByte) {
  EXPECT_EQ(AsciiUpper(kDi), kDi);
  EXPECT_EQ(AsciiUpper("x" + kDi + "y" + kShi + "z"), "X" + kDi + "Y" + kShi + "Z");
  // Half-width katakana are single bytes: the letter after one is folded.
  EXPECT_EQ(AsciiUpper("\xB1"
                       "a"),
            "\xB1"
            "A");
  // A lead at the very end has no trail to skip.
  const HeapBytes cut("b\x83");
  EXPECT_EQ(AsciiUpper(cut.view()), "B\x83");
}

TEST(SjisUpperTest, SameFoldAsAsciiUpper) {
  EXPECT_EQ(SjisUpper("zkwc2://host/#room"), "ZKWC2://HOST/#ROOM");
  EXPECT_EQ(SjisUpper(kDi + "a"), kDi + "A");
  // Full-width letters (ａ is 0x82 0x81) are not ASCII and stay.
  EXPECT_EQ(SjisUpper("\x82\x81"), "\x82\x81");
}

TEST(EqualsNoCaseTest, IgnoresAsciiCaseOnly) {
  EXPECT_TRUE(EqualsNoCase("Taro", "tARO"));
  EXPECT_TRUE(EqualsNoCase("#room", "#ROOM"));
  EXPECT_TRUE(EqualsNoCase("", ""));
  EXPECT_FALSE(EqualsNoCase("taro", "taro2"));
  EXPECT_FALSE(EqualsNoCase("taro", "jiro"));
  EXPECT_FALSE(EqualsNoCase("[", "{"));
}

TEST(EqualsNoCaseTest, DifferentJapaneseCharactersNeverMatch) {
  EXPECT_FALSE(EqualsNoCase(kDi, kA));
  EXPECT_FALSE(EqualsNoCase(kShi, kSan));
  EXPECT_TRUE(EqualsNoCase(kDi + "a", kDi + "A"));
  EXPECT_TRUE(EqualsNoCase("x" + kShi, "X" + kShi));
}

TEST(EqualsNoCaseTest, AgreesWithComparingAsciiUpperResults) {
  const std::string samples[] = {"a",
                                 "A",
                                 kDi,
                                 kA,
                                 kShi,
                                 kSan,
                                 "\xB1",
                                 "b\x83",
                                 "B\x83",
                                 "\x83"
                                 "b",
                                 "\x83"
                                 "B"};
  for (const auto& a : samples) {
    for (const auto& b : samples) {
      EXPECT_EQ(EqualsNoCase(a, b), AsciiUpper(a) == AsciiUpper(b)) << a << " / " << b;
    }
  }
}

TEST(ZenkakuSpaceTest, RecognisesTheFullWidthSpaceOnlyWhereItStarts) {
  const std::string text =
      "a\x81\x40"
      "b";
  EXPECT_FALSE(IsZenkakuSpace(text, 0));
  EXPECT_TRUE(IsZenkakuSpace(text, 1));
  EXPECT_FALSE(IsZenkakuSpace(text, 2));
  EXPECT_FALSE(IsZenkakuSpace(text, 3));
  EXPECT_FALSE(IsZenkakuSpace(text, 99));
  // A lead 0x81 at the very end is no space and nothing past it is read.
  const HeapBytes cut("a\x81");
  EXPECT_FALSE(IsZenkakuSpace(cut.view(), 1));
}

TEST(SjisLeadTest, LeadRanges) {
  int leads = 0;
  for (int b = 0; b < 256; ++b) leads += IsSjisLead(static_cast<unsigned char>(b)) ? 1 : 0;
  EXPECT_EQ(leads, 31 + 29);
  EXPECT_TRUE(IsSjisLead(0x81));
  EXPECT_TRUE(IsSjisLead(0x9F));
  EXPECT_TRUE(IsSjisLead(0xE0));
  EXPECT_TRUE(IsSjisLead(0xFC));
  EXPECT_FALSE(IsSjisLead(0x80));
  EXPECT_FALSE(IsSjisLead(0xA0));
  EXPECT_FALSE(IsSjisLead(0xA1));
  EXPECT_FALSE(IsSjisLead(0xDF));
  EXPECT_FALSE(IsSjisLead(0xFD));
}

TEST(Utf8Test, ConvertsJapaneseBothWays) {
  // 日本語テキスト, with ASCII and half-width katakana around it.
  const std::string sjis = "A \x93\xFA\x96\x7B\x8C\xEA\x83\x65\x83\x4C\x83\x58\x83\x67 \xB6\xC5!";
  const std::string utf8 = "A 日本語テキスト ｶﾅ!";
  EXPECT_EQ(SjisToUtf8(sjis), utf8);
  EXPECT_EQ(Utf8ToSjis(utf8), sjis);
}

TEST(Utf8Test, CodePage932ExtrasConvert) {
  // ① (0x87 0x40), 髙 (0xEE 0xE0 in the NEC-selected rows), ＼ and ～ as Windows maps them.
  EXPECT_EQ(SjisToUtf8("\x87\x40"), "①");
  EXPECT_EQ(SjisToUtf8("\x81\x5F\x81\x60"), "＼～");
  EXPECT_EQ(Utf8ToSjis("①＼～"), "\x87\x40\x81\x5F\x81\x60");
  EXPECT_EQ(SjisToUtf8(Utf8ToSjis("髙")), "髙");
}

TEST(Utf8Test, EveryJisCharacterRoundTrips) {
  // Every code of the rows 0x88..0x9F (first level kanji and more) that maps to
  // Unicode comes back unchanged.
  int converted = 0;
  for (int lead = 0x88; lead <= 0x9F; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string utf8 = SjisToUtf8(sjis);
      if (utf8 == "?") continue;
      ++converted;
      ASSERT_EQ(Utf8ToSjis(utf8), sjis) << std::hex << lead << ' ' << trail;
    }
  }
  EXPECT_GT(converted, 4000);
}

TEST(Utf8Test, UnconvertibleCharacterBecomesOneQuestionMark) {
  // 𠮷 (four UTF-8 bytes) has no code in CP932.
  EXPECT_EQ(Utf8ToSjis("a𠮷b"), "a?b");
  // Broken UTF-8: each bad byte is one '?'.
  EXPECT_EQ(Utf8ToSjis("a\xFF\xC3"
                       "b"),
            "a??b");
  // An unassigned double-byte code is one '?', its trail not read as ASCII.
  EXPECT_EQ(SjisToUtf8("a\x85\x40"
                       "b"),
            "a?b");
  // A lead byte cut off at the end.
  const HeapBytes cut("ab\x82");
  EXPECT_EQ(SjisToUtf8(cut.view()), "ab?");
}

TEST(Utf8Test, ManyBadBytesInARowNeverHang) {
  // Far more replacements than the first output estimate.
  const std::string bad(5000, '\xFF');
  EXPECT_EQ(SjisToUtf8(bad), std::string(5000, '?'));
  EXPECT_EQ(Utf8ToSjis(bad), std::string(5000, '?'));
  // Output much longer than the input: half-width katakana take three UTF-8 bytes.
  const std::string kana(3000, '\xB1');
  std::string expected;
  for (int i = 0; i < 3000; ++i) expected += "ｱ";
  EXPECT_EQ(SjisToUtf8(kana), expected);
}

TEST(Utf8Test, RefusedCharacterRightWhereTheOutputIsFull) {
  // Half-width katakana triple in UTF-8, so the output fills up exactly when
  // iconv meets the broken pair at the end.
  const std::string sjis = "\xFF\xF7,[" + std::string(16, '\xD8') + "\x8A\xFF";
  std::string expected = "??,[";
  for (int i = 0; i < 16; ++i) expected += "ﾘ";
  expected += "??";  // 0xFF is no trail byte: the lead and it are refused one by one
  EXPECT_EQ(SjisToUtf8(HeapBytes(sjis).view()), expected);
}

TEST(SysTextTest, ConvertsOnceAndKeepsTheSameString) {
  const char* literal = "部屋のパスワードを%sに設定しました";
  const std::string& first = SysText(literal);
  EXPECT_EQ(first, Utf8ToSjis(literal));
  EXPECT_EQ(first.substr(0, 4), "\x95\x94\x89\xAE");  // 部屋
  EXPECT_EQ(&SysText(literal), &first);
  EXPECT_EQ(SysText("NOVALUNE"), "NOVALUNE");
}

}  // namespace
}  // namespace novalune
