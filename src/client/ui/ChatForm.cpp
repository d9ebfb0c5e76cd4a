// The main window's construction: parts, menus, tool bars, companions, and
// the start-up reading of the settings.
#include "client/ui/ChatForm.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "client/core/ClientSettings.h"
#include "client/display/DisplayFormat.h"
#include "client/net/OwnAddress.h"
#include "client/ui/ChatFormTexts.h"
#include "client/ui/ChatTreeView.h"
#include "client/ui/FileTransfer.h"
#include "client/ui/HelpWindow.h"
#include "client/ui/HistoryDialogs.h"
#include "client/ui/OwnServerWait.h"
#include "client/ui/PrivateBoxForm.h"
#include "client/ui/WavFileListDlg.h"
#include "common/ProgramDir.h"
#include "common/SjisText.h"
#include "qtsupport/WidgetText.h"
#include "settings/ClientDialogs.h"

namespace novalune::ui {

namespace {

using qtsupport::Ui;

constexpr int kListViewWidth = 140;

constexpr int kWavListWidth = 110;
constexpr int kMinPaneWidth = 50;

struct ToolPicture {
  const char* theme;
  QStyle::StandardPixmap fallback;
};

// The tool buttons' pictures: freedesktop icon names, then the style's.
constexpr ToolPicture kJoinPicture{"network-connect", QStyle::SP_DriveNetIcon};
constexpr ToolPicture kCutPicture{"network-disconnect", QStyle::SP_BrowserStop};
constexpr ToolPicture kRoomInPicture{"go-next", QStyle::SP_ArrowForward};
constexpr ToolPicture kRoomOutPicture{"go-previous", QStyle::SP_ArrowBack};
constexpr ToolPicture kRoomListPicture{"view-list-details", QStyle::SP_FileDialogListView};
constexpr ToolPicture kUserListPicture{"system-users", QStyle::SP_FileDialogDetailedView};
constexpr ToolPicture kAwayPicture{"user-away", QStyle::SP_MediaPause};
constexpr ToolPicture kIconPicture{"preferences-desktop-personal", QStyle::SP_DesktopIcon};
constexpr ToolPicture kOpSvPicture{"network-server", QStyle::SP_ComputerIcon};
constexpr ToolPicture kServerViewPicture{"computer", QStyle::SP_ComputerIcon};
constexpr ToolPicture kLogViewPicture{"document-open-recent", QStyle::SP_FileDialogContentsView};
constexpr ToolPicture kTalkPicture{"mail-send", QStyle::SP_ArrowRight};
constexpr ToolPicture kPrivatePicture{"mail-reply-sender", QStyle::SP_MessageBoxInformation};
constexpr ToolPicture kBeepPicture{"audio-volume-high", QStyle::SP_MediaVolume};
constexpr ToolPicture kBeepFilePicture{"document-open", QStyle::SP_DialogOpenButton};
constexpr ToolPicture kWavListPicture{"view-list-details", QStyle::SP_FileDialogDetailedView};
constexpr ToolPicture kMemoPicture{"accessories-text-editor", QStyle::SP_FileDialogContentsView};

// A main menu's caption with its keyboard mnemonic, the Japanese way: "ファイル(&F)".
QString MenuTitle(const char* caption, char key) {
  return Ui(caption) + QStringLiteral("(&") + QLatin1Char(key) + QLatin1Char(')');
}

// The desktop's icon of that name, or the style's own picture where the
// icon theme has none.
QIcon ThemeIcon(const QWidget* widget, const char* name, QStyle::StandardPixmap fallback) {
  return QIcon::fromTheme(QString::fromLatin1(name), widget->style()->standardIcon(fallback));
}

QAction* ToolAction(QToolBar* bar, const ToolPicture& picture, const char* hint, const char* name) {
  QAction* action = bar->addAction(ThemeIcon(bar, picture.theme, picture.fallback), Ui(hint));
  action->setToolTip(Ui(hint));
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QToolButton* LowerButton(QWidget* parent, const ToolPicture& picture, const char* hint, const char* name) {
  auto* button = new QToolButton(parent);
  button->setIcon(ThemeIcon(parent, picture.theme, picture.fallback));
  button->setToolTip(Ui(hint));
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoRaise(true);
  return button;
}

QLineEdit* ReadOnlyField(QWidget* parent, const char* hint, const char* name, int width) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  field->setToolTip(Ui(hint));
  field->setObjectName(QString::fromLatin1(name));
  field->setFixedWidth(width);
  return field;
}

}  // namespace

TZKWChatForm::TZKWChatForm(client::ClientNet& net, ChatFormSetup setup, QWidget* parent)
    : QMainWindow(parent),
      setup_(std::move(setup)),
      net_(net),
      httpGate_([this](const std::string& question) {
        return ShowClientMessage(question, client::kQuestion) == 1;
      }) {
  setObjectName("ZKWChatForm");
  ownServerWait_ = new OwnServerWait(this);
}

void TZKWChatForm::AttachEngine(client::ClientCore& core) {
  core_ = &core;
  FileTransferHooks transferHooks = TFileTransfer::EngineHooks(core, *this);
  transferHooks.chooseSendFile = setup_.chooseSendFile;
  transferHooks.chooseSavePath = setup_.chooseSavePath;
  transferHooks.askReceive = setup_.askReceive;
  fileTransfer_ = new TFileTransfer(
      this, std::move(transferHooks),
      {QString::fromStdString(ProgramDir()), client::kFilePort, TFileTransfer::SendAheadSetting(), {}});
  BuildParts();
  BuildMenus();
  BuildPopupMenu();
  BuildCompanions();
  resize(1200, 680);
  QCoreApplication::instance()->installEventFilter(this);
  StartUp();
}

TZKWChatForm::~TZKWChatForm() { QCoreApplication::instance()->removeEventFilter(this); }

void TZKWChatForm::BuildParts() {
  BuildToolBar1();
  addToolBarBreak();
  http_ = new client::HttpClient(this);
  publisher_ = new client::Publisher(
      *http_, httpGate_, [this] { return qtsupport::ToSjis(EditMyIP->text()); },
      [this](const std::string& line) { DspMessage(client::kStyleComment, line); }, this);
  iconFetcher_ = new IconFetcher(
      *http_, [this](const std::string& question) { return httpGate_.MayAccessOutside(question); }, this);
  IconBar = new TIconBar(*iconFetcher_, this);
  addToolBar(IconBar);
  IconBar->setMovable(false);
  connect(IconBar, &TIconBar::iconClicked, this,
          [this](std::size_t number) { Command([this, number] { core_->SpeedButtonClick(number); }); });
  connect(IconBar, &TIconBar::reDrawClicked, this, [this] { SetIconList(); });
  IconBar->hide();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  Splitter = new QSplitter(Qt::Horizontal, central);
  Splitter->setObjectName("Splitter");
  Splitter->setChildrenCollapsible(false);
  ListView = new TChatTreeView(core_->Members(), Splitter);
  ListView->setMinimumWidth(kMinPaneWidth);
  WavListBox = new QListWidget(Splitter);
  WavListBox->setObjectName("WavListBox");
  WavListBox->setMinimumWidth(kMinPaneWidth);
  WavListBox->hide();
  Memo = new display::TChatDisplay(Splitter);
  Memo->setObjectName("Memo");
  Memo->SetAddressHandler([this](const std::string& address) { MemoURLClick(address); });
  Splitter->addWidget(ListView);
  Splitter->addWidget(WavListBox);
  Splitter->addWidget(Memo);
  Splitter->setStretchFactor(2, 1);
  Splitter->setSizes({kListViewWidth, kWavListWidth, 700});
  layout->addWidget(Splitter, 1);

  StatusBar = new QStatusBar(central);
  StatusBar->setObjectName("StatusBar");
  StatusBar->setSizeGripEnabled(false);
  StatusText = new QLabel(StatusBar);
  StatusText->setStyleSheet(QStringLiteral("color: blue;"));
  StatusBar->addWidget(StatusText, 1);
  messageBoard_ = new TMessageBoard(*http_, httpGate_, StatusText, this);
  layout->addWidget(StatusBar);
  BuildToolBar2();
  layout->addWidget(ToolBar2);
  setCentralWidget(central);
}

void TZKWChatForm::BuildToolBar1() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  // Pictures with the text as tool tip: the bar fits a window of any usual width.
  ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  JoinBtn = ToolAction(ToolBar1, kJoinPicture, text::kJoinBtn, "JoinBtn");
  CutBtn = ToolAction(ToolBar1, kCutPicture, text::kCutBtn, "CutBtn");
  ToolBar1->addSeparator();
  RoomInBtn = ToolAction(ToolBar1, kRoomInPicture, text::kRoomInBtn, "RoomInBtn");
  RoomOutBtn = ToolAction(ToolBar1, kRoomOutPicture, text::kRoomOutBtn, "RoomOutBtn");
  RoomListBtn = ToolAction(ToolBar1, kRoomListPicture, text::kRoomListBtn, "RoomListBtn");
  UserListBtn = ToolAction(ToolBar1, kUserListPicture, text::kUserListBtn, "UserListBtn");
  ToolBar1->addSeparator();
  AwayBtn = ToolAction(ToolBar1, kAwayPicture, text::kAwayBtn, "AwayBtn");
  AwayBtn->setCheckable(true);
  IconBtn = ToolAction(ToolBar1, kIconPicture, text::kIconBtn, "IconBtn");
  OpSvBtn = ToolAction(ToolBar1, kOpSvPicture, text::kOpSvBtn, "OpSvBtn");
  ServerViewBtn = ToolAction(ToolBar1, kServerViewPicture, text::kServerViewBtn, "ServerViewBtn");
  LogViewBtn = ToolAction(ToolBar1, kLogViewPicture, text::kLogViewBtn, "LogViewBtn");
  ToolBar1->addSeparator();
  EditRoom = ReadOnlyField(ToolBar1, text::kEditRoom, "EditRoom", 100);
  ToolBar1->addWidget(EditRoom);
  EditMyIP = ReadOnlyField(ToolBar1, text::kEditMyIP, "EditMyIP", 100);
  ToolBar1->addWidget(EditMyIP);

