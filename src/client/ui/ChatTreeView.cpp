#include "client/ui/ChatTreeView.h"

#include <QMenu>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QTimer>
#include <set>

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
    : QAbstractScrollArea(parent), members_(members), pictures_(new PictureStore(this)) {
  setObjectName("ListView");
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  verticalScrollBar()->setSingleStep(20);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TChatTreeView::UpdateAnimations);
  connect(pictures_, &PictureStore::frameChanged, this, &TChatTreeView::PictureFrameChanged);
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
  ScheduleAnimations();
}

void TChatTreeView::RowChanged(std::size_t row) {
  if (row < members_.Count()) viewport()->update(RowRect(row));
  ScheduleAnimations();
}

// Like the scroll range, after the model has finished its change.
void TChatTreeView::ScheduleAnimations() {
  if (animationsPending_) return;
  animationsPending_ = true;
  QMetaObject::invokeMethod(this, &TChatTreeView::UpdateAnimations, Qt::QueuedConnection);
}

QPixmap TChatTreeView::PictureOf(std::size_t row) const {
  const std::string& name = members_.Row(row).picture;
  if (const QMovie* movie = pictures_->Movie(name)) return movie->currentPixmap();
  return MemberPicture(name);
}

void TChatTreeView::SetAnimationAllowed(bool allowed) {
  animationAllowed_ = allowed;
  UpdateAnimations();
}

bool TChatTreeView::Animating(std::string_view picture) const {
  const QMovie* movie = pictures_->Movie(picture);
  return movie != nullptr && movie->state() == QMovie::Running;
}

void TChatTreeView::UpdateAnimations() {
  animationsPending_ = false;
  std::set<std::string> used;
  std::set<std::string> onScreen;
  const bool animate = animationAllowed_ && members_.GetIconMode() && isVisible();
  for (std::size_t row = 0; row < members_.Count(); ++row) {
    const std::string& name = members_.Row(row).picture;
    used.insert(name);
    if (animate && RowRect(row).intersects(viewport()->rect())) onScreen.insert(name);
  }
  pictures_->Keep(used);
  for (const auto& [name, movie] : pictures_->All()) {
    const bool run = onScreen.count(name) != 0;
    if (run && movie->state() == QMovie::NotRunning) movie->start();
    if (movie->state() != QMovie::NotRunning) movie->setPaused(!run);
  }
}

void TChatTreeView::PictureFrameChanged(const std::string& picture) {
  if (!members_.GetIconMode()) return;
  for (std::size_t row = 0; row < members_.Count(); ++row) {
    if (members_.Row(row).picture != picture) continue;
    const QRect rect = RowRect(row);
    viewport()->update(QRect(rect.left(), rect.top(), kPictureSize, kPictureSize));
  }
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
  UpdateAnimations();
}

void TChatTreeView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  UpdateAnimations();
}

// Hidden, also while the window closes down after the member list has gone:
// pause every picture without asking the list.
void TChatTreeView::hideEvent(QHideEvent* event) {
  QAbstractScrollArea::hideEvent(event);
  for (const auto& entry : pictures_->All()) {
    if (entry.second->state() == QMovie::Running) entry.second->setPaused(true);
  }
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
  painter.drawPixmap(rect.left(), rect.top(), PictureOf(row));
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
