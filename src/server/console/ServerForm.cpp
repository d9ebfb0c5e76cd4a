#include "server/console/ServerForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "qtsupport/ScreenPlace.h"
#include "qtsupport/WidgetText.h"
#include "server/console/ConsoleStore.h"
#include "server/console/ConsoleTexts.h"
#include "server/console/ServerQuestion.h"
#include "server/core/ServerCore.h"

namespace novalune::server {

namespace text = console_text;

namespace {

using qtsupport::FromSjis;
using qtsupport::ToSjis;
using qtsupport::Ui;

QTableWidget* MakeGrid(const char* name, const char* const* titles, const int* widths, int columns,
                       QWidget* parent) {
  auto* grid = new QTableWidget(0, columns, parent);
  grid->setObjectName(name);
  QStringList headers;
  for (int i = 0; i < columns; ++i) headers << Ui(titles[i]);
  grid->setHorizontalHeaderLabels(headers);
  grid->verticalHeader()->setVisible(false);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->setWordWrap(false);
  for (int i = 0; i < columns; ++i) grid->setColumnWidth(i, widths[i]);
  return grid;
}

void SetRow(QTableWidget* grid, int row, const QStringList& cells) {
  for (int column = 0; column < cells.size(); ++column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
      grid->setItem(row, column, new QTableWidgetItem(cells[column]));
    } else if (item->text() != cells[column]) {
      item->setText(cells[column]);
    }
  }
}

// Puts the row cursor on `row` (-1: no row); the grid's signals are blocked by the caller.
void MoveCursor(QTableWidget* grid, int row) {
  if (row < 0) {
    grid->clearSelection();
    grid->setCurrentCell(-1, -1);
  } else if (row != grid->currentRow() || grid->selectedItems().isEmpty()) {
    grid->selectRow(row);
  }
}

// Where the cursor goes after a redraw: the chosen entry where it now is, else the same row
// clamped to the table, else none.
int CursorRow(std::optional<std::size_t> chosenAt, int current, std::size_t rows) {
  if (rows == 0) return -1;
  if (chosenAt) return static_cast<int>(*chosenAt);
  return std::clamp(current, 0, static_cast<int>(rows) - 1);
}

// The row to act on: the cursor's, or the first when there is no cursor.
std::size_t ChosenRow(const QTableWidget* grid, std::size_t rows) {
  return std::min<std::size_t>(static_cast<std::size_t>(std::max(0, grid->currentRow())), rows - 1);
}

ConsoleLine* MakeLine(const char* name, QWidget* parent) {
  auto* line = new ConsoleLine(parent);
  line->setObjectName(name);
  return line;
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(Ui(caption), parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

void ConsoleLine::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    emit entered();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

TServerForm::TServerForm(ServerCore& core, ConsoleSetup setup, QWidget* parent)
    : QMainWindow(parent), core_(core), setup_(std::move(setup)) {
  setObjectName("ServerForm");
  setWindowTitle(Ui(text::kWindowTitle));
  setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
  question_ = setup_.question;
  if (question_ == nullptr) {
    ownQuestion_ = std::make_unique<DialogQuestion>();
    question_ = ownQuestion_.get();
  }
  if (!setup_.startClient) {
    setup_.startClient = [](const QString& program, const QStringList& args) {
      return QProcess::startDetached(program, args);
    };
  }
  if (!setup_.trayAvailable) setup_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

  BuildPages();
  BuildMenus();
  BuildTray();
  if (!setup_.userPortOpen) {
    auto* notice = new QLabel(Ui(text::kUserPortClosed), this);
    notice->setObjectName("UserPortNotice");
    statusBar()->addWidget(notice, 1);
  }
  LoadState();
  Redraw();
  resize(640, 420);
}

TServerForm::~TServerForm() = default;

// ---------------------------------------------------------------- layout

void TServerForm::BuildPages() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  pages_ = new QTabWidget(central);
  pages_->setObjectName("PageControl");
  userPage_ = BuildUserPage();
  roomPage_ = BuildRoomPage();
  refPage_ = BuildRefPage();
  pages_->addTab(userPage_, Ui(text::kUserPage));
  pages_->addTab(roomPage_, Ui(text::kRoomPage));
  pages_->addTab(refPage_, Ui(text::kRefPage));
  layout->addWidget(pages_);
  layout->addWidget(BuildBottomRow());
  setCentralWidget(central);
}

QWidget* TServerForm::BuildUserPage() {
  auto* page = new QWidget(this);
  static constexpr int kWidths[] = {44, 90, 140, 100, 44, 100, 48, 90, 120};
  userGrid_ = MakeGrid("UserGrid", text::kUserColumns, kWidths, 9, page);
  auto* refBtn = MakeButton("RefBtn", text::kRefBtn, page);
  auto* killBtn = MakeButton("KillBtn", text::kKillBtn, page);
  mesEdit_ = MakeLine("MesEdit", page);
  connect(refBtn, &QPushButton::clicked, this, &TServerForm::Refuse);
  connect(killBtn, &QPushButton::clicked, this, &TServerForm::Disconnect);
  connect(mesEdit_, &ConsoleLine::entered, this, &TServerForm::SendUserMessage);

  auto* row = new QHBoxLayout;
  row->addWidget(refBtn);
  row->addWidget(killBtn);
  row->addWidget(new QLabel(Ui(text::kMesLabel), page));
  row->addWidget(mesEdit_, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(userGrid_);
  layout->addLayout(row);
  return page;
}

QWidget* TServerForm::BuildRoomPage() {
  auto* page = new QWidget(this);
  static constexpr int kWidths[] = {120, 48, 44, 100, 200};
  roomGrid_ = MakeGrid("RoomGrid", text::kRoomColumns, kWidths, 5, page);
  passEdit_ = MakeLine("PassEdit", page);
  topicEdit_ = MakeLine("TopicEdit", page);
  rmesEdit_ = MakeLine("RMesEdit", page);
  passCheck_ = new QCheckBox(Ui(text::kPassCheck), page);
  passCheck_->setObjectName("PassCheck");
  connect(roomGrid_, &QTableWidget::currentCellChanged, this, [this] { RoomSelected(); });
  connect(passEdit_, &ConsoleLine::entered, this, &TServerForm::StoreRoomPass);
  connect(topicEdit_, &ConsoleLine::entered, this, &TServerForm::StoreRoomTopic);
  connect(rmesEdit_, &ConsoleLine::entered, this, &TServerForm::SendRoomMessage);
  connect(passCheck_, &QCheckBox::toggled, this, [this](bool on) { Guard([&] { core_.SetPassCheck(on); }); });

  auto* edits = new QHBoxLayout;
  edits->addWidget(new QLabel(Ui(text::kPassLabel), page));
  edits->addWidget(passEdit_);
  edits->addWidget(new QLabel(Ui(text::kTopicLabel), page));
  edits->addWidget(topicEdit_, 2);
  auto* message = new QHBoxLayout;
  message->addWidget(passCheck_);
  message->addWidget(new QLabel(Ui(text::kRMesLabel), page));
  message->addWidget(rmesEdit_, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(roomGrid_);
  layout->addLayout(edits);
  layout->addLayout(message);
  return page;
}

QWidget* TServerForm::BuildRefPage() {
  auto* page = new QWidget(this);
  refList_ = new QListWidget(page);
  refList_->setObjectName("RefList");
  refList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* del = MakeButton("ListDelBtn", text::kListDelBtn, page);
  connect(del, &QPushButton::clicked, this, &TServerForm::DeleteRefused);
  auto* row = new QHBoxLayout;
  row->addWidget(del);
  row->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(refList_);
  layout->addLayout(row);
  return page;
}

QWidget* TServerForm::BuildBottomRow() {
  auto* bottom = new QWidget(this);
  serverLock_ = new QCheckBox(Ui(text::kServerLock), bottom);
  serverLock_->setObjectName("ServerLock");
  auto* closeBtn = MakeButton("CloseBtn", text::kCloseBtn, bottom);
  auto* exitBtn = MakeButton("ExitBtn", text::kExitBtn, bottom);
  connect(serverLock_, &QCheckBox::toggled, this,
          [this](bool on) { Guard([&] { core_.SetServerLock(on); }); });
  connect(closeBtn, &QPushButton::clicked, this, &TServerForm::CloseWindow);
  connect(exitBtn, &QPushButton::clicked, this, &TServerForm::Exit);
  auto* row = new QHBoxLayout(bottom);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(serverLock_);
  row->addStretch();
  row->addWidget(closeBtn);
  row->addWidget(exitBtn);
  return bottom;
}

void TServerForm::BuildMenus() {
  auto addAction = [this](QMenu* menu, const char* name, const char* caption, void (TServerForm::*slot)()) {
    QAction* action = menu->addAction(Ui(caption));
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  auto showPage = [this](QMenu* menu, QWidget* page) {
    connect(menu, &QMenu::aboutToShow, this, [this, page] { pages_->setCurrentWidget(page); });
  };

  QMenu* server = menuBar()->addMenu(Ui(text::kServerMenu));
  addAction(server, "MenuClose", text::kMenuClose, &TServerForm::CloseWindow);
  addAction(server, "MenuEnd", text::kMenuEnd, &TServerForm::Exit);

  QMenu* user = menuBar()->addMenu(Ui(text::kUserMenu));
  showPage(user, userPage_);
  addAction(user, "MenuUserHost", text::kMenuUserHost, &TServerForm::MakeHost);
  addAction(user, "MenuUserNoHost", text::kMenuUserNoHost, &TServerForm::WithdrawHost);
  addAction(user, "MenuUserListUo", text::kMenuUserListUo, &TServerForm::Refuse);
  addAction(user, "MunuUserKill", text::kMunuUserKill, &TServerForm::Disconnect);

  QMenu* room = menuBar()->addMenu(Ui(text::kRoomMenu));
  showPage(room, roomPage_);
  QAction* roomInfo = room->addAction(Ui(text::kMenuRoomED));
  roomInfo->setObjectName("MenuRoomED");
  connect(roomInfo, &QAction::triggered, this, [this] { pages_->setCurrentWidget(roomPage_); });

  QMenu* ref = menuBar()->addMenu(Ui(text::kRefMenu));
  showPage(ref, refPage_);
  addAction(ref, "MenuListDel", text::kMenuListDel, &TServerForm::DeleteRefused);
}

void TServerForm::BuildTray() {
  trayMenu_ = new QMenu(this);
  QAction* show = trayMenu_->addAction(Ui(text::kMenuSet));
  show->setObjectName("MenuSet");
  connect(show, &QAction::triggered, this, &TServerForm::ShowWindow);
  QAction* exit = trayMenu_->addAction(Ui(text::kMenuExit));
  exit->setObjectName("MenuExit");
  connect(exit, &QAction::triggered, this, &TServerForm::Exit);

  tray_ = new QSystemTrayIcon(windowIcon(), this);
  tray_->setObjectName("WinTaskbar");
  tray_->setToolTip(Ui(text::kTrayHint));
  tray_->setContextMenu(trayMenu_);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) ShowWindow();
  });
}

// ---------------------------------------------------------------- start and end

void TServerForm::LoadState() {
  core_.SetServerLock(false);
  ReloadState();
}

void TServerForm::ReloadState() {
  LoadConsoleState(core_);
  const QSignalBlocker block(passCheck_);
  passCheck_->setChecked(core_.PassCheck());
  RedrawRefList();
}

void TServerForm::SaveState() {
  Guard([&] { SaveRefList(core_.RefList()); });
  Guard([&] { WritePassHost(core_.PassCheck()); });
}

void TServerForm::FirstShow() {
  if (setup_.trayAvailable()) {
    tray_->show();
    hide();
  } else {
    // Without a tray a hidden console could not be reached again.
    showMinimized();
  }
  if (setup_.firstArg != "/SONLY") StartClientCopy();
  // Nobody can connect: the operator must see it rather than find out from the users.
  if (!setup_.userPortOpen) ShowWindow();
}

void TServerForm::StartClientCopy() {
  QStringList args;
  if (!setup_.firstArg.empty()) args << QString::fromStdString(setup_.firstArg);
  // A failure leaves the server running alone, unannounced.
  setup_.startClient(setup_.programPath, args);
}

void TServerForm::Exit() {
  if (exitAsking_ || ended_) return;
  exitAsking_ = true;
  const bool users = !core_.Users().empty();
  const bool yes = question_->Ask(this, Ui(users ? text::kAskExitWithUsers : text::kAskExit));
  exitAsking_ = false;
  if (!yes) return;
  ended_ = true;
  SaveState();
  Guard([&] { core_.DisconnectAll(); });
  tray_->hide();
  emit serverEnded();
}

void TServerForm::closeEvent(QCloseEvent* event) {
  // The window's own close button closes the console, never the server.
  event->ignore();
  CloseWindow();
}

void TServerForm::CloseWindow() {
  if (setup_.trayAvailable()) {
    hide();
  } else {
    showMinimized();
  }
}

void TServerForm::ShowWindow() {
  if (isMinimized()) showNormal();
  show();
  qtsupport::KeepOnScreen(*this);
  raise();
  activateWindow();
}

// ---------------------------------------------------------------- adapter notifications

void TServerForm::ShowConsole() { QTimer::singleShot(0, this, &TServerForm::ShowWindow); }

void TServerForm::HostLinkClosed(bool noUsers, std::size_t linksLeft) {
  QTimer::singleShot(0, this, [this, noUsers, linksLeft] { RunHostLinkClosed(noUsers, linksLeft); });
}

void TServerForm::RunHostLinkClosed(bool noUsers, std::size_t linksLeft) {
  // `linksLeft` no longer counts the link that closed: "at most this one left" is zero.
  if (linksLeft > 0) return;
  if (noUsers) Exit();
  if (!ended_) ShowWindow();
}

void TServerForm::TablesChanged() {
  if (redrawPending_) return;
  redrawPending_ = true;
  QTimer::singleShot(0, this, &TServerForm::Redraw);
}

// ---------------------------------------------------------------- tables

void TServerForm::Redraw() {
  redrawPending_ = false;
  RedrawUsers();
  RedrawRooms();
  RedrawRefList();
}

void TServerForm::RedrawUsers() {
  const auto& users = core_.Users();
  const std::optional<UserChoice> chosen = ChosenUser();
  const QSignalBlocker block(userGrid_);
  userGrid_->setRowCount(static_cast<int>(users.size()));
  shownUsers_.clear();
  for (std::size_t i = 0; i < users.size(); ++i) {
    const UserRow& user = users[i];
    SetRow(userGrid_, static_cast<int>(i),
           {FromSjis(IdCell(user.id)), FromSjis(user.nick), FromSjis(user.name), FromSjis(user.room),
            FromSjis(user.mode), FromSjis(user.ip), FromSjis(CountCell(user.count)), FromSjis(user.icon),
            FromSjis(BufferCell(user.buffer))});
    shownUsers_.push_back({user.id, user.nick});
  }
  const auto chosenAt = chosen ? core_.UserRowOf(chosen->id, chosen->nick) : std::nullopt;
  MoveCursor(userGrid_, CursorRow(chosenAt, userGrid_->currentRow(), users.size()));
}

void TServerForm::RedrawRooms() {
  const auto& rooms = core_.Rooms();
  const std::optional<std::string> chosen = ChosenRoom();
  const QSignalBlocker block(roomGrid_);
  // The table always shows one data row, left blank when there is no room.
  roomGrid_->setRowCount(std::max<int>(1, static_cast<int>(rooms.size())));
  if (rooms.empty()) SetRow(roomGrid_, 0, {QString(), QString(), QString(), QString(), QString()});
  for (std::size_t i = 0; i < rooms.size(); ++i) {
    const RoomRow& room = rooms[i];
    SetRow(roomGrid_, static_cast<int>(i),
           {FromSjis(room.name), FromSjis(LenCell(room.len)), FromSjis(room.mode), FromSjis(room.pass),
            FromSjis(room.topic)});
  }
  shownRooms_ = rooms;
  const auto chosenAt = chosen ? core_.RoomRowOf(*chosen) : std::nullopt;
  MoveCursor(roomGrid_, CursorRow(chosenAt, roomGrid_->currentRow(), rooms.size()));
  ShowRoomFields();
}

void TServerForm::RedrawRefList() {
  const auto& entries = core_.RefList();
  if (entries == shownRefList_) return;  // keeps the operator's selection
  shownRefList_ = entries;
  refList_->clear();
  for (const std::string& entry : entries) refList_->addItem(FromSjis(entry));
}

std::optional<TServerForm::UserChoice> TServerForm::ChosenUser() const {
  if (shownUsers_.empty()) return std::nullopt;
  return shownUsers_[ChosenRow(userGrid_, shownUsers_.size())];
}

std::optional<std::string> TServerForm::ChosenRoom() const {
  if (shownRooms_.empty()) return std::nullopt;
  return shownRooms_[ChosenRow(roomGrid_, shownRooms_.size())].name;
}

bool TServerForm::ActOnUser(const std::optional<UserChoice>& chosen,
                            const std::function<void(std::size_t)>& action) {
  const auto row = chosen ? core_.UserRowOf(chosen->id, chosen->nick) : std::nullopt;
  if (!row) return false;
  Guard([&] { action(*row); });
  return true;
}

bool TServerForm::ActOnRoom(const std::optional<std::string>& chosen,
                            const std::function<void(std::size_t)>& action) {
  const auto row = chosen ? core_.RoomRowOf(*chosen) : std::nullopt;
  if (!row) return false;
  Guard([&] { action(*row); });
  return true;
}

void TServerForm::RoomSelected() {
  if (shownRooms_.empty()) {
    // The blank row is no room: it is never the selected one.
    const QSignalBlocker block(roomGrid_);
    MoveCursor(roomGrid_, -1);
  }
  ShowRoomFields();
}

// The fields follow the selected row. What the operator is typing stays until another row is
// selected or this row's values change.
void TServerForm::ShowRoomFields() {
  const int row = roomGrid_->currentRow();
  RoomRow selected;
  if (row >= 0 && static_cast<std::size_t>(row) < shownRooms_.size()) selected = shownRooms_[row];
  if (selected.name == shownFields_.name && selected.pass == shownFields_.pass &&
      selected.topic == shownFields_.topic) {
    return;
  }
  shownFields_ = selected;
  passEdit_->setText(FromSjis(selected.pass));
  topicEdit_->setText(FromSjis(selected.topic));
}

// ---------------------------------------------------------------- operator actions

void TServerForm::Guard(const std::function<void()>& action) {
  // Errors end here, silently: the server keeps serving.
  try {
    action();
  } catch (const std::exception&) {
  }
}

void TServerForm::MakeHost() {
  ActOnUser(ChosenUser(), [&](std::size_t row) { core_.OperatorMakeHost(row); });
  TablesChanged();
}

void TServerForm::WithdrawHost() {
  ActOnUser(ChosenUser(), [&](std::size_t row) { core_.OperatorWithdrawHost(row); });
  TablesChanged();
}

// The table may change while the question is open: the answer goes to the user chosen before.
void TServerForm::Refuse() {
  const std::optional<UserChoice> chosen = ChosenUser();
  if (!question_->Ask(this, Ui(text::kAskRefuse))) return;
  ActOnUser(chosen, [&](std::size_t row) { core_.OperatorRefuse(row); });
  RedrawRefList();
}

void TServerForm::Disconnect() {
  const std::optional<UserChoice> chosen = ChosenUser();
  if (!question_->Ask(this, Ui(text::kAskKill))) return;
  ActOnUser(chosen, [&](std::size_t row) { core_.OperatorDisconnect(row); });
  TablesChanged();
}

void TServerForm::DeleteRefused() {
  std::vector<std::size_t> rows;
  for (const QListWidgetItem* item : refList_->selectedItems()) rows.push_back(refList_->row(item));
  std::sort(rows.begin(), rows.end());
  if (rows.empty()) return;
  Guard([&] { core_.OperatorDeleteRefused(rows); });
  RedrawRefList();
}

void TServerForm::SendUserMessage() {
  const QString message = mesEdit_->text();
  if (message.isEmpty()) return;
  if (ActOnUser(ChosenUser(), [&](std::size_t row) { core_.OperatorMessageUser(row, ToSjis(message)); })) {
    mesEdit_->clear();
  }
}

void TServerForm::SendRoomMessage() {
  const QString message = rmesEdit_->text();
  if (message.isEmpty()) return;
  if (ActOnRoom(ChosenRoom(), [&](std::size_t row) { core_.OperatorMessageRoom(row, ToSjis(message)); })) {
    rmesEdit_->clear();
  }
}

void TServerForm::StoreRoomPass() {
  ActOnRoom(ChosenRoom(),
            [&](std::size_t row) { core_.OperatorSetRoomPass(row, ToSjis(passEdit_->text())); });
  TablesChanged();
}

void TServerForm::StoreRoomTopic() {
  ActOnRoom(ChosenRoom(),
            [&](std::size_t row) { core_.OperatorSetRoomTopic(row, ToSjis(topicEdit_->text())); });
  TablesChanged();
}

}  // namespace novalune::server
