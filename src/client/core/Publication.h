// Publication of the own server on server lists: the values of section
// "Server" and their files, the script table "ZKWCSvr.txt", the records that
// are posted, the answer marker, and the time-of-day text of the publication
// window. Standard C++ only; all text is Shift-JIS.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace novalune::client {

// One row of CgiGrid: a script address and its password.
struct CgiRow {
  std::string address;
  std::string password;
  bool operator==(const CgiRow&) const = default;
};

inline constexpr std::size_t kCgiRows = 9;
using CgiTable = std::array<CgiRow, kCgiRows>;

// "ZKWCSvr.txt": each line split at its first "#" into the rows in line
// order; a line without "#" leaves its row empty; lines past the ninth are ignored.
CgiTable ParseCgiLines(const std::vector<std::string>& lines);
// One "address#password" line per row whose address is not empty.
std::vector<std::string> CgiLines(const CgiTable& table);
CgiTable LoadCgiTable();
void SaveCgiTable(const CgiTable& table);
// CgiGridExit: blanks trimmed from both ends of every cell.
void TrimCgiTable(CgiTable& table);

// Section "Server" and the two message files. Messages hold CR LF line breaks.
struct PublicationValues {
  std::string name;
  std::string password;
  std::string homePage;
  std::string mail;
  std::string room;
  std::string startMessage;
  std::string stopMessage;
  bool autoOnOf = false;
  bool autoTime = false;
  std::string autoStrTime;
  std::string autoEndTime;
  bool useStaticIP = false;
  std::string staticIP;
  bool operator==(const PublicationValues&) const = default;
};

PublicationValues LoadPublicationValues();
void SavePublicationValues(const PublicationValues& values);
// Any lone CR or LF becomes CR LF: a message file written elsewhere with
// other line ends is still sent with "<BR>".
std::string ToCrLf(std::string_view text);

enum class RecordKind { kStart, kStop, kDelete };

// The record for one script, fields each followed by "<>". `ownAddress` is
// the main window's address field; the fixed address is sent only while
// `useStaticIP` is on.
std::string BuildRecord(RecordKind kind, const PublicationValues& values, std::string_view ownAddress,
                        std::string_view scriptPassword);

// The record as the web client sends it: "+" becomes a space and "%XY" the
// byte 0xXY; a "%" without two hexadecimal digits after it leaves the whole
// record as it was.
std::string DecodeFormRecord(std::string_view record);

struct PublishPost {
  std::string address;
  std::string body;  // decoded record
  bool operator==(const PublishPost&) const = default;
};

// Start and stop: one post per row with an address, in row order.
std::vector<PublishPost> PublishPosts(RecordKind kind, const PublicationValues& values, const CgiTable& table,
                                      std::string_view ownAddress);
// Delete: only the selected row (0-based), nothing when its address is empty.
std::vector<PublishPost> DeletePosts(const PublicationValues& values, const CgiTable& table,
                                     std::size_t selected, std::string_view ownAddress);

// The button check: the notice for an empty name or password, else nothing.
std::optional<std::string> CheckPublication(const PublicationValues& values);

// The notice that an answer body calls for (the two characters after the
// first "mes_str<..>"), or nothing.
std::optional<std::string> AnswerNotice(std::string_view body);

// TTimeEdit's GetValue: seconds of the day; empty or unreadable text is 0.
int ParseTimeOfDay(std::string_view text);
// The format "AM/PM hh:mm": "PM 11:30" for 23:30, "AM 12:15" for 00:15.
std::string FormatTimeOfDay(int seconds);

}  // namespace novalune::client
