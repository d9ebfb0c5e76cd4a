#include "common/SettingsIni.h"

#include <cstdint>
#include <stdexcept>

#include "common/SjisText.h"

namespace novalune {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kNewLine = "\r\n";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// One line of the file: its text and the line end that followed it
// ("\r\n", "\n" or nothing for a last line without one).
struct SplitLine {
  std::string_view text;
  std::string_view ending;
};

// Cuts the line that starts at `position` and moves `position` past its end.
SplitLine NextLine(std::string_view file, std::size_t& position) {
  const std::size_t start = position;
  const std::size_t lf = file.find('\n', start);
  if (lf == std::string_view::npos) {
    position = file.size();
    return {file.substr(start), {}};
  }
  position = lf + 1;
  std::size_t textEnd = lf;
  if (textEnd > start && file[textEnd - 1] == '\r') --textEnd;
  return {file.substr(start, textEnd - start), file.substr(textEnd, position - textEnd)};
}

bool IsSectionNamed(const IniLineInfo& info, std::string_view section) {
  return info.kind == IniLineKind::kSection && EqualsNoCase(info.name, section);
}

bool IsKeyNamed(const IniLineInfo& info, std::string_view key) {
  return info.kind == IniLineKind::kKey && EqualsNoCase(info.name, key);
}

bool HasLineBreakOrNul(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) != name.npos;
}

bool IsTrimmedNonEmpty(std::string_view name) { return !name.empty() && Trim(name).size() == name.size(); }

// Editable copy of the file, line by line.
struct EditLine {
  std::string text;
  std::string ending;
};

std::vector<EditLine> SplitForEdit(std::string_view file) {
  std::vector<EditLine> lines;
  std::size_t position = 0;
  while (position < file.size()) {
    const SplitLine line = NextLine(file, position);
    lines.push_back({std::string(line.text), std::string(line.ending)});
  }
  return lines;
}

std::string JoinLines(const std::vector<EditLine>& lines) {
  std::string out;
  for (const EditLine& line : lines) {
    out += line.text;
    out += line.ending;
  }
  return out;
}

// A line that gets a successor must end in a line break first.
void EnsureEnding(std::vector<EditLine>& lines, std::size_t index) {
  if (index < lines.size() && lines[index].ending.empty()) lines[index].ending = kNewLine;
}

std::string KeyLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += IniCleanValue(value);
  return line;
}

// Range of the first section with the given name: [header, end).
struct SectionRange {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<EditLine>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsSectionNamed(ParseIniLine(lines[i].text), section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && ParseIniLine(lines[end].text).kind != IniLineKind::kSection) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

void SetInSection(std::vector<EditLine>& lines, SectionRange& range, std::string_view key,
                  std::string_view value) {
  std::size_t lastFilled = range.header;
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    const IniLineInfo info = ParseIniLine(lines[i].text);
    if (IsKeyNamed(info, key)) {
      lines[i].text = KeyLine(info.name, value);
      return;
    }
    if (info.kind != IniLineKind::kBlank) lastFilled = i;
  }
  // Blank lines that separate the section from the next one stay after it.
  EnsureEnding(lines, lastFilled);
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastFilled + 1),
               EditLine{KeyLine(key, value), std::string(kNewLine)});
  ++range.end;
}

void AppendSection(std::vector<EditLine>& lines, std::string_view section,
                   const std::vector<IniAssignment>& values) {
  if (!lines.empty()) EnsureEnding(lines, lines.size() - 1);
  lines.push_back({"[" + std::string(section) + "]", std::string(kNewLine)});
  SectionRange range{lines.size() - 1, lines.size()};
  for (const auto& [key, value] : values) SetInSection(lines, range, key, value);
}

std::optional<int> ParseHex(std::string_view digits, bool negative) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return std::nullopt;
    value = value * 16 + digit;
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);  // two's complement wrap: 0xFFFFFFFF is -1
}

std::optional<int> ParseDecimal(std::string_view digits, bool negative) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

IniLineInfo ParseIniLine(std::string_view line) {
  const std::string_view text = Trim(line);
  if (text.empty()) return {IniLineKind::kBlank, {}, {}};
  if (text.front() == '[') {
    const std::size_t close = text.rfind(']');
    if (close != std::string_view::npos) return {IniLineKind::kSection, Trim(text.substr(1, close - 1)), {}};
  }
  if (text.front() == ';') return {IniLineKind::kOther, {}, {}};
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {IniLineKind::kOther, {}, {}};
  return {IniLineKind::kKey, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

std::optional<std::string> IniGetValue(std::string_view file, std::string_view section,
                                       std::string_view key) {
  bool inSection = false;
  std::size_t position = 0;
  while (position < file.size()) {
    const IniLineInfo info = ParseIniLine(NextLine(file, position).text);
    if (info.kind == IniLineKind::kSection) {
      if (inSection) return std::nullopt;  // only the first section of that name counts
      inSection = EqualsNoCase(info.name, section);
    } else if (inSection && IsKeyNamed(info, key)) {
      return std::string(info.value);
    }
  }
  return std::nullopt;
}

std::optional<int> ParseIniInt(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return ParseHex(text.substr(2), negative);
  return ParseDecimal(text, negative);
}

std::string IniCleanValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (c != '\r' && c != '\n' && c != '\0') out += c;
  }
  return out;
}

bool IsValidIniSectionName(std::string_view name) {
  return IsTrimmedNonEmpty(name) && !HasLineBreakOrNul(name) && name.find(']') == name.npos;
}

bool IsValidIniKeyName(std::string_view name) {
  return IsTrimmedNonEmpty(name) && !HasLineBreakOrNul(name) && name.find('=') == name.npos &&
         name.front() != '[' && name.front() != ';';
}

std::string IniSetValues(std::string_view file, std::string_view section,
                         const std::vector<IniAssignment>& values) {
  if (!IsValidIniSectionName(section)) throw std::invalid_argument("invalid settings section name");
  for (const auto& assignment : values) {
    if (!IsValidIniKeyName(assignment.first)) throw std::invalid_argument("invalid settings key name");
  }
  std::vector<EditLine> lines = SplitForEdit(file);
  std::optional<SectionRange> range = FindSection(lines, section);
  if (!range) {
    AppendSection(lines, section, values);
  } else {
    for (const auto& [key, value] : values) SetInSection(lines, *range, key, value);
  }
  return JoinLines(lines);
}

}  // namespace novalune
