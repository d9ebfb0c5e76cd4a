#include "client/ui/HistoryDialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "controls/IntEdit.h"
#include "qtsupport/WidgetText.h"

namespace novalune::ui {

namespace {

namespace text {
inline constexpr const char* kUrlListCaption = "URLリスト";
inline constexpr const char* kUserHistoryCaption = "ユーザー入退室リスト";
inline constexpr const char* kLenLabel = "履歴保存数";
inline constexpr const char* kDspBtn = "表示";
inline constexpr const char* kDelBtn = "削除";
inline constexpr const char* kOKBtn = "閉じる";
}  // namespace text

using qtsupport::FromSjis;
using qtsupport::Ui;

QPushButton* NewButton(QWidget* owner, const char* caption, const char* name) {
  auto* button = new QPushButton(Ui(caption), owner);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

std::vector<std::size_t> SelectedRows(const QListWidget& list) {
  std::vector<std::size_t> rows;
  for (const QListWidgetItem* item : list.selectedItems())
    rows.push_back(static_cast<std::size_t>(list.row(item)));
  return rows;
}

// The current entry when it is selected (the one the user last clicked),
// else the first selected one; null when nothing is selected.
const QListWidgetItem* ChosenItem(const QListWidget& list) {
  const QListWidgetItem* current = list.currentItem();
  if (current != nullptr && current->isSelected()) return current;
  const QList<QListWidgetItem*> selected = list.selectedItems();
  const QListWidgetItem* first = nullptr;
  for (const QListWidgetItem* item : selected) {
    if (first == nullptr || list.row(item) < list.row(first)) first = item;
  }
  return first;
}

}  // namespace

THistoryDlg::THistoryDlg(const char* caption, const client::HistoryStore& store, QWidget* parent)
    : TopMostDialog(parent),
      ListBox(new QListWidget(this)),
      Len(new controls::IntEdit(this)),
      DelBtn(NewButton(this, text::kDelBtn, "DelBtn")),
      OKBtn(NewButton(this, text::kOKBtn, "OKBtn")),
      store_(store),
      buttons_(new QHBoxLayout) {
  setWindowTitle(Ui(caption));
  ListBox->setObjectName("ListBox");
  ListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Len->setObjectName("Len");
  Len->setMaximumWidth(80);
  auto* lenLabel = new QLabel(Ui(text::kLenLabel), this);
  lenLabel->setObjectName("LenLabel");
  lenLabel->setBuddy(Len);
  connect(DelBtn, &QPushButton::clicked, this, &THistoryDlg::DelBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &THistoryDlg::OKBtnClick);

  buttons_->addWidget(lenLabel);
  buttons_->addWidget(Len);
  buttons_->addStretch();
  buttons_->addWidget(DelBtn);
  buttons_->addWidget(OKBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ListBox);
  layout->addLayout(buttons_);
  resize(460, 300);

  client::LoadHistory(list_, store_);
  Len->SetValue(list_.Len());
  ShowEntries();
}

void THistoryDlg::AddEntry(const std::string& entry) {
  // The field counts from the next entry on, not from the moment it is typed.
  list_.SetLen(Len->Value());
  list_.Add(entry);
  ListBox->insertItem(0, FromSjis(entry));
  const int keep = static_cast<int>(list_.Visible().size());
  while (ListBox->count() > keep) delete ListBox->takeItem(ListBox->count() - 1);
  EntriesChanged();
}

void THistoryDlg::DelBtnClick() {
  list_.Delete(SelectedRows(*ListBox));
  client::WriteHistoryFile(list_, store_);
  ShowEntries();
  EntriesChanged();
}

void THistoryDlg::SaveAtExit() {
  list_.SetLen(Len->Value());
  client::SaveHistoryAtExit(list_, store_);
  ShowEntries();
  EntriesChanged();
}

void THistoryDlg::ShowEntries() {
  ListBox->clear();
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(list_.Visible().size()));
  for (const std::string& entry : list_.Visible()) texts << FromSjis(entry);
  ListBox->addItems(texts);
}

TURLListDlg::TURLListDlg(OpenUrl openUrl, QWidget* parent)
    : THistoryDlg(text::kUrlListCaption, client::kUrlListStore, parent),
      DspBtn(NewButton(this, text::kDspBtn, "DspBtn")),
      openUrl_(std::move(openUrl)) {
  setObjectName("URLListDlg");
  Buttons()->insertWidget(Buttons()->indexOf(DelBtn), DspBtn);
  connect(DspBtn, &QPushButton::clicked, this, &TURLListDlg::DspBtnClick);
  connect(ListBox, &QListWidget::itemDoubleClicked, this, &TURLListDlg::DspBtnClick);
  // Follows the selection too, so that a click on an entry makes "表示" usable.
  connect(ListBox, &QListWidget::itemSelectionChanged, this, &TURLListDlg::EntriesChanged);
  EntriesChanged();
}

// The list is destroyed after this part of the dialog; its last signals
// must not reach it.
TURLListDlg::~TURLListDlg() { disconnect(ListBox, nullptr, this, nullptr); }

void TURLListDlg::AddURLEntry(const std::string& entry) { AddEntry(entry); }

void TURLListDlg::URLListAdd(const std::string& nick, const std::string& text, const client::LocalTime& now) {
  const std::string entry = client::UrlListEntry(nick, text, now);
  if (!entry.empty()) AddURLEntry(entry);
}

void TURLListDlg::DspBtnClick() {
  if (List().Visible().empty()) return;
  const QListWidgetItem* item = ChosenItem(*ListBox);
  if (item == nullptr) return;
  const std::string& entry = List().Visible()[static_cast<std::size_t>(ListBox->row(item))];
  const std::string url = entry.substr(0, entry.find(' '));
  if (!url.empty() && openUrl_) openUrl_(url);
}

void TURLListDlg::EntriesChanged() {
  DspBtn->setEnabled(!List().Visible().empty() && !ListBox->selectedItems().isEmpty());
}

TUserHistoryDlg::TUserHistoryDlg(QWidget* parent)
    : THistoryDlg(text::kUserHistoryCaption, client::kUserHistoryStore, parent) {
  setObjectName("UserHistoryDlg");
}

}  // namespace novalune::ui
