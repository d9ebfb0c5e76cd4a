#include "client/net/FileTransferNet.h"

#include <QHostAddress>
#include <algorithm>

namespace novalune::client {

namespace {

// Bounds on what sits in our own buffers, so memory stays flat whatever the
// file size or the peer's pace.
constexpr qint64 kChunk = qint64{256} * 1024;
constexpr qint64 kSendQueue = qint64{1024} * 1024;
constexpr qint64 kReadBuffer = qint64{1024} * 1024;
// The receiver acknowledges after each piece of this size.
constexpr qint64 kAckPiece = qint64{64} * 1024;
// An ack is skipped while this much is still unsent: the peer is not reading,
// and a later ack carries the newer total anyway.
constexpr qint64 kAckBacklog = 4096;

QString FileError(const QFile& file) { return file.errorString(); }

}  // namespace

FileServerSocket::FileServerSocket(std::uint16_t firstPort, QObject* parent)
    : QObject(parent), port_(firstPort) {
  connect(&server_, &QTcpServer::newConnection, this, &FileServerSocket::TakePending);
}

std::uint16_t FileServerSocket::Listen() {
  if (server_.isListening()) return port_;
  // The port found stays for later transfers of this run.
  for (std::uint32_t port = port_; port <= 65535; ++port) {
    if (server_.listen(QHostAddress::AnyIPv4, static_cast<quint16>(port))) {
      port_ = server_.serverPort();  // port 0 (tests) takes an ephemeral one
      return port_;
    }
  }
  return 0;
}

void FileServerSocket::Stop() { server_.close(); }

void FileServerSocket::TakePending() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(nullptr);
    emit Accepted(socket);
  }
}

FileSendChannel::FileSendChannel(QTcpSocket* socket, const QString& path, std::uint64_t sendAhead,
                                 QObject* parent)
    : QObject(parent), socket_(socket), file_(path), sendAhead_(sendAhead) {
  socket->setParent(this);
}

FileSendChannel::~FileSendChannel() {
  if (socket_) socket_->abort();
}

bool FileSendChannel::Start(QString& error) {
  if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    error = FileError(file_);
    return false;
  }
  engine_ = std::make_unique<SendEngine>(static_cast<std::uint64_t>(file_.size()), sendAhead_);
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  connect(socket_, &QTcpSocket::bytesWritten, this, &FileSendChannel::Pump);
  connect(socket_, &QTcpSocket::readyRead, this, &FileSendChannel::AcksArrived);
  connect(socket_, &QTcpSocket::disconnected, this, &FileSendChannel::Closed);
  connect(socket_, &QTcpSocket::errorOccurred, this, &FileSendChannel::Closed);
  if (engine_->Done()) {
    Finish(true, {});
    return true;
  }
  Pump();
  return true;
}

void FileSendChannel::Cancel() { Finish(false, {}); }

void FileSendChannel::Pump() {
  if (finished_) return;
  QByteArray& chunk = chunk_;
  while (socket_->bytesToWrite() < kSendQueue) {
    const qint64 want = static_cast<qint64>(std::min<std::uint64_t>(engine_->Allowance(), kChunk));
    if (want == 0) return;
    chunk.resize(want);
    const qint64 got = file_.read(chunk.data(), want);
    if (got <= 0) {
      // The file shrank or broke since it was offered.
      Finish(false, got < 0 ? FileError(file_) : tr("file ended early"));
      return;
    }
    socket_->write(chunk.constData(), got);
    engine_->Sent(static_cast<std::uint64_t>(got));
    // Out now rather than on the next turn of the event loop: on a fast link
    // that turn is most of the time between two windows.
    socket_->flush();
  }
}

void FileSendChannel::AcksArrived() {
  if (finished_) return;
  const QByteArray acks = socket_->readAll();
  if (!engine_->Received({acks.constData(), static_cast<std::size_t>(acks.size())})) return;
  emit Progress(engine_->AckedBytes());
  if (engine_->Done()) {
    Finish(true, {});
    return;
  }
  Pump();
}

void FileSendChannel::Closed() {
  if (finished_) return;
  AcksArrived();
  if (!finished_) Finish(false, socket_->errorString());
}

