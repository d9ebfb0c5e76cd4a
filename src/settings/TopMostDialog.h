// Staying on top for the client's dialogs. The main window's "常に手前に表示"
// sets the switch; every dialog that derives from TopMostDialog makes itself
// top-most when it is shown while the switch is on. A dialog already open
// keeps what it had.
#pragma once

#include <QDialog>

namespace novalune::settings {

void SetDialogsStayOnTop(bool on);
bool DialogsStayOnTop();

class TopMostDialog : public QDialog {
  Q_OBJECT
 public:
  using QDialog::QDialog;
  void setVisible(bool visible) override;
};

}  // namespace novalune::settings
