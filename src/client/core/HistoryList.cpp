#include "client/core/HistoryList.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "client/core/ClientMessages.h"
#include "common/Settings.h"

namespace novalune::client {

namespace {

constexpr std::array<std::string_view, 3> kUrlPrefixes = {"http:", "ftp:", "mailto:"};

bool IsUrlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 33 && byte <= 126;
}

// The first occurrence that starts a character: a trail byte that happens to
// be an 'h' or 'f' is no start of an address.
std::size_t FindAtCharacter(std::string_view text, std::string_view word) {
  for (std::size_t i = 0; i < text.size(); i += IsSjisPair(text, i) ? 2 : 1) {
    if (text.compare(i, word.size(), word) == 0) return i;
  }
  return std::string_view::npos;
}

std::string Padded(int value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace

std::string FindFirstUrl(std::string_view text) {
  for (std::string_view prefix : kUrlPrefixes) {
    const std::size_t start = FindAtCharacter(text, prefix);
    if (start == std::string_view::npos) continue;
    std::size_t end = start;
    while (end < text.size() && IsUrlByte(text[end])) ++end;
    return std::string(text.substr(start, end - start));
  }
  return {};
}

std::string FormatTimeStamp(const LocalTime& time) {
  return Padded(time.year, 4) + "/" + Padded(time.month, 2) + "/" + Padded(time.day, 2) + " " +
         Padded(time.hour, 2) + ":" + Padded(time.minute, 2);
}

std::string UrlListEntry(std::string_view nick, std::string_view text, const LocalTime& now) {
  const std::string url = FindFirstUrl(text);
  return url.empty() ? std::string() : shown::UrlEntry(url, nick, FormatTimeStamp(now));
}

void HistoryList::Add(const std::string& entry) {
  visible_.insert(visible_.begin(), entry);
  unsaved_.insert(unsaved_.begin(), entry);
  TrimToLen();
}

void HistoryList::Delete(const std::vector<std::size_t>& selectedRows) {
  CancelUnsavedCopies();
  std::vector<bool> selected(visible_.size(), false);
  for (std::size_t row : selectedRows) {
    if (row < selected.size()) selected[row] = true;
  }
  std::vector<std::string> remaining;
  for (std::size_t row = 0; row < visible_.size(); ++row) {
    if (!selected[row]) remaining.push_back(std::move(visible_[row]));
  }
  visible_ = std::move(remaining);
}

// Each visible entry cancels the first unsaved entry equal to it that no
// other visible entry has cancelled yet; counting keeps this linear.
void HistoryList::CancelUnsavedCopies() {
  std::unordered_map<std::string_view, std::size_t> toCancel;
  for (const std::string& entry : visible_) ++toCancel[entry];
  std::vector<std::string> kept;
  for (std::string& entry : unsaved_) {
    const auto found = toCancel.find(entry);
    if (found != toCancel.end() && found->second > 0) {
      --found->second;
      continue;
    }
    kept.push_back(std::move(entry));
  }
  unsaved_ = std::move(kept);
}

const std::vector<std::string>& HistoryList::MergeForSave(std::vector<std::string> fileLines) {
  visible_ = std::move(fileLines);
  visible_.insert(visible_.begin(), unsaved_.begin(), unsaved_.end());
  // Written now: a second save must not put them on top once more.
  unsaved_.clear();
  TrimToLen();
  return visible_;
}

void HistoryList::TrimToLen() {
  if (visible_.size() > len_) visible_.resize(len_);
}

void LoadHistory(HistoryList& list, const HistoryStore& store) {
  list.Load(LoadListFile(store.fileName));
  list.SetLen(ReadSettingInt(keys::system::kSectionUpper, store.lenKey));
}

void WriteHistoryFile(const HistoryList& list, const HistoryStore& store) {
  SaveListFile(store.fileName, list.Visible());
}

void SaveHistoryAtExit(HistoryList& list, const HistoryStore& store) {
  SaveListFile(store.fileName, list.MergeForSave(LoadListFile(store.fileName)));
  WriteSettingInt(keys::system::kSectionUpper, store.lenKey, list.Len());
}

}  // namespace novalune::client
