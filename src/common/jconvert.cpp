#include "common/jconvert.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "common/jconvert_decode.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NOVALUNE_ENCODE_AVX2 1
#define NOVALUNE_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))
#endif

namespace novalune {

namespace {

constexpr char kEsc = '\033';
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
// Shown for a byte that is not half-width katakana: the full-width question mark.
constexpr BytePair kNotHankaku = {0x21, 0x29};

constexpr bool IsHankaku(std::uint8_t c) { return c >= 0xA1 && c <= 0xDF; }

constexpr bool IsSymbolRow(std::uint8_t h) {
  return h <= 0xA5 || h == 0xB0 || h == kDakuten || h == kHandakuten;
}

// The pair arithmetic is done through small tables so that the hot loops have
// no data-dependent branches. The tables hold exactly the results of the
// arithmetic for every byte value (8-bit wrap-around included).
struct SjisTables {
  std::uint8_t leadJ1[256];    // 2 x (s1 - 0x70) or 2 x (s1 - 0xB0)
  std::uint8_t trailJ2[256];   // s2 - 0x1F, s2 - 0x20 or s2 - 0x7E
  std::uint8_t trailDec[256];  // 1 when s2 <= 0x9E: the first byte drops by one
};

struct JisTables {
  std::uint8_t j1ToS1[256];
  std::uint8_t j2ToS2[2][256];  // [j1 odd][j2]
};

constexpr SjisTables MakeSjisTables() {
  SjisTables t{};
  for (int b = 0; b < 256; ++b) {
    t.leadJ1[b] = static_cast<std::uint8_t>(b < 0xA0 ? 2 * (b - 0x70) : 2 * (b - 0xB0));
    if (b <= 0x9E) {
      t.trailDec[b] = 1;
      t.trailJ2[b] = static_cast<std::uint8_t>(b < 0x80 ? b - 0x1F : b - 0x20);
    } else {
      t.trailDec[b] = 0;
      t.trailJ2[b] = static_cast<std::uint8_t>(b - 0x7E);
    }
  }
  return t;
}

constexpr JisTables MakeJisTables() {
  JisTables t{};
  for (int b = 0; b < 256; ++b) {
    t.j1ToS1[b] = static_cast<std::uint8_t>(((b + 1) >> 1) + (b <= 0x5E ? 0x70 : 0xB0));
    t.j2ToS2[0][b] = static_cast<std::uint8_t>(b + 0x7E);
    t.j2ToS2[1][b] = static_cast<std::uint8_t>(b < 0x60 ? b + 0x1F : b + 0x20);
  }
  return t;
}

constexpr SjisTables kSjis = MakeSjisTables();
constexpr JisTables kJis = MakeJisTables();

inline void PutSjisPairAsJis(std::uint8_t s1, std::uint8_t s2, char* out) {
  out[0] = static_cast<char>(static_cast<std::uint8_t>(kSjis.leadJ1[s1] - kSjis.trailDec[s2]));
  out[1] = static_cast<char>(kSjis.trailJ2[s2]);
}

inline void PutJisPairAsSjis(std::uint8_t j1, std::uint8_t j2, char* out) {
  out[0] = static_cast<char>(kJis.j1ToS1[j1]);
  out[1] = static_cast<char>(kJis.j2ToS2[j1 & 1][j2]);
}

// The half-width letter h with the voicing mark that follows it (0 when none).
// Returns the second JIS byte and sets `consumed` to 1 or 2.
inline std::uint8_t HankakuSecond(std::uint8_t h, std::uint8_t next, std::size_t& consumed) {
  std::uint8_t second = kHankakuTrail[h - 0xA0];
  consumed = 1;
  if (next == kDakuten) {
    if (h == 0xB3) {
      second = 0x74;  // ｳﾞ is ヴ
      consumed = 2;
    } else if ((h >= 0xB6 && h <= 0xC4) || (h >= 0xCA && h <= 0xCE)) {
      second = static_cast<std::uint8_t>(second + 1);
      consumed = 2;
    }
  } else if (next == kHandakuten && h >= 0xCA && h <= 0xCE) {
    second = static_cast<std::uint8_t>(second + 2);
    consumed = 2;
  }
  return second;
}

// What a high byte at in[i] starts in Shift-JIS text. Only a lead byte with a
// valid trail byte is a pair; anything else stands alone, so that a CR, LF or
// blank after a stray byte is never taken as its trail.
enum class HighByte { kHankaku, kPair, kInvalid, kCutOff };

constexpr bool IsLead(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

constexpr bool IsTrail(std::uint8_t c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

inline HighByte ClassifyHigh(const unsigned char* in, std::size_t i, std::size_t n) {
  const std::uint8_t c = in[i];
  if (IsHankaku(c)) return HighByte::kHankaku;
  if (!IsLead(c)) return HighByte::kInvalid;
  if (n - i < 2) return HighByte::kCutOff;
  return IsTrail(in[i + 1]) ? HighByte::kPair : HighByte::kInvalid;
}

// Output buffer written through a raw pointer. Capacity is reserved up front;
// the string is lengthened (and so zero-filled) a slice at a time just ahead
// of the writes, while those bytes are still in the cache. `Need` must be
// called before writing up to that many bytes.
class Writer {
 public:
  Writer(std::string& out, std::size_t expected) : out_(out), expectedEnd_(out.size() + expected) {
    out_.reserve(expectedEnd_ + kSlack);
    p_ = out_.data() + out_.size();
    end_ = p_;
  }
  ~Writer() { out_.resize(static_cast<std::size_t>(p_ - out_.data())); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Need(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - p_) < bytes) Grow(bytes);
  }
  char* At() { return p_; }
  void Advance(std::size_t bytes) { p_ += bytes; }
  void Put(const char* bytes, std::size_t size) {
    std::memcpy(p_, bytes, size);
    p_ += size;
  }

  static constexpr std::size_t kSlack = 16;
  static constexpr std::size_t kSlice = 16384;

 private:
  void Grow(std::size_t bytes) {
    const auto used = static_cast<std::size_t>(p_ - out_.data());
    const std::size_t expectedLeft = expectedEnd_ > used ? expectedEnd_ - used : 0;
    out_.resize(used + bytes + std::min(kSlice, expectedLeft + kSlack));
    p_ = out_.data() + used;
    end_ = out_.data() + out_.size();
  }

  std::string& out_;
  std::size_t expectedEnd_;
  char* p_;
  char* end_;
};

// Writes into a buffer known to be large enough: no checks at all.
class BoundedWriter {
 public:
  explicit BoundedWriter(char* buffer) : begin_(buffer), p_(buffer) {}
  void Need(std::size_t) {}
  char* At() { return p_; }
  void Advance(std::size_t bytes) { p_ += bytes; }
  void Put(const char* bytes, std::size_t size) {
    std::memcpy(p_, bytes, size);
    p_ += size;
  }
  std::size_t Size() const { return static_cast<std::size_t>(p_ - begin_); }

 private:
  char* begin_;
  char* p_;
};

// Inputs up to these sizes (a chat line, and then some) are converted in
// buffers on the stack and appended to the caller's string in one step: a line
// then costs no size checks, no zero-filling of the string and no cut-short
// loads, which is most of the time a short conversion takes.
constexpr std::size_t kShortInput = 2048;
constexpr std::size_t kShortEncode = 1024;
// The encoder's output is at most 4.5 times its input: a half-width letter
// between ASCII bytes, 2 bytes, becomes 9.
constexpr std::size_t EncodedBound(std::size_t size) { return size * 9 / 2 + 8; }

// End of the run of 7-bit bytes starting at `i`, eight bytes at a time.
std::size_t RomanRunEnd(const unsigned char* in, std::size_t i, std::size_t n) {
  while (n - i >= 8) {
    std::uint64_t word;
    std::memcpy(&word, in + i, 8);
    const std::uint64_t high = word & 0x8080808080808080ULL;
    if (high != 0) return i + static_cast<std::size_t>(std::countr_zero(high)) / 8;  // little-endian load
    i += 8;
  }
  while (i < n && in[i] < 0x80) ++i;
  return i;
}

// The decoder works on a copy of its input followed by kPadding zero bytes,
// with two bit masks of the copy: the ESC bytes, and the stray bytes that
// cannot be half of a JIS pair (ESC and the zero after the end are among
// them). Each run between escapes is then found with one bit scan and
// converted whole blocks at a time without a bounds check: chat lines switch
// modes every few bytes, so the cost per run is what counts.
constexpr std::size_t kBlock = 16;
constexpr std::size_t kMaskBits = 64;
constexpr std::size_t kPadding = kMaskBits;
// Output written past the decoded bytes: runs are stored two blocks at a time.
constexpr std::size_t kOverhang = 2 * kBlock;

constexpr std::size_t MaskWords(std::size_t size) { return size / kMaskBits + 1; }

constexpr bool IsJisByte(std::uint8_t c) { return c >= 0x21 && c <= 0x7E; }

// First bytes above 0x7E come from the lead bytes 0xF0..0xFC (user-defined and
// extended characters); the encoder writes them, so the decoder takes them back.
constexpr bool IsJisFirst(std::uint8_t c) { return c >= 0x21 && c <= 0x98; }

#if defined(__SSE2__)
inline __m128i LoadBlock(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline void StoreBlock(char* at, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v); }

// Eight JIS pairs of bytes 0x21..0x7E to Shift-JIS, byte-wise in each 16-bit
// lane (first byte low): s1 = (j1 + 1) / 2 + 0x70, or + 0xB0 above 0x5E;
// s2 = j2 + 0x7E for even j1, else j2 + 0x1F, or + 0x20 from 0x60 on.
inline __m128i JisPairsToSjis(__m128i v) {
  const __m128i halfFirst = _mm_and_si128(_mm_srli_epi16(v, 1), _mm_set1_epi16(0x007F));
  const __m128i base = _mm_sub_epi8(v, halfFirst);
  const __m128i high = _mm_cmpgt_epi8(v, _mm_set1_epi16(0x5F5E));
  const __m128i highAdd = _mm_and_si128(high, _mm_set1_epi16(0x0140));
  const __m128i odd = _mm_srai_epi16(_mm_slli_epi16(v, 15), 15);
  const __m128i kept = _mm_and_si128(highAdd, _mm_or_si128(odd, _mm_set1_epi16(0x00FF)));
  const __m128i add =
      _mm_sub_epi8(_mm_add_epi8(_mm_set1_epi16(0x7E70), kept), _mm_and_si128(odd, _mm_set1_epi16(0x5F00)));
  return _mm_add_epi8(base, add);
}
#endif

// The two masks of in[at, at + 64).
inline void ClassifyBits(const unsigned char* at, std::uint64_t& escapes, std::uint64_t& strays) {
#if defined(__SSE2__)
  std::uint64_t e = 0;
  std::uint64_t pairBytes = 0;
  for (std::size_t t = 0; t < kMaskBits; t += kBlock) {
    const __m128i v = LoadBlock(at + t);
    // v + 0x5F moves 0x21..0x7E to the signed range -128..-35.
    const __m128i pair = _mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(0x5F)), _mm_set1_epi8(-34));
    e |= static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(kEsc)))) << t;
    pairBytes |= static_cast<std::uint64_t>(_mm_movemask_epi8(pair)) << t;
  }
  escapes = e;
  strays = ~pairBytes;
