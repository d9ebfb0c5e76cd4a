#include "listservice/ListStore.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace novalune::listservice {

namespace {

constexpr std::string_view kFileHeader = "novalune-list 1";
constexpr std::size_t kFileFields = 10;

// Tabs and line breaks would cut a field; '%' introduces the escapes.
void PutEscaped(std::string& out, std::string_view field) {
  for (char c : field) {
    switch (c) {
      case '%': out += "%25"; break;
      case '\t': out += "%09"; break;
      case '\n': out += "%0A"; break;
      case '\r': out += "%0D"; break;
      default: out += c;
    }
  }
}

std::string Unescaped(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const std::string_view code = field.substr(i, 3);
    if (code == "%25" || code == "%09" || code == "%0A" || code == "%0D") {
      out += code == "%25" ? '%' : code == "%09" ? '\t' : code == "%0A" ? '\n' : '\r';
      i += 2;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::array<std::string_view, kFileFields> SplitFields(std::string_view line, std::size_t& count) {
  std::array<std::string_view, kFileFields> fields{};
  count = 0;
  while (count < kFileFields) {
    const std::size_t tab = line.find('\t');
    fields[count++] = line.substr(0, tab);
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  return fields;
}

}  // namespace

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
  const std::size_t longer = std::max(a.size(), b.size());
  unsigned difference = a.size() == b.size() ? 0U : 1U;
  for (std::size_t i = 0; i < longer; ++i) {
    const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
    const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
    difference |= static_cast<unsigned>(x ^ y);
  }
  return difference == 0;
}

ListEntry* ListStore::Find(std::string_view name) {
  const auto found =
      std::find_if(entries_.begin(), entries_.end(), [&](const ListEntry& e) { return e.name == name; });
  return found == entries_.end() ? nullptr : &*found;
}

ApplyResult ListStore::Apply(const RegistrationRecord& record, std::int64_t now) {
  ListEntry* entry = Find(record.name);
  if (entry && !ConstantTimeEquals(entry->password, record.password)) return ApplyResult::NameHeld;
  if (record.kind == RecordKind::Delete) {
    std::erase_if(entries_, [&](const ListEntry& e) { return e.name == record.name; });
    return ApplyResult::Deleted;
  }
  if (!entry) {
    if (entries_.size() >= kMaxEntries) return ApplyResult::Full;
    entry = &entries_.emplace_back();
  }
  *entry = ListEntry{now,
                     record.kind == RecordKind::Start,
                     record.name,
                     record.password,
                     record.ownAddress,
                     record.homePage,
                     record.mail,
                     record.message,
                     record.room,
                     record.fixedAddress};
  return record.kind == RecordKind::Start ? ApplyResult::Started : ApplyResult::Stopped;
}

bool ListStore::Expire(std::int64_t now, std::int64_t maxAge) {
  return std::erase_if(entries_, [&](const ListEntry& e) { return now - e.refreshed >= maxAge; }) > 0;
}

std::vector<ListEntry> ListStore::Entries() const {
  std::vector<ListEntry> sorted = entries_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const ListEntry& a, const ListEntry& b) { return a.refreshed > b.refreshed; });
  return sorted;
}

std::string ListStore::Serialize() const {
  std::string out(kFileHeader);
  out += '\n';
  for (const ListEntry& e : entries_) {
    out += std::to_string(e.refreshed);
    out += e.running ? "\t1" : "\t0";
    for (const std::string* field :
         {&e.name, &e.password, &e.ownAddress, &e.homePage, &e.mail, &e.message, &e.room, &e.fixedAddress}) {
      out += '\t';
      PutEscaped(out, *field);
    }
    out += '\n';
  }
  return out;
}

void ListStore::Load(std::string_view file) {
  entries_.clear();
  const std::size_t firstEnd = file.find('\n');
  if (file.substr(0, firstEnd) != kFileHeader || firstEnd == std::string_view::npos) return;
  file.remove_prefix(firstEnd + 1);
  while (!file.empty() && entries_.size() < kMaxEntries) {
    const std::string_view line = file.substr(0, file.find('\n'));
    file.remove_prefix(std::min(file.size(), line.size() + 1));
    std::size_t count = 0;
    const auto fields = SplitFields(line, count);
    ListEntry entry;
    const auto [end, error] =
        std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), entry.refreshed);
    if (count != kFileFields || error != std::errc{} || end != fields[0].data() + fields[0].size()) continue;
    entry.running = fields[1] == "1";
    std::string* targets[] = {&entry.name, &entry.password, &entry.ownAddress, &entry.homePage,
                              &entry.mail, &entry.message,  &entry.room,       &entry.fixedAddress};
    for (std::size_t k = 0; k < std::size(targets); ++k) *targets[k] = Unescaped(fields[k + 2]);
    if (entry.name.empty() || entry.password.empty() || Find(entry.name)) continue;
    entries_.push_back(std::move(entry));
  }
}

}  // namespace novalune::listservice
