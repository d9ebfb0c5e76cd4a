// The connect dialog's files: the address book "Address.adr" (per line the
// partner name, 0x02, the address, 0x02, 0x03), the room names "Room.adr" and
// the room description "RoomTopic.txt". The rules work on the lines as list
// entries; the Load/Save functions read and write the files in the program
// folder (Shift-JIS, CR LF), and a missing file reads as empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace novalune::settings {

struct AddressEntry {
  std::string name;
  std::string address;
  bool operator==(const AddressEntry&) const = default;
};

// Cut at the first 0x03, split the rest at 0x02: the first field is the name,
// the second the address. A line without 0x03 yields an empty entry.
AddressEntry ParseAddressLine(std::string_view line);
// name 0x02 address 0x02 0x03. The bytes that frame a line (0x02, 0x03, CR,
// LF) are left out of both fields so that one entry stays one line.
std::string FormatAddressLine(std::string_view name, std::string_view address);

// The names for the partner box: sorted (ASCII letters folded), each once,
// empty names left out.
std::vector<std::string> AddressNames(const std::vector<std::string>& lines);
// The address of the last entry whose name equals `name` exactly; an empty
// name finds nothing.
std::optional<std::string> AddressOf(const std::vector<std::string>& lines, std::string_view name);
// Nothing changes for an empty name. Otherwise every entry whose name equals
// `name` exactly becomes the new line; if none did, the line is appended.
std::vector<std::string> StoreAddressEntry(std::vector<std::string> lines, std::string_view name,
                                           std::string_view address);

// Nothing changes for an empty room name; it is appended unless an entry
// equals it exactly (another letter case is another entry).
std::vector<std::string> StoreRoomName(std::vector<std::string> rooms, std::string_view room);

std::vector<std::string> LoadAddressBook();
void SaveAddressBook(const std::vector<std::string>& lines);
std::vector<std::string> LoadRoomNames();
void SaveRoomNames(const std::vector<std::string>& rooms);
// The description field's text, lines joined with LF; nullopt when the file
// does not exist (the field is then left as it is).
std::optional<std::string> LoadRoomTopic();
void SaveRoomTopic(std::string_view text);

}  // namespace novalune::settings