#else
  escapes = 0;
  strays = 0;
  for (std::size_t t = 0; t < kMaskBits; ++t) {
    escapes |= static_cast<std::uint64_t>(at[t] == kEsc) << t;
    strays |= static_cast<std::uint64_t>(!IsJisByte(at[t])) << t;
  }
#endif
}

// Position of the first set bit at or after `from`; one must exist.
inline std::size_t NextBit(const std::uint64_t* mask, std::size_t from) {
  std::size_t word = from / kMaskBits;
  const std::uint64_t bits = mask[word] >> (from % kMaskBits);
  if (bits != 0) return from + static_cast<std::size_t>(std::countr_zero(bits));
  while (mask[++word] == 0) {
  }
  return word * kMaskBits + static_cast<std::size_t>(std::countr_zero(mask[word]));
}

// Copies `length` bytes, storing whole blocks.
inline void CopyRun(const unsigned char* in, std::size_t length, char* out) {
#if defined(__SSE2__)
  std::size_t t = 0;
  do {
    StoreBlock(out + t, LoadBlock(in + t));
    StoreBlock(out + t + kBlock, LoadBlock(in + t + kBlock));
    t += 2 * kBlock;
  } while (t < length);
#else
  std::memcpy(out, in, length);
#endif
}

// Converts `length` bytes of JIS pairs (0x21..0x7E), storing whole blocks.
inline void ConvertPairs(const unsigned char* in, std::size_t length, char* out) {
#if defined(__SSE2__)
  std::size_t t = 0;
  do {
    StoreBlock(out + t, JisPairsToSjis(LoadBlock(in + t)));
    StoreBlock(out + t + kBlock, JisPairsToSjis(LoadBlock(in + t + kBlock)));
    t += 2 * kBlock;
  } while (t < length);
#else
  for (std::size_t t = 0; t < length; t += 2) PutJisPairAsSjis(in[t], in[t + 1], out + t);
#endif
}

