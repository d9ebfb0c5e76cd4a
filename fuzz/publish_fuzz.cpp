// Arbitrary bytes as a script's answer, a record, the lines of "ZKWCSvr.txt"
// and a time text. Nothing may crash, decoding never grows a record, the
// table survives a write and a read, and every time is a time of the day.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/core/Publication.h"
#include "common/Settings.h"

namespace {

using namespace novalune::client;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)AnswerNotice(bytes);
  Check(DecodeFormRecord(bytes).size() <= bytes.size());
  const int seconds = ParseTimeOfDay(bytes);
  Check(seconds >= 0 && seconds < 24 * 3600);
  Check(ParseTimeOfDay(FormatTimeOfDay(seconds)) == seconds - seconds % 60);
  CgiTable table = ParseCgiLines(novalune::SplitListText(bytes));
  TrimCgiTable(table);
  const std::vector<std::string> lines = CgiLines(table);
  const CgiTable again = ParseCgiLines(novalune::SplitListText(novalune::JoinListText(lines)));
  for (std::size_t row = 0, line = 0; row < table.size(); ++row) {
    if (table[row].address.empty()) continue;
    // An address holding "#" splits differently when read back; the rest keep their pair.
    if (table[row].address.find('#') == std::string::npos) Check(again[line] == table[row]);
    ++line;
  }
  return 0;
}
