// The rules of the client's dialogs without widgets: input checks and their
// messages, the text forms of a room description and of the room count.
// All text is Shift-JIS; every message returned is Shift-JIS.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace novalune::settings {

// True when the text holds a space or a full-width space (0x81 0x40 as one
// character, not a trail byte followed by '@').
bool HasBlank(std::string_view text);

// Rename dialog, in order: empty, blank, "!" or "#". Nothing when the nick is fine.
std::optional<std::string> CheckNick(std::string_view nick);

// The two pages of the connect dialog.
enum class JoinPage { kConnect = 0, kPersonal = 1 };

struct JoinCheckFailure {
  JoinPage page;
  std::string message;
};

// Connect dialog, in order: the nick checks (page "個人情報"), then a blank in
// the room name, then a blank in the password (page "接続"). Empty room name
// and password pass.
std::optional<JoinCheckFailure> CheckJoinFields(std::string_view nick, std::string_view room,
                                                std::string_view password);

// Room dialog, in order: empty room name, blank in it, blank in the password.
std::optional<std::string> CheckRoomEntry(std::string_view room, std::string_view password);

// A value kept and sent as one line (a one-line field, the room description):
// CR, LF and NUL dropped, so what is stored, kept and sent is the same text.
std::string RemoveLineBreaks(std::string_view text);
// A multi-line field's text: its line breaks stay, NUL is dropped.
std::string RemoveNul(std::string_view text);

// A multi-line field's text as list-file lines: cut at LF, a CR before it
// dropped. The reverse joins with LF, as the field holds it.
std::vector<std::string> TextToLines(std::string_view text);
std::string LinesToText(const std::vector<std::string>& lines, std::string_view separator = "\n");

// The "人数" cell: right-aligned in four places, so that counts below 10000
// sort as numbers when compared as text.
std::string FormatRoomCount(int users);

}  // namespace novalune::settings