// The runs of a well-formed text, from escape to escape. The positions of
// the escapes come straight from the mask, so each run costs no search that
// waits on the one before. Stops at the first run that is not plain (a Kanji
// run with a stray byte or an odd length, an ESC inside or right after an
// escape) and returns false, with `at` at that run's start; returns true when
// the input has been decoded.
bool DecodePlainRuns(const unsigned char* in, std::size_t n, const std::uint64_t* escapes,
                     const std::uint64_t* strays, std::size_t& at, bool& kanji, char*& out) {
  std::size_t word = 0;
  std::uint64_t bits = escapes[0];
  for (;;) {
    while (bits == 0) bits = escapes[++word];  // the end's bit is always found
    const std::size_t stop = word * kMaskBits + static_cast<std::size_t>(std::countr_zero(bits));
    bits &= bits - 1;
    if (stop < at || (stop == at && at != 0)) return false;
    if (kanji) {
      if (((stop - at) & 1) != 0 || NextBit(strays, at) != stop) return false;
      ConvertPairs(in + at, stop - at, out);
    } else {
      CopyRun(in + at, stop - at, out);
    }
    out += stop - at;
    at = stop;
    if (n - stop < 3) return true;  // the end, or an escape cut off at the end
    const unsigned char selector = in[stop + 1];
    kanji = kanji ? selector != '(' : selector == '$';
    at = stop + 3;
  }
}

// Decodes byte by byte where needed, from `at` in the given mode; `at` is 0
// or right after an escape.
void DecodeFrom(const unsigned char* in, std::size_t n, const std::uint64_t* escapes,
                const std::uint64_t* strays, std::size_t at, bool kanji, char*& outRef) {
  char* out = outRef;
  if (at != 0 && in[at] == kEsc) {
    *out++ = kEsc;  // data, as every byte right after an escape
    ++at;
  }
  for (;;) {
    if (!kanji) {
      const std::size_t stop = NextBit(escapes, at);
      CopyRun(in + at, stop - at, out);
      out += stop - at;
      at = stop;
    } else {
      const std::size_t stop = NextBit(strays, at);
      const std::size_t pairs = (stop - at) & ~std::size_t{1};
      ConvertPairs(in + at, pairs, out);
      out += pairs;
      at += pairs;
      if (at == n) break;
      if (at != stop) {
        if (stop == n) break;  // a pair cut off at the end ends the conversion
        *out++ = '?';          // a first byte whose second byte is stray
        ++at;
        continue;
      }
      const std::uint8_t c = in[at];
      if (c != kEsc) {
        if (c < 0x21) {
          *out++ = static_cast<char>(c);  // control bytes keep their meaning
          ++at;
        } else if (n - at < 2) {
          break;
        } else if (IsJisFirst(c) && IsJisByte(in[at + 1])) {
          PutJisPairAsSjis(c, in[at + 1], out);
          out += 2;
          at += 2;
        } else {
          *out++ = '?';
          ++at;
        }
        continue;
      }
    }
    if (n - at < 3) break;  // the end, or an escape cut off at the end
    const unsigned char selector = in[at + 1];
    kanji = kanji ? selector != '(' : selector == '$';
    at += 3;
    // The byte right after an escape is data: an ESC there is copied (in
    // Kanji mode as the control byte it is).
    if (in[at] == kEsc) {
      *out++ = kEsc;
      ++at;
    }
  }
  outRef = out;
}

// Decodes in[0, n) into `out` and returns the decoded size. `in` is followed by
// kPadding zero bytes; `out` has room for n + kOverhang bytes (escapes vanish
// and pairs stay pairs); each mask has MaskWords(n) words.
//
// In Kanji mode a pair is made only of bytes that can be JIS pair bytes; a
// stray byte is never swallowed as half of a pair, so CR, LF and escapes
// keep their meaning and every pair decodes to valid Shift-JIS.
std::size_t DecodePadded(const unsigned char* in, std::size_t n, std::uint64_t* escapes,
                         std::uint64_t* strays, char* out) {
  const std::size_t words = MaskWords(n);
  for (std::size_t w = 0; w < words; ++w) ClassifyBits(in + w * kMaskBits, escapes[w], strays[w]);
  escapes[n / kMaskBits] |= std::uint64_t{1} << (n % kMaskBits);  // the end stops a run
  char* const begin = out;
  std::size_t at = 0;
  bool kanji = false;
  if (!DecodePlainRuns(in, n, escapes, strays, at, kanji, out))
    DecodeFrom(in, n, escapes, strays, at, kanji, out);
  return static_cast<std::size_t>(out - begin);
}

}  // namespace

BytePair SjisPairToJis(std::uint8_t s1, std::uint8_t s2) {
  BytePair pair;
  char bytes[2];
  PutSjisPairAsJis(s1, s2, bytes);
  pair[0] = static_cast<std::uint8_t>(bytes[0]);
  pair[1] = static_cast<std::uint8_t>(bytes[1]);
  return pair;
}

BytePair JisPairToSjis(std::uint8_t j1, std::uint8_t j2) {
  BytePair pair;
  char bytes[2];
  PutJisPairAsSjis(j1, j2, bytes);
  pair[0] = static_cast<std::uint8_t>(bytes[0]);
  pair[1] = static_cast<std::uint8_t>(bytes[1]);
  return pair;
}

