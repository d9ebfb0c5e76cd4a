// The Shift-JIS text helpers on arbitrary bytes: the case fold changes only
// ASCII letters outside double-byte characters, comparison agrees with it,
// and the UTF-8 conversions stay bounded and well-formed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/SjisText.h"

using namespace novalune;

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "sjistext fuzz: %s\n", what);
  std::abort();
}

void CheckUpper(std::string_view text) {
  const std::string upper = AsciiUpper(text);
  Check(upper.size() == text.size(), "AsciiUpper changed the length");
  Check(SjisUpper(text) == upper, "SjisUpper and AsciiUpper differ");
  bool trail = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool letter = !trail && c >= 'a' && c <= 'z';
    Check(upper[i] == (letter ? static_cast<char>(c - 'a' + 'A') : c), "AsciiUpper changed the wrong byte");
    trail = !trail && IsSjisPair(text, i);
  }
  Check(AsciiUpper(upper) == upper, "AsciiUpper is not idempotent");
  Check(EqualsNoCase(text, upper), "text differs from its own fold");
}

void CheckCompare(std::string_view a, std::string_view b) {
  Check(EqualsNoCase(a, b) == (AsciiUpper(a) == AsciiUpper(b)), "EqualsNoCase disagrees with AsciiUpper");
  Check(EqualsNoCase(a, b) == EqualsNoCase(b, a), "EqualsNoCase is not symmetric");
}

void CheckZenkakuSpace(std::string_view text) {
  for (std::size_t i = 0; i <= text.size() + 1; ++i) {
    const bool expected = i + 1 < text.size() && text[i] == '\x81' && text[i + 1] == '\x40';
    Check(IsZenkakuSpace(text, i) == expected, "IsZenkakuSpace wrong");
  }
}

bool WellFormedUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t length = c < 0x80                 ? 1
                         : c >= 0xC2 && c <= 0xDF ? 2
                         : c >= 0xE0 && c <= 0xEF ? 3
                         : c >= 0xF0 && c <= 0xF4 ? 4
                                                  : 0;
    if (length == 0 || s.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

void CheckUtf8(std::string_view data) {
  const std::string utf8 = SjisToUtf8(data);
  Check(WellFormedUtf8(utf8), "SjisToUtf8 gave broken UTF-8");
  Check(utf8.size() <= 3 * data.size(), "SjisToUtf8 output beyond its bound");
  // Whatever came out of the code page converts back to the same characters.
  Check(SjisToUtf8(Utf8ToSjis(utf8)) == utf8, "UTF-8 from Shift-JIS does not survive a round trip");
  const std::string sjis = Utf8ToSjis(data);
  Check(sjis.size() <= data.size(), "Utf8ToSjis output longer than its input");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  CheckUpper(data);
  CheckCompare(data.substr(0, size / 2), data.substr(size / 2));
  CheckCompare(data, AsciiUpper(data));
  CheckZenkakuSpace(data);
  CheckUtf8(data);
  return 0;
}
