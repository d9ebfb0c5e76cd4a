#include "client/ui/WavFileListDlg.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "client/core/ClientSounds.h"
#include "client/ui/ChatFormTexts.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "qtsupport/WidgetText.h"

namespace novalune::ui {

using qtsupport::FromSjis;
using qtsupport::ToSjis;
using qtsupport::Ui;

TWavFileListDlg::TWavFileListDlg(QWidget* parent) : TopMostDialog(parent) {
  setWindowTitle(Ui(text::kWavDirCaption));
  dirs_ = new QFileSystemModel(this);
  dirs_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  dirs_->setRootPath(QDir::rootPath());
  DirListBox = new QTreeView(this);
  DirListBox->setObjectName("DirListBox");
  DirListBox->setModel(dirs_);
  for (int column = 1; column < dirs_->columnCount(); ++column) DirListBox->hideColumn(column);
  DirListBox->header()->hide();
  DirLabel = new QLabel(this);
  DirLabel->setObjectName("DirLabel");
  FolderList = new QListWidget(this);
  FolderList->setObjectName("FolderList");
  for (const std::string& folder : client::LoadSoundFolders()) FolderList->addItem(FromSjis(folder));
  AddBtn = new QPushButton(Ui(text::kWavDirAdd), this);
  DelBtn = new QPushButton(Ui(text::kWavDirDelete), this);
  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  CancelBtn = new QPushButton(Ui(text::kWavDirCancel), this);
  OKBtn->setDefault(true);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {AddBtn, DelBtn}) buttons->addWidget(button);
  buttons->addStretch();
  for (QPushButton* button : {OKBtn, CancelBtn}) buttons->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Ui(text::kWavDirPrompt), this));
  layout->addWidget(DirListBox, 1);
  layout->addWidget(DirLabel);
  layout->addWidget(FolderList);
  layout->addLayout(buttons);
  resize(420, 460);

  connect(DirListBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { DirListBoxChange(); });
  connect(AddBtn, &QPushButton::clicked, this, &TWavFileListDlg::AddBtnClick);
  connect(DelBtn, &QPushButton::clicked, this, &TWavFileListDlg::DelBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &TWavFileListDlg::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TWavFileListDlg::reject);
  SetCurrentFolder(FolderList->count() > 0 ? FolderList->item(0)->text() : QDir::homePath());
}

std::vector<std::string> TWavFileListDlg::Folders() const {
  std::vector<std::string> folders;
  folders.reserve(static_cast<std::size_t>(FolderList->count()));
  for (int i = 0; i < FolderList->count(); ++i) folders.push_back(ToSjis(FolderList->item(i)->text()));
  return folders;
}

void TWavFileListDlg::SetCurrentFolder(const QString& path) {
  const QModelIndex index = dirs_->index(path);
  if (index.isValid()) {
    DirListBox->setCurrentIndex(index);
    DirListBox->scrollTo(index);
  }
  DirLabel->setText(QDir::toNativeSeparators(path));
}

void TWavFileListDlg::DirListBoxChange() {
  const QModelIndex index = DirListBox->currentIndex();
  if (index.isValid()) DirLabel->setText(dirs_->filePath(index));
}

void TWavFileListDlg::AddBtnClick() {
  const QString folder = DirLabel->text();
  if (folder.isEmpty()) return;
  for (int i = 0; i < FolderList->count(); ++i) {
    if (FolderList->item(i)->text().compare(folder, Qt::CaseInsensitive) == 0) return;
  }
  FolderList->addItem(folder);
}

void TWavFileListDlg::DelBtnClick() {
  const QList<QListWidgetItem*> selected = FolderList->selectedItems();
  if (!selected.isEmpty()) delete selected.front();
}

void TWavFileListDlg::accept() {
  SaveListFile(files::kWavDir, Folders());
  TopMostDialog::accept();
}

}  // namespace novalune::ui
