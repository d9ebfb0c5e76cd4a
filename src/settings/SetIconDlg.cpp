#include "settings/SetIconDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Settings.h"
#include "qtsupport/GifMovie.h"
#include "settings/DialogParts.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::Ui;
namespace icon = keys::icon;

namespace {

constexpr int kPreviewSize = 32;

QPushButton* Button(QWidget* owner, const char* caption, const char* name) {
  auto* button = new QPushButton(Ui(caption), owner);
  button->setObjectName(name);
  return button;
}

}  // namespace

TSetIconDlg::TSetIconDlg(IconPreviewSource preview, std::function<void(const std::string&)> apply,
                         NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      preview_(std::move(preview)),
      apply_(std::move(apply)),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      listBox_(new QListWidget(this)),
      iconEdit_(new QLineEdit(this)),
      iconImage_(new QLabel(this)),
      addBtn_(Button(this, text::kAddBtn, "AddBtn")),
      delBtn_(Button(this, text::kDelBtn, "DelBtn")) {
  setObjectName("SetIconDlg");
  setWindowTitle(Ui(text::kSetIconCaption));
  listBox_->setObjectName("ListBox");
  iconEdit_->setObjectName("IconEdit");
  iconImage_->setObjectName("IconImage");
  iconImage_->setFixedSize(kPreviewSize + 2, kPreviewSize + 2);
  iconImage_->setFrameStyle(QFrame::Box | QFrame::Plain);
  iconImage_->setAlignment(Qt::AlignCenter);
  QPushButton* setBtn = Button(this, text::kSetBtn, "SetBtn");
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kOk, text::kCancel, &ok, &cancel);
  ok->setObjectName("OKBtn");
  cancel->setObjectName("CancelBtn");

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(Ui(text::kIconListLabel), this), 0, 0);
  grid->addWidget(listBox_, 1, 0, 4, 1);
  grid->addWidget(iconImage_, 1, 1);
  grid->addWidget(addBtn_, 2, 1);
  grid->addWidget(delBtn_, 3, 1);
  grid->addWidget(setBtn, 4, 1, Qt::AlignTop);
  grid->addWidget(iconEdit_, 5, 0, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(addBtn_, &QPushButton::clicked, this, &TSetIconDlg::AddBtnClick);
  connect(delBtn_, &QPushButton::clicked, this, &TSetIconDlg::DelBtnClick);
  connect(setBtn, &QPushButton::clicked, this, &TSetIconDlg::SetBtnClick);
  connect(ok, &QPushButton::clicked, this, &TSetIconDlg::OKBtnClick);
  connect(cancel, &QPushButton::clicked, this, [this] {
    if (preview_.abort) preview_.abort();
  });
  connect(iconEdit_, &QLineEdit::textChanged, this, &TSetIconDlg::UpdateButtons);
  connect(listBox_, &QListWidget::itemClicked, this, &TSetIconDlg::ListBoxClick);
  connect(listBox_, &QListWidget::currentRowChanged, this, &TSetIconDlg::UpdateButtons);
  listViewport_ = listBox_->viewport();
  listViewport_->installEventFilter(this);

  iconEdit_->setText(detail::FromSjis(ReadSettingString(icon::kSection, icon::kUrl)));
  for (const std::string& entry : LoadListFile(files::kIconList)) listBox_->addItem(detail::FromSjis(entry));
  listBox_->setCurrentRow(-1);
}

// A preview still on its way must not come back to a dialog that is gone.
TSetIconDlg::~TSetIconDlg() {
  ++previewGeneration_;
  if (preview_.abort) preview_.abort();
}

std::vector<std::string> TSetIconDlg::Entries() const {
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(listBox_->count()));
  for (int row = 0; row < listBox_->count(); ++row)
    entries.push_back(detail::ToSjis(listBox_->item(row)->text()));
  return entries;
}

int TSetIconDlg::SelectedIndex() const {
  const QListWidgetItem* item = listBox_->currentItem();
  return item != nullptr && item->isSelected() ? listBox_->row(item) : -1;
}

