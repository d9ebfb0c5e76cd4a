#include "common/Settings.h"

#include <sys/stat.h>

#include <optional>

#include "common/SettingsFile.h"
#include "common/SettingsIni.h"

namespace novalune {

namespace {

std::string ReadSettingsFile() {
  std::optional<FileBytes> file = ReadFileBytes(SettingsFilePath());
  return file ? std::move(file->bytes) : std::string();
}

void WriteSettings(std::string_view section, const std::vector<IniAssignment>& values) {
  UpdateFileAtomically(SettingsFilePath(),
                       [&](const std::string& current) { return IniSetValues(current, section, values); });
}

int IntOr(const std::string& file, std::string_view section, std::string_view key, int fallback) {
  const std::optional<std::string> text = IniGetValue(file, section, key);
  if (!text) return fallback;
  return ParseIniInt(*text).value_or(fallback);
}

std::string FlagText(bool flag) { return flag ? "1" : "0"; }

// The placement keys with the field each one fills, in the order they are written.
struct PlacementKey {
  std::string_view key;
  int WindowPlacement::*field;
};

constexpr PlacementKey kPlacementKeys[] = {
    {keys::zkwchat_form::kPlaceMinPosX, &WindowPlacement::minX},
    {keys::zkwchat_form::kPlaceMinPosY, &WindowPlacement::minY},
    {keys::zkwchat_form::kPlaceMaxPosX, &WindowPlacement::maxX},
    {keys::zkwchat_form::kPlaceMaxPosY, &WindowPlacement::maxY},
    {keys::zkwchat_form::kPlaceNormalPosLeft, &WindowPlacement::normalLeft},
    {keys::zkwchat_form::kPlaceNormalPosTop, &WindowPlacement::normalTop},
    {keys::zkwchat_form::kPlaceNormalPosRight, &WindowPlacement::normalRight},
    {keys::zkwchat_form::kPlaceNormalPosBottom, &WindowPlacement::normalBottom},
};

void AppendListLine(std::string_view entry, std::string& out) {
  // Any line break inside an entry becomes CR LF so the file keeps one line end style.
  for (std::size_t i = 0; i < entry.size(); ++i) {
    const char c = entry[i];
    if (c == '\r') {
      if (i + 1 < entry.size() && entry[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  out += "\r\n";
}

}  // namespace

std::string SettingsFilePath() { return ProgramPath(kSettingsFileName); }

bool ReadSettingFlag(std::string_view section, std::string_view key) {
  return ReadSettingInt(section, key) != 0;
}

void WriteSettingFlag(std::string_view section, std::string_view key, bool flag) {
  WriteSettings(section, {{key, FlagText(flag)}});
}

int ReadSettingInt(std::string_view section, std::string_view key) {
  return IntOr(ReadSettingsFile(), section, key, 0);
}

void WriteSettingInt(std::string_view section, std::string_view key, int value) {
  WriteSettings(section, {{key, std::to_string(value)}});
}

std::string ReadSettingString(std::string_view section, std::string_view key) {
  return IniGetValue(ReadSettingsFile(), section, key).value_or(std::string());
}

void WriteSettingString(std::string_view section, std::string_view key, std::string_view text) {
  WriteSettings(section, {{key, text}});
}

void ReadFontSetting(FontSetting& font, std::string_view section) {
  namespace k = keys::memo_font;
  const std::string file = ReadSettingsFile();
  font.name = IniGetValue(file, section, k::kName).value_or(std::string());
  font.size = IntOr(file, section, k::kSize, 0);
  if (font.size == 0) font.size = k::kDefaultSize;
  font.color = IntOr(file, section, k::kColor, 0);
  font.bold = IntOr(file, section, k::kBold, 0) != 0;
  font.italic = IntOr(file, section, k::kItalic, 0) != 0;
  font.underline = IntOr(file, section, k::kUnderline, 0) != 0;
  font.strikeout = IntOr(file, section, k::kStrikeout, 0) != 0;
}

void WriteFontSetting(const FontSetting& font, std::string_view section) {
  namespace k = keys::memo_font;
  const std::string size = std::to_string(font.size);
  const std::string color = std::to_string(font.color);
  const std::string bold = FlagText(font.bold);
  const std::string italic = FlagText(font.italic);
  const std::string underline = FlagText(font.underline);
  const std::string strikeout = FlagText(font.strikeout);
  WriteSettings(section, {{k::kName, font.name},
                          {k::kSize, size},
                          {k::kColor, color},
                          {k::kBold, bold},
                          {k::kItalic, italic},
                          {k::kUnderline, underline},
                          {k::kStrikeout, strikeout}});
}

void LoadWindowPlacement(WindowPlacement& placement, std::string_view section) {
  const std::string file = ReadSettingsFile();
  for (const PlacementKey& entry : kPlacementKeys) {
    placement.*entry.field = IntOr(file, section, entry.key, placement.*entry.field);
  }
}

void SaveWindowPlacement(const WindowPlacement& placement, std::string_view section) {
  std::vector<std::string> texts;
  for (const PlacementKey& entry : kPlacementKeys) texts.push_back(std::to_string(placement.*entry.field));
  std::vector<IniAssignment> values;
  for (std::size_t i = 0; i < texts.size(); ++i) values.emplace_back(kPlacementKeys[i].key, texts[i]);
  WriteSettings(section, values);
}

std::vector<std::string> SplitListText(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(start));
      break;
    }
    lines.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

std::string JoinListText(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) AppendListLine(line, out);
  return out;
}

std::vector<std::string> LoadListFile(std::string_view fileName) {
  const std::optional<FileBytes> file = ReadFileBytes(ProgramPath(fileName));
  return file ? SplitListText(file->bytes) : std::vector<std::string>();
}

void SaveListFile(std::string_view fileName, const std::vector<std::string>& lines) {
  WriteFileAtomically(ProgramPath(fileName), JoinListText(lines));
}

bool ListFileExists(std::string_view fileName) {
  struct stat info {};
  return ::stat(ProgramPath(fileName).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace novalune
