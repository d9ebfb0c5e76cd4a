// The decoder's fast path: ISO-2022-JP as it comes from chat clients, where
// escapes are well formed and Kanji mode holds nothing but JIS pairs. Such
// text is decoded a 64-byte word at a time with no branch on the mode; any
// other text is left to the general decoder in jconvert.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace novalune::jconvert_detail {

// The instruction sets the fast path is written for. Both kernels give the
// same bytes; kScalar runs anywhere and is the yardstick for kAvx2, the one
// in use where the processor has it (elsewhere the general decoder is faster).
enum class DecodeKernel { kScalar, kAvx2 };

bool KernelSupported(DecodeKernel kernel);

// Room past its output that either decoder may write into.
inline constexpr std::size_t kDecodeSlack = 32;

// Decodes `text` into `out`, which has room for text.size() + kDecodeSlack
// bytes, and returns the end of the Shift-JIS when `text` is well formed:
// escapes complete, no ESC inside or right after an escape, escapes into and
// out of Kanji mode alternating, and every Kanji run an even number of bytes
// 0x21..0x7E. Otherwise returns null, whatever it wrote into `out`.
char* DecodeWellFormedWith(DecodeKernel kernel, std::string_view text, char* out);
// The same, appended to `out`; false with `out` as it was when not well formed.
bool AppendWellFormedWith(DecodeKernel kernel, std::string_view text, std::string& out);

// The fastest kernel on this processor, called directly so that a chat line
// pays for no dispatch; null where the general decoder is the faster one.
using WellFormedDecode = char* (*)(std::string_view text, char* out);
extern const WellFormedDecode kFastDecode;
// JisToSjisInto with that kernel, the general decoder taking what it leaves:
// the whole call in one function, as a line costs little more than a call.
using RoomDecode = std::string_view (*)(std::string_view text, std::string& room);
extern const RoomDecode kFastDecodeInto;

// The general decoder (jconvert.cpp): any text into `out`, with room for
// text.size() + kDecodeSlack bytes; returns the decoded size.
std::size_t DecodeInGeneral(std::string_view text, char* out);
// Gives `room` at least `size` bytes.
void GrowRoom(std::string& room, std::size_t size);

}  // namespace novalune::jconvert_detail
