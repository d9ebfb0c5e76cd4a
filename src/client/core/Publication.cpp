#include "client/core/Publication.h"

#include "client/core/PublicationTexts.h"
#include "common/Settings.h"
#include "common/SettingsFile.h"
#include "common/SjisText.h"

namespace novalune::client {

namespace {

namespace pub = keys::server;
constexpr std::string_view kFieldEnd = "<>";
constexpr std::string_view kLineBreak = "<BR>";
constexpr std::string_view kMarker = "mes_str<..>";
constexpr std::string_view kBlanks = " \t";

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(kBlanks) - first + 1));
}

std::string ReadTextFile(std::string_view fileName) {
  const std::optional<FileBytes> file = ReadFileBytes(ProgramPath(fileName));
  return file ? ToCrLf(file->bytes) : std::string();
}

std::string ReplaceLineBreaks(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += kLineBreak;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Digits only, at most `width` of them; -1 otherwise.
int SmallNumber(std::string_view text, std::size_t width) {
  if (text.empty() || text.size() > width) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && AsciiUpper(text.substr(0, prefix.size())) == prefix;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && AsciiUpper(text.substr(text.size() - suffix.size())) == suffix;
}

// "AM" or "PM" before or after the clock time: which one, and the rest.
char TakeHalfOfDay(std::string& text) {
  for (const char* marker : {"AM", "PM"}) {
    if (StartsWithNoCase(text, marker)) {
      text = Trim(std::string_view(text).substr(2));
      return marker[0];
    }
    if (EndsWithNoCase(text, marker)) {
      text = Trim(std::string_view(text).substr(0, text.size() - 2));
      return marker[0];
    }
  }
  return 0;
}

std::optional<int> ParseClock(std::string_view text, char half) {
  std::vector<int> parts;
  std::size_t start = 0;
  while (parts.size() < 4) {
    const std::size_t colon = text.find(':', start);
    parts.push_back(SmallNumber(text.substr(start, colon - start), 2));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  for (int part : parts)
    if (part < 0) return std::nullopt;
  int hour = parts[0];
  const int second = parts.size() == 3 ? parts[2] : 0;
  if (parts[1] > 59 || second > 59) return std::nullopt;
  if (half != 0) {
    if (hour > 12) return std::nullopt;
    hour %= 12;
    if (half == 'P') hour += 12;
  } else if (hour > 23) {
    return std::nullopt;
  }
  return hour * 3600 + parts[1] * 60 + second;
}

}  // namespace

CgiTable ParseCgiLines(const std::vector<std::string>& lines) {
  CgiTable table;
  for (std::size_t row = 0; row < kCgiRows && row < lines.size(); ++row) {
    const std::string& line = lines[row];
    const std::size_t hash = line.find('#');
    if (hash == std::string::npos) continue;
    table[row] = {line.substr(0, hash), line.substr(hash + 1)};
  }
  return table;
}

std::vector<std::string> CgiLines(const CgiTable& table) {
  std::vector<std::string> lines;
  for (const CgiRow& row : table)
    if (!row.address.empty()) lines.push_back(row.address + "#" + row.password);
  return lines;
}

CgiTable LoadCgiTable() { return ParseCgiLines(LoadListFile(files::kZKWCSvr)); }

void SaveCgiTable(const CgiTable& table) { SaveListFile(files::kZKWCSvr, CgiLines(table)); }

void TrimCgiTable(CgiTable& table) {
  for (CgiRow& row : table) {
    row.address = Trim(row.address);
    row.password = Trim(row.password);
  }
}

std::string ToCrLf(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

PublicationValues LoadPublicationValues() {
  PublicationValues values;
  values.name = ReadSettingString(pub::kSection, pub::kName);
  values.password = ReadSettingString(pub::kSection, pub::kPass);
  values.homePage = ReadSettingString(pub::kSection, pub::kUrl);
  values.mail = ReadSettingString(pub::kSection, pub::kMail);
  values.room = ReadSettingString(pub::kSection, pub::kRoom);
  values.autoOnOf = ReadSettingFlag(pub::kSection, pub::kAutoOnOf);
  values.autoTime = ReadSettingFlag(pub::kSection, pub::kAutoTime);
  values.autoStrTime = ReadSettingString(pub::kSection, pub::kAutoStrTime);
  values.autoEndTime = ReadSettingString(pub::kSection, pub::kAutoEndTime);
  values.useStaticIP = ReadSettingFlag(pub::kSection, pub::kUseStaticIP);
  values.staticIP = ReadSettingString(pub::kSection, pub::kStaticIP);
  values.startMessage = ReadTextFile(files::kHtmlMsg1);
  values.stopMessage = ReadTextFile(files::kHtmlMsg2);
  return values;
}

void SavePublicationValues(const PublicationValues& values) {
  WriteSettingString(pub::kSection, pub::kName, values.name);
  WriteSettingString(pub::kSection, pub::kPass, values.password);
  WriteSettingString(pub::kSection, pub::kUrl, values.homePage);
  WriteSettingString(pub::kSection, pub::kMail, values.mail);
  WriteSettingString(pub::kSection, pub::kRoom, values.room);
  WriteSettingFlag(pub::kSection, pub::kAutoOnOf, values.autoOnOf);
  WriteSettingFlag(pub::kSection, pub::kAutoTime, values.autoTime);
  WriteSettingString(pub::kSection, pub::kAutoStrTime, values.autoStrTime);
  WriteSettingString(pub::kSection, pub::kAutoEndTime, values.autoEndTime);
  WriteSettingFlag(pub::kSection, pub::kUseStaticIP, values.useStaticIP);
  WriteSettingString(pub::kSection, pub::kStaticIP, values.staticIP);
  WriteFileAtomically(ProgramPath(files::kHtmlMsg1), values.startMessage);
  WriteFileAtomically(ProgramPath(files::kHtmlMsg2), values.stopMessage);
}

std::string BuildRecord(RecordKind kind, const PublicationValues& values, std::string_view ownAddress,
                        std::string_view scriptPassword) {
  const char* word = kind == RecordKind::kStart ? "ON" : kind == RecordKind::kStop ? "OF" : "DEL";
  std::vector<std::string> fields = {std::string(scriptPassword), word, values.name, values.password,
                                     std::string(ownAddress)};
  if (kind == RecordKind::kDelete) {
    fields.resize(fields.size() + 4);
  } else {
    const std::string& message = kind == RecordKind::kStart ? values.startMessage : values.stopMessage;
    fields.insert(fields.end(), {values.homePage, values.mail, ReplaceLineBreaks(message), values.room,
                                 values.useStaticIP ? values.staticIP : std::string()});
  }
  std::string record;
  for (const std::string& field : fields) record += field + std::string(kFieldEnd);
  return record;
}

std::string DecodeFormRecord(std::string_view record) {
  std::string decoded;
  decoded.reserve(record.size());
  for (std::size_t i = 0; i < record.size(); ++i) {
    if (record[i] == '+') {
      decoded += ' ';
    } else if (record[i] != '%') {
      decoded += record[i];
    } else {
      const int high = i + 1 < record.size() ? HexDigit(record[i + 1]) : -1;
      const int low = i + 2 < record.size() ? HexDigit(record[i + 2]) : -1;
      if (high < 0 || low < 0) return std::string(record);
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return decoded;
}

std::vector<PublishPost> PublishPosts(RecordKind kind, const PublicationValues& values, const CgiTable& table,
                                      std::string_view ownAddress) {
  std::vector<PublishPost> posts;
  for (const CgiRow& row : table) {
    if (row.address.empty()) continue;
    posts.push_back({row.address, DecodeFormRecord(BuildRecord(kind, values, ownAddress, row.password))});
  }
  return posts;
}

std::vector<PublishPost> DeletePosts(const PublicationValues& values, const CgiTable& table,
                                     std::size_t selected, std::string_view ownAddress) {
  if (selected >= table.size() || table[selected].address.empty()) return {};
  const CgiRow& row = table[selected];
  return {
      {row.address, DecodeFormRecord(BuildRecord(RecordKind::kDelete, values, ownAddress, row.password))}};
}

std::optional<std::string> CheckPublication(const PublicationValues& values) {
  if (values.name.empty()) return SysText(publication_text::kNoName);
  if (values.password.empty()) return SysText(publication_text::kNoPassword);
  return std::nullopt;
}

std::optional<std::string> AnswerNotice(std::string_view body) {
  const std::size_t marker = body.find(kMarker);
  if (marker == std::string_view::npos) return std::nullopt;
  const std::string_view status = body.substr(marker + kMarker.size(), 2);
  if (status == "ON") return SysText(publication_text::kStarted);
  if (status == "OF") return SysText(publication_text::kStopped);
  if (status == "DE") return SysText(publication_text::kDeleted);
  const int number = SmallNumber(status, 2);
  if (number == 1) return SysText(publication_text::kNameHeld);
  if (number == 2) return SysText(publication_text::kScriptPassword);
  return std::nullopt;
}

int ParseTimeOfDay(std::string_view text) {
  std::string clock;
  for (char c : Trim(text))
    if (c != ',') clock += c;
  const char half = TakeHalfOfDay(clock);
  return ParseClock(clock, half).value_or(0);
}

std::string FormatTimeOfDay(int seconds) {
  const int minutes = ((seconds % 86400 + 86400) % 86400) / 60;
  const int hour = minutes / 60;
  const int shown = hour % 12 == 0 ? 12 : hour % 12;
  std::string text = hour < 12 ? "AM " : "PM ";
  text += static_cast<char>('0' + shown / 10);
  text += static_cast<char>('0' + shown % 10);
  text += ':';
  text += static_cast<char>('0' + minutes % 60 / 10);
  text += static_cast<char>('0' + minutes % 10);
  return text;
}

}  // namespace novalune::client
