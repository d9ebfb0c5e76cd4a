// The two tokenisers shared by server and client.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace novalune {

using CmdParam = std::array<std::string, 10>;

// Splits at every blank into at most ten fields; text after the tenth blank is dropped.
void CommandCut(std::string_view text, CmdParam& param);

// n - 1 words, then the rest of the text (blanks included) in param[n - 1].
// n is clamped to 1..10. A text without any blank always goes whole into
// param[0], whatever n is.
void CommandCutNo(std::string_view text, CmdParam& param, int n);

}  // namespace novalune
