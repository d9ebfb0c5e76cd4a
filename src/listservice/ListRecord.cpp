#include "listservice/ListRecord.h"

#include <array>

namespace novalune::listservice {

namespace {

constexpr std::string_view kSeparator = "<>";
constexpr std::size_t kFieldCount = 10;

std::optional<RecordKind> KindOf(std::string_view word) {
  if (word == "ON") return RecordKind::Start;
  if (word == "OF") return RecordKind::Stop;
  if (word == "DEL") return RecordKind::Delete;
  return std::nullopt;
}

}  // namespace

std::optional<RegistrationRecord> ParseRecord(std::string_view body) {
  std::array<std::string_view, kFieldCount> fields{};
  std::size_t count = 0;
  while (count < kFieldCount) {
    const std::size_t end = body.find(kSeparator);
    if (end == std::string_view::npos) break;
    fields[count++] = body.substr(0, end);
    body.remove_prefix(end + kSeparator.size());
  }
  const auto kind = KindOf(fields[1]);
  if (count < 4 || !kind || fields[2].empty() || fields[3].empty()) return std::nullopt;
  RegistrationRecord record;
  record.scriptPassword = fields[0];
  record.kind = *kind;
  record.name = fields[2];
  record.password = fields[3];
  record.ownAddress = fields[4];
  record.homePage = fields[5];
  record.mail = fields[6];
  record.message = fields[7];
  record.room = fields[8];
  record.fixedAddress = fields[9];
  return record;
}

}  // namespace novalune::listservice
