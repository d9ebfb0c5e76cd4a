// The two tokenisers shared by server and client.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace novalune {

using CmdParam = std::array<std::string, 10>;

// The same ten fields as views into the text that was cut: no copies, and
// each handler can hold its own set. Valid only while that text lives.
using CmdView = std::array<std::string_view, 10>;

// Splits at every blank into at most ten fields; text after the tenth blank is dropped.
void CommandCut(std::string_view text, CmdParam& param);
void CommandCut(std::string_view text, CmdView& param);

// n - 1 words, then the rest of the text (blanks included) in param[n - 1].
// n is clamped to 1..10. A text without any blank always goes whole into
// param[0], whatever n is.
void CommandCutNo(std::string_view text, CmdParam& param, int n);
void CommandCutNo(std::string_view text, CmdView& param, int n);

}  // namespace novalune
