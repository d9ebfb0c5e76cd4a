#include "common/jconvert_decode.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/jconvert.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NOVALUNE_JCONVERT_X86 1
#endif

namespace novalune::jconvert_detail {

namespace {

constexpr std::size_t kWord = 64;
constexpr unsigned char kEsc = 0x1B;
constexpr std::uint64_t kEvenBits = 0x5555555555555555ULL;
constexpr std::uint64_t kOddBits = ~kEvenBits;
constexpr std::uint64_t kAllBits = ~std::uint64_t{0};
constexpr std::uint64_t kLowHalf = 0xFFFFFFFFULL;

// Bit i of each mask stands for byte i of a 64-byte word.
struct WordBytes {
  std::uint64_t esc = 0;
  std::uint64_t jis = 0;     // 0x21..0x7E: can be half of a JIS pair
  std::uint64_t dollar = 0;  // the selector into Kanji mode
  std::uint64_t paren = 0;   // the selector back to Roman mode
};

// What becomes of each byte of a word.
struct WordPlan {
  std::uint64_t kanji = 0;  // Kanji data
  std::uint64_t first = 0;  // Kanji data that opens a pair
  std::uint64_t keep = 0;   // everything but the escapes: what is written
};

// A text of at most one word is loaded with its last byte at the word's last
// bit, so that a load ending at the text's end needs no shifting of bytes.
// Its two halves may overlap: when the low half is classified `lowShift`
// bits up, every byte lies at its place in the word. Written back, each
// byte must be written from one half only.
inline std::uint64_t OneWordToLoaded(std::uint64_t mask, unsigned lowShift) {
  return ((mask >> lowShift) & kLowHalf) | (mask & (kAllBits << (32 + lowShift)));
}

// Turns the byte masks of consecutive words into plans. The mode, the escape
// and the Kanji run that a word leaves open carry into the next one.
class Planner {
 public:
  // False when the word shows that the text is not well formed.
  [[gnu::always_inline]] bool Plan(const WordBytes& b, std::uint64_t valid, WordPlan& plan) {
    const std::uint64_t esc1 = (b.esc << 1) | (prevEsc_ >> 63);
    const std::uint64_t esc2 = (b.esc << 2) | (prevEsc_ >> 62);
    const std::uint64_t esc3 = (b.esc << 3) | (prevEsc_ >> 61);
    prevEsc_ = b.esc;
    // The byte after an escape is data even when it is an ESC: the general decoder's case.
    std::uint64_t bad = b.esc & (esc1 | esc2 | esc3);
    // Kanji mode runs from each '$' selector to the next '(': as a number,
    // the '(' bits less the '$' bits, the borrow running through each run and
    // out of the word while one is open. Only strict alternation is read so:
    // a switch to the mode already in force leaves its selector's bit the
    // wrong way round.
    const std::uint64_t intoKanji = esc1 & b.dollar;
    const std::uint64_t intoRoman = esc1 & b.paren;
    const std::uint64_t opened = intoKanji + kanjiOpen_;
    const std::uint64_t mode = intoRoman - opened;
    kanjiOpen_ = static_cast<std::uint64_t>(intoRoman < opened);
    bad |= (mode & (intoKanji | intoRoman)) ^ intoKanji;
    plan.keep = ~(b.esc | esc1 | esc2) & valid;
    const std::uint64_t kanji = mode & plan.keep;
    bad |= kanji & ~b.jis;
    // Pairs count from the start of each run of Kanji data. Adding the start
    // bit of each run that starts at an odd byte carries through that run:
    // the bits it clears are the runs paired from odd bytes. A run still open
    // from the word before brings its carry in at bit 0, an even bit, where
    // no such start bit can be.
    const std::uint64_t starts = kanji & ~((kanji << 1) | (prevKanji_ >> 63));
    const std::uint64_t carried = kanji + ((starts & kOddBits) | carry_);
    carry_ = static_cast<std::uint64_t>(carried < kanji);
    const std::uint64_t oddRuns = kanji & ~carried;
    const std::uint64_t first = kanji & (kEvenBits ^ oddRuns);
    bad |= ((first << 1) | (prevFirst_ >> 63)) & ~kanji;  // a run ending inside a pair
    prevKanji_ = kanji;
    prevFirst_ = first;
    cutOff_ = b.esc | esc1 | first;
    plan.kanji = kanji;
    plan.first = first;
    return bad == 0;
  }

