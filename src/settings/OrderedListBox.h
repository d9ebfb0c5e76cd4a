// An address list the user orders himself, with one address field and the
// buttons "追加" and "削除": the public server list of "公開サーバーの表示".
// Adding is possible only for a text that no entry equals exactly; an entry
// dragged with the left button held moves to the row under the pointer.
#pragma once

#include <QObject>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace novalune::settings {

class OrderedListBox : public QObject {
  Q_OBJECT
 public:
  OrderedListBox(QListWidget& list, QLineEdit& edit, QPushButton& addBtn, QPushButton& delBtn);

  std::vector<std::string> Entries() const;  // Shift-JIS
  void SetEntries(const std::vector<std::string>& entries);
  int SelectedIndex() const;
  void Select(int row);

  // BtnUpDateEnable.
  void UpdateButtons();
  // The field trimmed, put back, and inserted before the selected entry (at the end when none is).
  void Add();
  // The selected entry goes and the field empties.
  void Delete();
  // A clicked entry goes into the field when it differs.
  void Clicked();

 signals:
  void Changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MoveDragged(int to);

  QListWidget& list_;
  QLineEdit& edit_;
  QPushButton& addBtn_;
  QPushButton& delBtn_;
  // Kept from the start: the list must not be asked for it while it is being destroyed.
  QObject* viewport_ = nullptr;
  int dragged_ = -1;
};

}  // namespace novalune::settings
