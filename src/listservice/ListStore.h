// The published servers, keyed by name and held by the password that first
// registered the name, with the time of each entry's last record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listservice/ListRecord.h"

namespace novalune::listservice {

// One peer could otherwise fill memory within one expiry period.
inline constexpr std::size_t kMaxEntries = 500;

struct ListEntry {
  std::int64_t refreshed = 0;  // seconds since the epoch
  bool running = false;
  std::string name;
  std::string password;
  std::string ownAddress;
  std::string homePage;
  std::string mail;
  std::string message;
  std::string room;
  std::string fixedAddress;

  // Where a client connects: the fixed address when one was published.
  const std::string& Address() const { return fixedAddress.empty() ? ownAddress : fixedAddress; }
};

enum class ApplyResult { Started, Stopped, Deleted, NameHeld, Full };

// Equal bytes, in a time that does not depend on where they differ.
bool ConstantTimeEquals(std::string_view a, std::string_view b);

class ListStore {
 public:
  ApplyResult Apply(const RegistrationRecord& record, std::int64_t now);
  // Drops entries whose last record is `maxAge` seconds old or older; true when any went.
  bool Expire(std::int64_t now, std::int64_t maxAge);
  // Newest record first.
  std::vector<ListEntry> Entries() const;

  // The data file: a version line, then one entry per line.
  std::string Serialize() const;
  // Replaces the entries with a file's; lines that do not read are skipped.
  void Load(std::string_view file);

 private:
  ListEntry* Find(std::string_view name);
  std::vector<ListEntry> entries_;
};

}  // namespace novalune::listservice