  connect(JoinBtn, &QAction::triggered, this, [this] { MenuJoinClick(); });
  connect(CutBtn, &QAction::triggered, this, [this] { MenuCutClick(); });
  connect(RoomInBtn, &QAction::triggered, this, [this] { MenuRoomInClick(); });
  connect(RoomOutBtn, &QAction::triggered, this, [this] { MenuRoomOutClick(); });
  connect(RoomListBtn, &QAction::triggered, this, [this] { MenuRoomLookClick(); });
  connect(UserListBtn, &QAction::triggered, this, [this] { MenuMemberLookClick(); });
  connect(AwayBtn, &QAction::triggered, this, [this](bool down) { AwayBtnClick(down); });
  connect(ServerViewBtn, &QAction::triggered, this,
          [this] { Command([this] { core_->ServerViewBtnClick(); }); });
  connect(LogViewBtn, &QAction::triggered, this, [this] { displayCommands_->LogViewBtnClick(); });
  // Icons (the icon dialog) and publication are not part of this program yet.
  connect(IconBtn, &QAction::triggered, this, [this] { MenuIconClick(); });
  connect(OpSvBtn, &QAction::triggered, this, [this] { MenuServerSetClick(); });
}

void TZKWChatForm::BuildToolBar2() {
  ToolBar2 = new QWidget(centralWidget() ? centralWidget() : this);
  ToolBar2->setObjectName("ToolBar2");
  auto* row = new QHBoxLayout(ToolBar2);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(1);
  TalkBtn = LowerButton(ToolBar2, kTalkPicture, text::kTalkBtn, "TalkBtn");
  PrivateBtn = LowerButton(ToolBar2, kPrivatePicture, text::kPrivateBtn, "PrivateBtn");
  BeepBtn = LowerButton(ToolBar2, kBeepPicture, text::kBeepBtn, "BeepBtn");
  BeepFileBtn = LowerButton(ToolBar2, kBeepFilePicture, text::kBeepFileBtn, "BeepFileBtn");
  WavListBtn = LowerButton(ToolBar2, kWavListPicture, text::kWavListBtn, "WavListBtn");
  WavListBtn->setCheckable(true);
  Edit = new QLineEdit(ToolBar2);
  Edit->setObjectName("Edit");
  MemoBtn = LowerButton(ToolBar2, kMemoPicture, text::kMemoBtn, "MemoBtn");
  for (QWidget* part :
       {static_cast<QWidget*>(TalkBtn), static_cast<QWidget*>(PrivateBtn), static_cast<QWidget*>(BeepBtn),
        static_cast<QWidget*>(BeepFileBtn), static_cast<QWidget*>(WavListBtn)}) {
    row->addWidget(part);
  }
  row->addWidget(Edit, 1);
  row->addWidget(MemoBtn);

  connect(Edit, &QLineEdit::returnPressed, this, [this] { TalkBtnClick(); });
  connect(TalkBtn, &QToolButton::clicked, this, [this] { TalkBtnClick(); });
  connect(PrivateBtn, &QToolButton::clicked, this, [this] { Command([this] { core_->PrivateBtnClick(); }); });
  connect(BeepBtn, &QToolButton::clicked, this, [this] { Command([this] { core_->BeepBtnClick(); }); });
  connect(WavListBtn, &QToolButton::toggled, this, [this](bool down) { WavListBtnClick(down); });
  connect(MemoBtn, &QToolButton::clicked, this, [this] {
    MemoWin->show();
    MemoWin->raise();
  });
  connect(BeepFileBtn, &QToolButton::clicked, this, [this] { BeepFileBtnClick(); });
}

