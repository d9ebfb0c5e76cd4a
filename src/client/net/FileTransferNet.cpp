#include "client/net/FileTransferNet.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QMetaObject>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>

namespace novalune::client {

namespace {

// Bounds on what one turn of the event loop moves, so memory stays flat and
// the window stays responsive whatever the file size or the peer's pace.
constexpr std::size_t kSendPiece = std::size_t{1024} * 1024;
constexpr std::size_t kTurnLimit = std::size_t{8} * 1024 * 1024;
// The receiver reads up to this much at once and acknowledges each read
// before writing it, so the sender refills its window (by default twice this
// size) while the file is written.
constexpr std::size_t kReadPiece = std::size_t{512} * 1024;

// What ReceivePiece returns when the work file took a piece not.
constexpr long kFileFailed = -10;

QString FileError(const QFile& file) { return file.errorString(); }

QString StreamError(const StreamSocket& stream) {
  const QString error = stream.ErrorString();
  return error.isEmpty() ? QObject::tr("the connection was closed") : error;
}

QString SystemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Sets the whole size aside on the disk before any byte moves: a file that
// cannot fit is refused at once instead of failing part-way, and a file laid
// out in one piece is cheaper to write into. The file's size still grows with
// what arrives.
bool ReserveSpace(QFile& file, std::uint64_t size, QString& error) {
  if (size == 0) return true;
  // Checked first: asking the file system for more than it has would fill the
  // disk for everyone until the request fails.
  const QStorageInfo storage(QFileInfo(file).absolutePath());
  if (storage.isValid() && storage.bytesAvailable() >= 0 &&
      static_cast<std::uint64_t>(storage.bytesAvailable()) < size) {
    error = SystemError(ENOSPC);
    return false;
  }
#if defined(__linux__)
  if (::fallocate(file.handle(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
      (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
    error = SystemError(errno);
    return false;
  }  // a file system that reserves nothing is written as it comes
#endif
  return true;
}

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

FileSendChannel::~FileSendChannel() = default;

bool FileSendChannel::Start(QString& error) {
  if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    error = FileError(file_);
    return false;
  }
  engine_ = std::make_unique<SendEngine>(static_cast<std::uint64_t>(file_.size()), sendAhead_);
  // The socket may be inside its own signal (the one that started this
  // channel), where closing it would pull its engine from under it.
  QMetaObject::invokeMethod(this, &FileSendChannel::TakeConnection, Qt::QueuedConnection);
  return true;
}

void FileSendChannel::TakeConnection() {
  if (finished_) return;
  stream_ = socket_ ? StreamSocket::TakeOver(*socket_) : nullptr;
  if (socket_) socket_->deleteLater();
  if (!stream_) return Finish(false, tr("the connection was closed"));
  connect(stream_.get(), &StreamSocket::Readable, this, &FileSendChannel::AcksArrived);
  connect(stream_.get(), &StreamSocket::Writable, this, &FileSendChannel::Pump);
  if (engine_->Done()) return Finish(true, {});
  Pump();
}

void FileSendChannel::Cancel() { Finish(false, {}); }

void FileSendChannel::Pump() {
  if (finished_ || !stream_) return;
  for (std::size_t moved = 0; moved < kTurnLimit;) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(engine_->Allowance(), kSendPiece));
    if (want == 0) break;
    const long sent = stream_->SendFile(file_.handle(), engine_->SentBytes(), want);
    if (sent == StreamSocket::kAgain) {
      stream_->WatchWritable(true);
      return;
    }
    // The file shrank or broke since it was offered, or the peer is gone.
    if (sent == 0) return Finish(false, tr("file ended early"));
    if (sent < 0) return Finish(false, StreamError(*stream_));
    engine_->Sent(static_cast<std::uint64_t>(sent));
    moved += static_cast<std::size_t>(sent);
  }
  // Either the window is full (an acknowledgement resumes) or this turn moved
  // enough: the next turn continues when the socket can take more.
  stream_->WatchWritable(engine_->Allowance() > 0);
}

void FileSendChannel::AcksArrived() {
  if (finished_) return;
  char acks[4096];
  bool grew = false;
  for (;;) {
    const long got = stream_->Read(acks, sizeof acks);
    if (got == StreamSocket::kAgain) break;
    if (got <= 0) {
      // The receiver closes once it has everything: the last ack decides.
      if (grew) emit Progress(engine_->AckedBytes());
      return Finish(engine_->Done(), engine_->Done() ? QString() : StreamError(*stream_));
    }
    grew |= engine_->Received({acks, static_cast<std::size_t>(got)});
  }
  if (!grew) return;
  emit Progress(engine_->AckedBytes());
  if (engine_->Done()) return Finish(true, {});
  Pump();
}

void FileSendChannel::Finish(bool complete, const QString& reason) {
  if (finished_) return;
  finished_ = true;
  file_.close();
  if (stream_) {
    stream_->Close();
  } else if (socket_) {
    socket_->abort();
  }
  emit Finished({complete, engine_ ? engine_->AckedBytes() : 0, reason});
}

FileReceiveChannel::FileReceiveChannel(const QString& workPath, std::uint64_t size, QObject* parent)
    : QObject(parent), file_(workPath), engine_(size) {
  // Taken over once the connecting socket's own signal has returned.
  connect(&connector_, &QTcpSocket::connected, this, &FileReceiveChannel::TakeConnection,
          Qt::QueuedConnection);
  connect(&connector_, &QTcpSocket::errorOccurred, this, [this] {
    if (!stream_) Finish(false, connector_.errorString());
  });
}

FileReceiveChannel::~FileReceiveChannel() {
  if (!finished_) Cancel();
}

bool FileReceiveChannel::Start(const QString& host, std::uint16_t port, QString& error) {
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    error = FileError(file_);
    return false;
  }
  if (!ReserveSpace(file_, engine_.Size(), error)) {
    file_.close();
    file_.remove();
    return false;
  }
  connector_.connectToHost(host, port);
  return true;
}

void FileReceiveChannel::Cancel() { Finish(false, {}); }

void FileReceiveChannel::TakeConnection() {
  if (finished_ || stream_) return;
  stream_ = StreamSocket::TakeOver(connector_);
  if (!stream_) return Finish(false, tr("the connection was closed"));
  buffer_ = std::make_unique<char[]>(kReadPiece);
  connect(stream_.get(), &StreamSocket::Readable, this, &FileReceiveChannel::DataArrived);
  connect(stream_.get(), &StreamSocket::Writable, this, &FileReceiveChannel::SendAcks);
  emit Connected();
  if (engine_.Done()) return Finish(true, {});
  DataArrived();  // what arrived with the connection
}

void FileReceiveChannel::DataArrived() {
  if (finished_) return;
  const std::uint64_t before = engine_.ReceivedBytes();
  for (std::size_t moved = 0; moved < kTurnLimit && !engine_.Done();) {
    const long got = ReceivePiece();
    if (got == StreamSocket::kAgain) break;
    if (got <= 0) return Finish(false, got == kFileFailed ? fileError_ : StreamError(*stream_));
    moved += static_cast<std::size_t>(got);
  }
  if (engine_.ReceivedBytes() == before) return;
  emit Progress(engine_.ReceivedBytes());
  if (engine_.Done()) Finish(true, {});
}

// Reads one piece and writes it to the file. Each piece is acknowledged
// before it is written, so the sender refills its window meanwhile; the last
// only after it is written, so a sender that hears "complete" knows the whole
// file is on disk.
long FileReceiveChannel::ReceivePiece() {
  const auto left =
      static_cast<std::size_t>(std::min<std::uint64_t>(engine_.Size() - engine_.ReceivedBytes(), kReadPiece));
  long got = StreamSocket::kCannotStage;
  if (staging_ && !stream_->HasEarly()) {
    got = stream_->Stage(left);
    staging_ = got != StreamSocket::kCannotStage;
  }
  const bool staged = got != StreamSocket::kCannotStage;
  if (!staged) got = stream_->Read(buffer_.get(), left);
  if (got <= 0) return got;
  engine_.Accept(static_cast<std::uint64_t>(got));
  if (!engine_.Done()) QueueAck();
  const auto count = static_cast<std::size_t>(got);
  if (staged ? stream_->WriteStaged(file_.handle(), count) : file_.write(buffer_.get(), got) == got)
    return got;
  fileError_ = staged ? SystemError(errno) : FileError(file_);
  return kFileFailed;
}

// Only the newest total matters: an acknowledgement the socket has not begun
// to take is replaced; one it took in part is finished first.
void FileReceiveChannel::QueueAck() {
  if (ackedTotal_ == engine_.ReceivedBytes()) return;
  ackedTotal_ = engine_.ReceivedBytes();
  const auto ack = engine_.Ack();
  ackOut_.resize(ackOut_.size() % ack.size());
  ackOut_.append(ack.data(), ack.size());
  SendAcks();
}

void FileReceiveChannel::SendAcks() {
  if (!stream_) return;
  while (!ackOut_.empty()) {
    const long sent = stream_->Write(ackOut_.data(), ackOut_.size());
    if (sent <= 0) break;  // the stream's read side reports a broken connection
    ackOut_.erase(0, static_cast<std::size_t>(sent));
  }
  stream_->WatchWritable(!ackOut_.empty());
}

void FileReceiveChannel::Finish(bool complete, const QString& reason) {
  if (finished_) return;
  finished_ = true;
  file_.close();
  if (complete && stream_) {
    // The last total goes out before the connection ends; bytes past the
    // accepted size are not part of the file.
    QueueAck();
    stream_->ShutdownWrite();
    // Unread bytes would make the close a reset, which can take the last
    // acknowledgement away from a sender that has not read it yet.
    for (std::size_t drained = 0; drained < kTurnLimit;) {
      const long got = stream_->Read(buffer_.get(), kReadPiece);
      if (got <= 0) break;
      drained += static_cast<std::size_t>(got);
    }
  }
  if (stream_) stream_->Close();
  connector_.abort();
  if (!complete) file_.remove();
  emit Finished({complete, engine_.ReceivedBytes(), reason});
}

}  // namespace novalune::client
