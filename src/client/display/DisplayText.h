// Text rules of the conversation display that need no widget: the line-break
// escape, the address recogniser and the log file naming. Shift-JIS in and out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/ClientUtil.h"

namespace novalune::display {

// The engine's escape for a line break inside one protocol line, which the
// display turns back into lines.
using client::kLineBreakEscape;

// The paragraphs DspMessage appends for `text`. Without the escape the text is
// one paragraph, unchanged. With it, every escape (and every CR LF) ends a
// line, each line gets one leading space unless it already starts with one,
// and an empty remainder after the last break adds nothing.
std::vector<std::string> SplitDisplayLines(std::string_view text);

// One piece of a paragraph: plain text or a recognised address.
struct TextPiece {
  std::size_t begin = 0;
  std::size_t length = 0;
  std::string target;  // empty for plain text; the address to open otherwise
};

// Cuts `text` into pieces that cover it in order. Addresses are the schemes
// http, https, ftp, file, mailto, gopher, nntp, prospero, telnet, news and wais
// (any case) and mail addresses (target "mailto:" + address). An address is
// made of printable ASCII characters only, so a double-byte character, a
// blank or a control byte ends it; trailing punctuation is left out.
std::vector<TextPiece> SplitAddresses(std::string_view text);

// "yymmdd_hhmm", the proposed name of a saved log.
std::string LogFileStem(int year, int month, int day, int hour, int minute);

// True when the name ends in ".RTF" in any case: the log is saved as rich
// text. Any other name, one without an extension included, is plain text.
bool IsRtfLogName(std::string_view fileName);

}  // namespace novalune::display