  // Whether the text, ending at byte `bit` of the last word, ends inside an
  // escape or a pair.
  bool CutOffAt(std::size_t bit) const { return ((cutOff_ >> bit) & 1) != 0; }

 private:
  std::uint64_t prevEsc_ = 0;
  std::uint64_t kanjiOpen_ = 0;  // 1 in Kanji mode
  std::uint64_t prevKanji_ = 0;
  std::uint64_t prevFirst_ = 0;
  std::uint64_t carry_ = 0;
  std::uint64_t cutOff_ = 0;  // an escape's first two bytes and the first byte of each pair
};

// Each kernel fetches a word of the input (Load) or a text of at most one
// word, ending at the word's end (LoadOneWord), without reading past the
// input's end; classifies the bytes it loaded (Classify) and writes the kept
// ones, pairs converted, returning how many (Emit). State keeps the word's
// last byte for the next one: the first byte of a pair split between words.
// With `kFrom` 1 they leave out the low half, which then holds nothing to
// decode: a short last word costs half as much.

struct ScalarKernel {
  struct State {
    unsigned char last = 0;
  };
  using Word = const unsigned char*;

  static Word Load(const unsigned char* in, std::size_t offset) { return in + offset; }

  // The text copied to the end of `scratch`, zeros before it.
  static Word LoadOneWord(const unsigned char* in, std::size_t n, unsigned char* scratch,
                          unsigned& lowShift) {
    std::memset(scratch, 0, kWord);
    std::memcpy(scratch + kWord - n, in, n);
    lowShift = 0;
    return scratch;
  }

  template <std::size_t kFrom = 0>
  static WordBytes Classify(const unsigned char* in, const State&, unsigned = 0) {
    WordBytes b;
    for (std::size_t i = 0; i < kWord; ++i) {
      const std::uint64_t bit = std::uint64_t{1} << i;
      const unsigned char c = in[i];
      b.esc |= c == kEsc ? bit : 0;
      b.jis |= c >= 0x21 && c <= 0x7E ? bit : 0;
      b.dollar |= c == '$' ? bit : 0;
      b.paren |= c == '(' ? bit : 0;
    }
    return b;
  }

