// The engine's view: what ClientCore asks of the window, the member tree's
// model notifications, and the commands of the menus and tool bars.
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "client/core/ClientSettings.h"
#include "client/core/ClientSounds.h"
#include "client/core/ClientUtil.h"
#include "client/display/DisplayFormat.h"
#include "client/display/DisplayTexts.h"
#include "client/display/LogFiles.h"
#include "client/ui/ChatForm.h"
#include "client/ui/ChatFormTexts.h"
#include "client/ui/ChatTreeView.h"
#include "client/ui/ClientMain.h"
#include "client/ui/FileTransfer.h"
#include "client/ui/HelpWindow.h"
#include "client/ui/HistoryDialogs.h"
#include "client/ui/OwnServerWait.h"
#include "client/ui/SoundPlayer.h"
#include "qtsupport/WidgetText.h"
#include "settings/ClientDialogs.h"
#include "settings/SetOpenServerDlg.h"
#include "settings/SetServerDlg.h"

namespace novalune::ui {

namespace {

using qtsupport::Ui;

}  // namespace

void TZKWChatForm::DspMessage(int style, const std::string& text) { Memo->DspMessage(style, text); }

int TZKWChatForm::ShowClientMessage(const std::string& text, int kind) {
  if (setup_.messageBox) return setup_.messageBox(text, kind);
  return settings::ShowClientMessage(this, text, kind);
}

void TZKWChatForm::SetCaption(const std::string& caption) { setWindowTitle(qtsupport::FromSjis(caption)); }

void TZKWChatForm::SetJoinRoomText(const std::string& room) { EditRoom->setText(qtsupport::FromSjis(room)); }

void TZKWChatForm::UpDateMenuItems() {
  const client::MenuState state = core_->GetMenuState();
  const bool join = state.join && !ownServerWait_->Waiting();
  MenuJoin->setEnabled(join);
  JoinBtn->setEnabled(join);
  for (QAction* action : {MenuCut, CutBtn}) action->setEnabled(state.cut);
  for (QAction* action : {MenuRoomIn, RoomInBtn, MenuRoomLook, RoomListBtn, MenuMemberLook, UserListBtn}) {
    action->setEnabled(state.roomIn);
  }
  AwayBtn->setEnabled(state.talk);
  for (QToolButton* button : {TalkBtn, PrivateBtn, BeepBtn}) button->setEnabled(state.talk);
  MenuRoomTopic->setEnabled(state.talk && !EditRoom->text().isEmpty());
  MenuRoomOut->setEnabled(state.roomOut);
  RoomOutBtn->setEnabled(state.roomOut);
}

std::string TZKWChatForm::GetMyAddress() { return EditMyIP->text().toStdString(); }

bool TZKWChatForm::AskNewNick(std::string& nick) {
  settings::TReNameDlg dialog(settings::ClientNotice(this), this);
  if (dialog.exec() != QDialog::Accepted) return false;
  nick = dialog.Nick();
  return true;
}

void TZKWChatForm::BeepON(const std::string& name) {
  const std::optional<std::string> path = client::FindSoundFile(
      name, client::LoadSoundFolders(),
      [](const std::string& path) { return QFileInfo(qtsupport::FromSjis(path)).isFile(); });
  if (path) PlaySoundFile(*path);
}

void TZKWChatForm::BeepFileBtnClick() {
  display::FileDialogSetup setup;
  setup.title = Ui(display::text::kSoundTitle);
  setup.filters = display::QtFilters(Ui(display::text::kSoundFilter));
  setup.defaultSuffix = QStringLiteral("wav");
  const std::vector<std::string> folders = client::LoadSoundFolders();
  if (!folders.empty()) setup.directory = qtsupport::FromSjis(folders.front());
  const display::FileChooser& chooser = setup_.displayHooks.chooseFile;
  const std::optional<QString> chosen = chooser ? chooser(setup) : display::RunFileDialog(this, setup);
  if (!chosen) return;
  SetBeepFile(qtsupport::ToSjis(QFileInfo(*chosen).fileName()));
  std::vector<std::string> history;
  history.reserve(static_cast<std::size_t>(WavListBox->count()));
  for (int i = 0; i < WavListBox->count(); ++i)
    history.push_back(qtsupport::ToSjis(WavListBox->item(i)->text()));
  history = client::PushSoundHistory(std::move(history), core_->BeepFile());
  WavListBox->clear();
  for (const std::string& name : history) WavListBox->addItem(qtsupport::FromSjis(name));
  SaveListFile(files::kWavFile, history);
}

SoundPlayer& TZKWChatForm::Sounds() {
  if (!player_) player_ = new SoundPlayer(this);
  return *player_;
}

void TZKWChatForm::PlaySoundFile(const std::string& path) {
  if (!path.empty()) Sounds().Play(qtsupport::FromSjis(path));
}

void TZKWChatForm::URLListAdd(const std::string& nick, const std::string& text) {
  URLList->URLListAdd(nick, text, Now());
}
void TZKWChatForm::AddHistoryEntry(const std::string& entry) { UserHistory->AddHistoryEntry(entry); }

client::LocalTime TZKWChatForm::Now() {
  const QDateTime now = QDateTime::currentDateTime();
  return {now.date().year(), now.date().month(), now.date().day(), now.time().hour(), now.time().minute()};
}

void TZKWChatForm::ClearRoomRows() { RoomList->ClearRoomRows(); }
void TZKWChatForm::ShowRoomList() { RoomList->ShowList(); }
void TZKWChatForm::AddRoomRow(const std::string& room, int users, const std::string& topic) {
  RoomList->AddRoomRow(room, users, topic);
}
void TZKWChatForm::ClearUserRows() { UserList->ClearUserRows(); }
void TZKWChatForm::ShowUserList() { UserList->ShowList(); }
void TZKWChatForm::AddUserRow(const std::string& name, const std::string& personal,
                              const std::string& fullName, const std::string& room) {
  UserList->AddUserRow(name, personal, fullName, room);
}

bool TZKWChatForm::IsReceivingFile() { return fileTransfer_->IsReceivingFile(); }
void TZKWChatForm::ReceiveFileOffer(const client::FileOffer& offer) {
  fileTransfer_->ReceiveFileOffer(offer);
}
void TZKWChatForm::StartRelaySend(const std::string& host, bool numeric, std::int32_t port) {
  fileTransfer_->StartRelaySend(host, numeric, port);
}

// The answer names the picture the tree now holds, or "" for the default one.
void TZKWChatForm::FetchMemberIcon(const std::string& nick, const std::string& url) {
  iconFetcher_->FetchGif({}, url, [this, nick](const GifResult& result) {
    const std::string picture =
        result.outcome == GifOutcome::kPicture ? ListView->Pictures().Add(result.gif) : std::string();
    Command([this, nick, picture] { core_->MemberIconFetched(nick, picture); });
  });
}

void TZKWChatForm::SetIconList() { IconBar->SetIconList(ReadIconList(), GetViewIconList()); }

std::vector<std::string> TZKWChatForm::ReadIconList() { return client::ReadIconList(); }

void TZKWChatForm::NovaluneMessage() { messageBoard_->NovaluneMessage(GetViewStatusBar()); }

bool TZKWChatForm::LocalServerRunning() { return setup_.localServerRunning && setup_.localServerRunning(); }

void TZKWChatForm::StartServerCopy() {
  if (ownServerStarted_) return;
  if (setup_.startServerCopy) {
    setup_.startServerCopy();
    return;
  }
  QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("/SONLY")});
}

