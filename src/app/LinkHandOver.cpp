#include "app/LinkHandOver.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace novalune::app {

namespace {

// Links are short; anything longer is not a link and is not buffered.
constexpr qint64 kMaxLine = 1024;
constexpr int kReplyWaitMs = 3000;
// A peer that connects and says nothing is dropped after this.
constexpr int kPeerIdleMs = 5000;
constexpr char kReceipt[] = "OK\n";

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool ReceiptArrives(int fd) {
  std::string reply;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyWaitMs);
  while (reply.size() < std::strlen(kReceipt)) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd waiting{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return false;
    char bytes[8];
    const ssize_t got = ::recv(fd, bytes, sizeof bytes, 0);
    if (got <= 0) return false;
    reply.append(bytes, static_cast<std::size_t>(got));
  }
  return reply.rfind(kReceipt, 0) == 0;
}

}  // namespace

bool IsChatLink(std::string_view argument) {
  constexpr std::string_view kScheme = "ZKWC2://";
  if (argument.size() <= kScheme.size()) return false;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    char c = argument[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kScheme[i]) return false;
  }
  return true;
}

QString LinkHandOverName() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) return runtime + QStringLiteral("/novalune-links");
  return QDir::tempPath() + QStringLiteral("/novalune-links-%1").arg(::getuid());
}

bool HandOverLink(const std::string& link, const QString& name) {
  if (!IsChatLink(link) || link.size() >= kMaxLine || link.find('\n') != std::string::npos) return false;
  const QByteArray path = QFile::encodeName(name);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool delivered = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                         SendAll(fd, link + "\n") && ReceiptArrives(fd);
  ::close(fd);
  return delivered;
}

LinkHandOverServer::LinkHandOverServer(LinkReceiver& receiver, const QString& name, QObject* parent)
    : QObject(parent), receiver_(receiver), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &LinkHandOverServer::Accept);
  // Listening replaces whatever socket file is there, so a live one is asked first.
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(1000)) return;  // another client takes the links
  QLocalServer::removeServer(name);
  server_->listen(name);
}

bool LinkHandOverServer::Listening() const { return server_->isListening(); }

void LinkHandOverServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadLink(socket); });
    QTimer::singleShot(kPeerIdleMs, socket, [socket] { socket->abort(); });
  }
}

void LinkHandOverServer::ReadLink(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() >= kMaxLine) socket->abort();
    return;
  }
  const QByteArray line = socket->readLine(kMaxLine).trimmed();
  const std::string link = line.toStdString();
  if (!IsChatLink(link)) {
    socket->abort();
    return;
  }
  socket->write(kReceipt);
  socket->disconnectFromServer();
  // The client asks before it connects; that question must not run inside this socket's handler.
  QTimer::singleShot(0, this, [this, link] { receiver_.ConnectFromLink(link); });
}

}  // namespace novalune::app