bool TSetIconDlg::PreviewShown() const { return movie_ != nullptr; }

void TSetIconDlg::showEvent(QShowEvent* event) {
  TopMostDialog::showEvent(event);
  const int selectNo = ReadSettingInt(icon::kSection, icon::kSelectNo);
  if (selectNo >= 0 && selectNo < listBox_->count()) listBox_->setCurrentRow(selectNo);
  UpdateButtons();
  Preview();
}

void TSetIconDlg::UpdateButtons() {
  delBtn_->setEnabled(SelectedIndex() >= 0);
  const QString edit = iconEdit_->text();
  addBtn_->setEnabled(!edit.isEmpty() &&
                      listBox_->findItems(edit, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty());
}

void TSetIconDlg::AddBtnClick() {
  const QString entry = iconEdit_->text().trimmed();
  iconEdit_->setText(entry);
  const int selected = SelectedIndex();
  listBox_->insertItem(selected >= 0 ? selected : listBox_->count(), entry);
  UpdateButtons();
  Preview();
}

void TSetIconDlg::DelBtnClick() {
  const int selected = SelectedIndex();
  if (selected < 0) return;
  delete listBox_->takeItem(selected);
  listBox_->setCurrentRow(-1);
  iconEdit_->clear();
  UpdateButtons();
}

void TSetIconDlg::ListBoxClick() {
  const QListWidgetItem* item = listBox_->currentItem();
  if (item == nullptr || item->text() == iconEdit_->text()) return;
  iconEdit_->setText(item->text());
  Preview();
}

void TSetIconDlg::SetBtnClick() {
  if (apply_) apply_(detail::ToSjis(iconEdit_->text()));
}

void TSetIconDlg::OKBtnClick() {
  if (preview_.abort) preview_.abort();
  const std::string edit = detail::ToSjis(iconEdit_->text());
  const bool saved = detail::RunReporting(notice_, [this, &edit] {
    SaveListFile(files::kIconList, Entries());
    WriteSettingString(icon::kSection, icon::kUrl, edit);
    WriteSettingInt(icon::kSection, icon::kSelectNo, SelectedIndex());
  });
  if (!saved) return;
  iconName_ = edit;
  accept();
}

// The preview empties first and fills when a GIF arrives for this request.
void TSetIconDlg::Preview() {
  if (preview_.abort) preview_.abort();
  ShowPreview({});
  if (!preview_.fetch) return;
  const unsigned generation = ++previewGeneration_;
  preview_.fetch(detail::ToSjis(iconEdit_->text()), [this, generation](const QByteArray& gif) {
    if (generation == previewGeneration_) ShowPreview(gif);
  });
}

void TSetIconDlg::ShowPreview(const QByteArray& gif) {
  iconImage_->setMovie(nullptr);
  iconImage_->clear();
  delete movie_;
  movie_ = nullptr;
  if (gif.isEmpty()) return;
  std::unique_ptr<QMovie> movie = qtsupport::GifMovie(gif);
  if (!movie) return;
  movie_ = movie.release();
  movie_->setParent(this);
  iconImage_->setMovie(movie_);
  movie_->start();
}

// Reordering: press on an entry remembers it; moving with the left button
// held over another entry moves it there.
bool TSetIconDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == listViewport_) {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton)
        dragged_ = listBox_->row(listBox_->itemAt(mouse->position().toPoint()));
    } else if (event->type() == QEvent::MouseMove) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->buttons() & Qt::LeftButton)
        MoveDragged(listBox_->row(listBox_->itemAt(mouse->position().toPoint())));
    }
  }
  return TopMostDialog::eventFilter(watched, event);
}

void TSetIconDlg::MoveDragged(int to) {
  if (dragged_ < 0 || to < 0 || to == dragged_ || dragged_ >= listBox_->count()) return;
  QListWidgetItem* item = listBox_->takeItem(dragged_);
  listBox_->insertItem(to, item);
  listBox_->setCurrentRow(to);
  dragged_ = to;
}

}  // namespace novalune::settings