// The member tree follows the engine's list.
void TZKWChatForm::MemberChanged(std::size_t row) { ListView->RowChanged(row); }
void TZKWChatForm::MemberIconChanged(std::size_t row) { ListView->RowChanged(row); }
void TZKWChatForm::SelectionChanged() { ListView->viewport()->update(); }
void TZKWChatForm::IconModeChanged() { ListView->RowsChanged(); }
void TZKWChatForm::BlinkChanged() { ListView->BlinkRepaint(); }

// Commands.
void TZKWChatForm::MenuJoinClick() {
  settings::TSetJoinDlg dialog(settings::ClientNotice(this), this);
  EditMyIP->setText(QString::fromStdString(MyAddress()));
  dialog.SetServerIP(core_->ServerAddress());
  dialog.SetRoomName(core_->RoomName());
  dialog.SetTopic(core_->RoomTopic());
  dialog.SetNick(core_->MyNick());
  dialog.SetHomePage(core_->HomePage());
  dialog.SetMail(core_->Mail());
  dialog.ShowPage(settings::JoinPage::kConnect);
  if (dialog.exec() != QDialog::Accepted) return;
  MenuJoinConfirmed({dialog.JoinMe(), dialog.ServerIP(), dialog.RoomName(), dialog.RoomPass(), dialog.Topic(),
                     dialog.Nick(), dialog.HomePage(), dialog.Mail()});
}

