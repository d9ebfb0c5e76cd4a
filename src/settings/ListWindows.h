// The room list "ルーム一覧" and the user list "ユーザーの一覧": non-modal, always
// on top, created once at program start and only hidden afterwards. Rows come
// from the server's replies; a click on a header cell sorts (StrSortGrid).
//
// For the main window (ClientView):
//   ClearRoomRows()      -> roomList->ClearRoomRows()
//   ShowRoomList()       -> roomList->ShowList()
//   AddRoomRow(r, n, t)  -> roomList->AddRoomRow(r, n, t)
//   ClearUserRows / ShowUserList / AddUserRow likewise on the user list.
//   JoinRequested(room)  -> "参加する": enter that room without a password,
//                           room name taken as the client's (ClientCore::MenuRoomIn(room, "")).
//   RefreshRequested()   -> "一覧更新": the list command again
//                           (ClientCore::MenuRoomLook / MenuMemberLook).
// All text is Shift-JIS.
#pragma once

#include <QDialog>
#include <string>

#include "controls/StrSortGrid.h"

class QPushButton;

namespace novalune::settings {

// What both windows share: the grid and the buttons "参加する", "一覧更新", "閉じる".
class TGridListDlg : public QDialog {
  Q_OBJECT
 public:
  controls::StrSortGrid* Grid() const { return grid_; }
  // Shows the window (it stays where it was) and brings it to the front.
  void ShowList();

  // "参加する": the join column of the selected row; an empty list gives "".
  void OKBtnClick();
  void ListBtnClick();
  // "閉じる": hides the window; its rows stay.
  void CancelBtnClick();

 signals:
  void JoinRequested(const std::string& room);
  void RefreshRequested();

 protected:
  TGridListDlg(const char* caption, const QStringList& columns, int joinColumn, QWidget* parent);

 private:
  controls::StrSortGrid* grid_;
  int joinColumn_;
};

class TRoomListDlg : public TGridListDlg {
  Q_OBJECT
 public:
  enum Column { kRoomName = 0, kUsers = 1, kTopic = 2 };
  explicit TRoomListDlg(QWidget* parent = nullptr);

  void ClearRoomRows();
  // The count is written right-aligned in four places ("%4d").
  void AddRoomRow(const std::string& room, int users, const std::string& topic);
};

class TUserListDlg : public TGridListDlg {
  Q_OBJECT
 public:
  enum Column { kName = 0, kPersonal = 1, kFullName = 2, kRoomName = 3 };
  explicit TUserListDlg(QWidget* parent = nullptr);

  void ClearUserRows();
  void AddUserRow(const std::string& name, const std::string& personal, const std::string& fullName,
                  const std::string& room);
  void OkBtnClick() { OKBtnClick(); }
};

}  // namespace novalune::settings
