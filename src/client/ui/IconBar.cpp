#include "client/ui/IconBar.h"

#include <QEnterEvent>

#include "client/ui/IconFetcher.h"
#include "client/ui/MemberPictures.h"
#include "qtsupport/GifMovie.h"

namespace novalune::ui {

namespace {

constexpr int kButtonSize = 36;

}  // namespace

TGIFButton::TGIFButton(QWidget* parent) : QToolButton(parent) {
  setFixedSize(kButtonSize, kButtonSize);
  setIconSize(QSize(kPictureSize, kPictureSize));
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  setAutoRaise(true);
}

void TGIFButton::Clear() {
  hide();
  over_.reset();
  normal_ = QPixmap();
  setIcon(QIcon());
  show();
}

void TGIFButton::LoadGif(const QByteArray& gif) {
  over_.reset();
  std::unique_ptr<QMovie> movie = qtsupport::GifMovie(gif);
  if (!movie) {
    Clear();
    return;
  }
  normal_ = movie->currentPixmap();
  connect(movie.get(), &QMovie::frameChanged, this, [this] {
    if (hovered_ && over_) setIcon(QIcon(over_->currentPixmap()));
  });
  over_ = std::move(movie);
  if (hovered_) {
    over_->start();
  } else {
    ShowNormal();
  }
}

void TGIFButton::ShowNormal() {
  if (over_) over_->stop();
  setIcon(normal_.isNull() ? QIcon() : QIcon(normal_));
  update();
}

// Only the picture under the pointer moves: a bar of idle buttons costs nothing.
void TGIFButton::enterEvent(QEnterEvent* event) {
  QToolButton::enterEvent(event);
  hovered_ = true;
  if (over_) over_->start();
  update();
}

void TGIFButton::leaveEvent(QEvent* event) {
  QToolButton::leaveEvent(event);
  hovered_ = false;
  ShowNormal();
}

TIconBar::TIconBar(IconFetcher& fetcher, QWidget* parent)
    : QToolBar(QStringLiteral("IconBar"), parent), fetcher_(fetcher), reDraw_(new QToolButton(this)) {
  setObjectName("IconBar");
  reDraw_->setObjectName("ReDrawBtn");
  reDraw_->setText(QStringLiteral("↻"));
  addWidget(reDraw_);
  connect(reDraw_, &QToolButton::clicked, this, &TIconBar::reDrawClicked);
  for (std::size_t number = 0; number < kButtons; ++number) {
    auto* button = new TGIFButton(this);
    button->setObjectName(QStringLiteral("IconBtn%1").arg(number));
    addWidget(button);
    connect(button, &QToolButton::clicked, this, [this, number] { emit iconClicked(number); });
    buttons_[number] = button;
  }
}

void TIconBar::SetIconList(const std::vector<std::string>& entries, bool shown) {
  if (!fetcher_.MayFetch()) return;
  ++generation_;
  fetcher_.Abort(IconFetcher::kIconBar);
  loading_ = false;
  for (TGIFButton* button : buttons_) button->Clear();
  if (!shown) return;
  entries_.assign(entries.begin(),
                  entries.begin() + static_cast<std::ptrdiff_t>(std::min(entries.size(), kButtons)));
  LoadFrom(0);
}

// One download at a time, in the list's order; a newer reload makes the
// answers of this one meaningless (generation).
void TIconBar::LoadFrom(std::size_t number) {
  loading_ = number < entries_.size();
  if (!loading_) return;
  const unsigned generation = generation_;
  fetcher_.FetchGif(IconFetcher::kIconBar, entries_[number],
                    [this, number, generation](const GifResult& result) {
                      if (generation != generation_) return;
                      if (result.outcome == GifOutcome::kFailed) {
                        loading_ = false;
                        return;
                      }
                      if (result.outcome == GifOutcome::kPicture) buttons_[number]->LoadGif(result.gif);
                      LoadFrom(number + 1);
                    });
}

}  // namespace novalune::ui