  template <std::size_t kFrom = 0>
  static std::size_t Emit(const unsigned char* in, const WordPlan& plan, State& state, char* out) {
    char* o = out;
    unsigned char before = state.last;
    for (std::size_t i = 0; i < kWord; ++i) {
      const unsigned char c = in[i];
      if (((plan.keep >> i) & 1) != 0) {
        unsigned char decoded = c;
        if (((plan.first >> i) & 1) != 0) {
          decoded = JisPairToSjis(c, 0x21)[0];
        } else if (((plan.kanji >> i) & 1) != 0) {
          decoded = JisPairToSjis(before, c)[1];
        }
        *o++ = static_cast<char>(decoded);
      }
      before = c;
    }
    state.last = before;
    return static_cast<std::size_t>(o - out);
  }
};

#if defined(NOVALUNE_JCONVERT_X86)

#define NOVALUNE_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))

using Splat = std::array<unsigned char, 32>;

constexpr Splat MakeSplat(unsigned char byte) {
  Splat bytes{};
  for (unsigned char& b : bytes) b = byte;
  return bytes;
}

// The kernel's constant vectors, read from memory through a pointer that the
// compiler cannot see through. Built in registers instead, they are rebuilt
// in every word for want of registers to keep them in, two instructions
// each; read, they cost nothing but an operand.
struct alignas(32) Avx2Constants {
  Splat esc = MakeSplat(kEsc);
  Splat dollar = MakeSplat('$');
  Splat paren = MakeSplat('(');
  Splat jisBias = MakeSplat(0x5F);   // moves 0x21..0x7E to the bottom of the signed range
  Splat jisLimit = MakeSplat(0xDE);  // and this is where it ends
  Splat rowHalf = MakeSplat(0x5E);   // the last first byte below 0x9F in Shift-JIS
  Splat lowRows = MakeSplat(0x70);
  Splat highRows = MakeSplat(0xB0);
  Splat oddLow = MakeSplat(0x1F);
  Splat evenAdd = MakeSplat(0x7E);
  std::array<std::uint64_t, 4> bitOfByte = {0x8040201008040201ULL, 0x8040201008040201ULL,
                                            0x8040201008040201ULL, 0x8040201008040201ULL};
};

constexpr Avx2Constants kAvx2Constants{};

const Avx2Constants* OpaqueConstants() {
  const Avx2Constants* constants = &kAvx2Constants;
  asm("" : "+r"(constants));
  return constants;
}

template <typename Array>
NOVALUNE_AVX2 inline __m256i Load32(const Array& bytes) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(bytes.data()));
}

NOVALUNE_AVX2 inline __m256i JisBytesToSjis(const Avx2Constants& k, __m256i v, __m256i before, __m256i kanji,
                                            __m256i first) {
  const __m256i upper = _mm256_cmpgt_epi8(v, Load32(k.rowHalf));
  const __m256i opening = _mm256_add_epi8(_mm256_avg_epu8(v, _mm256_setzero_si256()),
                                          _mm256_blendv_epi8(Load32(k.lowRows), Load32(k.highRows), upper));
  // The low bit of each byte before, moved to the top bit that blendv reads.
  const __m256i afterOdd = _mm256_slli_epi16(before, 7);
  const __m256i oddAdd = _mm256_sub_epi8(Load32(k.oddLow), _mm256_cmpgt_epi8(v, Load32(k.jisBias)));
  const __m256i closing = _mm256_add_epi8(v, _mm256_blendv_epi8(Load32(k.evenAdd), oddAdd, afterOdd));
  return _mm256_blendv_epi8(v, _mm256_blendv_epi8(closing, opening, first), kanji);
}

// For each 8-bit mask, the positions of its set bits, one a byte, lowest
// first; `offset` is added to each (8 for the upper half of a block).
constexpr std::array<std::uint64_t, 256> MakeCompressTable(std::uint64_t offset) {
  std::array<std::uint64_t, 256> table{};
  for (std::size_t mask = 0; mask < 256; ++mask) {
    std::size_t kept = 0;
    for (std::uint64_t bit = 0; bit < 8; ++bit) {
      if (((mask >> bit) & 1) != 0) table[mask] |= (bit + offset) << (8 * kept++);
    }
  }
  return table;
}

constexpr std::array<std::uint64_t, 256> kCompressLow = MakeCompressTable(0);
constexpr std::array<std::uint64_t, 256> kCompressHigh = MakeCompressTable(8);

// The number of set bits of each 8-bit mask: one load, where the compiler
// writes popcnt with an extra instruction against a false dependency.
constexpr std::array<std::uint8_t, 256> MakeKeptCounts() {
  std::array<std::uint8_t, 256> counts{};
  for (std::size_t mask = 0; mask < 256; ++mask)
    counts[mask] = static_cast<std::uint8_t>(std::popcount(mask));
  return counts;
}

constexpr std::array<std::uint8_t, 256> kKeptCount = MakeKeptCounts();

