#include "client/ui/ChatTreeView.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QTimer>

#include "client/display/DisplayFormat.h"
#include "client/ui/MemberPictures.h"
#include "qtsupport/WidgetText.h"

namespace novalune::ui {

namespace {

constexpr int kBlinkMs = 300;
const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

}  // namespace

TChatTreeView::TChatTreeView(client::MemberList& members, QWidget* parent)
    : QAbstractScrollArea(parent), members_(members) {
  setObjectName("ListView");
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  verticalScrollBar()->setSingleStep(20);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
  BlinkTimer = new QTimer(this);
  BlinkTimer->setInterval(kBlinkMs);
  connect(BlinkTimer, &QTimer::timeout, this, [this] { members_.BlinkTick(); });
  BlinkTimer->start();
  SetListColor(0xFFFFFF);
}

void TChatTreeView::SetListColor(int color) {
  listColor_ = display::ColorFromSetting(color);
  QPalette palette = viewport()->palette();
  palette.setColor(QPalette::Base, listColor_);
  palette.setColor(QPalette::Window, listColor_);
  viewport()->setPalette(palette);
  viewport()->setAutoFillBackground(true);
  viewport()->update();
}

std::optional<std::size_t> TChatTreeView::RowAt(QPoint position) const {
  if (position.y() < 0) return std::nullopt;
  const int y = position.y() + verticalScrollBar()->value();
  const auto row = static_cast<std::size_t>(y / RowHeight());
  if (row >= members_.Count()) return std::nullopt;
  return row;
}

QRect TChatTreeView::RowRect(std::size_t row) const {
  const int top = static_cast<int>(row) * RowHeight() - verticalScrollBar()->value();
  return QRect(0, top, viewport()->width(), RowHeight());
}

QRect TChatTreeView::LabelRect(std::size_t row) const {
  const QRect rect = RowRect(row);
  const QFontMetrics metrics(font());
  const QString nick = qtsupport::FromSjis(members_.Row(row).nick);
  return QRect(rect.left() + 33, rect.top() + 10, metrics.horizontalAdvance(nick) + 2, metrics.height() + 2);
}

QRect TChatTreeView::BlinkRect(std::size_t row) const {
  const QRect rect = RowRect(row);
  if (members_.GetIconMode()) return LabelRect(row).adjusted(-1, -1, 1, 1);
  return QRect(rect.left() + 2, rect.top() + 2, kMarkSize, kMarkSize);
}

void TChatTreeView::RowsChanged() {
  // A row may be on its way out: measure once the model has finished.
  QMetaObject::invokeMethod(this, &TChatTreeView::UpdateScrollRange, Qt::QueuedConnection);
  viewport()->update();
}

void TChatTreeView::RowChanged(std::size_t row) {
  if (row < members_.Count()) viewport()->update(RowRect(row));
}

void TChatTreeView::BlinkRepaint() {
  for (std::size_t row = 0; row < members_.Count(); ++row) {
    const QRect rect = BlinkRect(row);
    if (rect.bottom() >= 0 && rect.top() < viewport()->height()) viewport()->update(rect);
  }
}

void TChatTreeView::UpdateScrollRange() {
  const int content = static_cast<int>(members_.Count()) * RowHeight();
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setSingleStep(RowHeight());
  verticalScrollBar()->setRange(0, std::max(0, content - viewport()->height()));
  viewport()->update();
}

void TChatTreeView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRange();
}

void TChatTreeView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.setFont(font());
  const QRect dirty = event->rect();
  for (std::size_t row = 0; row < members_.Count(); ++row) {
    const QRect rect = RowRect(row);
    if (!rect.intersects(dirty)) continue;
    painter.save();
    painter.setClipRect(rect);
    if (members_.GetIconMode()) {
      DrawIconRow(painter, row, rect);
    } else {
      DrawSmallRow(painter, row, rect);
    }
    painter.restore();
  }
}

void TChatTreeView::DrawSmallRow(QPainter& painter, std::size_t row, const QRect& rect) {
  const bool selected = members_.Selected() == row;
  const QPalette& colors = palette();
  painter.fillRect(rect, selected ? colors.color(QPalette::Highlight) : listColor_);
  painter.drawPixmap(rect.left() + 2, rect.top() + 2, StatusMark(members_.SmallMark(row)));
  painter.setPen(selected ? colors.color(QPalette::HighlightedText) : colors.color(QPalette::Text));
  const QFontMetrics metrics(painter.font());
  painter.drawText(rect.left() + 24, rect.top() + 3 + metrics.ascent(),
                   qtsupport::FromSjis(members_.Row(row).nick));
}

void TChatTreeView::DrawIconRow(QPainter& painter, std::size_t row, const QRect& rect) {
  painter.fillRect(rect, listColor_);
  painter.save();
  painter.setClipRect(QRect(rect.left(), rect.top(), kPictureSize, kPictureSize), Qt::IntersectClip);
  painter.drawPixmap(rect.left(), rect.top(), MemberPicture(members_.Row(row).picture));
  painter.restore();

  const QRect label = LabelRect(row);
  painter.setClipRect(
      QRect(QPoint(rect.left() + 33, rect.top() + 5), QPoint(label.right() + 2, rect.top() + 29)),
      Qt::IntersectClip);
  if (members_.LabelHidden(row)) {
    painter.fillRect(label, listColor_);
    return;
  }
  const bool selected = members_.Selected() == row;
  painter.fillRect(label, selected ? kNavy : listColor_);
  painter.setPen(selected ? Qt::white : Qt::black);
  const QFontMetrics metrics(painter.font());
  painter.drawText(rect.left() + 34, rect.top() + 11 + metrics.ascent(),
                   qtsupport::FromSjis(members_.Row(row).nick));
  painter.setPen(members_.LabelFrameRed(row) ? kRed : kYellow);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(label.adjusted(0, 0, -1, -1));
}

void TChatTreeView::SelectAt(QPoint position) {
  if (const auto row = RowAt(position)) members_.Select(*row);
  viewport()->update();
}

void TChatTreeView::mousePressEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  if (members_.Count() != 0) SelectAt(position);
  if (event->button() == Qt::LeftButton) {
    if (const auto selected = members_.Selected()) members_.ShowPendingPrivateBox(*selected);
    return;
  }
  // The menu also opens on an empty list: its items act on no one then.
  if (event->button() != Qt::RightButton) return;
  emit popupRequested(event->globalPosition().toPoint());
  if (popup_) popup_->popup(event->globalPosition().toPoint());
}

void TChatTreeView::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void TChatTreeView::mouseMoveEvent(QMouseEvent* event) {
  if (const auto row = RowAt(event->position().toPoint())) members_.ShowPendingPrivateBox(*row);
}

}  // namespace novalune::ui
