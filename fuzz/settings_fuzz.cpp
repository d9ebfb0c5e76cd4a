// Arbitrary bytes as a settings file, plus names and a value: reading must
// never fail, a write must read back as written, and must not change what
// any other key reads. The list format must survive a save and a load.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/Settings.h"
#include "common/SettingsIni.h"
#include "common/SjisText.h"

namespace {

std::string TrimBlanks(std::string_view text) {
  constexpr std::string_view blanks = " \t\r\v\f";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void FuzzListFormat(std::string_view bytes) {
  const std::vector<std::string> lines = novalune::SplitListText(bytes);
  const std::string saved = novalune::JoinListText(lines);
  Check(novalune::SplitListText(saved) == lines);
  Check(novalune::JoinListText(novalune::SplitListText(saved)) == saved);
}

void FuzzWrite(const std::string& file, const std::string& section, const std::string& key,
               const std::string& value, const std::string& otherSection, const std::string& otherKey) {
  if (!novalune::IsValidIniSectionName(section) || !novalune::IsValidIniKeyName(key)) return;
  const std::string written = novalune::IniSetValues(file, section, {{key, value}});
  Check(novalune::IniGetValue(written, section, key) == TrimBlanks(novalune::IniCleanValue(value)));
  const bool same = novalune::EqualsNoCase(section, otherSection) && novalune::EqualsNoCase(key, otherKey);
  if (!same)
    Check(novalune::IniGetValue(written, otherSection, otherKey) ==
          novalune::IniGetValue(file, otherSection, otherKey));
  // Writing the same value again changes nothing.
  Check(novalune::IniSetValues(written, section, {{key, value}}) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::string section = provider.ConsumeRandomLengthString(16);
  const std::string key = provider.ConsumeRandomLengthString(16);
  const std::string value = provider.ConsumeRandomLengthString(32);
  const std::string otherSection = provider.ConsumeRandomLengthString(16);
  const std::string otherKey = provider.ConsumeRandomLengthString(16);
  const std::string file = provider.ConsumeRemainingBytesAsString();

  std::size_t position = 0;
  while (position < file.size()) {
    const std::size_t end = file.find('\n', position);
    const std::string_view line = std::string_view(file).substr(
        position, end == std::string::npos ? std::string::npos : end - position);
    (void)novalune::ParseIniLine(line);
    position = end == std::string::npos ? file.size() : end + 1;
  }
  if (const auto text = novalune::IniGetValue(file, section, key)) (void)novalune::ParseIniInt(*text);
  (void)novalune::ParseIniInt(value);
  FuzzWrite(file, section, key, value, otherSection, otherKey);
  FuzzListFormat(file);
  return 0;
}
