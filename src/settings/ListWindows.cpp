#include "settings/ListWindows.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/DialogRules.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

namespace {

QPushButton* AddButton(QWidget* owner, QBoxLayout* row, const char* caption, const char* name) {
  auto* button = new QPushButton(QString::fromUtf8(caption), owner);
  button->setObjectName(name);
  button->setAutoDefault(false);
  row->addWidget(button);
  return button;
}

}  // namespace

TGridListDlg::TGridListDlg(const char* caption, const QStringList& columns, int joinColumn, QWidget* parent)
    : QDialog(parent), grid_(new controls::StrSortGrid(this)), joinColumn_(joinColumn) {
  setWindowTitle(QString::fromUtf8(caption));
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setModal(false);

  grid_->setObjectName("StrSortGrid");
  grid_->SetColumns(columns);

  auto* buttons = new QHBoxLayout;
  QPushButton* join = AddButton(this, buttons, text::kJoinBtn, "OKBtn");
  QPushButton* refresh = AddButton(this, buttons, text::kListBtn, "ListBtn");
  buttons->addStretch();
  QPushButton* close = AddButton(this, buttons, text::kClose, "CancelBtn");
  connect(join, &QPushButton::clicked, this, &TGridListDlg::OKBtnClick);
  connect(refresh, &QPushButton::clicked, this, &TGridListDlg::ListBtnClick);
  connect(close, &QPushButton::clicked, this, &TGridListDlg::CancelBtnClick);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_);
  layout->addLayout(buttons);
  resize(480, 300);
}

void TGridListDlg::ShowList() {
  show();
  raise();
  activateWindow();
}

void TGridListDlg::OKBtnClick() { emit JoinRequested(grid_->CurrentCell(joinColumn_)); }

void TGridListDlg::ListBtnClick() { emit RefreshRequested(); }

void TGridListDlg::CancelBtnClick() { hide(); }

TRoomListDlg::TRoomListDlg(QWidget* parent)
    : TGridListDlg(text::kRoomListCaption,
                   {QString::fromUtf8(text::kColRoomName), QString::fromUtf8(text::kColUsers),
                    QString::fromUtf8(text::kColTopic)},
                   kRoomName, parent) {
  setObjectName("RoomListDlg");
  Grid()->SetColumnAlignment(kUsers, Qt::AlignRight);
  Grid()->setColumnWidth(kRoomName, 140);
  Grid()->setColumnWidth(kUsers, 60);
  Grid()->horizontalHeader()->setStretchLastSection(true);
}

void TRoomListDlg::ClearRoomRows() { Grid()->ClearRows(); }

void TRoomListDlg::AddRoomRow(const std::string& room, int users, const std::string& topic) {
  Grid()->AddRow({room, FormatRoomCount(users), topic});
}

TUserListDlg::TUserListDlg(QWidget* parent)
    : TGridListDlg(text::kUserListCaption,
                   {QString::fromUtf8(text::kColName), QString::fromUtf8(text::kColPersonal),
                    QString::fromUtf8(text::kColFullName), QString::fromUtf8(text::kColRoomName)},
                   kRoomName, parent) {
  setObjectName("UserListDlg");
  Grid()->setColumnWidth(kName, 110);
  Grid()->setColumnWidth(kPersonal, 140);
  Grid()->setColumnWidth(kFullName, 110);
  Grid()->horizontalHeader()->setStretchLastSection(true);
}

void TUserListDlg::ClearUserRows() { Grid()->ClearRows(); }

void TUserListDlg::AddUserRow(const std::string& name, const std::string& personal,
                              const std::string& fullName, const std::string& room) {
  Grid()->AddRow({name, personal, fullName, room});
}

}  // namespace novalune::settings
