#include "common/jconvert.h"

namespace novalune {

namespace {

constexpr char kEnterKanji[] = "\033$B";
constexpr char kEnterRoman[] = "\033(J";

// Second JIS byte of each half-width katakana 0xA0..0xDF (0xA0 is unused).
constexpr std::uint8_t kHankakuTrail[64] = {
    0x00, 0x23, 0x56, 0x57, 0x22, 0x26, 0x72, 0x21, 0x23, 0x25, 0x27, 0x29, 0x63, 0x65, 0x67, 0x43,
    0x3C, 0x22, 0x24, 0x26, 0x28, 0x2A, 0x2B, 0x2D, 0x2F, 0x31, 0x33, 0x35, 0x37, 0x39, 0x3B, 0x3D,
    0x3F, 0x41, 0x44, 0x46, 0x48, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x52, 0x55, 0x58, 0x5B, 0x5E,
    0x5F, 0x60, 0x61, 0x62, 0x64, 0x66, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x73, 0x2B, 0x2C,
};

constexpr std::uint8_t kDakuten = 0xDE;
constexpr std::uint8_t kHandakuten = 0xDF;

bool IsSymbolRow(std::uint8_t h) { return h <= 0xA5 || h == 0xB0 || h == kDakuten || h == kHandakuten; }

}  // namespace

BytePair SjisPairToJis(std::uint8_t s1, std::uint8_t s2) {
  std::uint8_t j1 = s1 < 0xA0 ? static_cast<std::uint8_t>(2 * (s1 - 0x70)) : static_cast<std::uint8_t>(2 * (s1 - 0xB0));
  std::uint8_t j2;
  if (s2 <= 0x9E) {
    j1 = static_cast<std::uint8_t>(j1 - 1);
    j2 = static_cast<std::uint8_t>(s2 < 0x80 ? s2 - 0x1F : s2 - 0x20);
  } else {
    j2 = static_cast<std::uint8_t>(s2 - 0x7E);
  }
  return {j1, j2};
}

BytePair JisPairToSjis(std::uint8_t j1, std::uint8_t j2) {
  const std::uint8_t base = j1 <= 0x5E ? 0x70 : 0xB0;
  const auto s1 = static_cast<std::uint8_t>(((j1 + 1) >> 1) + base);
  std::uint8_t s2;
  if (j1 % 2 == 0) {
    s2 = static_cast<std::uint8_t>(j2 + 0x7E);
  } else {
    s2 = static_cast<std::uint8_t>(j2 < 0x60 ? j2 + 0x1F : j2 + 0x20);
  }
  return {s1, s2};
}

BytePair HankakuToJis(std::string_view text, std::size_t& position) {
  const auto h = static_cast<std::uint8_t>(text[position]);
  ++position;
  if (h < 0xA1 || h > 0xDF) return {0x21, 0x29};  // not half-width katakana: callers never pass one
  std::uint8_t second = kHankakuTrail[h - 0xA0];
  const std::uint8_t first = IsSymbolRow(h) ? 0x21 : 0x25;
  if (position < text.size()) {
    const auto mark = static_cast<std::uint8_t>(text[position]);
    if (mark == kDakuten) {
      if (h == 0xB3) {
        second = 0x74;
        ++position;
      } else if ((h >= 0xB6 && h <= 0xC4) || (h >= 0xCA && h <= 0xCE)) {
        second = static_cast<std::uint8_t>(second + 1);
        ++position;
      }
    } else if (mark == kHandakuten && h >= 0xCA && h <= 0xCE) {
      second = static_cast<std::uint8_t>(second + 2);
      ++position;
    }
  }
  return {first, second};
}

void AppendSjisToJis(std::string_view text, std::string& out) {
  bool kanji = false;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c < 0x80) {
      if (kanji) {
        out.append(kEnterRoman, 3);
        kanji = false;
      }
      // Copy the whole run of 7-bit bytes at once.
      std::size_t end = i + 1;
      while (end < n && static_cast<std::uint8_t>(text[end]) < 0x80) ++end;
      out.append(text.data() + i, end - i);
      i = end;
      continue;
    }
    if (!kanji) {
      out.append(kEnterKanji, 3);
      kanji = true;
    }
    BytePair pair;
    if (c >= 0xA1 && c <= 0xDF) {
      pair = HankakuToJis(text, i);
    } else {
      if (i + 1 >= n) return;  // a pair cut off at the end
      pair = SjisPairToJis(c, static_cast<std::uint8_t>(text[i + 1]));
      i += 2;
    }
    out.push_back(static_cast<char>(pair[0]));
    out.push_back(static_cast<char>(pair[1]));
  }
}

std::string SjisToJis(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4 + 8);
  AppendSjisToJis(text, out);
  return out;
}

void AppendJisToSjis(std::string_view text, std::string& out) {
  bool kanji = false;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    if (text[i] == '\033') {
      if (i + 2 >= n) return;  // an escape cut off at the end
      if (text[i + 1] == '$') {
        kanji = true;
      } else if (text[i + 1] == '(') {
        kanji = false;
      }
      i += 3;
      if (i >= n) return;
      // The byte after an escape is never taken as another escape.
    } else if (!kanji) {
      std::size_t end = i + 1;
      while (end < n && text[end] != '\033') ++end;
      out.append(text.data() + i, end - i);
      i = end;
      continue;
    }
    if (kanji) {
      if (i + 1 >= n) return;  // a pair cut off at the end
      const BytePair pair =
          JisPairToSjis(static_cast<std::uint8_t>(text[i]), static_cast<std::uint8_t>(text[i + 1]));
      out.push_back(static_cast<char>(pair[0]));
      out.push_back(static_cast<char>(pair[1]));
      i += 2;
    } else {
      out.push_back(text[i]);
      ++i;
    }
  }
}

std::string JisToSjis(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendJisToSjis(text, out);
  return out;
}

}  // namespace novalune
