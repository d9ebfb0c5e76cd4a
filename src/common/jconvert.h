// Conversion between the program's Shift-JIS text and ISO-2022-JP on the wire.
// Stateless: every call starts in Roman mode. Never reads past the input and
// has no error result: invalid bytes go through the same arithmetic.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace novalune {

using BytePair = std::array<std::uint8_t, 2>;

// Encodes a Shift-JIS string for the wire ("\033$B" into Kanji, "\033(J" back).
std::string SjisToJis(std::string_view text);
// Appends the encoding of `text` to `out` (lets callers reuse one buffer).
void AppendSjisToJis(std::string_view text, std::string& out);
// Encodes into `room`, kept by the caller from line to line as raw space,
// as JisToSjisInto decodes: the wire bytes lie in `room` until it is next
// changed.
std::string_view SjisToJisInto(std::string_view text, std::string& room);

// Decodes a received block to Shift-JIS.
std::string JisToSjis(std::string_view text);
void AppendJisToSjis(std::string_view text, std::string& out);
// Decodes into `room`, a string the caller keeps from line to line as raw
// space: a received line then costs no allocation and no copy. Returns the
// Shift-JIS, which lies in `room` until it is next changed; the size of
// `room` itself says nothing about the text.
std::string_view JisToSjisInto(std::string_view text, std::string& room);

// The arithmetic of one double-byte character.
BytePair SjisPairToJis(std::uint8_t lead, std::uint8_t trail);
BytePair JisPairToSjis(std::uint8_t first, std::uint8_t second);

// One half-width katakana at text[position] (0xA1..0xDF), with a following
// voicing mark folded in, as a full-width JIS code. Advances `position` past
// everything it consumed.
BytePair HankakuToJis(std::string_view text, std::size_t& position);

namespace jconvert_detail {

// The encoder's instruction sets: both give the same bytes, and kAvx2 is the
// one in use where the processor has it. For tests of the one not in use.
enum class EncodeKernel { kPortable, kAvx2 };
bool KernelSupported(EncodeKernel kernel);
std::string SjisToJisWith(EncodeKernel kernel, std::string_view text);

}  // namespace jconvert_detail

}  // namespace novalune
