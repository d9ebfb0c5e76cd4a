#include "common/jconvert.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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

constexpr bool IsHankaku(std::uint8_t c) {
  return c >= 0xA1 && c <= 0xDF;
}

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

constexpr bool IsLead(std::uint8_t c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr bool IsTrail(std::uint8_t c) {
  return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

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
constexpr std::size_t EncodedBound(std::size_t size) {
  return size * 9 / 2 + 8;
}

// End of the run of 7-bit bytes starting at `i`, eight bytes at a time.
std::size_t RomanRunEnd(const unsigned char* in, std::size_t i, std::size_t n) {
  while (n - i >= 8) {
    std::uint64_t word;
    std::memcpy(&word, in + i, 8);
    if (word & 0x8080808080808080ULL) break;
    i += 8;
  }
  while (i < n && in[i] < 0x80) ++i;
  return i;
}

// The decoder takes the input a window of 64 bytes at a time: one bit mask
// tells where the ESC bytes are, so finding the end of each run is a shift
// and a bit scan that never waits on the converted data, and the runs between
// escapes are converted a block of 16 bytes at a time. That keeps the short
// runs of chat text cheap.
constexpr std::size_t kBlock = 16;
constexpr std::size_t kWindow = 64;
constexpr std::size_t kPadding = 2 * kBlock;  // readable bytes past a line's copy
// Output written past the end of what is kept: a pair reaching past a window
// and two blocks stored whole.
constexpr std::size_t kOverhang = 4 + 2 * kBlock;

// Bits of the bytes of a block or window: ESC, and stray bytes that cannot be half of
// a JIS pair (outside 0x21..0x7E; ESC is one of them).
struct BlockBits {
  std::uint64_t esc;
  std::uint64_t stray;
};

#if defined(__SSE2__)
// Eight JIS pairs to eight Shift-JIS pairs: the pair arithmetic in 16-bit lanes.
inline __m128i JisPairsToSjis(__m128i v) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i one = _mm_set1_epi16(1);
  const __m128i j1 = _mm_and_si128(v, lowBytes);
  const __m128i j2 = _mm_srli_epi16(v, 8);
  __m128i s1 = _mm_add_epi16(_mm_srli_epi16(_mm_add_epi16(j1, one), 1), _mm_set1_epi16(0x70));
  s1 = _mm_add_epi16(s1, _mm_and_si128(_mm_cmpgt_epi16(j1, _mm_set1_epi16(0x5E)), _mm_set1_epi16(0x40)));
  s1 = _mm_and_si128(s1, lowBytes);
  // Even j1: j2 + 0x7E; odd j1: j2 + 0x1F, or j2 + 0x20 from 0x60 on.
  const __m128i odd = _mm_cmpeq_epi16(_mm_and_si128(j1, one), one);
  const __m128i oddAdd = _mm_sub_epi16(_mm_set1_epi16(0x1F), _mm_cmpgt_epi16(j2, _mm_set1_epi16(0x5F)));
  const __m128i add = _mm_or_si128(_mm_and_si128(odd, oddAdd), _mm_andnot_si128(odd, _mm_set1_epi16(0x7E)));
  // Shifting the second byte into place drops its carry: 8-bit arithmetic.
  return _mm_or_si128(s1, _mm_slli_epi16(_mm_add_epi16(j2, add), 8));
}

inline __m128i LoadBlock(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// The last bytes of the input (fewer than a block), zero-padded: the padding is
// no ESC and converts to bytes that are never kept.
inline __m128i LoadPartial(const unsigned char* at, std::size_t count) {
  alignas(16) unsigned char block[kBlock] = {};
  std::memcpy(block, at, count);
  return _mm_load_si128(reinterpret_cast<const __m128i*>(block));
}

inline __m128i LoadUpTo(const unsigned char* at, std::size_t available) {
  return available >= kBlock ? LoadBlock(at) : LoadPartial(at, available);
}

inline BlockBits ClassifyBlock(__m128i v) {
  // v + 0x5F moves 0x21..0x7E to the signed range -128..-35.
  const __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(0x5F));
  const __m128i stray = _mm_cmpgt_epi8(shifted, _mm_set1_epi8(-35));
  return {static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(kEsc)))),
          static_cast<unsigned>(_mm_movemask_epi8(stray))};
}
#endif

constexpr bool IsJisByte(std::uint8_t c) {
  return c >= 0x21 && c <= 0x7E;
}

// First bytes above 0x7E come from the lead bytes 0xF0..0xFC (user-defined and
// extended characters); the encoder writes them, so the decoder takes them back.
constexpr bool IsJisFirst(std::uint8_t c) {
  return c >= 0x21 && c <= 0x98;
}

