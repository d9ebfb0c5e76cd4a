#include "support/TinyProxy.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace novalune::test {

namespace {

QString Program() {
  QString found = QStandardPaths::findExecutable(QStringLiteral("tinyproxy"));
  if (found.isEmpty()) {
    found = QStandardPaths::findExecutable(QStringLiteral("tinyproxy"),
                                           {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin")});
  }
  return found;
}

// A port the kernel just handed out and took back: free for the proxy.
quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

}  // namespace

bool TinyProxy::Available() { return !Program().isEmpty(); }

bool TinyProxy::Start() {
  port_ = FreePort();
  const QString config = dir_.filePath(QStringLiteral("tinyproxy.conf"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nMaxClients 8\n"
                            "LogLevel Critical\nPidFile \"%2\"\n")
                 .arg(port_)
                 .arg(dir_.filePath(QStringLiteral("tinyproxy.pid")))
                 .toUtf8());
  file.close();
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start(Program(), {QStringLiteral("-d"), QStringLiteral("-c"), config});
  if (!process_.waitForStarted(5000)) return false;
  const QDeadlineTimer deadline(10000);
  while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port_);
    if (probe.waitForConnected(200)) return true;
    QThread::msleep(50);
  }
  return false;
}

TinyProxy::~TinyProxy() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(3000)) process_.kill();
  process_.waitForFinished(3000);
}

}  // namespace novalune::test
