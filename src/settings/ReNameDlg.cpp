#include "settings/ReNameDlg.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Settings.h"
#include "settings/DialogParts.h"
#include "settings/DialogRules.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::Ui;

TReNameDlg::TReNameDlg(NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      nickEdit_(new QLineEdit(this)) {
  setObjectName("ReNameDlg");
  setWindowTitle(Ui(text::kReNameCaption));
  nickEdit_->setObjectName("NickEdit");
  nickEdit_->setMinimumWidth(180);

  auto* form = new QFormLayout;
  form->addRow(Ui(text::kNickLabel), nickEdit_);
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kOk, text::kCancelHalf, &ok, &cancel);
  connect(ok, &QPushButton::clicked, this, &TReNameDlg::OKBtnClick);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  SetNick(ReadSettingString(keys::system::kSection, keys::system::kNick));
}

std::string TReNameDlg::Nick() const { return detail::ToSjis(nickEdit_->text()); }

void TReNameDlg::SetNick(const std::string& nick) { nickEdit_->setText(detail::FromSjis(nick)); }

void TReNameDlg::OKBtnClick() {
  const std::string nick = Nick();
  if (auto message = CheckNick(nick)) {
    notice_(*message);
    nickEdit_->setFocus();
    return;
  }
  if (detail::RunReporting(notice_,
                           [&] { WriteSettingString(keys::system::kSection, keys::system::kNick, nick); })) {
    accept();
  }
}

}  // namespace novalune::settings
