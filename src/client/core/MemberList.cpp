#include "client/core/MemberList.h"

#include <utility>

#include "common/SjisText.h"

namespace novalune::client {

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

void AddLetter(std::string& mode, char letter) {
  if (mode.find(letter) == std::string::npos) mode += letter;
}

void DeleteLetter(std::string& mode, char letter) {
  const std::size_t at = mode.find(letter);
  if (at != std::string::npos) mode.erase(at, 1);
}

}  // namespace

std::optional<std::size_t> MemberList::FindFirst(std::string_view nick) const {
  const auto found = index_.find(AsciiUpper(nick));
  if (found == index_.end() || found->second.empty()) return std::nullopt;
  return found->second.front();
}

void MemberList::Reindex() {
  index_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) index_[AsciiUpper(rows_[i].nick)].push_back(i);
}

void MemberList::AddMember(std::string_view nick) {
  if (nick.empty() || FindFirst(nick)) return;
  rows_.push_back(MemberRow{std::string(nick), {}, {}, false});
  index_[AsciiUpper(nick)].push_back(rows_.size() - 1);
  if (observer_) observer_->MemberInserted(rows_.size() - 1);
  if (rows_.size() == 1) Select(0);
}

void MemberList::RemoveRow(std::size_t row) {
  if (observer_) observer_->MemberRemoving(row);
  const bool last = row + 1 == rows_.size();
  const std::string key = AsciiUpper(rows_[row].nick);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  if (last) {
    // The last row is the highest entry of its key: no other index moves.
    auto found = index_.find(key);
    found->second.pop_back();
    if (found->second.empty()) index_.erase(found);
  } else {
    Reindex();
  }
  if (!selected_) return;
  if (*selected_ == row) {
    selected_.reset();
    if (observer_) observer_->SelectionChanged();
  } else if (*selected_ > row) {
    --*selected_;
  }
}

void MemberList::DeleteMember(std::string_view nick) {
  if (nick.empty()) return;
  if (const auto row = FindFirst(nick)) RemoveRow(*row);
}

void MemberList::ClearMembers() {
  while (!rows_.empty()) RemoveRow(rows_.size() - 1);
}

void MemberList::RenameMember(std::string_view oldNick, std::string_view newNick) {
  if (oldNick.empty()) return;
  const auto found = index_.find(AsciiUpper(oldNick));
  if (found == index_.end()) return;
  const std::vector<std::size_t> matching = found->second;
  const std::string newCopy(newNick);  // the argument may be a row's own text
  for (std::size_t row : matching) rows_[row].nick = newCopy;
  Reindex();
  if (observer_) {
    for (std::size_t row : matching) observer_->MemberRenamed(row);
  }
}

std::string MemberList::GetMemberMode(std::string_view nick) const {
  const auto found = index_.find(AsciiUpper(nick));
  if (found == index_.end() || found->second.empty()) return {};
  return rows_[found->second.back()].mode;
}

void MemberList::SetMemberMode(std::string_view nick, std::string_view change) {
  const auto row = FindFirst(nick);
  if (!row) return;
  std::string& mode = rows_[*row].mode;
  if (change.empty()) {
    mode.clear();
  } else {
    if (Contains(change, "+o")) {
      AddLetter(mode, 'o');
    } else if (Contains(change, "-o")) {
      DeleteLetter(mode, 'o');
    }
    if (Contains(change, "+a")) {
      AddLetter(mode, 'a');
    } else if (Contains(change, "-a")) {
      DeleteLetter(mode, 'a');
    }
  }
  if (observer_) observer_->MemberChanged(*row);
}

void MemberList::SetMemberIcon(std::string_view nick, std::string_view picture) {
  if (nick.empty()) return;
  const auto row = FindFirst(nick);
  if (!row) return;
  rows_[*row].picture = picture;
  if (observer_) observer_->MemberIconChanged(*row);
}

std::string MemberList::GetSelectedNick() const { return selected_ ? rows_[*selected_].nick : std::string(); }

void MemberList::Select(std::optional<std::size_t> row) {
  if (row && *row >= rows_.size()) row.reset();
  if (row == selected_) return;
  selected_ = row;
  if (observer_) observer_->SelectionChanged();
}

void MemberList::ShowPrivateBox(std::string_view nick) {
  const auto row = FindFirst(nick);
  if (row && observer_) observer_->ShowPrivateBox(*row);
}

void MemberList::ShowPendingPrivateBox(std::size_t row) {
  if (row < rows_.size() && rows_[row].unread && observer_) observer_->ShowPrivateBox(row);
}

void MemberList::AddPrivateMessage(std::string_view nick, int style, const std::string& text) {
  const auto row = FindFirst(nick);
  if (!row) return;
  rows_[*row].unread = true;
  if (observer_) observer_->PrivateMessage(*row, style, text);
}

void MemberList::MarkRead(std::size_t row) {
  if (row >= rows_.size() || !rows_[row].unread) return;
  rows_[row].unread = false;
  if (observer_) observer_->MemberChanged(row);
}

void MemberList::SetMyNick(std::string_view nick) {
  if (myNick_ == nick) return;
  myNick_ = nick;
  if (observer_) observer_->MyNickChanged();
}

void MemberList::SetTemplates(const PrivateTemplates& templates) {
  static constexpr TemplateField kFonts[] = {TemplateField::Font1, TemplateField::Font2, TemplateField::Font3,
                                             TemplateField::Font4};
  const PrivateTemplates old = std::exchange(templates_, templates);
  if (!observer_) return;
  if (old.listColor != templates_.listColor) observer_->TemplateChanged(TemplateField::ListColor);
  if (old.autoSave != templates_.autoSave) observer_->TemplateChanged(TemplateField::AutoSave);
  if (old.beepFile != templates_.beepFile) observer_->TemplateChanged(TemplateField::BeepFile);
  for (std::size_t style = 0; style < templates_.fonts.size(); ++style) {
    if (old.fonts[style] != templates_.fonts[style]) observer_->TemplateChanged(kFonts[style]);
  }
}

void MemberList::SetIconMode(bool on) {
  iconMode_ = on;
  if (observer_) observer_->IconModeChanged();
}

void MemberList::BlinkTick() {
  blinkPhase_ = !blinkPhase_;
  if (observer_) observer_->BlinkChanged();
}

const char* MemberList::SmallMark(std::size_t row) const {
  const MemberRow& r = rows_.at(row);
  if (r.unread && blinkPhase_) return kMarkBlink;
  if (Contains(r.mode, "a")) return kMarkAway;
  if (Contains(r.mode, "o")) return kMarkHost;
  return kMarkMember;
}

bool MemberList::LabelHidden(std::size_t row) const { return rows_.at(row).unread && blinkPhase_; }

bool MemberList::LabelFrameRed(std::size_t row) const { return Contains(rows_.at(row).mode, "o"); }

}  // namespace novalune::client
