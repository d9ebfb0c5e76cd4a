// A whisper on the desktop while the program is in the background: the
// freedesktop notification service on the session bus, or the tray icon's
// message where the bus has no such service. Clicking it runs the action
// given with it (showing the whisper window).
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>

class QSystemTrayIcon;

namespace novalune::ui {

class WhisperNotice : public QObject {
  Q_OBJECT

 public:
  explicit WhisperNotice(QObject* parent = nullptr);
  void Show(const QString& nick, const QString& firstLine, std::function<void()> onClick);

 private slots:
  void ActionInvoked(uint id, const QString& action);
  void NotificationClosed(uint id, uint reason);

 private:
  bool ShowOnBus(const QString& nick, const QString& firstLine, std::function<void()> onClick);
  void ShowInTray(const QString& nick, const QString& firstLine, std::function<void()> onClick);

  bool busWatched_ = false;
  // Open notifications and what a click on each does; the service tells
  // when one closes, and a bounded count covers a service that never does.
  std::map<uint, std::function<void()>> clicks_;
  QSystemTrayIcon* tray_ = nullptr;
  std::function<void()> trayClick_;
};

}  // namespace novalune::ui
