// TZKWChatForm: the client main window. It is the engine's view (ClientView)
// and holds the menus, tool bars, the member tree, the conversation display
// and the companion windows. The program start builds the network layer and
// the engine and hands them over; no protocol rule lives here: clicks become
// engine calls.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/LinkHandOver.h"
#include "client/core/AutoPublish.h"
#include "client/core/ClientCore.h"
#include "client/core/ClientNet.h"
#include "client/display/DisplayCommands.h"
#include "client/display/MemoForm.h"
#include "client/display/SetDspModeDlg.h"
#include "client/net/HttpClient.h"
#include "client/ui/IconBar.h"
#include "client/ui/IconFetcher.h"
#include "client/ui/MessageBoard.h"
#include "client/ui/Publisher.h"
#include "common/Settings.h"
#include "settings/ConnectionSettings.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QSplitter;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace novalune::settings {
class TRoomListDlg;
class TUserListDlg;
}  // namespace novalune::settings

namespace novalune::ui {

class OwnServerWait;
class TChatTreeView;
class SoundPlayer;
class THelpWindow;
class TFileTransfer;
class TReceiveFileDlg;
class TPrivateBoxForm;
class TURLListDlg;
class TUserHistoryDlg;
class WhisperNotice;

// What the program start hands to the window; tests replace the parts that
// would reach the desktop.
struct ChatFormSetup {
  // The engine's ports; the own server is awaited on `ports.server`.
  client::ClientPorts ports{};
  // The first command-line argument in Shift-JIS; one that begins with "/" is no address.
  std::string firstArgument{};
  // The machine's server marker exists.
  std::function<bool()> localServerRunning{};
  // Starts "<program> /SONLY" without waiting.
  std::function<void()> startServerCopy{};
  // Tells the desktop of a whisper that arrived while no window of the
  // program was active; `show` brings up the whisper window. The default
  // is the desktop's notification service.
  std::function<void(const std::string& nick, const std::string& firstLine, std::function<void()> show)>
      notifyWhisper{};
  // ShowClientMessage; the default is the program's message box.
  std::function<int(const std::string& text, int kind)> messageBox{};
  // The log question, file dialogs, font and colour dialogs of the display.
  display::DisplayHooks displayHooks{};
  // File transfer's file choices and receive question; empty ones use the desktop's dialogs.
  std::function<QString()> chooseSendFile{};
  std::function<QString(const QString& proposedPath)> chooseSavePath{};
  std::function<bool(TReceiveFileDlg&)> askReceive{};
  // The own address shown and awaited instead of the looked-up one (tests
  // on loopback, whose network layer also binds to it).
  std::string localAddress{};
};

class TZKWChatForm : public QMainWindow, public client::ClientView, public app::LinkReceiver {
  Q_OBJECT

 public:
  // `net` is the engine's network layer: the window only asks it to flush at exit.
  explicit TZKWChatForm(client::ClientNet& net, ChatFormSetup setup = {}, QWidget* parent = nullptr);
  ~TZKWChatForm() override;

  // The engine, built with this window as its view: the window builds its
  // parts around it and reads the settings. Once, before the first showing;
  // the engine outlives every event the window handles.
  void AttachEngine(client::ClientCore& core);

  client::ClientCore& Core() { return *core_; }
  display::TChatDisplay& Display() { return *Memo; }
  bool FirstShowDone() const { return firstShowDone_; }
  bool Minimized() const { return minimized_; }
  int IdleCountdown() const { return idleCountdown_; }
  const display::DspModeValues& Options() const { return options_; }

  // ClientView.
  void DspMessage(int style, const std::string& text) override;
  int ShowClientMessage(const std::string& text, int kind) override;
  void SetCaption(const std::string& caption) override;
  void SetJoinRoomText(const std::string& room) override;
  void UpDateMenuItems() override;
  std::string GetMyAddress() override;
  bool AskNewNick(std::string& nick) override;
  void BeepON(const std::string& name) override;
  void PlaySoundFile(const std::string& path) override;
  void BeepFileBtnClick() override;
  void URLListAdd(const std::string& nick, const std::string& text) override;
  void AddHistoryEntry(const std::string& entry) override;
  void ActiveTimerStart() override;
  client::LocalTime Now() override;
  void ClearRoomRows() override;
  void ShowRoomList() override;
  void AddRoomRow(const std::string& room, int users, const std::string& topic) override;
  void ClearUserRows() override;
  void ShowUserList() override;
  void AddUserRow(const std::string& name, const std::string& personal, const std::string& fullName,
                  const std::string& room) override;
  bool IsReceivingFile() override;
  void ReceiveFileOffer(const client::FileOffer& offer) override;
  void StartRelaySend(const std::string& host, bool numeric, std::int32_t port) override;
  void FetchMemberIcon(const std::string& nick, const std::string& url) override;
  void SetIconList() override;
  std::vector<std::string> ReadIconList() override;
  void NovaluneMessage() override;
  bool LocalServerRunning() override;
  void StartServerCopy() override;