void TZKWChatForm::BuildMenus() {
  auto entry = [this](QMenu* menu, const char* caption, std::function<void()> handler) {
    QAction* action = menu->addAction(Ui(caption));
    if (handler) {
      connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    } else {
      action->setEnabled(false);  // belongs to a part of the program not built yet
    }
    return action;
  };
  QMenu* file = menuBar()->addMenu(MenuTitle(text::kMenuFile, 'F'));
  MenuJoin = entry(file, text::kMenuJoin, [this] { MenuJoinClick(); });
  MenuCut = entry(file, text::kMenuCut, [this] { MenuCutClick(); });
  file->addSeparator();
  entry(file, text::kMenuDspSvr, [this] { MenuDspSvrClick(); });
  file->addSeparator();
  entry(file, text::kMenuOpen, [this] {
    displayCommands_->MenuOpenClick();
  })->setShortcut(QKeySequence::Open);
  entry(file, text::kMenuCls, [this] {
    displayCommands_->MenuClsClick();
  })->setShortcut(Qt::CTRL | Qt::Key_L);
  entry(file, text::kMenuSave, [this] {
    displayCommands_->MenuSaveClick();
  })->setShortcut(QKeySequence::Save);
  file->addSeparator();
  // Through the normal closing order, questions included.
  entry(file, text::kMenuExit, [this] { MenuExitClick(); })->setShortcut(Qt::CTRL | Qt::Key_Q);

  QMenu* view = menuBar()->addMenu(MenuTitle(text::kMenuView, 'V'));
  // A checkable entry has already turned its mark over when it triggers:
  // the new mark is the opposite of the option's old state.
  auto option = [this, view](const char* caption, void (TZKWChatForm::*setter)(bool)) {
    QAction* action = view->addAction(Ui(caption));
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, setter](bool checked) { (this->*setter)(checked); });
    return action;
  };
  MenuShowToolBar = option(text::kMenuShowToolBar, &TZKWChatForm::SetViewToolBar);
  MenuIconList = option(text::kMenuIconList, &TZKWChatForm::SetViewIconList);
  MenuShowStatusBar = option(text::kMenuShowStatusBar, &TZKWChatForm::SetViewStatusBar);
  MenuShowOnTop = option(text::kMenuShowOnTop, &TZKWChatForm::SetViewOnTop);
  MenuShowIcon = option(text::kMenuShowIcon, &TZKWChatForm::SetShowIcon);
  view->addSeparator();
  entry(view, text::kMenuShowOption, [this] { MenuShowOptionClick(); });

  QMenu* settingsMenu = menuBar()->addMenu(MenuTitle(text::kMenuSettings, 'S'));
  QMenu* fonts = settingsMenu->addMenu(Ui(text::kMenuFont));
  for (int kind = 1; kind <= 4; ++kind) {
    entry(fonts, text::kMenuFonts[kind - 1], [this, kind] { MenuSetFontClick(kind); });
  }
  entry(settingsMenu, text::kMenuSetBackColor, [this] { MenuSetBackColorClick(); });
  settingsMenu->addSeparator();
  entry(settingsMenu, text::kMenuReName, [this] { MenuReNameClick(); });
  entry(settingsMenu, text::kMenuMessage, [this] { MenuMessageClick(); });
  QMenu* folders = settingsMenu->addMenu(Ui(text::kMenuFolder));
  entry(folders, text::kMenuWavDir, [this] { TWavFileListDlg(this).exec(); });
  entry(settingsMenu, text::kMenuIcon, [this] { MenuIconClick(); });
  entry(settingsMenu, text::kMenuServerSet, [this] { MenuServerSetClick(); });
  entry(settingsMenu, text::kMenuICQSet, nullptr);  // no ICQ on this platform
  entry(settingsMenu, text::kMenuProxy, [this] { MenuProxyClick(); });

  QMenu* room = menuBar()->addMenu(MenuTitle(text::kMenuRoom, 'R'));
  MenuRoomIn = entry(room, text::kMenuRoomIn, [this] { MenuRoomInClick(); });
  MenuRoomOut = entry(room, text::kMenuRoomOut, [this] { MenuRoomOutClick(); });
  MenuRoomLook = entry(room, text::kMenuRoomLook, [this] { MenuRoomLookClick(); });
  MenuRoomTopic = entry(room, text::kMenuRoomTopic, [this] { MenuRoomTopicClick(); });
  QMenu* member = menuBar()->addMenu(MenuTitle(text::kMenuMember, 'M'));
  MenuMemberLook = entry(member, text::kMenuMemberLook, [this] { MenuMemberLookClick(); });
  QMenu* history = menuBar()->addMenu(MenuTitle(text::kMenuList, 'L'));
  entry(history, text::kMenuListURL, [this] { URLList->exec(); });
  entry(history, text::kMenuUserHistory, [this] { UserHistory->exec(); });
  QMenu* help = menuBar()->addMenu(MenuTitle(text::kMenuHelp, 'H'));
  entry(help, text::kMenuContents, [this] { MenuContentsClick(); })->setShortcut(QKeySequence::HelpContents);
  entry(help, text::kMenuHelplAbout, [this] { MenuHelplAboutClick(); });
}

