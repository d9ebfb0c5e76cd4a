#include "client/net/QtClientNet.h"

#include <QMetaObject>

#include "common/SjisText.h"

namespace novalune::client {

QtClientNet::QtClientNet(QObject* parent) : QObject(parent) {}

QtClientNet::~QtClientNet() {
  Discard(server_);
  Discard(host_);
}

QtClientNet::Delivery::~Delivery() {
  if (--net_.delivering_ == 0) net_.DeleteRetired();
}

void QtClientNet::DeleteRetired() {
  for (QPointer<QTcpSocket>& socket : retired_) {
    if (socket) socket->deleteLater();
  }
  retired_.clear();
}

void QtClientNet::Discard(QPointer<QTcpSocket>& socket) {
  if (!socket) return;
  // No event may reach the engine for a socket it has given up.
  socket->disconnect();
  socket->abort();
  retired_.push_back(socket);
  socket.clear();
  if (delivering_ == 0) DeleteRetired();
}

bool QtClientNet::Open(const std::string& host, bool numeric, std::uint16_t port) {
  Discard(server_);
  QHostAddress address;
  if (numeric && !address.setAddress(QString::fromStdString(host))) return false;
  if (!numeric && host.empty()) return false;
  server_ = new QTcpSocket(this);
  connect(server_, &QTcpSocket::connected, this, &QtClientNet::OnServerConnected);
  connect(server_, &QTcpSocket::readyRead, this, &QtClientNet::OnServerReadyRead);
  connect(server_, &QTcpSocket::disconnected, this, &QtClientNet::OnServerDisconnected);
  connect(server_, &QTcpSocket::errorOccurred, this, &QtClientNet::OnServerError);
  if (!localAddress_.isNull() && !server_->bind(localAddress_)) {
    Discard(server_);
    return false;
  }
  if (numeric) {
    server_->connectToHost(address, port);
  } else {
    server_->connectToHost(QString::fromStdString(host), port);
  }
  return true;
}

void QtClientNet::Write(std::string_view bytes) {
  if (server_ && server_->state() == QAbstractSocket::ConnectedState) {
    server_->write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
}

void QtClientNet::Close() { Discard(server_); }

void QtClientNet::OnServerConnected() {
  Delivery delivery(*this);
  if (events_) events_->ClientSocketConnect();
}

void QtClientNet::OnServerReadyRead() {
  Delivery delivery(*this);
  if (!server_) return;
  const QByteArray bytes = server_->readAll();
  if (events_)
    events_->ClientSocketRead(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void QtClientNet::OnServerDisconnected() {
  Delivery delivery(*this);
  const QTcpSocket* closing = server_;
  // Data that arrived together with the close is delivered first.
  if (server_ && server_->bytesAvailable() > 0) OnServerReadyRead();
  // Those bytes may have closed this connection themselves and opened the
  // next one (a JOINIP reply): the new socket is not ours to drop.
  if (!server_ || server_ != closing) return;
  Discard(server_);
  if (events_) events_->ClientSocketDisconnect();
}

void QtClientNet::OnServerError(QAbstractSocket::SocketError error) {
  // A close by the peer is a disconnect, not an error.
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  Delivery delivery(*this);
  const bool connected = server_ && server_->state() == QAbstractSocket::ConnectedState;
  if (events_) events_->ClientSocketError();
  // A failed connect leaves nothing to close; drop the socket.
  if (!connected && server_ && server_->state() == QAbstractSocket::UnconnectedState) Discard(server_);
}

bool QtClientNet::HostOpen(std::uint16_t port) {
  if (host_ && host_->state() != QAbstractSocket::UnconnectedState) return true;
  Discard(host_);
  host_ = new QTcpSocket(this);
  connect(host_, &QTcpSocket::readyRead, this, &QtClientNet::OnHostReadyRead);
  connect(host_, &QTcpSocket::disconnected, this, &QtClientNet::OnHostDisconnected);
  connect(host_, &QTcpSocket::errorOccurred, this, &QtClientNet::OnHostError);
  host_->connectToHost(QHostAddress(QHostAddress::LocalHost), port);
  return true;
}

bool QtClientNet::HostIsOpen() { return host_ && host_->state() == QAbstractSocket::ConnectedState; }

void QtClientNet::HostWrite(std::string_view bytes) {
  if (HostIsOpen()) host_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void QtClientNet::HostClose() { Discard(host_); }

void QtClientNet::OnHostReadyRead() {
  Delivery delivery(*this);
  if (!host_) return;
  const QByteArray bytes = host_->readAll();
  if (events_)
    events_->HostClientRead(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void QtClientNet::OnHostDisconnected() {
  Delivery delivery(*this);
  const QTcpSocket* closing = host_;
  if (host_ && host_->bytesAvailable() > 0) OnHostReadyRead();
  if (!host_ || host_ != closing) return;
  Discard(host_);
  if (events_) events_->HostClientClosed();
}

void QtClientNet::OnHostError(QAbstractSocket::SocketError error) {
  if (error == QAbstractSocket::RemoteHostClosedError || !host_) return;
  Delivery delivery(*this);
  const std::string message = Utf8ToSjis(host_->errorString().toStdString());
  if (host_->state() == QAbstractSocket::UnconnectedState) Discard(host_);
  if (events_) events_->HostClientError(message);
}

void QtClientNet::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void QtClientNet::Flush() {
  constexpr int kFlushLimitMs = 1000;
  for (QTcpSocket* socket : {server_.data(), host_.data()}) {
    if (socket && socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() > 0) {
      socket->waitForBytesWritten(kFlushLimitMs);
    }
  }
}

}  // namespace novalune::client
