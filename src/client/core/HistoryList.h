// The URL list and the user history: a visible list of at most Len entries
// (newest first) kept in a list file, plus the entries of this run that are
// not in the file yet. Several copies of the program may share the file, so
// at exit the unsaved entries are put on top of what the file holds then,
// not of what this copy loaded. Standard C++ only; all text is Shift-JIS.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/ClientView.h"
#include "common/SettingsKeys.h"

namespace novalune::client {

// The first address of a text: the prefixes "http:", "ftp:", "mailto:" are
// tried in this order and the first one found wins, even when another starts
// earlier. The address runs while the bytes are printable ASCII (33..126).
// Empty when the text holds none.
std::string FindFirstUrl(std::string_view text);

// "yyyy/mm/dd hh:mm", the time written into both lists.
std::string FormatTimeStamp(const LocalTime& time);

// The URL list entry for a text, or empty when the text holds no address.
std::string UrlListEntry(std::string_view nick, std::string_view text, const LocalTime& now);

class HistoryList {
 public:
  // The visible list as read from the file; the unsaved entries stay.
  void Load(std::vector<std::string> lines) { visible_ = std::move(lines); }
  // A negative length (a hand-edited settings file) keeps nothing, like 0.
  void SetLen(int len) { len_ = len < 0 ? 0 : static_cast<std::size_t>(len); }
  int Len() const { return static_cast<int>(len_); }

  const std::vector<std::string>& Visible() const { return visible_; }
  const std::vector<std::string>& Unsaved() const { return unsaved_; }

  // On top of both lists; the visible one is cut to Len from its end.
  void Add(const std::string& entry);
  // Removes the selected visible rows. Every visible entry, selected or not,
  // also cancels one equal unsaved entry: the caller writes the visible list
  // to the file right after, so those entries must not be written again.
  void Delete(const std::vector<std::size_t>& selectedRows);
  // The lines to write at exit: this run's unsaved entries on top of the
  // file's lines, cut to Len. They become the visible list and nothing is
  // left unsaved. A missing file counts as empty, not as the visible list:
  // that list then holds only this run's entries, which would come twice.
  const std::vector<std::string>& MergeForSave(std::vector<std::string> fileLines);

 private:
  void TrimToLen();
  void CancelUnsavedCopies();

  std::vector<std::string> visible_;
  std::vector<std::string> unsaved_;
  std::size_t len_ = 0;
};

// Where a list lives: its file in the program folder and its length key
// (section "SYSTEM").
struct HistoryStore {
  std::string_view fileName;
  std::string_view lenKey;
};
inline constexpr HistoryStore kUrlListStore{files::kUrlList, keys::system::kUrlLen};
inline constexpr HistoryStore kUserHistoryStore{files::kUserHistory, keys::system::kUserHistoryLen};

// The file (a missing one is an empty list) and the stored length.
void LoadHistory(HistoryList& list, const HistoryStore& store);
// Replaces the file with the visible list (after a deletion).
void WriteHistoryFile(const HistoryList& list, const HistoryStore& store);
// End of the run: merges with the file as it is now, writes it and stores Len.
void SaveHistoryAtExit(HistoryList& list, const HistoryStore& store);

}  // namespace novalune::client
