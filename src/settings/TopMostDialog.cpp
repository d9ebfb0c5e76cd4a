#include "settings/TopMostDialog.h"

#include <QTimer>
#include <QVariant>
#include <QWindow>

namespace novalune::settings {

namespace {
// One switch for the process: the dialogs all belong to the one main window.
bool stayOnTop = false;

// Marks a window made top-most here (by the switch or as a modal window),
// not by its own nature like the room list.
constexpr const char* kOnTopHere = "novaluneOnTopHere";

void SetOnTop(QWidget& window, bool on) {
  if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
  Qt::WindowFlags flags = window.windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, on);
  if (!window.isVisible()) {
    window.setWindowFlags(flags);
    return;
  }
  // In the Show event the native window exists but is not mapped yet:
  // setWindowFlags would re-create and hide it.
  window.overrideWindowFlags(flags);
  if (QWindow* handle = window.windowHandle()) handle->setFlags(flags);
}

}  // namespace

void SetDialogsStayOnTop(bool on) { stayOnTop = on; }

bool DialogsStayOnTop() { return stayOnTop; }

void StackWindow(QWidget& window) {
  const Qt::WindowType type = window.windowType();
  if (!window.isWindow() || (type != Qt::Dialog && type != Qt::Window)) return;  // menus, tips
  const bool modal = window.isModal() || window.testAttribute(Qt::WA_ShowModal);
  const bool madeHere = window.property(kOnTopHere).toBool();
  if (modal || stayOnTop) {
    if (!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      window.setProperty(kOnTopHere, true);
      SetOnTop(window, true);
    }
  } else if (madeHere) {
    window.setProperty(kOnTopHere, false);
    SetOnTop(window, false);
  }
  if (!modal) return;
  QTimer::singleShot(0, &window, [&window] {
    if (!window.isVisible()) return;
    window.raise();
    window.activateWindow();
  });
}

void TopMostDialog::setVisible(bool visible) {
  // Window flags must be set while hidden, or the window is re-created.
  if (visible && !isVisible()) StackWindow(*this);
  QDialog::setVisible(visible);
}

}  // namespace novalune::settings
