// The conversation log as files: rich text (RTF) and plain text, written from
// the display's paragraphs. Standard C++ only; text is Shift-JIS.
#pragma once

#include <string>
#include <vector>

#include "common/Settings.h"

namespace novalune::display {

// A stretch of one paragraph in one look. A LF in `text` is a line break
// inside the paragraph.
struct LogRun {
  FontSetting font;
  std::string text;
};

struct LogParagraph {
  FontSetting font;  // the paragraph's own look, used when it has no runs
  std::vector<LogRun> runs;
};

// A Rich Text Format document (code page 932) that keeps each run's face,
// size, bold, italic, underline, strike-out and colour. Japanese text is
// written as \'xx byte pairs under fonts of character set 128.
std::string WriteRtfLog(const std::vector<LogParagraph>& paragraphs);

// The text alone: one paragraph per line, every line ending in CR LF.
std::string WriteTextLog(const std::vector<LogParagraph>& paragraphs);

}  // namespace novalune::display
