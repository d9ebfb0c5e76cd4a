// ClientNet on Qt Network: the server connection and the host link as
// QTcpSocket, posted requests as queued calls on this object's thread.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <vector>

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
  void Flush() override;

 private:
  // Keeps the engine's calls of one socket event together: sockets dropped
  // meanwhile are deleted only when the outermost event has returned, since a
  // modal dialog's loop inside the engine would otherwise delete a socket that
  // is still emitting the signal that called us.
  class Delivery {
   public:
    explicit Delivery(QtClientNet& net) : net_(net) { ++net_.delivering_; }
    ~Delivery();
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

   private:
    QtClientNet& net_;
  };

  // Stops every event of the socket at once; the object goes later.
  void Discard(QPointer<QTcpSocket>& socket);
  void DeleteRetired();
  void OnServerConnected();
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
  std::vector<QPointer<QTcpSocket>> retired_;
  int delivering_ = 0;
};

}  // namespace novalune::client
