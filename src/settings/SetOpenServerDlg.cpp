#include "settings/SetOpenServerDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "client/core/PublicationTexts.h"
#include "common/Settings.h"
#include "common/SjisText.h"
#include "settings/DialogParts.h"
#include "settings/OrderedListBox.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::Ui;
namespace ptext = client::publication_text;
namespace open_server = keys::open_server;

namespace {

QPushButton* Button(QWidget* owner, const char* caption, const char* name) {
  auto* button = new QPushButton(Ui(caption), owner);
  button->setObjectName(name);
  return button;
}

}  // namespace

TSetOpenServerDlg::TSetOpenServerDlg(HttpAccessGate& gate, Open open, NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      gate_(gate),
      open_(std::move(open)),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      listBox_(new QListWidget(this)),
      urlEdit_(new QLineEdit(this)) {
  setObjectName("SetOpenServerDlg");
  setWindowTitle(Ui(ptext::kOpenServerCaption));
  listBox_->setObjectName("ListBox");
  urlEdit_->setObjectName("URLEdit");
  QPushButton* dspBtn = Button(this, ptext::kDspBtn, "DspBtn");
  QPushButton* addBtn = Button(this, ptext::kAddBtn, "AddBtn");
  QPushButton* delBtn = Button(this, text::kDelBtn, "DelBtn");
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kOk, text::kCancel, &ok, &cancel);
  ok->setObjectName("OKBtn");
  cancel->setObjectName("CancelBtn");
  list_ = new OrderedListBox(*listBox_, *urlEdit_, *addBtn, *delBtn);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(Ui(ptext::kServerListLabel), this), 0, 0);
  grid->addWidget(urlEdit_, 1, 0);
  grid->addWidget(dspBtn, 1, 1);
  grid->addWidget(listBox_, 2, 0, 3, 1);
  grid->addWidget(addBtn, 2, 1);
  grid->addWidget(delBtn, 3, 1, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(dspBtn, &QPushButton::clicked, this, &TSetOpenServerDlg::DspBtnClick);
  connect(ok, &QPushButton::clicked, this, &TSetOpenServerDlg::OKBtnClick);
  connect(listBox_, &QListWidget::itemDoubleClicked, this, &TSetOpenServerDlg::DspBtnClick);

  // FormCreate.
  urlEdit_->setText(detail::FromSjis(ReadSettingString(open_server::kSection, open_server::kUrl)));
  list_->SetEntries(LoadListFile(files::kServerList));
  if (listBox_->count() > 0 && urlEdit_->text().isEmpty()) urlEdit_->setText(listBox_->item(0)->text());
  list_->UpdateButtons();
}

std::vector<std::string> TSetOpenServerDlg::Entries() const { return list_->Entries(); }

int TSetOpenServerDlg::SelectedIndex() const { return list_->SelectedIndex(); }

void TSetOpenServerDlg::showEvent(QShowEvent* event) {
  TopMostDialog::showEvent(event);
  list_->Select(ReadSettingInt(open_server::kSection, open_server::kSelectNo));
}

// "外部へは接続しない" holds here: nothing is opened while it is on.
void TSetOpenServerDlg::DspBtnClick() {
  if (!gate_.MayAccessOutside(SysText(text::kHttpAskUrl))) return;
  const std::string address = detail::ToSjis(urlEdit_->text());
  if (open_) open_(address);
}

void TSetOpenServerDlg::OKBtnClick() {
  const std::string address = detail::ToSjis(urlEdit_->text());
  const bool saved = detail::RunReporting(notice_, [this, &address] {
    SaveListFile(files::kServerList, Entries());
    WriteSettingString(open_server::kSection, open_server::kUrl, address);
    WriteSettingInt(open_server::kSection, open_server::kSelectNo, SelectedIndex());
  });
  if (saved) accept();
}

}  // namespace novalune::settings
