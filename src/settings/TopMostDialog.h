// Staying on top for the client's windows. The main window's "常に手前に表示"
// sets the switch; a secondary window shown while it is on makes itself
// top-most, and a window already open keeps what it had. Modal dialogs and
// message boxes are top-most whatever the switch says, since the room and
// user lists always are: a modal window under them would block the program
// unseen.
#pragma once

#include <QDialog>

namespace novalune::settings {

void SetDialogsStayOnTop(bool on);
bool DialogsStayOnTop();

// Applies the rule above to a top-level window about to appear (before its
// native window is shown: hidden, or in its Show event). A modal window is
// also raised and activated once it is up, so it takes the keyboard.
void StackWindow(QWidget& window);

class TopMostDialog : public QDialog {
  Q_OBJECT
 public:
  using QDialog::QDialog;
  void setVisible(bool visible) override;
};

}  // namespace novalune::settings
