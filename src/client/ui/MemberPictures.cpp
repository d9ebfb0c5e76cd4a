#include "client/ui/MemberPictures.h"

#include <QMovie>
#include <QPainter>
#include <QPainterPath>

#include "client/core/MemberList.h"
#include "qtsupport/GifMovie.h"

namespace novalune::ui {

namespace {

QPixmap Blank(int size, const QColor& fill = Qt::transparent) {
  QPixmap pixmap(size, size);
  pixmap.fill(fill);
  return pixmap;
}

// An apple in a 16x16 cell: round body, brown stem, green leaf.
QPixmap Apple(const QColor& body, const QColor& shade) {
  QPixmap pixmap = Blank(kMarkSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.moveTo(8, 4.5);
  path.cubicTo(11, 2.5, 15.5, 4, 15, 9);
  path.cubicTo(14.5, 13.5, 11, 15.5, 8, 14.5);
  path.cubicTo(5, 15.5, 1.5, 13.5, 1, 9);
  path.cubicTo(0.5, 4, 5, 2.5, 8, 4.5);
  QRadialGradient gradient(QPointF(6, 7), 9);
  gradient.setColorAt(0, body.lighter(140));
  gradient.setColorAt(1, shade);
  p.setPen(QPen(shade.darker(150), 0.8));
  p.setBrush(gradient);
  p.drawPath(path);
  p.setPen(QPen(QColor(110, 70, 30), 1.4));
  p.drawLine(QPointF(8, 4.8), QPointF(8.8, 1));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 150, 40));
  p.drawEllipse(QRectF(9.2, 0.6, 4.6, 2.4));
  return pixmap;
}

// A cup of hot tea: white cup, brown tea, handle and steam.
QPixmap HotTea() {
  QPixmap pixmap = Blank(kMarkSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(150, 150, 150), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(10.5, 7.5, 4.5, 5), -90 * 16, 180 * 16);
  QPainterPath cup;
  cup.moveTo(1.5, 7);
  cup.lineTo(12.5, 7);
  cup.cubicTo(12.5, 12, 10.5, 15, 7, 15);
  cup.cubicTo(3.5, 15, 1.5, 12, 1.5, 7);
  p.setPen(QPen(QColor(120, 120, 120), 0.8));
  p.setBrush(Qt::white);
  p.drawPath(cup);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(160, 90, 30));
  p.drawEllipse(QRectF(2.2, 6.2, 9.6, 2.2));
  p.setPen(QPen(QColor(170, 170, 170), 1));
  p.setBrush(Qt::NoBrush);
  for (double x : {4.5, 7.5, 10.0}) {
    QPainterPath steam;
    steam.moveTo(x, 5);
    steam.cubicTo(x - 1.5, 3.5, x + 1.5, 2.5, x, 0.5);
    p.drawPath(steam);
  }
  return pixmap;
}

// A peach: pink round fruit with its cleft and two leaves.
QPixmap Peach() {
  QPixmap pixmap = Blank(kPictureSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient gradient(QPointF(12, 14), 18);
  gradient.setColorAt(0, QColor(255, 225, 210));
  gradient.setColorAt(0.6, QColor(255, 160, 160));
  gradient.setColorAt(1, QColor(225, 80, 100));
  QPainterPath body;
  body.moveTo(16, 7);
  body.cubicTo(24, 3, 31, 10, 30, 18);
  body.cubicTo(29, 26, 22, 31, 16, 31);
  body.cubicTo(10, 31, 3, 26, 2, 18);
  body.cubicTo(1, 10, 8, 3, 16, 7);
  p.setPen(QPen(QColor(200, 70, 90), 1));
  p.setBrush(gradient);
  p.drawPath(body);
  p.setPen(QPen(QColor(215, 100, 120), 1.2));
  p.setBrush(Qt::NoBrush);
  QPainterPath cleft;
  cleft.moveTo(16, 8);
  cleft.cubicTo(20, 14, 19, 22, 16, 29);
  p.drawPath(cleft);
  p.setPen(QPen(QColor(30, 110, 30), 0.8));
  p.setBrush(QColor(60, 170, 60));
  p.drawEllipse(QRectF(5, 1.5, 10, 5));
  p.drawEllipse(QRectF(16, 0.5, 10, 5));
  return pixmap;
}

// A tea cup on its saucer, seen a little from above.
QPixmap CupOnSaucer() {
  QPixmap pixmap = Blank(kPictureSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(110, 110, 140), 1));
  p.setBrush(QColor(235, 235, 250));
  p.drawEllipse(QRectF(1, 22, 30, 9));
  p.setPen(QPen(QColor(130, 130, 160), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(22, 11, 8, 9), -90 * 16, 180 * 16);
  QPainterPath cup;
  cup.moveTo(4, 10);
  cup.lineTo(25, 10);
  cup.cubicTo(25, 20, 21, 26, 14.5, 26);
  cup.cubicTo(8, 26, 4, 20, 4, 10);
  p.setPen(QPen(QColor(110, 110, 140), 1));
  p.setBrush(Qt::white);
  p.drawPath(cup);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 120, 200));
  p.drawRect(QRectF(6, 15, 17.5, 2));
  p.setPen(QPen(QColor(110, 110, 140), 1));
  p.setBrush(QColor(150, 85, 35));
  p.drawEllipse(QRectF(4.5, 8, 20, 4));
  p.setPen(QPen(QColor(180, 180, 180), 1.2));
  p.setBrush(Qt::NoBrush);
  for (double x : {10.0, 15.0, 20.0}) {
    QPainterPath steam;
    steam.moveTo(x, 6.5);
    steam.cubicTo(x - 2, 4.5, x + 2, 3, x, 0.5);
    p.drawPath(steam);
  }
  return pixmap;
}

struct Pictures {
  QPixmap host = Apple(QColor(230, 30, 30), QColor(170, 10, 20));
  QPixmap member = Apple(QColor(250, 220, 40), QColor(210, 170, 0));
  QPixmap away = HotTea();
  QPixmap blank = Blank(kMarkSize, Qt::white);
  QPixmap defaultUser = Peach();
  QPixmap awayUser = CupOnSaucer();
};

// Drawn on first use: a QPixmap needs the application to exist.
const Pictures& All() {
  static const Pictures pictures;
  return pictures;
}

}  // namespace

const QPixmap& StatusMark(std::string_view name) {
  const Pictures& all = All();
  if (name == client::kMarkHost) return all.host;
  if (name == client::kMarkAway) return all.away;
  if (name == client::kMarkBlink) return all.blank;
  return all.member;
}

const QPixmap& MemberPicture(std::string_view name) {
  if (name == client::kPictureAway) return All().awayUser;
  return All().defaultUser;
}

PictureStore::~PictureStore() = default;

std::string PictureStore::Add(const QByteArray& gif) {
  std::unique_ptr<QMovie> movie = qtsupport::GifMovie(gif);
  if (!movie) return {};
  std::string name = "GIF:" + std::to_string(next_++);
  connect(movie.get(), &QMovie::frameChanged, this, [this, name] { emit frameChanged(name); });
  movies_.emplace(name, std::move(movie));
  return name;
}

QMovie* PictureStore::Movie(std::string_view name) const {
  const auto found = movies_.find(name);
  return found == movies_.end() ? nullptr : found->second.get();
}

void PictureStore::Keep(const std::set<std::string>& used) {
  std::erase_if(movies_, [&used](const auto& entry) { return used.count(entry.first) == 0; });
}

}  // namespace novalune::ui