// Writes the bytes of v whose bit is set in `keep`, in order, and returns the
// end of what it wrote; stores up to 8 bytes past it.
NOVALUNE_AVX2 inline char* Compact16(__m128i v, std::uint32_t keep, char* out) {
  const std::uint32_t low = keep & 0xFF;
  const std::uint32_t high = (keep >> 8) & 0xFF;
  const __m128i order =
      _mm_set_epi64x(static_cast<long long>(kCompressHigh[high]), static_cast<long long>(kCompressLow[low]));
  const __m128i packed = _mm_shuffle_epi8(v, order);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
  out += kKeptCount[low];
  // The high half through an unaligned integer store: a double store may not be misaligned.
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_unpackhi_epi64(packed, packed));
  return out + kKeptCount[high];
}

NOVALUNE_AVX2 inline std::uint64_t Bits32(__m256i isSet, std::size_t shift) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(isSet))) << shift;
}

struct Avx2Kernel {
  struct State {
    __m256i last = {};
    const Avx2Constants& k = *OpaqueConstants();
  };

  struct Word {
    __m256i half[2];
  };

  NOVALUNE_AVX2 static Word Load(const unsigned char* in, std::size_t offset) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + offset)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + offset + 32))};
  }

  // The text's first 32 bytes and its last 32, which overlap unless the text
  // is a whole word: only a text too short for one whole load is copied.
  NOVALUNE_AVX2 static Word LoadOneWord(const unsigned char* in, std::size_t n, unsigned char* scratch,
                                        unsigned& lowShift) {
    if (n <= 32) {
      std::memset(scratch, 0, kWord);
      std::memcpy(scratch + kWord - n, in, n);
      lowShift = 0;
      return Load(scratch, 0);
    }
    lowShift = static_cast<unsigned>(kWord - n);
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + n - 32))};
  }

  // With the low half's bits `lowShift` up.
  template <std::size_t kFrom = 0>
  NOVALUNE_AVX2 static WordBytes Classify(const Word& word, const State& state, unsigned lowShift = 0) {
    const Avx2Constants& k = state.k;
    WordBytes b;
    for (std::size_t h = kFrom; h < 2; ++h) {
      const __m256i v = word.half[h];
      const std::size_t t = h == 0 ? lowShift : 32;
      const __m256i jis = _mm256_cmpgt_epi8(Load32(k.jisLimit), _mm256_add_epi8(v, Load32(k.jisBias)));
      b.esc |= Bits32(_mm256_cmpeq_epi8(v, Load32(k.esc)), t);
      b.jis |= Bits32(jis, t);
      b.dollar |= Bits32(_mm256_cmpeq_epi8(v, Load32(k.dollar)), t);
      b.paren |= Bits32(_mm256_cmpeq_epi8(v, Load32(k.paren)), t);
    }
    return b;
  }

  template <std::size_t kFrom = 0>
  NOVALUNE_AVX2 static std::size_t Emit(const Word& word, const WordPlan& plan, State& state, char* out) {
    const __m256i bitOfByte = Load32(state.k.bitOfByte);
    // Both masks in each lane, kanji bits low and first bits high; `byte`
    // picks the mask byte that each byte of the first half tests.
    const __m256i spread = _mm256_broadcastsi128_si256(
        _mm_set_epi64x(static_cast<long long>(plan.first), static_cast<long long>(plan.kanji)));
    const __m256i byte = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1,  //
                                          2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
    char* o = out;
    if constexpr (kFrom == 1) state.last = word.half[0];
    for (std::size_t h = kFrom; h < 2; ++h) {
      const std::size_t t = 32 * h;
      const __m256i v = word.half[h];
      const __m256i before = _mm256_alignr_epi8(v, _mm256_permute2x128_si256(state.last, v, 0x21), 15);
      state.last = v;
      const __m256i kanjiByte = _mm256_add_epi8(byte, _mm256_set1_epi8(static_cast<char>(4 * h)));
      const __m256i firstByte = _mm256_add_epi8(kanjiByte, _mm256_set1_epi8(8));
      const __m256i kanji =
          _mm256_cmpeq_epi8(_mm256_and_si256(_mm256_shuffle_epi8(spread, kanjiByte), bitOfByte), bitOfByte);
      const __m256i first =
          _mm256_cmpeq_epi8(_mm256_and_si256(_mm256_shuffle_epi8(spread, firstByte), bitOfByte), bitOfByte);
      const __m256i decoded = JisBytesToSjis(state.k, v, before, kanji, first);
      const auto keep = static_cast<std::uint32_t>(plan.keep >> t);
      o = Compact16(_mm256_castsi256_si128(decoded), keep, o);
      o = Compact16(_mm256_extracti128_si256(decoded, 1), keep >> 16, o);
    }
    return static_cast<std::size_t>(o - out);
  }
};