// Bit t set when in[from + t] is ESC (esc) or a stray byte (stray), for
// t < end - from (at most a window).
inline BlockBits WindowBits(const unsigned char* in, std::size_t from, std::size_t end, std::size_t limit) {
  BlockBits bits{0, 0};
#if defined(__SSE2__)
  if (end - from == kWindow) {
    for (std::size_t t = 0; t < kWindow; t += kBlock) {
      const BlockBits block = ClassifyBlock(LoadBlock(in + from + t));
      bits.esc |= block.esc << t;
      bits.stray |= block.stray << t;
    }
    return bits;
  }
  for (std::size_t t = 0; t < end - from; t += kBlock) {
    const std::size_t left = end - from - t;
    const BlockBits block = ClassifyBlock(LoadUpTo(in + from + t, limit - (from + t)));
    bits.esc |= block.esc << t;
    // The zero padding of a partial block would count as stray.
    const std::uint64_t valid = left >= kBlock ? 0xFFFF : (std::uint64_t{1} << left) - 1;
    bits.stray |= (block.stray & valid) << t;
  }
#else
  (void)limit;
  for (std::size_t t = 0; t < end - from; ++t) {
    bits.esc |= static_cast<std::uint64_t>(in[from + t] == kEsc) << t;
    bits.stray |= static_cast<std::uint64_t>(!IsJisByte(in[from + t])) << t;
  }
#endif
  return bits;
}

// Converts in[from, to), which holds no escape, in the given mode; for Kanji
// the length is even. Whole blocks may be stored up to two blocks past the
// run's output (the caller leaves room); the next run overwrites them.
inline void ConvertRun(const unsigned char* in, std::size_t from, std::size_t to, std::size_t n, bool kanji,
                       char*& out) {
  const std::size_t length = to - from;
  std::size_t t = 0;
#if defined(__SSE2__)
  // Two blocks without asking: nearly every run of chat text fits, and a
  // loop whose trip count changes from run to run costs more than the work.
  if (n - from >= 2 * kBlock) {
    const __m128i first = LoadBlock(in + from);
    const __m128i second = LoadBlock(in + from + kBlock);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), kanji ? JisPairsToSjis(first) : first);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + kBlock), kanji ? JisPairsToSjis(second) : second);
    t = 2 * kBlock;
  }
  for (; t < length; t += kBlock) {
    const __m128i v = LoadUpTo(in + from + t, n - (from + t));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + t), kanji ? JisPairsToSjis(v) : v);
  }
#else
  (void)n;
  if (kanji) {
    for (; t < length; t += 2) PutJisPairAsSjis(in[from + t], in[from + t + 1], out + t);
  } else {
    std::memcpy(out, in + from, length);
  }
#endif
  out += length;
}

// One call of the decoder.
class JisDecoder {
 public:
  // `readable`: bytes that may be loaded from text.data(), at least its size;
  // with room past the end no load needs to be cut short.
  JisDecoder(std::string_view text, std::size_t readable)
      : in_(reinterpret_cast<const unsigned char*>(text.data())), n_(text.size()), limit_(readable) {}

  // Decodes into `out`, which has room for the input's size plus kOverhang.
  void RunInto(char*& out) {
    while (at_ < n_ && Window(out)) {
    }
  }

  void Run(Writer& w) {
    while (at_ < n_) {
      // Room for a window, an escape and a pair reaching past it, and two blocks stored whole.
      w.Need(kWindow + 4 + 2 * kBlock);
      char* out = w.At();
      const bool more = Window(out);
      w.Advance(static_cast<std::size_t>(out - w.At()));
      if (!more) return;
    }
  }

