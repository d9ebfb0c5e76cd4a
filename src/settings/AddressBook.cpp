#include "settings/AddressBook.h"

#include <algorithm>

#include "common/Settings.h"
#include "common/SjisText.h"
#include "settings/DialogRules.h"

namespace novalune::settings {

namespace {

constexpr char kFieldMark = '\x02';
constexpr char kEndMark = '\x03';

std::string WithoutFraming(std::string_view field) {
  std::string clean;
  clean.reserve(field.size());
  for (char c : field) {
    if (c != kFieldMark && c != kEndMark && c != '\r' && c != '\n') clean.push_back(c);
  }
  return clean;
}

}  // namespace

AddressEntry ParseAddressLine(std::string_view line) {
  const std::size_t end = line.find(kEndMark);
  if (end == std::string_view::npos) return {};
  const std::string_view rest = line.substr(0, end);
  const std::size_t first = rest.find(kFieldMark);
  if (first == std::string_view::npos) return {std::string(rest), {}};
  const std::string_view after = rest.substr(first + 1);
  return {std::string(rest.substr(0, first)), std::string(after.substr(0, after.find(kFieldMark)))};
}

std::string FormatAddressLine(std::string_view name, std::string_view address) {
  std::string line = WithoutFraming(name);
  line += kFieldMark;
  line += WithoutFraming(address);
  line += kFieldMark;
  line += kEndMark;
  return line;
}

std::vector<std::string> AddressNames(const std::vector<std::string>& lines) {
  std::vector<std::string> names;
  for (const std::string& line : lines) {
    AddressEntry entry = ParseAddressLine(line);
    if (!entry.name.empty()) names.push_back(std::move(entry.name));
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string ka = AsciiUpper(a);
    const std::string kb = AsciiUpper(b);
    return ka != kb ? ka < kb : a < b;
  });
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::optional<std::string> AddressOf(const std::vector<std::string>& lines, std::string_view name) {
  std::optional<std::string> address;
  if (name.empty()) return address;  // a broken line reads as an empty name; it names no partner
  for (const std::string& line : lines) {
    AddressEntry entry = ParseAddressLine(line);
    if (entry.name == name) address = std::move(entry.address);
  }
  return address;
}

std::vector<std::string> StoreAddressEntry(std::vector<std::string> lines, std::string_view name,
                                           std::string_view address) {
  const std::string key = WithoutFraming(name);
  if (key.empty()) return lines;
  const std::string newLine = FormatAddressLine(key, address);
  bool replaced = false;
  for (std::string& line : lines) {
    if (ParseAddressLine(line).name == key) {
      line = newLine;
      replaced = true;
    }
  }
  if (!replaced) lines.push_back(newLine);
  return lines;
}

std::vector<std::string> StoreRoomName(std::vector<std::string> rooms, std::string_view room) {
  if (room.empty()) return rooms;
  if (std::find(rooms.begin(), rooms.end(), room) == rooms.end()) rooms.emplace_back(room);
  return rooms;
}

std::vector<std::string> LoadAddressBook() { return LoadListFile(files::kAddress); }

void SaveAddressBook(const std::vector<std::string>& lines) { SaveListFile(files::kAddress, lines); }

std::vector<std::string> LoadRoomNames() { return LoadListFile(files::kRoom); }

void SaveRoomNames(const std::vector<std::string>& rooms) { SaveListFile(files::kRoom, rooms); }

std::optional<std::string> LoadRoomTopic() {
  if (!ListFileExists(files::kRoomTopic)) return std::nullopt;
  return LinesToText(LoadListFile(files::kRoomTopic));
}

void SaveRoomTopic(std::string_view text) { SaveListFile(files::kRoomTopic, TextToLines(text)); }

}  // namespace novalune::settings