BytePair HankakuToJis(std::string_view text, std::size_t& position) {
  if (position >= text.size()) return kNotHankaku;
  const auto h = static_cast<std::uint8_t>(text[position]);
  if (!IsHankaku(h)) {
    ++position;
    return kNotHankaku;
  }
  const std::uint8_t next =
      position + 1 < text.size() ? static_cast<std::uint8_t>(text[position + 1]) : std::uint8_t{0};
  std::size_t consumed = 1;
  const std::uint8_t second = HankakuSecond(h, next, consumed);
  position += consumed;
  return {static_cast<std::uint8_t>(IsSymbolRow(h) ? 0x21 : 0x25), second};
}

namespace {

#if defined(__SSE2__)
// Bytes of v that lie in [low, low + count), unsigned.
inline __m128i InRange(__m128i v, std::uint8_t low, std::uint8_t count) {
  const __m128i offset = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(low)));
  return _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(static_cast<char>(count - 1))), offset);
}

// How many Shift-JIS pairs open the 16 bytes at `in`: a lead byte (at even
// offsets) followed by a valid trail byte, the same test as ClassifyHigh.
inline std::size_t LeadingSjisPairs(__m128i v) {
  const __m128i lead = _mm_or_si128(InRange(v, 0x81, 0x1F), InRange(v, 0xE0, 0x1D));
  const __m128i trail = _mm_andnot_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)), InRange(v, 0x40, 0xBD));
  const __m128i firsts = _mm_set1_epi16(0x00FF);
  const __m128i ok = _mm_or_si128(_mm_and_si128(lead, firsts), _mm_andnot_si128(firsts, trail));
  const auto bad = static_cast<unsigned>(~_mm_movemask_epi8(ok)) | 0x10000u;
  return static_cast<std::size_t>(std::countr_zero(bad)) / 2;
}

// Eight Shift-JIS pairs (lead low in each 16-bit lane) to JIS, byte-wise:
// j1 = 2 (s1 - 0x70), or 2 (s1 - 0xB0) from 0xA0 on, less one when s2 <= 0x9E;
// j2 = s2 - 0x7E, or s2 - 0x1F below 0x80, or s2 - 0x20 up to 0x9E.
inline __m128i SjisPairsToJis(__m128i v) {
  const __m128i signedV = _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80)));
  const __m128i fromA0 = _mm_cmpgt_epi8(signedV, _mm_set1_epi8(0x1F));
  const __m128i upTo9E = _mm_cmpgt_epi8(_mm_set1_epi8(0x1F), signedV);
  const __m128i from80 = _mm_cmpgt_epi8(signedV, _mm_set1_epi8(-1));
  const __m128i firsts = _mm_set1_epi16(0x00FF);
  __m128i r =
      _mm_sub_epi8(v, _mm_add_epi8(_mm_set1_epi16(0x7E70), _mm_and_si128(fromA0, _mm_set1_epi16(0x0040))));
  r = _mm_add_epi8(r, _mm_and_si128(r, firsts));   // doubles the first byte
  r = _mm_add_epi8(r, _mm_srli_epi16(upTo9E, 8));  // the second byte's "less one"
  r = _mm_add_epi8(r, _mm_and_si128(upTo9E, _mm_set1_epi16(0x5F00)));
  return _mm_add_epi8(r, _mm_andnot_si128(firsts, _mm_and_si128(upTo9E, from80)));
}
#endif

// The encoder may load whole blocks from in[0, readable): the input, or a
// copy of it followed by a block of zero bytes (which are neither lead nor
// trail bytes, and ASCII runs are cut at the input's end).

// Copies the run of 7-bit bytes at in[i, n) and returns where it ends: whole
// blocks while a block can be loaded, then the rest.
template <typename Output>
std::size_t CopyRomanRun(const unsigned char* in, std::size_t i, std::size_t n, std::size_t readable,
                         Output& w) {
#if defined(__SSE2__)
  while (readable - i >= kBlock) {
    const __m128i v = LoadBlock(in + i);
    w.Need(kBlock);
    StoreBlock(w.At(), v);
    const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
    const std::size_t length =
        std::min(n - i, high == 0 ? kBlock : static_cast<std::size_t>(std::countr_zero(high)));
    w.Advance(length);
    i += length;
    if (length < kBlock || i == n) return i;
  }
#else
  (void)readable;
#endif
  const std::size_t end = RomanRunEnd(in, i, n);
  w.Need(end - i);
  w.Put(reinterpret_cast<const char*>(in) + i, end - i);
  return end;
}

// Converts the Shift-JIS pairs that open in[i, n) a block at a time while a
// block can be loaded; returns the bytes consumed (and written).
template <typename Output>
std::size_t EncodePairBlocks(const unsigned char* in, std::size_t i, std::size_t readable, Output& w) {
  std::size_t done = 0;
#if defined(__SSE2__)
  while (readable - (i + done) >= kBlock) {
    const __m128i v = LoadBlock(in + i + done);
    const std::size_t pairs = LeadingSjisPairs(v);
    if (pairs == 0) break;
    w.Need(kBlock);
    StoreBlock(w.At(), SjisPairsToJis(v));
    w.Advance(2 * pairs);
    done += 2 * pairs;
    if (pairs < kBlock / 2) break;
  }
#else
  (void)in;
  (void)i;
  (void)readable;
  (void)w;
#endif
  return done;
}

// Encodes in[0, n) byte by byte where needed, from the mode in `kanji`, and
// stops at the first character that starts at or after `stop`. Returns
// where it stopped (n when done) and leaves the mode in `kanji`.
template <typename Output>
[[gnu::noinline]] std::size_t EncodeInto(const unsigned char* in, std::size_t n, std::size_t readable,
                                         std::size_t stop, bool& kanji, Output& w) {
  std::size_t i = 0;
  while (i < stop) {
    // A run of 7-bit bytes, CR and LF included, is copied in Roman mode.
    if (in[i] < 0x80) {
      w.Need(3);
      if (kanji) {
        w.Put(kEnterRoman, 3);
        kanji = false;
      }
      i = CopyRomanRun(in, i, n, readable, w);
      if (i == n) break;
    }
    const HighByte first = ClassifyHigh(in, i, n);
    if (first == HighByte::kCutOff) return n;  // a pair cut off at the end ends the conversion
    if (first == HighByte::kInvalid) {
      // One '?' in Roman mode: the next byte (a CR, a blank) keeps its meaning.
      w.Need(4);
      if (kanji) {
        w.Put(kEnterRoman, 3);
        kanji = false;
      }
      w.Put("?", 1);
      ++i;
      continue;
    }
    // A run of double-byte and half-width characters in Kanji mode.
    w.Need(3);
    if (!kanji) {
      w.Put(kEnterKanji, 3);
      kanji = true;
    }
    while (i < n) {
      i += EncodePairBlocks(in, i, readable, w);
      if (i == n) break;
      const std::uint8_t c = in[i];
      if (c < 0x80) break;
      w.Need(2);
      char* p = w.At();
      if (IsHankaku(c)) {
        const std::uint8_t next = i + 1 < n ? in[i + 1] : std::uint8_t{0};
        std::size_t consumed = 1;
        p[1] = static_cast<char>(HankakuSecond(c, next, consumed));
        p[0] = static_cast<char>(IsSymbolRow(c) ? 0x21 : 0x25);
        i += consumed;
      } else {
        if (ClassifyHigh(in, i, n) != HighByte::kPair) break;
        PutSjisPairAsJis(c, in[i + 1], p);
        i += 2;
      }
      w.Advance(2);
    }
  }
  return i;
}