#endif

// Plans and writes the whole word at `offset`.
template <typename Kernel>
[[gnu::always_inline]] inline bool DecodeWord(const unsigned char* in, std::size_t offset, Planner& planner,
                                              typename Kernel::State& state, char*& out) {
  const typename Kernel::Word word = Kernel::Load(in, offset);
  WordPlan plan;
  if (!planner.Plan(Kernel::Classify(word, state), kAllBits, plan)) return false;
  out += Kernel::Emit(word, plan, state, out);
  return true;
}

// Plans and writes the last word: the input's last 64 bytes, of which the
// first `overlap` were decoded with the word before.
template <typename Kernel, std::size_t kFrom>
[[gnu::always_inline]] inline bool DecodeLastWordFrom(const unsigned char* in, std::size_t n,
                                                      unsigned overlap, Planner& planner,
                                                      typename Kernel::State& state, char*& out) {
  const typename Kernel::Word word = Kernel::Load(in, n - kWord);
  const WordBytes loaded = Kernel::template Classify<kFrom>(word, state);
  const WordBytes bytes = {loaded.esc >> overlap, loaded.jis >> overlap, loaded.dollar >> overlap,
                           loaded.paren >> overlap};
  WordPlan plan;
  if (!planner.Plan(bytes, kAllBits >> overlap, plan) || planner.CutOffAt(kWord - 1 - overlap)) return false;
  plan = {plan.kanji << overlap, plan.first << overlap, plan.keep << overlap};
  out += Kernel::template Emit<kFrom>(word, plan, state, out);
  return true;
}

template <typename Kernel>
[[gnu::always_inline]] inline bool DecodeLastWord(const unsigned char* in, std::size_t n, unsigned overlap,
                                                  Planner& planner, typename Kernel::State& state,
                                                  char*& out) {
  if (overlap >= 32) return DecodeLastWordFrom<Kernel, 1>(in, n, overlap, planner, state, out);
  return DecodeLastWordFrom<Kernel, 0>(in, n, overlap, planner, state, out);
}

// Decodes a text of 1 to 64 bytes, planned with its last byte at the last bit
// and the bits before it empty: bytes that are not there.
template <typename Kernel>
[[gnu::always_inline]] inline char* DecodeOneWord(const unsigned char* in, std::size_t n, char* out) {
  alignas(32) unsigned char scratch[kWord];
  unsigned lowShift = 0;
  typename Kernel::State state;
  const typename Kernel::Word word = Kernel::LoadOneWord(in, n, scratch, lowShift);
  Planner planner;
  WordPlan plan;
  if (!planner.Plan(Kernel::Classify(word, state, lowShift), kAllBits << (kWord - n), plan) ||
      planner.CutOffAt(kWord - 1))
    return nullptr;
  plan = {OneWordToLoaded(plan.kanji, lowShift), OneWordToLoaded(plan.first, lowShift),
          OneWordToLoaded(plan.keep, lowShift)};
  return out + Kernel::Emit(word, plan, state, out);
}

