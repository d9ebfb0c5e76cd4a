// "音フォルダーの設定": the sound folder list that sound names are looked up
// in, in order. A folder tree chooses the current folder, "追加" appends it
// (no two equal without case), "削除" removes the selected entry, "OK" writes
// "WavDir.txt" and "キャンセル" forgets the changes.
#pragma once

#include <string>
#include <vector>

#include "settings/TopMostDialog.h"

class QFileSystemModel;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace novalune::ui {

class TWavFileListDlg : public settings::TopMostDialog {
  Q_OBJECT

 public:
  explicit TWavFileListDlg(QWidget* parent = nullptr);

  // The list as shown (Shift-JIS paths).
  std::vector<std::string> Folders() const;

  void AddBtnClick();
  void DelBtnClick();
  void accept() override;
  // The folder the tree points at, shown in the label.
  void SetCurrentFolder(const QString& path);

  QTreeView* DirListBox = nullptr;
  QLabel* DirLabel = nullptr;
  QListWidget* FolderList = nullptr;
  QPushButton* AddBtn = nullptr;
  QPushButton* DelBtn = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 private:
  void DirListBoxChange();

  QFileSystemModel* dirs_ = nullptr;
};

}  // namespace novalune::ui
