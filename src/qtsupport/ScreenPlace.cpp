#include "qtsupport/ScreenPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace novalune::qtsupport {

void KeepOnScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = window.frameGeometry();
  // The frame adds the window manager's borders to the client area.
  const int borderX = frame.width() - window.width();
  const int borderY = frame.height() - window.height();
  const int width = std::min(frame.width(), area.width());
  const int height = std::min(frame.height(), area.height());
  if (width != frame.width() || height != frame.height()) window.resize(width - borderX, height - borderY);
  const int left = std::clamp(frame.left(), area.left(), area.right() + 1 - width);
  const int top = std::clamp(frame.top(), area.top(), area.bottom() + 1 - height);
  if (left != frame.left() || top != frame.top()) window.move(left, top);
}

}  // namespace novalune::qtsupport