// Decodes in[0, n) into `out` (room for n + kDecodeSlack bytes) and returns the
// end of what it wrote; nullptr, leaving `out` in an unknown state, when the
// text is not well formed.
template <typename Kernel>
[[gnu::always_inline]] inline char* DecodeWords(std::string_view text, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  if (n == 0) return out;
  if (n <= kWord) return DecodeOneWord<Kernel>(in, n, out);
  Planner planner;
  typename Kernel::State state;
  // The first word by itself: most chat lines have one more, the last.
  if (!DecodeWord<Kernel>(in, 0, planner, state, out)) return nullptr;
  std::size_t offset = kWord;
  for (; n - offset > kWord; offset += kWord) {
    if (!DecodeWord<Kernel>(in, offset, planner, state, out)) return nullptr;
  }
  const auto overlap = static_cast<unsigned>(kWord - (n - offset));
  return DecodeLastWord<Kernel>(in, n, overlap, planner, state, out) ? out : nullptr;
}

template <typename Kernel>
[[gnu::always_inline]] inline std::string_view DecodeIntoRoom(std::string_view text, std::string& room) {
  const std::size_t need = text.size() + kDecodeSlack;
  if (room.size() < need) GrowRoom(room, need);
  char* const begin = room.data();
  char* end = DecodeWords<Kernel>(text, begin);
  if (end == nullptr) end = begin + DecodeInGeneral(text, begin);
  return {begin, static_cast<std::size_t>(end - begin)};
}

char* DecodeScalar(std::string_view text, char* out) { return DecodeWords<ScalarKernel>(text, out); }

#if defined(NOVALUNE_JCONVERT_X86)
NOVALUNE_AVX2 __attribute__((flatten)) char* DecodeAvx2(std::string_view text, char* out) {
  return DecodeWords<Avx2Kernel>(text, out);
}

NOVALUNE_AVX2 __attribute__((flatten)) std::string_view DecodeAvx2IntoRoom(std::string_view text,
                                                                           std::string& room) {
  return DecodeIntoRoom<Avx2Kernel>(text, room);
}

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
         __builtin_cpu_supports("popcnt");
}
#endif

// Without AVX2 the general decoder, SSE2 throughout, is the faster one.
WellFormedDecode ChooseFastDecode() {
#if defined(NOVALUNE_JCONVERT_X86)
  if (HasAvx2()) return DecodeAvx2;
#endif
  return nullptr;
}

RoomDecode ChooseFastDecodeInto() {
#if defined(NOVALUNE_JCONVERT_X86)
  if (HasAvx2()) return DecodeAvx2IntoRoom;
#endif
  return nullptr;
}

}  // namespace

// Chosen once; null (the general decoder) until then, should a conversion run
// while the program's statics are still being set up.
const WellFormedDecode kFastDecode = ChooseFastDecode();
const RoomDecode kFastDecodeInto = ChooseFastDecodeInto();

bool KernelSupported(DecodeKernel kernel) {
#if defined(NOVALUNE_JCONVERT_X86)
  if (kernel == DecodeKernel::kAvx2) {
    static const bool supported = HasAvx2();
    return supported;
  }
#endif
  return kernel == DecodeKernel::kScalar;
}

char* DecodeWellFormedWith(DecodeKernel kernel, std::string_view text, char* out) {
  if (!KernelSupported(kernel)) return nullptr;
#if defined(NOVALUNE_JCONVERT_X86)
  if (kernel == DecodeKernel::kAvx2) return DecodeAvx2(text, out);
#endif
  return DecodeScalar(text, out);
}

bool AppendWellFormedWith(DecodeKernel kernel, std::string_view text, std::string& out) {
  const std::size_t used = out.size();
  out.resize(used + text.size() + kDecodeSlack);
  const char* end = DecodeWellFormedWith(kernel, text, out.data() + used);
  out.resize(end != nullptr ? static_cast<std::size_t>(end - out.data()) : used);
  return end != nullptr;
}

}  // namespace novalune::jconvert_detail
