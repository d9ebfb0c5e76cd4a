// ClientNet on Qt Network: the server connection and the host link as
// QTcpSocket, posted requests as queued calls on this object's thread.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

#include "client/core/ClientNet.h"

namespace novalune::client {

class QtClientNet : public QObject, public ClientNet {
  Q_OBJECT

 public:
  explicit QtClientNet(QObject* parent = nullptr);
  ~QtClientNet() override;

  void SetEvents(ClientNetEvents* events) { events_ = events; }
  // Outgoing server connections leave from this address (tests on loopback).
  void SetLocalAddress(const QHostAddress& address) { localAddress_ = address; }

  bool Open(const std::string& host, bool numeric, std::uint16_t port) override;
  void Write(std::string_view bytes) override;
  void Close() override;
  bool HostOpen(std::uint16_t port) override;
  bool HostIsOpen() override;
  void HostWrite(std::string_view bytes) override;
  void HostClose() override;
  void Post(std::function<void()> task) override;

 private:
  static void Discard(QPointer<QTcpSocket>& socket);
  void OnServerReadyRead();
  void OnServerDisconnected();
  void OnServerError(QAbstractSocket::SocketError error);
  void OnHostReadyRead();
  void OnHostDisconnected();
  void OnHostError(QAbstractSocket::SocketError error);

  ClientNetEvents* events_ = nullptr;
  QHostAddress localAddress_;
  QPointer<QTcpSocket> server_;
  QPointer<QTcpSocket> host_;
};

}  // namespace novalune::client
