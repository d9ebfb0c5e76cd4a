#include "common/SjisText.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace novalune {

bool IsSjisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsSjisTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

bool IsSjisPair(std::string_view text, std::size_t position) {
  return position + 1 < text.size() && IsSjisLead(static_cast<unsigned char>(text[position])) &&
         IsSjisTrail(static_cast<unsigned char>(text[position + 1]));
}

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Length of the character at the start of `text` that iconv refused, so that
// it becomes one '?' as a whole: a double-byte character of code page 932.
std::size_t SjisCharLength(std::string_view text) { return IsSjisPair(text, 0) ? 2 : 1; }

// The same for UTF-8: a well-formed sequence as a whole, a broken one byte by byte.
std::size_t Utf8CharLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  }
  if (length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

using CharLength = std::size_t (*)(std::string_view);

// One iconv conversion; an unconvertible or broken character becomes '?'.
std::string Convert(const char* to, const char* from, std::string_view text, CharLength charLength) {
  iconv_t cd = iconv_open(to, from);
  // (iconv_t)-1 is iconv_open's documented failure value.
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);  // NOLINT(performance-no-int-to-ptr)
  std::string out;
  out.resize(text.size() * 2 + 8);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  std::size_t used = 0;
  while (inLeft > 0) {
    if (out.size() - used < 8) out.resize(out.size() * 2);
    char* outPtr = out.data() + used;
    std::size_t outLeft = out.size() - used;
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    used = out.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: one '?' for the refused character, then go on.
    const std::size_t skip = charLength(std::string_view(in, inLeft));
    if (used == out.size()) out.resize(out.size() * 2);  // iconv may have filled it exactly
    out[used++] = '?';
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsSjisPair(out, i)) {
      ++i;  // a trail byte is half of a Japanese character, not a letter
      continue;
    }
    out[i] = UpperAscii(out[i]);
  }
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsSjisPair(a, i)) {
      // Lead and trail bytes fold to themselves: the pair must match exactly.
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::string SjisUpper(std::string_view text) { return AsciiUpper(text); }

bool IsZenkakuSpace(std::string_view text, std::size_t position) {
  return position < text.size() && text.size() - position >= 2 &&
         static_cast<unsigned char>(text[position]) == 0x81 &&
         static_cast<unsigned char>(text[position + 1]) == 0x40;
}

std::string SjisToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis, SjisCharLength); }

std::string Utf8ToSjis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, Utf8CharLength); }

const std::string& SysText(const char* utf8) {
  static std::mutex guard;
  static std::map<const char*, std::string> converted;
  std::lock_guard lock(guard);
  auto it = converted.find(utf8);
  if (it == converted.end()) it = converted.emplace(utf8, Utf8ToSjis(utf8)).first;
  return it->second;
}

}  // namespace novalune