// Plain Shift-JIS, ASCII and double-byte characters only, is encoded a chunk
// at a time in two passes. The first classifies 64 bytes at once into bit
// masks and finds every mode switch with carries instead of a walk; the
// second writes the runs between switches whole steps at a time. No run's
// end then waits on the scan of the run before, which is what a walk pays
// for on chat lines that switch modes every few bytes. Anything else (a
// half-width letter, a stray byte, a pair cut off at the end) is left to
// EncodeInto from that byte to the chunk's end.
constexpr std::size_t kChunk = 512;
// Chunks are read in place while this much text is left; the rest is the
// last piece, read in place too but never past the text's end.
constexpr std::size_t kLastPiece = kChunk + 2 * kMaskBits;
constexpr std::size_t kSwitchWords = kLastPiece / kMaskBits + 2;
// The runs are written a step of 32 bytes at a time.
constexpr std::size_t kStep = 32;

struct SjisWordBits {
  std::uint64_t high;   // 0x80..0xFF
  std::uint64_t lead;   // 0x81..0x9F, 0xE0..0xFC
  std::uint64_t trail;  // 0x40..0xFC but 0x7F
};

// Adds the masks of a kernel's block, moved down by `drop` bytes (its width
// or more leaves none) and up to `shift` in the word.
[[gnu::always_inline]] inline void AddBlockBits(std::uint64_t high, std::uint64_t lead, std::uint64_t trail,
                                                unsigned drop, std::size_t shift, SjisWordBits& bits) {
  bits.high |= (high >> drop) << shift;
  bits.lead |= (lead >> drop) << shift;
  bits.trail |= (trail >> drop) << shift;
}

// A kernel classifies kWidth bytes at a time and writes steps of kStep
// bytes. This one runs anywhere, with SSE2 where there is SSE2.
struct PortableKernel {
  static constexpr std::size_t kWidth = kBlock;

  static void Classify(const unsigned char* at, unsigned drop, std::size_t shift, SjisWordBits& bits) {
#if defined(__SSE2__)
    const __m128i v = LoadBlock(at);
    // Leads xor 0x20 are 0xA1..0xDC; less 0x21 that is the signed range -128..-69.
    const __m128i lead = _mm_cmpgt_epi8(
        _mm_set1_epi8(-68), _mm_sub_epi8(_mm_xor_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8(0x21)));
    // Trails plus 0x40 are the signed range -128..60.
    const __m128i trail =
        _mm_andnot_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)),
                         _mm_cmpgt_epi8(_mm_set1_epi8(61), _mm_add_epi8(v, _mm_set1_epi8(0x40))));
    AddBlockBits(static_cast<std::uint32_t>(_mm_movemask_epi8(v)),
                 static_cast<std::uint32_t>(_mm_movemask_epi8(lead)),
                 static_cast<std::uint32_t>(_mm_movemask_epi8(trail)), drop, shift, bits);
#else
    std::uint64_t high = 0;
    std::uint64_t lead = 0;
    std::uint64_t trail = 0;
    for (unsigned t = 0; t < kWidth; ++t) {
      high |= static_cast<std::uint64_t>(at[t] >= 0x80) << t;
      lead |= static_cast<std::uint64_t>(IsLead(at[t])) << t;
      trail |= static_cast<std::uint64_t>(IsTrail(at[t])) << t;
    }
    AddBlockBits(high, lead, trail, drop, shift, bits);
#endif
  }

  static void CopyStep(const unsigned char* from, char* out) {
#if defined(__SSE2__)
    StoreBlock(out, LoadBlock(from));
    StoreBlock(out + kBlock, LoadBlock(from + kBlock));
#else
    std::memcpy(out, from, kStep);
#endif
  }

  static void ConvertStep(const unsigned char* from, char* out) {
#if defined(__SSE2__)
    StoreBlock(out, SjisPairsToJis(LoadBlock(from)));
    StoreBlock(out + kBlock, SjisPairsToJis(LoadBlock(from + kBlock)));
#else
    for (std::size_t k = 0; k < kStep; k += 2) PutSjisPairAsJis(from[k], from[k + 1], out + k);
#endif
  }
};

#if defined(NOVALUNE_ENCODE_AVX2)
// The same a whole step at a time: half the instructions per byte.
struct Avx2Kernel {
  static constexpr std::size_t kWidth = kStep;

  NOVALUNE_AVX2 static __m256i Load(const unsigned char* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  }