  // MemberListObserver: keep the member tree in step.
  void MemberInserted(std::size_t row) override;
  void MemberRemoving(std::size_t row) override;
  void MemberRenamed(std::size_t row) override;
  void MemberChanged(std::size_t row) override;
  void MemberIconChanged(std::size_t row) override;
  void SelectionChanged() override;
  void IconModeChanged() override;
  void BlinkChanged() override;
  void MyNickChanged() override;
  void TemplateChanged(client::TemplateField field) override;
  void ShowPrivateBox(std::size_t row) override;
  void PrivateMessage(std::size_t row, int style, const std::string& text) override;

  TFileTransfer& FileTransfers() { return *fileTransfer_; }
  // The one player of the window's sounds, made at the first sound.
  SoundPlayer& Sounds();

  // The whisper window of a member row (nullptr outside the list).
  TPrivateBoxForm* PrivateBox(std::size_t row) const;
  // The record a whisper window leaves when its member goes.
  void WMPrivateSave(const std::string& partner, const std::vector<display::LogParagraph>& text);

  // A "ZKWC2://" link that another copy of the program handed over: the
  // command-line connect, with its question, in front of the user.
  void ConnectFromLink(const std::string& link) override;
  // "目次": the help window, made once.
  void MenuContentsClick();
  // "サーバー公開" / "サーバーの公開" and "公開サーバーの表示".
  void MenuServerSetClick();
  void MenuDspSvrClick();

  // Settings of the window, on first showing and on closing.
  void SystemRead();
  void SystemWrite();

  // View options: the menu check mark is the state.
  bool GetViewToolBar() const;
  void SetViewToolBar(bool on);
  bool GetViewIconList() const;
  void SetViewIconList(bool on);
  bool GetViewStatusBar() const;
  void SetViewStatusBar(bool on);
  bool GetViewOnTop() const;
  void SetViewOnTop(bool on);
  bool GetShowIcon() const;
  void SetShowIcon(bool on);
  void WMViewOnTop();
  void WMViewNormal();

  // Quiet period.
  void RestoreApplication();
  void ActiveTimerStop();
  void ActiveTimerTimer();
  // Publication time window; AutoOnProc and AutoOffProc publish the own
  // server on the group's server lists and withdraw it.
  void AutoTimerTimer();
  void AutoOnProc();
  void AutoOffProc();
  bool AutoOnDone() const { return publication_.OnDone(); }
  bool AutoOffDone() const { return publication_.OffDone(); }

  // Commands of the menus and tool bars.
  void MenuJoinClick();
  // The connection dialog's OK; with an own server just started, the
  // connection waits until that server listens.
  void MenuJoinConfirmed(const client::ConnectRequest& request);
  void MenuCutClick();
  void MenuExitClick();
  void MenuRoomInClick();
  void MenuRoomOutClick();
  void MenuRoomLookClick();
  void MenuRoomTopicClick();
  void MenuMemberLookClick();
  void MenuReNameClick();
  void MenuMessageClick();
  void MenuProxyClick();
  void MenuIconClick();
  void MenuSetFontClick(int kind);
  void MenuSetBackColorClick();
  void MenuShowOptionClick();
  void MenuHelplAboutClick();
  void TalkBtnClick();
  void AwayBtnClick(bool down);
  void WavListBtnClick(bool down);
  void PopupMenuPopup();
  void MemoURLClick(const std::string& address);
  void SetEditFont(const FontSetting& font);

