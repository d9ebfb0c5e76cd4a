#include "common/CmdParam.h"

#include <algorithm>

namespace novalune {

namespace {

// One implementation for both field types, so the owning and the viewing
// tokenisers cannot drift apart.
// clear() keeps a string's buffer for the next line.
void Clear(std::string& field) { field.clear(); }
void Clear(std::string_view& field) { field = {}; }

template <class Fields>
void ClearAll(Fields& param) {
  for (auto& field : param) Clear(field);
}

template <class Fields>
void CutAll(std::string_view text, Fields& param) {
  ClearAll(param);
  if (text.find(' ') == std::string_view::npos) {
    param[0] = text;
    return;
  }
  for (std::size_t k = 0; k < param.size(); ++k) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
      param[k] = text;
      return;
    }
    param[k] = text.substr(0, blank);
    text.remove_prefix(blank + 1);
  }
}

template <class Fields>
void CutWords(std::string_view text, Fields& param, int n) {
  ClearAll(param);
  if (text.find(' ') == std::string_view::npos) {
    param[0] = text;
    return;
  }
  // n = 1 puts the whole text in param[0].
  const auto last = static_cast<std::size_t>(std::clamp(n, 1, static_cast<int>(param.size())) - 1);
  for (std::size_t k = 0; k < last; ++k) {
    const std::size_t blank = text.find(' ');
    // Fewer blanks than words: the remaining fields stay empty and the rest
    // goes to the last one.
    if (blank == std::string_view::npos) break;
    param[k] = text.substr(0, blank);
    text.remove_prefix(blank + 1);
  }
  param[last] = text;
}

}  // namespace

void CommandCut(std::string_view text, CmdParam& param) { CutAll(text, param); }
void CommandCut(std::string_view text, CmdView& param) { CutAll(text, param); }

void CommandCutNo(std::string_view text, CmdParam& param, int n) { CutWords(text, param, n); }
void CommandCutNo(std::string_view text, CmdView& param, int n) { CutWords(text, param, n); }

}  // namespace novalune
