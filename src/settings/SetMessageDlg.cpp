#include "settings/SetMessageDlg.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/DialogParts.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::Ui;

TSetMessageDlg::TSetMessageDlg(NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      awayEdit_(new QLineEdit(this)),
      backEdit_(new QLineEdit(this)) {
  setObjectName("SetMessageDlg");
  setWindowTitle(Ui(text::kSetMessageCaption));
  awayEdit_->setObjectName("AwayEdit");
  backEdit_->setObjectName("BackEdit");
  awayEdit_->setMinimumWidth(260);

  auto* form = new QFormLayout;
  form->addRow(Ui(text::kAwayLabel), awayEdit_);
  form->addRow(Ui(text::kBackLabel), backEdit_);
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kOk, text::kCancel, &ok, &cancel);
  connect(ok, &QPushButton::clicked, this, &TSetMessageDlg::OKBtnClick);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  SetMessages(LoadAwayMessages());
}

AwayMessages TSetMessageDlg::Messages() const {
  return {detail::ToSjis(awayEdit_->text()), detail::ToSjis(backEdit_->text())};
}

void TSetMessageDlg::SetMessages(const AwayMessages& messages) {
  awayEdit_->setText(detail::FromSjis(messages.away));
  backEdit_->setText(detail::FromSjis(messages.back));
}

void TSetMessageDlg::OKBtnClick() {
  if (detail::RunReporting(notice_, [this] { SaveAwayMessages(Messages()); })) accept();
}

}  // namespace novalune::settings