  // Parts of the window.
  QToolBar* ToolBar1 = nullptr;
  TIconBar* IconBar = nullptr;
  TChatTreeView* ListView = nullptr;
  QListWidget* WavListBox = nullptr;
  display::TChatDisplay* Memo = nullptr;
  QSplitter* Splitter = nullptr;
  QStatusBar* StatusBar = nullptr;
  QLabel* StatusText = nullptr;
  QWidget* ToolBar2 = nullptr;
  QLineEdit* Edit = nullptr;
  QLineEdit* EditRoom = nullptr;
  QLineEdit* EditMyIP = nullptr;
  display::TLogViewForm* LogView = nullptr;
  display::TMemoForm* MemoWin = nullptr;
  settings::TRoomListDlg* RoomList = nullptr;
  settings::TUserListDlg* UserList = nullptr;
  TURLListDlg* URLList = nullptr;
  TUserHistoryDlg* UserHistory = nullptr;
  QMenu* PopupMenu = nullptr;
  QTimer* ActiveTimer = nullptr;
  QTimer* AutoTimer = nullptr;

  // Tool bar buttons and menu entries (the ones UpDateMenuItems and the
  // view options touch, and the ones tests press).
  QAction *JoinBtn, *CutBtn, *RoomInBtn, *RoomOutBtn, *RoomListBtn, *UserListBtn, *AwayBtn, *IconBtn,
      *OpSvBtn, *ServerViewBtn, *LogViewBtn;
  QToolButton *TalkBtn, *PrivateBtn, *BeepBtn, *BeepFileBtn, *WavListBtn, *MemoBtn;
  QAction *MenuJoin, *MenuCut, *MenuRoomIn, *MenuRoomOut, *MenuRoomLook, *MenuRoomTopic, *MenuMemberLook;
  QAction *MenuShowToolBar, *MenuIconList, *MenuShowStatusBar, *MenuShowOnTop, *MenuShowIcon;
  QAction *N8, *MenuHost, *MenuKick, *MenuSend, *MenuSendRelay, *MenuUJoin;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildParts();
  void BuildToolBar1();
  void BuildToolBar2();
  void BuildMenus();
  void BuildPopupMenu();
  void BuildCompanions();
  std::unique_ptr<TPrivateBoxForm> NewPrivateBox(std::size_t row);
  std::optional<std::size_t> PrivateRow(const std::string& partner) const;
  // At closing, the whisper windows that would ask to be saved when their members go.
  void SavePrivateBoxes();
  void NotifyWhisper(std::size_t row, const std::string& text);
  void StartUp();
  void FormShow();
  bool FormClose();
  // Step 4 of closing: false keeps the window open.
  bool ExitLogSaved();
  bool FormKeyPress(QObject* watched, QKeyEvent* event);
  void ApplyBackColor(int color);
  void SetBeepFile(const std::string& file);
  // The options, fonts, colour and sound the window holds, into the engine
  // and the member model, wherever one of them changed.
  void PushDisplayOptions();
  // The automatic publication's settings, as the publication dialog left them.
  void ReloadPublication();
  std::string MyAddress() const;
  std::vector<QWidget*> Companions() const;
  void ApplicationMinimized(Qt::WindowStates before);
  void ApplicationRestored();
  // Runs a command of the window, then re-applies the command states.
  void Command(const std::function<void()>& action);

  ChatFormSetup setup_;
  client::ClientNet& net_;
  client::ClientCore* core_ = nullptr;
  std::unique_ptr<display::DisplayCommands> displayCommands_;
  settings::HttpAccessGate httpGate_;
  client::HttpClient* http_ = nullptr;
  IconFetcher* iconFetcher_ = nullptr;
  TMessageBoard* messageBoard_ = nullptr;
  display::DspModeValues options_{};
  SoundPlayer* player_ = nullptr;
  // One whisper window per member row, in the rows' order.
  std::vector<std::unique_ptr<TPrivateBoxForm>> privateBoxes_;
  WhisperNotice* whisperNotice_ = nullptr;
  THelpWindow* help_ = nullptr;
  TFileTransfer* fileTransfer_ = nullptr;
  client::Publisher* publisher_ = nullptr;
  bool firstShowDone_ = false;
  bool minimized_ = false;
  int idleCountdown_ = 0;
  Qt::WindowStates restoreState_ = Qt::WindowNoState;
  std::vector<QPointer<QWidget>> hiddenCompanions_;
  int wavListWidth_ = 110;  // the sound history's width while it is hidden
  client::AutoPublish publication_;
  std::string defaultExt_;  // "DefaultExt", read once at start
  bool closing_ = false;
  OwnServerWait* ownServerWait_ = nullptr;
  bool ownServerStarted_ = false;
};

}  // namespace novalune::ui