  NOVALUNE_AVX2 static void Classify(const unsigned char* at, unsigned drop, std::size_t shift,
                                     SjisWordBits& bits) {
    const __m256i v = Load(at);
    const __m256i lead = _mm256_cmpgt_epi8(
        _mm256_set1_epi8(-68),
        _mm256_sub_epi8(_mm256_xor_si256(v, _mm256_set1_epi8(0x20)), _mm256_set1_epi8(0x21)));
    const __m256i trail = _mm256_andnot_si256(
        _mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x7F)),
        _mm256_cmpgt_epi8(_mm256_set1_epi8(61), _mm256_add_epi8(v, _mm256_set1_epi8(0x40))));
    AddBlockBits(static_cast<std::uint32_t>(_mm256_movemask_epi8(v)),
                 static_cast<std::uint32_t>(_mm256_movemask_epi8(lead)),
                 static_cast<std::uint32_t>(_mm256_movemask_epi8(trail)), drop, shift, bits);
  }

  NOVALUNE_AVX2 static void CopyStep(const unsigned char* from, char* out) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), Load(from));
  }

  // SjisPairsToJis, sixteen pairs at once.
  NOVALUNE_AVX2 static void ConvertStep(const unsigned char* from, char* out) {
    const __m256i v = Load(from);
    const __m256i signedV = _mm256_xor_si256(v, _mm256_set1_epi8(static_cast<char>(0x80)));
    const __m256i fromA0 = _mm256_cmpgt_epi8(signedV, _mm256_set1_epi8(0x1F));
    const __m256i upTo9E = _mm256_cmpgt_epi8(_mm256_set1_epi8(0x1F), signedV);
    const __m256i from80 = _mm256_cmpgt_epi8(signedV, _mm256_set1_epi8(-1));
    const __m256i firsts = _mm256_set1_epi16(0x00FF);
    __m256i r = _mm256_sub_epi8(
        v, _mm256_add_epi8(_mm256_set1_epi16(0x7E70), _mm256_and_si256(fromA0, _mm256_set1_epi16(0x0040))));
    r = _mm256_add_epi8(r, _mm256_and_si256(r, firsts));
    r = _mm256_add_epi8(r, _mm256_srli_epi16(upTo9E, 8));
    r = _mm256_add_epi8(r, _mm256_and_si256(upTo9E, _mm256_set1_epi16(0x5F00)));
    r = _mm256_add_epi8(r, _mm256_andnot_si256(firsts, _mm256_and_si256(upTo9E, from80)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), r);
  }
};
#endif

template <typename Kernel>
[[gnu::always_inline]] inline SjisWordBits ClassifySjisWord(const unsigned char* at) {
  SjisWordBits bits{0, 0, 0};
  for (std::size_t t = 0; t < kMaskBits; t += Kernel::kWidth) Kernel::Classify(at + t, 0, t, bits);
  return bits;
}

// Where the encoder reads a chunk: in place, with room for whole words and
// steps past the chunk's end.
template <typename Kernel>
struct InPlace {
  const unsigned char* in;

  [[gnu::always_inline]] SjisWordBits Word(std::size_t offset) const {
    return ClassifySjisWord<Kernel>(in + offset);
  }
  [[gnu::always_inline]] SjisWordBits LastWord(std::size_t offset, std::size_t) const { return Word(offset); }
  bool TrailAfterLastWord(std::size_t offset) const { return IsTrail(in[offset + kMaskBits]); }
  const unsigned char* Step(std::size_t at) const { return in + at; }
};

// The text's last piece, in[0, n), with at least kStep bytes of text ending
// with it: blocks that would pass the end are loaded where the text ends
// and their bits moved down, and steps that would pass it read a copy of
// the last step.
template <typename Kernel>
class TextEnd {
 public:
  TextEnd(const unsigned char* in, std::size_t n) : n_(n), sources_{copy_, in} {
    std::memcpy(copy_, in + n - kStep, kStep);
    std::memset(copy_ + kStep, 0, kStep);
  }
  TextEnd(const TextEnd&) = delete;  // sources_ points into the object itself
  TextEnd& operator=(const TextEnd&) = delete;

  [[gnu::always_inline]] SjisWordBits Word(std::size_t offset) const {
    return ClassifySjisWord<Kernel>(sources_[1] + offset);
  }
  [[gnu::always_inline]] SjisWordBits LastWord(std::size_t offset, std::size_t left) const {
    constexpr std::size_t kWidth = Kernel::kWidth;
    SjisWordBits bits{0, 0, 0};
    for (std::size_t t = 0; t < kMaskBits; t += kWidth) {
      const bool whole = t + kWidth <= left;
      const std::size_t past = whole ? 0 : std::min(t + kWidth - left, kWidth);
      // The piece may be shorter than a block: its end is loaded from the text before it.
      const unsigned char* text = sources_[1];
      Kernel::Classify(whole ? text + offset + t : text + n_ - kWidth, static_cast<unsigned>(past), t, bits);
    }
    return bits;
  }
  bool TrailAfterLastWord(std::size_t) const { return false; }
  // Picked by index and mask, not by a branch: which one a step reads
  // changes from line to line, and the compiler would otherwise split the
  // run loops at it.
  const unsigned char* Step(std::size_t at) const {
    const bool inside = at + kStep <= n_;
    const std::size_t copied = (n_ - kStep) & (std::size_t{0} - static_cast<std::size_t>(!inside));
    return sources_[static_cast<std::size_t>(inside)] + (at - copied);
  }

 private:
  std::size_t n_;
  const unsigned char* sources_[2];               // the copy, the text
  alignas(kStep) unsigned char copy_[2 * kStep];  // in[n - kStep, n), then zero bytes
};

// The pair starts among `candidates` (leads followed by a trail): in each run
// of candidates every other one from the first, as the byte after a start is
// its trail. Adding a run's even first bit clears exactly that run.
[[gnu::always_inline]] inline std::uint64_t PairStarts(std::uint64_t candidates) {
  constexpr std::uint64_t kEven = 0x5555555555555555ULL;
  const std::uint64_t firsts = candidates & ~(candidates << 1);
  const std::uint64_t evenRuns = candidates & ~(candidates + (firsts & kEven));
  return (evenRuns & kEven) | (candidates & ~evenRuns & ~kEven);
}

