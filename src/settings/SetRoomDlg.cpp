#include "settings/SetRoomDlg.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Settings.h"
#include "settings/AddressBook.h"
#include "settings/DialogParts.h"
#include "settings/DialogRules.h"
#include "settings/RoomNameBox.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::FromSjis;
using detail::ToSjis;
using detail::Ui;

TSetRoomDlg::TSetRoomDlg(NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      roomNameBox_(detail::NewEditableBox(this, "RoomNameBox")),
      passEdit_(new QLineEdit(this)) {
  setObjectName("SetRoomDlg");
  setWindowTitle(Ui(text::kSetRoomCaption));
  passEdit_->setObjectName("PassEdit");

  auto* form = new QFormLayout;
  form->addRow(Ui(text::kRoomNameLabel), roomNameBox_);
  form->addRow(Ui(text::kPasswordLabel), passEdit_);
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kEnterBtn, text::kClose, &ok, &cancel);
  connect(ok, &QPushButton::clicked, this, &TSetRoomDlg::OKBtnClick);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  detail::FillBox(roomNameBox_, LoadRoomNames());
  SetRoomName(ReadSettingString(keys::system::kSection, keys::system::kRoomName));
}

std::string TSetRoomDlg::RoomName() const { return ToSjis(roomNameBox_->currentText()); }

std::string TSetRoomDlg::Password() const { return ToSjis(passEdit_->text()); }

void TSetRoomDlg::SetRoomName(const std::string& room) { roomNameBox_->setEditText(FromSjis(room)); }

void TSetRoomDlg::SetPassword(const std::string& password) { passEdit_->setText(FromSjis(password)); }

std::vector<std::string> TSetRoomDlg::RoomEntries() const { return detail::BoxEntries(roomNameBox_); }

void TSetRoomDlg::OKBtnClick() {
  const std::string room = RoomName();
  if (auto message = CheckRoomEntry(room, Password())) {
    notice_(*message);
    return;
  }
  const bool stored = detail::RunReporting(notice_, [&] {
    SaveRoomNames(StoreRoomName(RoomEntries(), room));
    WriteSettingString(keys::system::kSection, keys::system::kRoomName, room);
  });
  if (stored) accept();
}

}  // namespace novalune::settings
