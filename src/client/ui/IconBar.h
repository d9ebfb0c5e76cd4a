// The icon bar: "ReDrawBtn" and ten picture buttons IconBtn0..IconBtn9 that
// show the first ten entries of "ICONLIST.TXT". A click on button N asks the
// window to make entry N the own icon (SpeedButtonClick).
//
// For the main window, with `iconFetcher_` the window's IconFetcher:
//   IconBar = new TIconBar(*iconFetcher_, this);
//   connect(IconBar, &TIconBar::iconClicked, ... core_->SpeedButtonClick(n));
//   connect(IconBar, &TIconBar::reDrawClicked, this, &TZKWChatForm::SetIconList);
//   SetIconList(): IconBar->SetIconList(ReadIconList(), GetViewIconList());
#pragma once

#include <QMovie>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace novalune::ui {

class IconFetcher;

// A button with two pictures: the still first frame normally, the running
// animation while the pointer is over it.
class TGIFButton : public QToolButton {
  Q_OBJECT
 public:
  explicit TGIFButton(QWidget* parent = nullptr);

  // GifButtonClear and GifButtonLoadFile.
  void Clear();
  void LoadGif(const QByteArray& gif);
  bool HasPicture() const { return !normal_.isNull(); }
  bool Hovered() const { return hovered_; }
  bool Animating() const { return over_ && over_->state() == QMovie::Running; }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void ShowNormal();

  QPixmap normal_;
  std::unique_ptr<QMovie> over_;
  bool hovered_ = false;
};

class TIconBar : public QToolBar {
  Q_OBJECT
 public:
  static constexpr std::size_t kButtons = 10;

  explicit TIconBar(IconFetcher& fetcher, QWidget* parent = nullptr);

  TGIFButton* Button(std::size_t number) const { return buttons_[number]; }
  QToolButton* ReDrawBtn() const { return reDraw_; }

  // Asks first (web access question); on yes aborts a running reload,
  // empties all ten buttons and, when the bar is shown, loads the first ten
  // entries one after the other. A failed request ends the reload there.
  void SetIconList(const std::vector<std::string>& entries, bool shown);
  bool Loading() const { return loading_; }

 signals:
  void iconClicked(std::size_t number);
  void reDrawClicked();

 private:
  void LoadFrom(std::size_t number);

  IconFetcher& fetcher_;
  QToolButton* reDraw_;
  std::array<TGIFButton*, kButtons> buttons_{};
  std::vector<std::string> entries_;
  unsigned generation_ = 0;
  bool loading_ = false;
};

}  // namespace novalune::ui