// Finds the mode switches of the plain text that opens the chunk's len
// bytes, from the given mode: bit p of `switches` is set where the mode
// changes before byte p, and one more bit marks the end. Returns that end:
// len, len + 1 when the last pair ends past len, or the first byte that is
// not plain.
template <typename Source>
[[gnu::always_inline]] inline std::size_t ScanPlain(const Source& src, std::size_t len, bool kanji,
                                                    std::uint64_t* switches) {
  std::uint64_t trailFirst = 0;  // byte 0 of the word is the trail of a pair before it
  std::uint64_t kanjiBefore = kanji ? 1 : 0;
  std::uint64_t lastStarts = 0;
  const std::size_t words = (len + kMaskBits - 1) / kMaskBits;
  switches[words] = 0;
  for (std::size_t k = 0; k < words; ++k) {
    const std::size_t offset = k * kMaskBits;
    const std::size_t left = len - offset;
    const bool last = left <= kMaskBits;
    const std::uint64_t valid = last ? ~std::uint64_t{0} >> (kMaskBits - left) : ~std::uint64_t{0};
    const SjisWordBits bits = last ? src.LastWord(offset, left) : src.Word(offset);
    const std::uint64_t nextTrail =
        last ? src.TrailAfterLastWord(offset) : IsTrail(src.Step(offset)[kMaskBits]);
    const std::uint64_t candidates =
        bits.lead & ((bits.trail >> 1) | (nextTrail << 63)) & valid & ~trailFirst;
    const std::uint64_t starts = PairStarts(candidates);
    const std::uint64_t kanjiBytes = starts | (starts << 1) | trailFirst;
    const std::uint64_t changes = kanjiBytes ^ ((kanjiBytes << 1) | kanjiBefore);
    if (const std::uint64_t stray = bits.high & ~kanjiBytes & valid; stray != 0) {
      const std::uint64_t before = (stray & (0 - stray)) - 1;
      switches[k] = (changes & before) | (before + 1);
      return offset + static_cast<std::size_t>(std::countr_zero(stray));
    }
    switches[k] = changes & valid;
    trailFirst = starts >> 63;
    kanjiBefore = kanjiBytes >> 63;
    lastStarts = starts;
  }
  const std::size_t end = len + (len == 0 ? 0 : (lastStarts >> ((len - 1) % kMaskBits)) & 1);
  switches[end / kMaskBits] |= std::uint64_t{1} << (end % kMaskBits);
  return end;
}

// Reads the switches one after the other.
class SwitchReader {
 public:
  explicit SwitchReader(const std::uint64_t* switches) : switches_(switches), bits_(switches[0]) {}
  std::size_t Next() {
    while (bits_ == 0) bits_ = switches_[++word_];  // the end's bit is always found
    const std::size_t at = word_ * kMaskBits + static_cast<std::size_t>(std::countr_zero(bits_));
    bits_ &= bits_ - 1;
    return at;
  }

 private:
  const std::uint64_t* switches_;
  std::uint64_t bits_;
  std::size_t word_ = 0;
};

// Writes the run at [at, stop) whole steps at a time, copied or converted.
template <typename Kernel, bool kKanji, typename Source>
[[gnu::always_inline]] inline char* WriteRun(const Source& src, std::size_t at, std::size_t stop, char* out) {
  std::size_t t = 0;
  do {
    if constexpr (kKanji) {
      Kernel::ConvertStep(src.Step(at + t), out + t);
    } else {
      Kernel::CopyStep(src.Step(at + t), out + t);
    }
    t += kStep;
  } while (at + t < stop);
  return out + (stop - at);
}

// Writes the run up to the next switch, in Kanji mode or not, and the escape
// into the other mode; false, with nothing after the run, at `end`.
template <typename Kernel, bool kKanji, typename Source>
[[gnu::always_inline]] inline bool WriteRunAndEscape(const Source& src, SwitchReader& reader, std::size_t end,
                                                     std::size_t& at, char*& out) {
  const std::size_t stop = reader.Next();
  out = WriteRun<Kernel, kKanji>(src, at, stop, out);
  if (stop == end) return false;
  at = stop;
  std::memcpy(out, kKanji ? kEnterRoman : kEnterKanji, 4);  // the NUL is written over
  out += 3;
  return true;
}

// Writes the chunk's bytes up to `end` from the switches ScanPlain found,
// starting in the mode in `kanji` and leaving the last one there. Stores up
// to a step past the output. The modes alternate, so each turn of the loop
// writes one run of each and needs no test of the mode.
template <typename Kernel, typename Source>
[[gnu::always_inline]] inline char* EmitPlain(const Source& src, std::size_t end,
                                              const std::uint64_t* switches, bool& kanji, char* out) {
  SwitchReader reader(switches);
  std::size_t at = 0;
  if (kanji && !WriteRunAndEscape<Kernel, true>(src, reader, end, at, out)) return out;
  for (;;) {
    if (!WriteRunAndEscape<Kernel, false>(src, reader, end, at, out)) {
      kanji = false;
      return out;
    }
    if (!WriteRunAndEscape<Kernel, true>(src, reader, end, at, out)) {
      kanji = true;
      return out;
    }
  }
}

// Encodes a chunk of up to `len` bytes read through `src`, at `text` with
// `available` bytes of text and `readable` bytes that may be loaded there;
// returns the bytes consumed, at least `len` unless the text ends first.
template <typename Kernel, typename Source, typename Output>
[[gnu::always_inline]] inline std::size_t EncodeChunk(const Source& src, const unsigned char* text,
                                                      std::size_t available, std::size_t readable,
                                                      std::size_t len, bool& kanji, Output& w) {
  std::uint64_t switches[kSwitchWords];
  const std::size_t end = ScanPlain(src, len, kanji, switches);
  // Each byte gives at most itself and one escape.
  w.Need(4 * end + kStep);
  char* const out = w.At();
  w.Advance(static_cast<std::size_t>(EmitPlain<Kernel>(src, end, switches, kanji, out) - out));
  if (end >= len) return end;
  return end + EncodeInto(text + end, available - end, readable - end, len - end, kanji, w);
}

template <typename Kernel, typename Output>
[[gnu::always_inline]] inline void EncodeTextWith(std::string_view text, Output& w) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t start = 0;
  bool kanji = false;
  while (n - start >= kLastPiece) {
    start +=
        EncodeChunk<Kernel>(InPlace<Kernel>{in + start}, in + start, n - start, n - start, kChunk, kanji, w);
  }
  const std::size_t len = n - start;
  if (n >= kStep) {
    EncodeChunk<Kernel>(TextEnd<Kernel>(in + start, len), in + start, len, len, len, kanji, w);
    return;
  }
  if (n == 0) return;
  // Too short to load a step of: copied behind zero bytes.
  alignas(kStep) unsigned char copy[kMaskBits + kStep] = {};
  std::memcpy(copy, in, n);
  EncodeChunk<Kernel>(InPlace<Kernel>{copy}, copy, n, sizeof copy, n, kanji, w);
}