 private:
  // Decodes the escapes and runs that start in the window at at_; returns
  // false when the conversion has ended. Works on local copies: the output
  // is written through char pointers, which could alias the members.
  //
  // In Kanji mode a pair is made only of bytes that can be JIS pair bytes; a
  // stray byte is never swallowed as half of a pair, so CR, LF and escapes
  // keep their meaning and every pair decodes to valid Shift-JIS.
  bool Window(char*& outRef) {
    const unsigned char* const in = in_;
    const std::size_t n = n_;
    const std::size_t from = at_;
    const std::size_t end = std::min(n, from + kWindow);
    const BlockBits found = WindowBits(in, from, end, limit_);
    std::size_t at = at_;
    bool kanji = kanji_;
    bool afterEscape = afterEscape_;
    char* out = outRef;
    bool more = true;
    while (at < end) {
      std::uint64_t bits = (kanji ? found.stray : found.esc) >> (at - from);
      if (!kanji) bits &= ~static_cast<std::uint64_t>(afterEscape);  // the byte right after an escape is data
      if (bits == 0) {
        // Nothing special up to the window's end. A pair that straddles the
        // end waits for the next window, or is cut off at the end of the input.
        const std::size_t stop = kanji && ((end - at) & 1) != 0 ? end - 1 : end;
        if (stop > at) {
          ConvertRun(in, at, stop, limit_, kanji, out);
          at = stop;
          afterEscape = false;
        }
        more = end < n;
        break;
      }
      const std::size_t stop = at + static_cast<std::size_t>(std::countr_zero(bits));
      if (kanji) {
        const std::size_t pairsEnd = stop - ((stop - at) & 1);
        ConvertRun(in, at, pairsEnd, limit_, true, out);
        if (stop > at) afterEscape = false;
        at = stop;
        if (pairsEnd != stop) {
          *out++ = '?';  // a first byte whose second byte is stray
          continue;
        }
        const std::uint8_t c = in[stop];
        if (c != kEsc || afterEscape) {
          afterEscape = false;
          if (c < 0x21) {
            *out++ = static_cast<char>(c);  // control bytes keep their meaning
            at = stop + 1;
          } else if (n - stop < 2) {
            more = false;  // a pair cut off at the end ends the conversion
            break;
          } else if (IsJisFirst(c) && IsJisByte(in[stop + 1])) {
            PutJisPairAsSjis(c, in[stop + 1], out);
            out += 2;
            at = stop + 2;
          } else {
            *out++ = '?';
            at = stop + 1;
          }
          continue;
        }
      } else {
        ConvertRun(in, at, stop, limit_, false, out);
      }
      if (n - stop < 3) {
        more = false;  // an escape cut off at the end ends the conversion
        break;
      }
      const unsigned char selector = in[stop + 1];
      kanji = selector == '$' || (kanji && selector != '(');
      at = stop + 3;
      afterEscape = true;
    }
    at_ = at;
    kanji_ = kanji;
    afterEscape_ = afterEscape;
    outRef = out;
    return more;
  }

  const unsigned char* in_;
  std::size_t n_;
  std::size_t limit_;
  std::size_t at_ = 0;
  bool kanji_ = false;
  bool afterEscape_ = false;  // the byte at at_ directly follows an escape
};

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

template <typename Output>
void EncodeInto(std::string_view text, Output& w) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  bool kanji = false;
  while (i < n) {
    // A run of 7-bit bytes, CR and LF included, is copied in Roman mode.
    const std::size_t end = RomanRunEnd(in, i, n);
    if (end > i) {
      w.Need(end - i + 3);
      if (kanji) {
        w.Put(kEnterRoman, 3);
        kanji = false;
      }
      w.Put(text.data() + i, end - i);
      i = end;
      if (i == n) break;
    }
    const HighByte first = ClassifyHigh(in, i, n);
    if (first == HighByte::kCutOff) return;  // a pair cut off at the end ends the conversion
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
}

}  // namespace

void AppendSjisToJis(std::string_view text, std::string& out) {
  if (text.size() <= kShortEncode) {
    char encoded[EncodedBound(kShortEncode)];
    BoundedWriter w(encoded);
    EncodeInto(text, w);
    out.append(encoded, w.Size());
    return;
  }
  // Chat text grows by the escapes only; the writer grows if it needs more.
  Writer w(out, text.size() + text.size() / 4);
  EncodeInto(text, w);
}

std::string SjisToJis(std::string_view text) {
  std::string out;
  AppendSjisToJis(text, out);
  return out;
}

void AppendJisToSjis(std::string_view text, std::string& out) {
  // Escapes vanish and pairs stay pairs, so the output never exceeds the input.
  if (text.size() > kShortInput) {
    Writer w(out, text.size());
    JisDecoder(text, text.size()).Run(w);
    return;
  }
  // A line is copied to where whole blocks can be loaded past its end.
  alignas(16) char copy[kShortInput + kPadding];
  std::memcpy(copy, text.data(), text.size());
  std::memset(copy + text.size(), 0, kPadding);
  alignas(16) char decoded[kShortInput + kOverhang];
  char* end = decoded;
  JisDecoder(std::string_view(copy, text.size()), text.size() + kPadding).RunInto(end);
  out.append(decoded, static_cast<std::size_t>(end - decoded));
}

std::string JisToSjis(std::string_view text) {
  std::string out;
  AppendJisToSjis(text, out);
  return out;
}

}  // namespace novalune
