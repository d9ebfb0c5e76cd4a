// Byte-by-byte readings of the two conversions with the pair arithmetic
// written out, as plain as possible: the yardstick for the block-at-a-time
// converters in the unit tests and the fuzz targets.
#pragma once

#include <string>
#include <string_view>

#include "common/jconvert.h"

namespace novalune {

inline bool ReferenceIsJisByte(int c) { return c >= 0x21 && c <= 0x7E; }

inline std::string ReferenceJisToSjis(std::string_view s) {
  std::string out;
  bool kanji = false;
  bool afterEscape = false;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '\x1B' && !afterEscape) {
      if (s.size() - i < 3) break;
      if (s[i + 1] == '$') kanji = true;
      if (s[i + 1] == '(') kanji = false;
      i += 3;
      afterEscape = true;
      continue;
    }
    afterEscape = false;
    const int j1 = static_cast<unsigned char>(s[i]);
    if (!kanji || j1 < 0x21) {
      out.push_back(s[i++]);  // Roman, or a control byte in Kanji mode
      continue;
    }
    if (s.size() - i < 2) break;
    const int j2 = static_cast<unsigned char>(s[i + 1]);
    if (j1 > 0x98 || !ReferenceIsJisByte(j2)) {
      out.push_back('?');  // stray byte, or a first byte whose second is stray
      ++i;
      continue;
    }
    out.push_back(static_cast<char>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0)));
    out.push_back(static_cast<char>(j1 % 2 == 0 ? j2 + 0x7E : j2 < 0x60 ? j2 + 0x1F : j2 + 0x20));
    i += 2;
  }
  return out;
}

inline std::string ReferenceSjisToJis(std::string_view s) {
  std::string out;
  bool kanji = false;
  std::size_t i = 0;
  while (i < s.size()) {
    const int c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if (kanji) out += "\x1B(J";
      kanji = false;
      out.push_back(s[i++]);
      continue;
    }
    if (c >= 0xA1 && c <= 0xDF) {
      if (!kanji) out += "\x1B$B";
      kanji = true;
      const BytePair pair = HankakuToJis(s, i);
      out.push_back(static_cast<char>(pair[0]));
      out.push_back(static_cast<char>(pair[1]));
      continue;
    }
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 >= s.size()) break;
    const int t = lead ? static_cast<unsigned char>(s[i + 1]) : 0;
    if (!lead || t < 0x40 || t > 0xFC || t == 0x7F) {
      out += kanji ? "\x1B(J?" : "?";  // a stray byte stands alone, in Roman mode
      kanji = false;
      ++i;
      continue;
    }
    if (!kanji) out += "\x1B$B";
    kanji = true;
    int j1 = 2 * (c < 0xA0 ? c - 0x70 : c - 0xB0);
    int j2 = t - 0x7E;
    if (t <= 0x9E) {
      j1 -= 1;
      j2 = t < 0x80 ? t - 0x1F : t - 0x20;
    }
    out.push_back(static_cast<char>(j1 & 0xFF));
    out.push_back(static_cast<char>(j2 & 0xFF));
    i += 2;
  }
  return out;
}

}  // namespace novalune