#if defined(NOVALUNE_ENCODE_AVX2)
NOVALUNE_AVX2 __attribute__((flatten)) void EncodeTextAvx2(std::string_view text, BoundedWriter& w) {
  EncodeTextWith<Avx2Kernel>(text, w);
}

NOVALUNE_AVX2 __attribute__((flatten)) void EncodeTextAvx2(std::string_view text, Writer& w) {
  EncodeTextWith<Avx2Kernel>(text, w);
}

// Chosen once, with the instruction sets the decoder's AVX2 kernel needs too;
// false, the portable kernel, should a conversion run while the program's
// statics are still being set up.
const bool kEncodeAvx2 = jconvert_detail::KernelSupported(jconvert_detail::DecodeKernel::kAvx2);
#else
constexpr bool kEncodeAvx2 = false;
#endif

using jconvert_detail::EncodeKernel;

// The portable kernel wherever this build has no other.
template <typename Output>
void EncodeTextOn(EncodeKernel kernel, std::string_view text, Output& w) {
#if defined(NOVALUNE_ENCODE_AVX2)
  if (kernel == EncodeKernel::kAvx2) {
    EncodeTextAvx2(text, w);
    return;
  }
#endif
  (void)kernel;
  EncodeTextWith<PortableKernel>(text, w);
}

template <typename Output>
void EncodeText(std::string_view text, Output& w) {
  EncodeTextOn(kEncodeAvx2 ? EncodeKernel::kAvx2 : EncodeKernel::kPortable, text, w);
}

}  // namespace

void AppendSjisToJis(std::string_view text, std::string& out) {
  const std::size_t n = text.size();
  if (n <= kShortEncode) {
    // A line is encoded on the stack and appended in one step: no zero-filling of the string.
    char encoded[EncodedBound(kShortEncode) + kOverhang];
    BoundedWriter w(encoded);
    EncodeText(text, w);
    out.append(encoded, w.Size());
    return;
  }
  // Chat text grows by the escapes only; the writer grows if it needs more.
  Writer w(out, n + n / 4);
  EncodeText(text, w);
}

std::string_view SjisToJisInto(std::string_view text, std::string& room) {
  const std::size_t n = text.size();
  if (n > kShortEncode) {
    // Room for the worst case of a long text would be four times its size.
    room.clear();
    AppendSjisToJis(text, room);
    return room;
  }
  const std::size_t need = EncodedBound(n) + kOverhang;
  if (room.size() < need) jconvert_detail::GrowRoom(room, need);
  BoundedWriter w(room.data());
  EncodeText(text, w);
  return {room.data(), w.Size()};
}

std::string SjisToJis(std::string_view text) {
  std::string out;
  AppendSjisToJis(text, out);
  return out;
}

namespace jconvert_detail {

bool KernelSupported(EncodeKernel kernel) {
  return kernel == EncodeKernel::kPortable || (kernel == EncodeKernel::kAvx2 && kEncodeAvx2);
}

std::string SjisToJisWith(EncodeKernel kernel, std::string_view text) {
  if (!KernelSupported(kernel)) return {};
  std::string out(EncodedBound(text.size()) + kOverhang, '\0');
  BoundedWriter w(out.data());
  EncodeTextOn(kernel, text, w);
  out.resize(w.Size());
  return out;
}

}  // namespace jconvert_detail

namespace {

static_assert(kOverhang <= jconvert_detail::kDecodeSlack);
using jconvert_detail::kDecodeSlack;

// Decodes into `out` (room for text.size() + kDecodeSlack bytes) and returns the end.
char* DecodeAny(std::string_view text, char* out) {
  if (jconvert_detail::kFastDecode != nullptr) {
    if (char* end = jconvert_detail::kFastDecode(text, out)) return end;
  }
  return out + jconvert_detail::DecodeInGeneral(text, out);
}

}  // namespace

namespace jconvert_detail {

// Kept out of line: its stack buffers would otherwise be set up for every
// line, including those the fast path takes.
[[gnu::noinline]] std::size_t DecodeInGeneral(std::string_view text, char* out) {
  const std::size_t n = text.size();
  if (n > kShortInput) {
    std::vector<unsigned char> padded(n + kPadding);
    std::memcpy(padded.data(), text.data(), n);
    std::vector<std::uint64_t> masks(2 * MaskWords(n));
    return DecodePadded(padded.data(), n, masks.data(), masks.data() + MaskWords(n), out);
  }
  alignas(16) unsigned char copy[kShortInput + kPadding];
  std::memcpy(copy, text.data(), n);
  std::memset(copy + n, 0, kPadding);
  std::uint64_t escapes[MaskWords(kShortInput)];
  std::uint64_t strays[MaskWords(kShortInput)];
  return DecodePadded(copy, n, escapes, strays, out);
}

// The whole capacity is taken: the string then zero-fills only when it grows.
void GrowRoom(std::string& room, std::size_t size) { room.resize(std::max(size, room.capacity())); }

}  // namespace jconvert_detail

void AppendJisToSjis(std::string_view text, std::string& out) {
  const std::size_t n = text.size();
  if (n <= kShortInput) {
    // A line is decoded on the stack and appended in one step: no zero-filling of the string.
    alignas(32) char decoded[kShortInput + kDecodeSlack];
    out.append(decoded, static_cast<std::size_t>(DecodeAny(text, decoded) - decoded));
    return;
  }
  const std::size_t used = out.size();
  out.resize(used + n + kDecodeSlack);
  out.resize(static_cast<std::size_t>(DecodeAny(text, out.data() + used) - out.data()));
}

namespace {

std::string_view DecodeIntoRoomInGeneral(std::string_view text, std::string& room) {
  const std::size_t need = text.size() + kDecodeSlack;
  if (room.size() < need) jconvert_detail::GrowRoom(room, need);
  return {room.data(), jconvert_detail::DecodeInGeneral(text, room.data())};
}

}  // namespace

std::string_view JisToSjisInto(std::string_view text, std::string& room) {
  // One jump: the fast path does all the rest.
  const jconvert_detail::RoomDecode fast = jconvert_detail::kFastDecodeInto;
  return (fast != nullptr ? fast : DecodeIntoRoomInGeneral)(text, room);
}

std::string JisToSjis(std::string_view text) {
  std::string out;
  AppendJisToSjis(text, out);
  return out;
}

}  // namespace novalune
