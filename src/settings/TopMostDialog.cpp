#include "settings/TopMostDialog.h"

namespace novalune::settings {

namespace {
// One switch for the process: the dialogs all belong to the one main window.
bool stayOnTop = false;
}  // namespace

void SetDialogsStayOnTop(bool on) { stayOnTop = on; }

bool DialogsStayOnTop() { return stayOnTop; }

void TopMostDialog::setVisible(bool visible) {
  // Window flags must be set while hidden, or the window is re-created.
  if (visible && !isVisible() && stayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  QDialog::setVisible(visible);
}

}  // namespace novalune::settings
