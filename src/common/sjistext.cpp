#include "common/sjistext.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace novalune {

bool IsSjisLead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// One iconv conversion; an unconvertible or broken sequence becomes '?'.
std::string Convert(const char* to, const char* from, std::string_view text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out;
  out.resize(text.size() * 4 + 8);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      const std::size_t used = out.size() - outLeft;
      out.resize(out.size() * 2);
      outPtr = out.data() + used;
      outLeft = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL: replace one byte and go on.
    if (outLeft == 0) continue;
    *outPtr++ = '?';
    --outLeft;
    ++in;
    --inLeft;
  }
  out.resize(out.size() - outLeft);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::string SjisUpper(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsSjisLead(static_cast<unsigned char>(out[i]))) {
      ++i;  // skip the trail byte
      continue;
    }
    out[i] = UpperAscii(out[i]);
  }
  return out;
}

bool IsZenkakuSpace(std::string_view text, std::size_t position) {
  return position + 1 < text.size() && static_cast<unsigned char>(text[position]) == 0x81 &&
         static_cast<unsigned char>(text[position + 1]) == 0x40;
}

std::string SjisToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }

std::string Utf8ToSjis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }

const std::string& SysText(const char* utf8) {
  static std::mutex guard;
  static std::map<const char*, std::string> converted;
  std::lock_guard lock(guard);
  auto it = converted.find(utf8);
  if (it == converted.end()) it = converted.emplace(utf8, Utf8ToSjis(utf8)).first;
  return it->second;
}

}  // namespace novalune
