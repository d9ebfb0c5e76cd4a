// TChatTreeView: the member tree at the left of the main window. A flat,
// owner-drawn list of the engine's MemberList: small mode (20-pixel rows,
// status mark and nick) or icon mode (32-pixel rows, picture and a framed
// name label), with a 300 ms blink for members whose private message has
// not been looked at. The list itself never talks to the server.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QRect>
#include <cstddef>
#include <optional>

#include "client/core/MemberList.h"
#include "client/ui/MemberPictures.h"

class QMenu;
class QTimer;

namespace novalune::ui {

class TChatTreeView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TChatTreeView(client::MemberList& members, QWidget* parent = nullptr);

  // The pop-up menu opened by the right button on a non-empty list.
  void SetPopupMenu(QMenu* menu) { popup_ = menu; }
  // Background of the list (stored colour 0x00BBGGRR).
  void SetListColor(int color);
  QColor ListColor() const { return listColor_; }

  int RowHeight() const { return members_.RowHeight(); }
  // The row under a viewport position, if any.
  std::optional<std::size_t> RowAt(QPoint position) const;
  // Where a row is drawn in the viewport (scrolled rows move up).
  QRect RowRect(std::size_t row) const;
  // The part of a row the blink changes: the mark or the name label.
  QRect BlinkRect(std::size_t row) const;
  QRect LabelRect(std::size_t row) const;

  // The model changed: rows, a row's look, the mode.
  void RowsChanged();
  void RowChanged(std::size_t row);
  // BlinkTick of the model: repaint only the marks or the labels.
  void BlinkRepaint();

  // Downloaded pictures that rows name; the window adds them before it
  // hands the name to the engine.
  PictureStore& Pictures() { return *pictures_; }
  // What row `row` shows in icon mode.
  QPixmap PictureOf(std::size_t row) const;
  // The window's minimise and restore: a minimised window animates nothing.
  void SetAnimationAllowed(bool allowed);
  // True while the picture is animating.
  bool Animating(std::string_view picture) const;

  QTimer* BlinkTimer = nullptr;

 signals:
  // Right button: the menu is about to open on the selected row.
  void popupRequested(QPoint globalPosition);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void UpdateScrollRange();
  void DrawSmallRow(QPainter& painter, std::size_t row, const QRect& rect);
  void DrawIconRow(QPainter& painter, std::size_t row, const QRect& rect);
  void SelectAt(QPoint position);
  // Drops pictures no row uses, then runs exactly the animations of rows on
  // screen in icon mode, so an idle or minimised window costs no CPU.
  void UpdateAnimations();
  void ScheduleAnimations();
  void PictureFrameChanged(const std::string& picture);

  client::MemberList& members_;
  QMenu* popup_ = nullptr;
  QColor listColor_ = Qt::white;
  PictureStore* pictures_;
  bool animationAllowed_ = true;
  bool animationsPending_ = false;
};

}  // namespace novalune::ui
