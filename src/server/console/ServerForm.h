// The operator's console: the live user and room tables, the refuse list,
// the operator actions, the tray icon and the server's reactions to the host link.
#pragma once

#include <QLineEdit>
#include <QMainWindow>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/core/ServerCore.h"

class QAction;
class QCheckBox;
class QListWidget;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTableWidget;

namespace novalune::server {

class ServerQuestion;

// A line whose Enter key is taken here: it reports `entered` and goes no further.
class ConsoleLine : public QLineEdit {
  Q_OBJECT
 public:
  using QLineEdit::QLineEdit;
 signals:
  void entered();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

struct ConsoleSetup {
  std::string firstArg;  // the program's first argument, upper-cased
  QString programPath;   // the program file, started again as the client copy
  // Starts a program without waiting; the default is QProcess::startDetached.
  std::function<bool(const QString& program, const QStringList& args)> startClient;
  // Asks the operator; the default is the server's question box.
  ServerQuestion* question = nullptr;
  // Whether a tray exists; the default asks QSystemTrayIcon.
  std::function<bool()> trayAvailable;
  // False when the chat port could not be opened: the console says so and shows itself.
  bool userPortOpen = true;
};

class TServerForm : public QMainWindow {
  Q_OBJECT
 public:
  TServerForm(ServerCore& core, ConsoleSetup setup, QWidget* parent = nullptr);
  ~TServerForm() override;

  // The first showing: into the tray (or minimised where there is no tray),
  // then the client copy unless the server runs alone.
  void FirstShow();

  // Notifications from the adapter. They may arrive inside an engine call, so
  // each is carried out later on the event loop.
  void ShowConsole();
  void HostLinkClosed(bool noUsers, std::size_t linksLeft);
  void TablesChanged();
  // Reads the refuse list and "PassHost" again from their files; the lock stays as it is.
  void ReloadState();

  // The operator actions, also reachable through the controls.
  void MakeHost();
  void WithdrawHost();
  void Refuse();
  void Disconnect();
  void DeleteRefused();
  void CloseWindow();
  void ShowWindow();
  void Exit();

  QSystemTrayIcon* TrayIcon() const { return tray_; }

 signals:
  // The operator confirmed Exit: the lists are saved and every user is gone.
  void serverEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildPages();
  void BuildMenus();
  void BuildTray();
  QWidget* BuildUserPage();
  QWidget* BuildRoomPage();
  QWidget* BuildRefPage();
  QWidget* BuildBottomRow();

  void LoadState();
  void SaveState();
  void StartClientCopy();
  void RunHostLinkClosed(bool noUsers, std::size_t linksLeft);

  // A user as the operator chose it: the ID may go to a newcomer, so the nick goes with it.
  struct UserChoice {
    std::uint32_t id = 0;
    std::string nick;
  };

  void Redraw();
  void RedrawUsers();
  void RedrawRooms();
  void RedrawRefList();
  // The selected row as shown (the first row when none is); none when the table is empty.
  std::optional<UserChoice> ChosenUser() const;
  std::optional<std::string> ChosenRoom() const;
  // Carries out `action` on the row where the choice now is; false when it has gone.
  bool ActOnUser(const std::optional<UserChoice>& chosen, const std::function<void(std::size_t)>& action);
  bool ActOnRoom(const std::optional<std::string>& chosen, const std::function<void(std::size_t)>& action);
  void RoomSelected();
  void ShowRoomFields();

  void SendUserMessage();
  void SendRoomMessage();
  void StoreRoomPass();
  void StoreRoomTopic();
  void Guard(const std::function<void()>& action);

  ServerCore& core_;
  ConsoleSetup setup_;
  std::unique_ptr<ServerQuestion> ownQuestion_;
  ServerQuestion* question_ = nullptr;
  bool redrawPending_ = false;
  bool exitAsking_ = false;
  bool ended_ = false;
  std::vector<std::string> shownRefList_;
  std::vector<UserChoice> shownUsers_;  // the user grid's rows as drawn
  std::vector<RoomRow> shownRooms_;     // the room grid's rows as drawn, no blank row
  RoomRow shownFields_;                 // what PassEdit and TopicEdit were last given

  QTabWidget* pages_ = nullptr;
  QWidget* userPage_ = nullptr;
  QWidget* roomPage_ = nullptr;
  QWidget* refPage_ = nullptr;
  QTableWidget* userGrid_ = nullptr;
  QTableWidget* roomGrid_ = nullptr;
  QListWidget* refList_ = nullptr;
  ConsoleLine* mesEdit_ = nullptr;
  ConsoleLine* rmesEdit_ = nullptr;
  ConsoleLine* passEdit_ = nullptr;
  ConsoleLine* topicEdit_ = nullptr;
  QCheckBox* passCheck_ = nullptr;
  QCheckBox* serverLock_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;
};

}  // namespace novalune::server
