#include "settings/DialogRules.h"

#include <cstdio>

#include "common/SettingsIni.h"
#include "common/SjisText.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

namespace {

bool IsTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

}  // namespace

bool HasBlank(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') return true;
    if (IsZenkakuSpace(text, i)) return true;
    // A whole double-byte character is skipped; a broken one only by its lead.
    if (IsSjisLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
        IsTrail(static_cast<unsigned char>(text[i + 1]))) {
      ++i;
    }
  }
  return false;
}

std::optional<std::string> CheckNick(std::string_view nick) {
  if (nick.empty()) return SysText(text::kNickEmpty);
  if (HasBlank(nick)) return SysText(text::kNickBlank);
  // Neither byte can be a Shift-JIS trail byte, so a plain search is exact.
  if (nick.find_first_of("!#") != std::string_view::npos) return SysText(text::kNickMark);
  return std::nullopt;
}

std::optional<JoinCheckFailure> CheckJoinFields(std::string_view nick, std::string_view room,
                                                std::string_view password) {
  if (auto message = CheckNick(nick)) return JoinCheckFailure{JoinPage::kPersonal, *message};
  if (HasBlank(room)) return JoinCheckFailure{JoinPage::kConnect, SysText(text::kRoomBlank)};
  if (HasBlank(password)) return JoinCheckFailure{JoinPage::kConnect, SysText(text::kPassBlank)};
  return std::nullopt;
}

std::optional<std::string> CheckRoomEntry(std::string_view room, std::string_view password) {
  if (room.empty()) return SysText(text::kRoomEmpty);
  if (HasBlank(room)) return SysText(text::kRoomBlank);
  if (HasBlank(password)) return SysText(text::kPassBlank);
  return std::nullopt;
}

// The settings store cleans what it writes the same way.
std::string RemoveLineBreaks(std::string_view text) { return IniCleanValue(text); }

std::string RemoveNul(std::string_view text) {
  std::string out(text);
  std::erase(out, '\0');
  return out;
}

std::vector<std::string> TextToLines(std::string_view text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t lf = text.find('\n', start);
    std::string_view line =
        text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

std::string LinesToText(const std::vector<std::string>& lines, std::string_view separator) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += separator;
    text += lines[i];
  }
  return text;
}

std::string FormatRoomCount(int users) {
  char cell[16];
  std::snprintf(cell, sizeof cell, "%4d", users);
  return cell;
}

}  // namespace novalune::settings
