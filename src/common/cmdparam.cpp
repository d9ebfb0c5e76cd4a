#include "common/cmdparam.h"

#include <algorithm>

namespace novalune {

namespace {

void ClearAll(CmdParam& param) {
  for (auto& field : param) field.clear();
}

}  // namespace

void CommandCut(std::string_view text, CmdParam& param) {
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

void CommandCutNo(std::string_view text, CmdParam& param, int n) {
  ClearAll(param);
  if (text.find(' ') == std::string_view::npos) {
    param[0] = text;
    return;
  }
  // n = 1 puts the whole text in param[0].
  n = std::clamp(n, 1, static_cast<int>(param.size()));
  for (int k = 0; k < n - 1; ++k) {
    const std::size_t blank = text.find(' ');
    // Fewer blanks than words: the remaining fields stay empty and the rest
    // goes to the last one.
    if (blank == std::string_view::npos) break;
    param[k] = text.substr(0, blank);
    text.remove_prefix(blank + 1);
  }
  param[n - 1] = text;
}

}  // namespace novalune
