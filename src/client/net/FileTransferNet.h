// Sockets and files of a file transfer: the listener that the receiver
// connects to, and the two ends of the data stream. The rules (what may be
// sent, what an acknowledgement means) stay in the engines of
// client/core/FileTransfer.h; these classes move bytes and report.
#pragma once

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>
#include <memory>
#include <string>

#include "client/core/FileTransfer.h"
#include "client/net/StreamSocket.h"

namespace novalune::client {

// The sender's listening socket: it searches upward from the first port until
// one is free and keeps that port while it listens.
class FileServerSocket : public QObject {
  Q_OBJECT
 public:
  explicit FileServerSocket(std::uint16_t firstPort = client::kFilePort, QObject* parent = nullptr);
  // The listening port, or 0 when no port up to 65535 could be had.
  std::uint16_t Listen();
  void Stop();
  bool Listening() const { return server_.isListening(); }
  std::uint16_t Port() const { return port_; }

 signals:
  // Ownership of the socket passes to the receiver of the signal.
  void Accepted(QTcpSocket* socket);

 private:
  void TakePending();

  QTcpServer server_;
  std::uint16_t port_;
};

// How a transfer ended.
struct TransferEnd {
  bool complete = false;
  std::uint64_t bytes = 0;  // acknowledged (sending) or written (receiving)
  QString reason;           // empty when complete or cancelled by this side
};

// Sends one file on a connected socket (accepted by the listener or opened to
// the server's relay port). The channel takes the socket's connection over.
class FileSendChannel : public QObject {
  Q_OBJECT
 public:
  FileSendChannel(QTcpSocket* socket, const QString& path, std::uint64_t sendAhead,
                  QObject* parent = nullptr);
  ~FileSendChannel() override;
  // Opens the file and starts sending once the event loop comes round; false
  // (with `error`) when the file cannot be read.
  bool Start(QString& error);
  void Cancel();
  std::uint64_t Size() const { return engine_ ? engine_->Size() : 0; }

 signals:
  void Progress(std::uint64_t acked);
  void Finished(const novalune::client::TransferEnd& end);

 private:
  void TakeConnection();
  void Pump();
  void AcksArrived();
  void Finish(bool complete, const QString& reason);

  QPointer<QTcpSocket> socket_;
  std::unique_ptr<StreamSocket> stream_;
  QFile file_;
  std::uint64_t sendAhead_;
  std::unique_ptr<client::SendEngine> engine_;
  bool finished_ = false;
};

// Connects to the sender and writes what arrives into the work file.
class FileReceiveChannel : public QObject {
  Q_OBJECT
 public:
  FileReceiveChannel(const QString& workPath, std::uint64_t size, QObject* parent = nullptr);
  ~FileReceiveChannel() override;
  // Creates (or empties) the work file and connects; false (with `error`)
  // when the file cannot be created.
  bool Start(const QString& host, std::uint16_t port, QString& error);
  // Ends the transfer and removes the work file.
  void Cancel();
  std::uint64_t ReceivedBytes() const { return engine_.ReceivedBytes(); }

 signals:
  void Connected();
  void Progress(std::uint64_t received);
  // On success the work file is complete and closed; otherwise it is gone.
  void Finished(const novalune::client::TransferEnd& end);

 private:
  void TakeConnection();
  void DataArrived();
  long ReceivePiece();
  void QueueAck();
  void SendAcks();
  void Finish(bool complete, const QString& reason);

  QTcpSocket connector_;  // until connected; then the stream carries the transfer
  std::unique_ptr<StreamSocket> stream_;
  QFile file_;
  client::ReceiveEngine engine_;
  std::unique_ptr<char[]> buffer_;  // one piece of the stream
  std::string ackOut_;              // acknowledgement bytes the socket has not taken yet
  QString fileError_;               // why the work file took a piece not
  bool staging_ = true;             // received bytes go to the file without a copy
  std::uint64_t ackedTotal_ = 0;
  bool finished_ = false;
};

}  // namespace novalune::client