void TZKWChatForm::MenuJoinConfirmed(const client::ConnectRequest& request) {
  if (!request.joinMe || LocalServerRunning()) {
    Command([&] { core_->MenuJoin(request); });
    return;
  }
  // The copy started here listens only after a moment: connect once it does.
  StartServerCopy();
  ownServerWait_->Start(QString::fromStdString(GetMyAddress()), setup_.ports.server, [this, request] {
    ownServerStarted_ = true;  // the engine must not start a second copy
    Command([&] { core_->MenuJoin(request); });
    ownServerStarted_ = false;
  });
  UpDateMenuItems();
}

void TZKWChatForm::MenuCutClick() {
  Command([this] { core_->MenuCut(); });
}

void TZKWChatForm::MenuExitClick() { close(); }

void TZKWChatForm::MenuRoomInClick() {
  settings::TSetRoomDlg dialog(settings::ClientNotice(this), this);
  if (dialog.exec() != QDialog::Accepted) return;
  Command([&] { core_->MenuRoomIn(dialog.RoomName(), dialog.Password()); });
}

void TZKWChatForm::MenuRoomOutClick() {
  Command([this] { core_->MenuRoomOut(); });
}
void TZKWChatForm::MenuRoomLookClick() {
  Command([this] { core_->MenuRoomLook(); });
}
void TZKWChatForm::MenuMemberLookClick() {
  Command([this] { core_->MenuMemberLook(); });
}

void TZKWChatForm::MenuRoomTopicClick() {
  settings::TRoomTopicDlg dialog(settings::ClientNotice(this), this);
  if (dialog.exec() != QDialog::Accepted) return;
  Command([&] { core_->MenuRoomTopic(dialog.TopicLine()); });
}

void TZKWChatForm::MenuReNameClick() {
  settings::TReNameDlg dialog(settings::ClientNotice(this), this);
  if (dialog.exec() != QDialog::Accepted) return;
  Command([&] { core_->MenuReName(dialog.Nick()); });
}

void TZKWChatForm::MenuMessageClick() {
  settings::TSetMessageDlg dialog(settings::ClientNotice(this), this);
  if (dialog.exec() != QDialog::Accepted) return;
  core_->SetAwayMessages(dialog.Messages().away, dialog.Messages().back);
}

void TZKWChatForm::MenuProxyClick() {
  settings::TProxySetDlg dialog(settings::ClientNotice(this), this);
  if (dialog.exec() != QDialog::Accepted) return;
  httpGate_.SetSettings(dialog.Values());
  http_->SetOptions(HttpOptionsFrom(dialog.Values()));
}

