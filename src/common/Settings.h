// The settings store: NOVALUNE.INI in the program folder and the list files
// beside it. Nothing is cached: every call reads the file again, so a value
// written anywhere is seen by the next read. Reads never fail: a missing or
// unreadable file, section or key reads as empty or 0. Writes throw
// std::system_error when the file cannot be written; the old file then stays
// as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/ProgramDir.h"
#include "common/SettingsKeys.h"

namespace novalune {

// ProgramDir() + "NOVALUNE.INI".
std::string SettingsFilePath();

bool ReadSettingFlag(std::string_view section, std::string_view key);
void WriteSettingFlag(std::string_view section, std::string_view key, bool flag);  // 1 or 0
int ReadSettingInt(std::string_view section, std::string_view key);                // missing or junk: 0
void WriteSettingInt(std::string_view section, std::string_view key, int value);   // decimal
std::string ReadSettingString(std::string_view section, std::string_view key);     // missing: ""
void WriteSettingString(std::string_view section, std::string_view key, std::string_view text);

struct FontSetting {
  std::string name;
  int size = keys::memo_font::kDefaultSize;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  int color = 0;  // 0x00BBGGRR

  bool operator==(const FontSetting&) const = default;
};

// Fills `font` from the section's seven keys; a "Size" of 0 (or missing) reads as 9.
void ReadFontSetting(FontSetting& font, std::string_view section);
// Writes the seven keys in one file update.
void WriteFontSetting(const FontSetting& font, std::string_view section);

// The stored part of a window's placement; the show state is not stored.
struct WindowPlacement {
  int minX = 0;
  int minY = 0;
  int maxX = 0;
  int maxY = 0;
  int normalLeft = 0;
  int normalTop = 0;
  int normalRight = 0;
  int normalBottom = 0;

  bool operator==(const WindowPlacement&) const = default;
};

// `placement` holds the window's current placement on entry; each stored key
// replaces its coordinate, a missing or non-numeric key leaves it as it is.
void LoadWindowPlacement(WindowPlacement& placement, std::string_view section = keys::zkwchat_form::kSection);
// Writes the eight keys in one file update.
void SaveWindowPlacement(const WindowPlacement& placement,
                         std::string_view section = keys::zkwchat_form::kSection);

// List files in the program folder: one entry per line, Shift-JIS, CR LF.
// A missing file reads as an empty list. Lines may end in CR LF, LF or CR.
std::vector<std::string> LoadListFile(std::string_view fileName);
// Replaces the file; every entry is followed by CR LF. A line break inside
// an entry is written as CR LF (it reads back as two entries).
void SaveListFile(std::string_view fileName, const std::vector<std::string>& lines);
// True when the file exists in the program folder.
bool ListFileExists(std::string_view fileName);

// The list file format as pure functions.
std::vector<std::string> SplitListText(std::string_view bytes);
std::string JoinListText(const std::vector<std::string>& lines);

}  // namespace novalune
