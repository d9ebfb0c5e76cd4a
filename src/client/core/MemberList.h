// The data side of the member tree: one row per member of the joined room,
// in order of addition, with its mode letters, its picture name and the
// unread state of its private window. The widget keeps the per-row window
// objects (picture, private window) in step through MemberListObserver.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/Settings.h"

namespace novalune::client {

// Built-in pictures; any other picture name is one the window has loaded.
inline constexpr const char* kPictureDefault = "DEFUSER";
inline constexpr const char* kPictureAway = "AWAYUSER";
// Small-mode status marks.
inline constexpr const char* kMarkHost = "ICON0";
inline constexpr const char* kMarkMember = "ICON1";
inline constexpr const char* kMarkAway = "ICON2";
inline constexpr const char* kMarkBlink = "ICON9";

// What a private window copies from the list when its row is created;
// SetTemplates copies a changed value into every existing window.
struct PrivateTemplates {
  int listColor = 0;       // background of the list and of the private windows
  std::string defaultExt;  // "DefaultExt": reaches a window only at its creation
  bool autoSave = false;
  std::string beepFile;
  std::array<FontSetting, 4> fonts;  // styles 1 to 4
  bool operator==(const PrivateTemplates&) const = default;
};

enum class TemplateField { ListColor, AutoSave, BeepFile, Font1, Font2, Font3, Font4 };

class MemberListObserver {
 public:
  virtual ~MemberListObserver() = default;
  // A row was appended; create its picture and hidden private window.
  virtual void MemberInserted(std::size_t row) { (void)row; }
  // The row is about to go (rows below move up by one); close its private window.
  virtual void MemberRemoving(std::size_t row) { (void)row; }
  // The row's nick changed; retitle its private window.
  virtual void MemberRenamed(std::size_t row) { (void)row; }
  // Mode letters changed: repaint.
  virtual void MemberChanged(std::size_t row) { (void)row; }
  virtual void MemberIconChanged(std::size_t row) { (void)row; }
  virtual void SelectionChanged() {}
  virtual void IconModeChanged() {}
  virtual void BlinkChanged() {}
  virtual void MyNickChanged() {}
  // Copy the template field into every private window.
  virtual void TemplateChanged(TemplateField field) { (void)field; }
  // Show the row's private window on top of other windows.
  virtual void ShowPrivateBox(std::size_t row) { (void)row; }
  // Show the window if hidden and append the nick (style 2) and " " + text (style).
  virtual void PrivateMessage(std::size_t row, int style, const std::string& text) {
    (void)row, (void)style, (void)text;
  }
};

struct MemberRow {
  std::string nick;     // exactly as added
  std::string mode;     // "o" host, "a" away, in the order set
  std::string picture;  // empty, kPictureDefault, kPictureAway or a loaded picture's name
  bool unread = false;  // the private window holds a message not yet seen
};

class MemberList {
 public:
  explicit MemberList(MemberListObserver* observer = nullptr) : observer_(observer) {}
  void SetObserver(MemberListObserver* observer) { observer_ = observer; }

  void AddMember(std::string_view nick);
  void DeleteMember(std::string_view nick);
  void RenameMember(std::string_view oldNick, std::string_view newNick);
  void ClearMembers();
  std::string GetMemberMode(std::string_view nick) const;
  void SetMemberMode(std::string_view nick, std::string_view change);
  void SetMemberIcon(std::string_view nick, std::string_view picture);
  std::string GetSelectedNick() const;
  void ShowPrivateBox(std::string_view nick);
  void ShowPendingPrivateBox(std::size_t row);
  void AddPrivateMessage(std::string_view nick, int style, const std::string& text);
  void SetMyNick(std::string_view nick);
  const std::string& MyNick() const { return myNick_; }

  // The window's display options in one call: every field that changed is
  // copied into the private windows ("DefaultExt" only reaches new ones).
  void SetTemplates(const PrivateTemplates& templates);
  const PrivateTemplates& Templates() const { return templates_; }

  // Selection by the mouse; an index outside the list selects nothing.
  void Select(std::optional<std::size_t> row);
  std::optional<std::size_t> Selected() const { return selected_; }
  // The pointer went over the private window: the blink stops.
  void MarkRead(std::size_t row);

  bool GetIconMode() const { return iconMode_; }
  void SetIconMode(bool on);
  int RowHeight() const { return iconMode_ ? 32 : 20; }
  bool BlinkPhase() const { return blinkPhase_; }
  void BlinkTick();

  // Drawing decisions of one row.
  const char* SmallMark(std::size_t row) const;
  bool LabelHidden(std::size_t row) const;    // icon mode, blink phase of an unread row
  bool LabelFrameRed(std::size_t row) const;  // host: red frame, else yellow

  std::size_t Count() const { return rows_.size(); }
  const MemberRow& Row(std::size_t row) const { return rows_.at(row); }
  const std::vector<MemberRow>& Rows() const { return rows_; }
  std::optional<std::size_t> FindFirst(std::string_view nick) const;

 private:
  void RemoveRow(std::size_t row);
  void Reindex();

  MemberListObserver* observer_;
  std::vector<MemberRow> rows_;
  // Upper-cased nick -> its rows in ascending order, so that a long names
  // reply does not cost quadratic time.
  std::unordered_map<std::string, std::vector<std::size_t>> index_;
  std::optional<std::size_t> selected_;
  std::string myNick_;
  PrivateTemplates templates_;
  bool iconMode_ = false;
  bool blinkPhase_ = false;
};

}  // namespace novalune::client