void TZKWChatForm::BuildPopupMenu() {
  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName("PopupMenu");
  auto item = [this](const char* caption, const char* name) {
    QAction* action = PopupMenu->addAction(Ui(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  N8 = item(text::kN8, "N8");
  PopupMenu->addSeparator();
  MenuHost = item(text::kMenuHost, "MenuHost");
  MenuKick = item(text::kMenuKick, "MenuKick");
  PopupMenu->addSeparator();
  MenuSend = item(text::kMenuSend, "MenuSend");
  MenuSendRelay = item(text::kMenuSendRelay, "MenuSendRelay");
  PopupMenu->addSeparator();
  MenuUJoin = item(text::kMenuUJoin, "MenuUJoin");
  connect(MenuHost, &QAction::triggered, this, [this] { Command([this] { core_->MenuHostClick(); }); });
  connect(MenuKick, &QAction::triggered, this, [this] { Command([this] { core_->MenuKickClick(); }); });
  connect(MenuUJoin, &QAction::triggered, this, [this] { Command([this] { core_->MenuUJoinClick(); }); });
  connect(PopupMenu, &QMenu::aboutToShow, this, [this] { PopupMenuPopup(); });
  connect(N8, &QAction::triggered, this, [this] { Command([this] { core_->PrivateBtnClick(); }); });
  connect(MenuSend, &QAction::triggered, this,
          [this] { fileTransfer_->MenuSendClick(core_->Members().GetSelectedNick()); });
  connect(MenuSendRelay, &QAction::triggered, this,
          [this] { fileTransfer_->MenuSendRelayClick(core_->Members().GetSelectedNick()); });
  ListView->SetPopupMenu(PopupMenu);
}

void TZKWChatForm::BuildCompanions() {
  LogView = new display::TLogViewForm(this);
  LogView->Memo->SetAddressHandler([this](const std::string& address) { MemoURLClick(address); });
  MemoWin = new display::TMemoForm(this);
  MemoWin->SetSendHandler([this](const std::string& text) {
    std::string kept = core_->MemoSend(text);
    UpDateMenuItems();
    return kept;
  });
  display::DisplayHooks hooks = setup_.displayHooks;
  if (!hooks.askYesNo) {
    hooks.askYesNo = [this](const std::string& question) {
      return ShowClientMessage(question, client::kQuestion) == 1;
    };
  }
  if (!hooks.playSound) hooks.playSound = [this](const std::string& path) { PlaySoundFile(path); };
  if (!hooks.notice)
    hooks.notice = [this](const std::string& text) { ShowClientMessage(text, client::kNotice); };
  displayCommands_ = std::make_unique<display::DisplayCommands>(*Memo, *LogView, hooks);

  URLList = new TURLListDlg([this](const std::string& url) { MemoURLClick(url); }, this);
  UserHistory = new TUserHistoryDlg(this);
  RoomList = new settings::TRoomListDlg(this);
  UserList = new settings::TUserListDlg(this);
  connect(RoomList, &settings::TRoomListDlg::JoinRequested, this,
          [this](const std::string& room) { Command([this, room] { core_->MenuRoomIn(room, ""); }); });
  connect(RoomList, &settings::TRoomListDlg::RefreshRequested, this, [this] { MenuRoomLookClick(); });
  connect(UserList, &settings::TUserListDlg::JoinRequested, this,
          [this](const std::string& room) { Command([this, room] { core_->MenuRoomIn(room, ""); }); });
  connect(UserList, &settings::TUserListDlg::RefreshRequested, this, [this] { MenuMemberLookClick(); });

  ActiveTimer = new QTimer(this);
  ActiveTimer->setInterval(1000);
  connect(ActiveTimer, &QTimer::timeout, this, [this] { ActiveTimerTimer(); });
  AutoTimer = new QTimer(this);
  AutoTimer->setInterval(1000);
  connect(AutoTimer, &QTimer::timeout, this, [this] { AutoTimerTimer(); });
}

// Creation: the working copies from the settings, then the engine's start.
void TZKWChatForm::StartUp() {
  httpGate_.SetSettings(settings::LoadHttpSettings());
  http_->SetOptions(HttpOptionsFrom(httpGate_.Settings()));
  options_ = display::ReadDspModeValues();
  ReloadPublication();
  for (const std::string& name : LoadListFile(files::kWavFile))
    WavListBox->addItem(qtsupport::FromSjis(name));
  EditMyIP->setText(QString::fromStdString(MyAddress()));
  core_->Start(client::ReadStartupValues());
  defaultExt_ = ReadSettingString(keys::system::kSection, keys::system::kDefaultExt);
  PushDisplayOptions();
}

void TZKWChatForm::PushDisplayOptions() {
  core_->SetEventSounds({options_.inBeep, options_.inFile, options_.outBeep, options_.outFile});
  client::PrivateTemplates templates;
  templates.listColor = Memo->BackColor();
  templates.defaultExt = defaultExt_;
  templates.autoSave = options_.autoSave;
  templates.beepFile = core_->BeepFile();
  for (int kind = 1; kind <= 4; ++kind)
    templates.fonts[static_cast<std::size_t>(kind - 1)] = Memo->GetFontSetting(kind);
  core_->Members().SetTemplates(templates);
}

// A clicked address, after the consent, goes to the desktop; say so when
// nothing there takes it.
void TZKWChatForm::MemoURLClick(const std::string& address) {
  if (!httpGate_.MayAccessOutside(SysText(settings::text::kHttpAskUrl))) return;
  const QString target = qtsupport::FromSjis(address);
  if (!QDesktopServices::openUrl(QUrl(target)))
    ShowClientMessage(display::NoOpenerNotice(target), client::kNotice);
}

void TZKWChatForm::Command(const std::function<void()>& action) {
  action();
  UpDateMenuItems();
}

std::string TZKWChatForm::MyAddress() const {
  if (!setup_.localAddress.empty()) return setup_.localAddress;
  return client::LookUpMyAddress();
}

}  // namespace novalune::ui
