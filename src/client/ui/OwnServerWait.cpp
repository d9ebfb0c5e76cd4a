#include "client/ui/OwnServerWait.h"

#include <QTcpSocket>
#include <utility>

namespace novalune::ui {

OwnServerWait::OwnServerWait(QObject* parent) : QObject(parent) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, &OwnServerWait::Finish);
}

void OwnServerWait::Start(const QString& host, quint16 port, std::function<void()> ready) {
  host_ = host;
  port_ = port;
  ready_ = std::move(ready);
  deadline_.start(kLimitMs);
  Probe();
}

void OwnServerWait::Cancel() {
  deadline_.stop();
  ready_ = nullptr;
}

void OwnServerWait::Probe() {
  auto* probe = new QTcpSocket(this);
  connect(probe, &QTcpSocket::connected, this, [this, probe] {
    probe->abort();
    probe->deleteLater();
    Finish();
  });
  connect(probe, &QTcpSocket::errorOccurred, this, [this, probe] {
    probe->deleteLater();
    if (Waiting()) QTimer::singleShot(kProbeMs, this, &OwnServerWait::Probe);
  });
  probe->connectToHost(host_, port_);
}

void OwnServerWait::Finish() {
  if (!Waiting()) return;
  deadline_.stop();
  std::exchange(ready_, nullptr)();
}

}  // namespace novalune::ui