void TZKWChatForm::MenuIconClick() {
  settings::TSetIconDlg dialog(
      IconPreviewOf(*iconFetcher_),
      [this](const std::string& url) { Command([this, url] { core_->IconApply(url); }); },
      settings::ClientNotice(this), this);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::string iconName = dialog.IconName();
  Command([this, iconName] { core_->MenuIconOk(iconName); });
}

void TZKWChatForm::MenuSetFontClick(int kind) {
  const std::optional<FontSetting> font = displayCommands_->MenuSetFontClick(kind);
  if (!font) return;
  PushDisplayOptions();
  if (kind == 4) SetEditFont(*font);
}

void TZKWChatForm::MenuSetBackColorClick() {
  const std::optional<int> color = displayCommands_->MenuSetBackColorClick();
  if (color) ApplyBackColor(*color);
}

void TZKWChatForm::MenuShowOptionClick() {
  if (player_) player_->Stop();
  const std::optional<display::DspModeValues> values = displayCommands_->MenuShowOptionClick();
  if (!values) return;
  options_ = *values;
  PushDisplayOptions();
}

void TZKWChatForm::MenuHelplAboutClick() {
  const QString caption = Ui(text::kAboutCaption);
  QMessageBox box(QMessageBox::NoIcon, caption, Ui(text::kAboutText), QMessageBox::Ok, this);
  // Wide enough that the title bar shows the whole caption.
  const int captionWidth =
      QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(caption);
  box.setStyleSheet(QStringLiteral("QLabel { min-width: %1px; }").arg(captionWidth + 120));
  box.exec();
}

void TZKWChatForm::MenuServerSetClick() {
  {
    settings::TSetServerDlg dialog(publisher_->Web(), httpGate_, publisher_->OwnAddressText(),
                                   settings::ClientNotice(this), this);
    dialog.exec();
  }
  ReloadPublication();
}

void TZKWChatForm::MenuDspSvrClick() {
  settings::TSetOpenServerDlg dialog(httpGate_, &client::Publisher::OpenInBrowser,
                                     settings::ClientNotice(this), this);
  dialog.exec();
}

void TZKWChatForm::MenuContentsClick() {
  if (!help_) help_ = new THelpWindow(this);
  help_->ShowContents();
  help_->show();
  help_->raise();
}

void TZKWChatForm::ConnectFromLink(const std::string& link) {
  if (isMinimized()) RestoreApplication();
  raise();
  activateWindow();
  Command([&] { core_->WMConect(CommandLineArgument(link)); });
}

void TZKWChatForm::TalkBtnClick() {
  Command([this] {
    if (core_->TalkEnter(qtsupport::ToSjis(Edit->text()))) Edit->clear();
  });
}

void TZKWChatForm::AwayBtnClick(bool down) {
  Command([this, down] { core_->AwayBtnClick(down); });
}

void TZKWChatForm::WavListBtnClick(bool down) {
  if (!down && WavListBox->isVisible()) wavListWidth_ = WavListBox->width();
  WavListBox->setVisible(down);
  if (!down) return;
  QList<int> widths = Splitter->sizes();
  widths[1] = wavListWidth_;
  Splitter->setSizes(widths);
}

void TZKWChatForm::PopupMenuPopup() {
  const bool host = core_->PopupHostEnabled();
  MenuHost->setEnabled(host);
  MenuKick->setEnabled(host);
}

void TZKWChatForm::SetEditFont(const FontSetting& font) {
  display::ApplyFontSetting(*Edit, font);
  Edit->setFixedHeight(display::FontPixelHeight(font) + 6);
}

void TZKWChatForm::ApplyBackColor(int color) {
  Memo->SetBackColor(color);
  display::ApplyBackColor(*Edit, color);
  ListView->SetListColor(color);
  PushDisplayOptions();
}

void TZKWChatForm::SetBeepFile(const std::string& file) {
  core_->SetBeepFile(file);
  PushDisplayOptions();
  BeepBtn->setToolTip(file.empty() ? Ui(text::kBeepBtn) : qtsupport::FromSjis(file));
}

}  // namespace novalune::ui
