// The registration record that publication posts: Shift-JIS fields, each
// followed by "<>", in the order script password, kind, name, password, own
// address, home page, mail, message, room, fixed address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace novalune::listservice {

enum class RecordKind { Start, Stop, Delete };

struct RegistrationRecord {
  std::string scriptPassword;
  RecordKind kind = RecordKind::Start;
  std::string name;
  std::string password;
  std::string ownAddress;
  std::string homePage;
  std::string mail;
  std::string message;  // line breaks arrive as "<BR>"
  std::string room;
  std::string fixedAddress;
};

// Nothing when the kind is unknown or the name or password is empty. Fields
// missing at the end are empty: a delete record carries only the first five.
std::optional<RegistrationRecord> ParseRecord(std::string_view body);

}  // namespace novalune::listservice
