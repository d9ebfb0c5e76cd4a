#include "client/ui/WhisperNotice.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace novalune::ui {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr std::size_t kMaxOpen = 32;
constexpr int kShownMs = 10000;

bool ServiceRunning() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService).value();
}

}  // namespace

WhisperNotice::WhisperNotice(QObject* parent) : QObject(parent) {}

void WhisperNotice::Show(const QString& nick, const QString& firstLine, std::function<void()> onClick) {
  if (!ShowOnBus(nick, firstLine, onClick)) ShowInTray(nick, firstLine, std::move(onClick));
}

bool WhisperNotice::ShowOnBus(const QString& nick, const QString& firstLine, std::function<void()> onClick) {
  if (!ServiceRunning()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!busWatched_) {
    bus.connect(kService, kPath, kInterface, "ActionInvoked", this, SLOT(ActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, "NotificationClosed", this,
                SLOT(NotificationClosed(uint, uint)));
    busWatched_ = true;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  call << QApplication::applicationName() << uint(0) << QString() << nick << firstLine
       << QStringList{QStringLiteral("default"), nick} << QVariantMap() << kShownMs;
  // Asynchronous: a notification service that hangs must not freeze the chat.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, onClick = std::move(onClick)](QDBusPendingCallWatcher* done) {
            const QDBusPendingReply<uint> reply = *done;
            done->deleteLater();
            if (reply.isError()) return;
            if (clicks_.size() >= kMaxOpen) clicks_.erase(clicks_.begin());
            clicks_[reply.value()] = onClick;
          });
  return true;
}

void WhisperNotice::ShowInTray(const QString& nick, const QString& firstLine, std::function<void()> onClick) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (!tray_) {
    tray_ = new QSystemTrayIcon(QApplication::windowIcon(), this);
    connect(tray_, &QSystemTrayIcon::messageClicked, this, [this] {
      if (trayClick_) trayClick_();
    });
  }
  trayClick_ = std::move(onClick);
  tray_->show();
  tray_->showMessage(nick, firstLine, QSystemTrayIcon::Information, kShownMs);
}

void WhisperNotice::ActionInvoked(uint id, const QString&) {
  const auto found = clicks_.find(id);
  if (found == clicks_.end()) return;
  const std::function<void()> click = found->second;
  clicks_.erase(found);
  if (click) click();
}

void WhisperNotice::NotificationClosed(uint id, uint) { clicks_.erase(id); }

}  // namespace novalune::ui
