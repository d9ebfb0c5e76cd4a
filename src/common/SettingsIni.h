// The INI text engine behind NOVALUNE.INI: pure functions over the file's bytes.
//
// The file stays a classic Windows profile file: "[Section]" lines and
// "key=value" lines, names compared without ASCII case, values kept as raw
// Shift-JIS bytes, CR LF line ends. Reading follows GetPrivateProfileString
// (blanks around key and value are trimmed, the first matching section and
// the first matching key win, LF-only and mixed line ends are accepted).
// Writing changes exactly one line per key, or inserts one; every other byte
// of the file stays as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace novalune {

enum class IniLineKind { kBlank, kSection, kKey, kOther };

// One line of the file as the reader sees it. `name` is the section or key
// name, `value` the value of a key line; both point into the line text.
struct IniLineInfo {
  IniLineKind kind = IniLineKind::kOther;
  std::string_view name;
  std::string_view value;
};

// Classifies one line (without its line end). Never fails.
IniLineInfo ParseIniLine(std::string_view line);

// The value of `key` in `section`, trimmed; nullopt when the section or the key is missing.
std::optional<std::string> IniGetValue(std::string_view file, std::string_view section, std::string_view key);

// Decimal with an optional sign, or hexadecimal after "0x"; nullopt for
// anything else and for numbers outside 32 bits (hexadecimal up to 0xFFFFFFFF
// wraps into the negative range, as the platform's colour values do).
std::optional<int> ParseIniInt(std::string_view text);

using IniAssignment = std::pair<std::string_view, std::string_view>;  // key, value

// Returns `file` with the keys set in `section`. An existing key line is
// rewritten as "key=value" keeping the key's spelling and line end; a missing
// key goes after the last non-blank line of the section; a missing section is
// appended at the end. New lines end in CR LF. CR, LF and NUL bytes are
// dropped from values, so a value can never open another line.
// Throws std::invalid_argument for a name the format cannot hold.
std::string IniSetValues(std::string_view file, std::string_view section,
                         const std::vector<IniAssignment>& values);

// The value as it will be stored: CR, LF and NUL removed.
std::string IniCleanValue(std::string_view value);

// True when the name can be written as a section or key name.
bool IsValidIniSectionName(std::string_view name);
bool IsValidIniKeyName(std::string_view name);

}  // namespace novalune