void FileSendChannel::Finish(bool complete, const QString& reason) {
  if (finished_) return;
  finished_ = true;
  file_.close();
  if (complete) {
    socket_->disconnectFromHost();
  } else {
    socket_->abort();
  }
  emit Finished({complete, engine_ ? engine_->AckedBytes() : 0, reason});
}

FileReceiveChannel::FileReceiveChannel(const QString& workPath, std::uint64_t size, QObject* parent)
    : QObject(parent), file_(workPath), engine_(size) {
  socket_.setReadBufferSize(kReadBuffer);
  connect(&socket_, &QTcpSocket::connected, this, [this] {
    // Acks are 4-byte writes: held back by Nagle they stall the sender's window.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    emit Connected();
    if (engine_.Done()) Finish(true, {});
  });
  connect(&socket_, &QTcpSocket::readyRead, this, &FileReceiveChannel::DataArrived);
  connect(&socket_, &QTcpSocket::bytesWritten, this, &FileReceiveChannel::SendAck);
  connect(&socket_, &QTcpSocket::disconnected, this, &FileReceiveChannel::Closed);
  connect(&socket_, &QTcpSocket::errorOccurred, this, &FileReceiveChannel::Closed);
}

FileReceiveChannel::~FileReceiveChannel() {
  if (!finished_) Cancel();
}

bool FileReceiveChannel::Start(const QString& host, std::uint16_t port, QString& error) {
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    error = FileError(file_);
    return false;
  }
  socket_.connectToHost(host, port);
  return true;
}

void FileReceiveChannel::Cancel() { Finish(false, {}); }

void FileReceiveChannel::DataArrived() {
  if (finished_) return;
  QByteArray& buffer = buffer_;
  const std::uint64_t before = engine_.ReceivedBytes();
  while (socket_.bytesAvailable() > 0 && !engine_.Done()) {
    buffer.resize(std::min(socket_.bytesAvailable(), kAckPiece));
    const qint64 got = socket_.read(buffer.data(), buffer.size());
    if (got <= 0) break;
    const auto keep = static_cast<qint64>(engine_.Accept(static_cast<std::uint64_t>(got)));
    if (file_.write(buffer.constData(), keep) != keep) {
      Finish(false, FileError(file_));
      return;
    }
    // Acked at once, not when the event loop comes round: the sender
    // refills its window while the rest of this read is written.
    SendAck();
    socket_.flush();
  }
  // Bytes past the accepted size are not part of the file.
  if (engine_.Done()) socket_.readAll();
  if (engine_.ReceivedBytes() == before) return;
  emit Progress(engine_.ReceivedBytes());
  if (engine_.Done()) Finish(true, {});
}

void FileReceiveChannel::SendAck() {
  if (ackedTotal_ == engine_.ReceivedBytes() || socket_.bytesToWrite() >= kAckBacklog) return;
  if (socket_.state() != QAbstractSocket::ConnectedState) return;
  ackedTotal_ = engine_.ReceivedBytes();
  const auto ack = engine_.Ack();
  socket_.write(ack.data(), static_cast<qint64>(ack.size()));
}

void FileReceiveChannel::Closed() {
  if (finished_) return;
  DataArrived();
  if (!finished_) Finish(false, socket_.errorString());
}

void FileReceiveChannel::Finish(bool complete, const QString& reason) {
  if (finished_) return;
  if (complete && !file_.flush()) return Finish(false, FileError(file_));
  finished_ = true;
  file_.close();
  if (complete) {
    // The last total goes out even when earlier acks were held back.
    if (ackedTotal_ != engine_.ReceivedBytes()) {
      ackedTotal_ = engine_.ReceivedBytes();
      const auto ack = engine_.Ack();
      socket_.write(ack.data(), static_cast<qint64>(ack.size()));
    }
    // Handed to the system now: the owner may delete this channel at once,
    // and a socket deleted with unsent bytes drops them.
    socket_.flush();
    socket_.disconnectFromHost();
  } else {
    socket_.abort();
    file_.remove();
  }
  emit Finished({complete, engine_.ReceivedBytes(), reason});
}

}  // namespace novalune::client
