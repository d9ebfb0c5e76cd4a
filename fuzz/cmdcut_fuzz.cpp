// CommandCut and CommandCutNo on arbitrary text: the fields are the text's
// words in order, separated by single blanks, and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/CmdParam.h"

using namespace novalune;

namespace {

[[noreturn]] void Fail(const char* what, int n) {
  std::fprintf(stderr, "cmdcut fuzz: %s (n = %d)\n", what, n);
  std::abort();
}

void Check(bool ok, const char* what, int n = 0) {
  if (!ok) Fail(what, n);
}

std::size_t CountBlanks(std::string_view text) {
  std::size_t blanks = 0;
  for (char c : text) blanks += c == ' ' ? 1 : 0;
  return blanks;
}

CmdParam Dirty() {
  CmdParam param;
  for (auto& field : param) field = "stale";
  return param;
}

void CheckCommandCut(std::string_view text) {
  CmdParam param = Dirty();
  CommandCut(text, param);
  const std::size_t blanks = CountBlanks(text);
  // Fields 0..used-1 hold the words; the rest are empty.
  const std::size_t used = blanks < 10 ? blanks + 1 : 10;
  std::string joined;
  for (std::size_t k = 0; k < param.size(); ++k) {
    Check(param[k].find(' ') == std::string::npos, "a CommandCut field holds a blank");
    if (k >= used) {
      Check(param[k].empty(), "a CommandCut field past the words is not empty");
      continue;
    }
    if (k > 0) joined += ' ';
    joined += param[k];
  }
  if (blanks < 10) {
    Check(joined == text, "CommandCut fields do not make up the text");
  } else {
    // Text after the tenth blank is dropped.
    Check(text.substr(0, joined.size() + 1) == joined + ' ',
          "CommandCut fields are not the text's first words");
  }
}

void CheckCommandCutNo(std::string_view text, int n) {
  CmdParam param = Dirty();
  CommandCutNo(text, param, n);
  const std::size_t blanks = CountBlanks(text);
  if (blanks == 0) {
    Check(param[0] == text, "text without blank is not field 0", n);
    for (std::size_t k = 1; k < param.size(); ++k)
      Check(param[k].empty(), "field after a blank-free text", n);
    return;
  }
  const auto last = static_cast<std::size_t>(n < 1 ? 1 : n > 10 ? 10 : n) - 1;
  const std::size_t words = blanks < last ? blanks : last;  // fields cut off before the rest
  std::string joined;
  for (std::size_t k = 0; k < param.size(); ++k) {
    if (k < words) {
      Check(param[k].find(' ') == std::string::npos, "a CommandCutNo word holds a blank", n);
      joined += param[k];
      joined += ' ';
    } else if (k != last) {
      Check(param[k].empty(), "a CommandCutNo field between the words and the rest is not empty", n);
    }
  }
  joined += param[last];
  Check(joined == text, "CommandCutNo fields do not make up the text", n);
  if (words < last)
    Check(param[last].find(' ') == std::string::npos, "short text left a blank in the rest", n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  CheckCommandCut(text);
  for (int n = -1; n <= 11; ++n) CheckCommandCutNo(text, n);
  return 0;
}
