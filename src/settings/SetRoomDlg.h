// The room dialog "ルームに入る": a room name with the rooms of "Room.adr" to
// choose from, and a password. Reads "Room.adr" and "RoomName" when created.
//
// For the main window (MenuRoomInClick):
//   TSetRoomDlg dialog(ClientNotice(this), this);
//   if (dialog.exec() == QDialog::Accepted) core.MenuRoomIn(dialog.RoomName(), dialog.Password());
// "入る" checks the fields (a notice at the first failure, the dialog stays
// open), adds the room to "Room.adr" unless it is there already, writes
// "RoomName" and closes with Accepted. "閉じる" and Escape close with Rejected.
#pragma once

#include <string>
#include <vector>

#include "settings/ClientMessage.h"
#include "settings/TopMostDialog.h"

class QComboBox;
class QLineEdit;

namespace novalune::settings {

class TSetRoomDlg : public TopMostDialog {
  Q_OBJECT
 public:
  explicit TSetRoomDlg(NoticeFn notice = {}, QWidget* parent = nullptr);

  std::string RoomName() const;
  std::string Password() const;
  void SetRoomName(const std::string& room);
  void SetPassword(const std::string& password);

  // "入る".
  void OKBtnClick();

 private:
  std::vector<std::string> RoomEntries() const;

  NoticeFn notice_;
  QComboBox* roomNameBox_;
  QLineEdit* passEdit_;
};

}  // namespace novalune::settings
