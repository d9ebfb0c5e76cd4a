#include "client/net/StreamSocket.h"

#include <QTcpSocket>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/sendfile.h>
#endif

#include "common/SigpipeHold.h"

namespace novalune::client {

namespace {

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

std::unique_ptr<StreamSocket> StreamSocket::TakeOver(QTcpSocket& socket, QObject* parent) {
  const int fd = ::fcntl(static_cast<int>(socket.socketDescriptor()), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  QByteArray early = socket.readAll();
  // Closing Qt's descriptor leaves the connection to ours.
  socket.abort();
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  // Acknowledgements are 4-byte writes: held back by Nagle they stall the sender's window.
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return std::unique_ptr<StreamSocket>(new StreamSocket(fd, std::move(early), parent));
}

StreamSocket::StreamSocket(int fd, QByteArray early, QObject* parent)
    : QObject(parent),
      fd_(fd),
      early_(std::move(early)),
      readable_(fd, QSocketNotifier::Read),
      writable_(fd, QSocketNotifier::Write) {
  writable_.setEnabled(false);
  connect(&readable_, &QSocketNotifier::activated, this, &StreamSocket::Readable);
  connect(&writable_, &QSocketNotifier::activated, this, &StreamSocket::Writable);
}

StreamSocket::~StreamSocket() { Close(); }

void StreamSocket::Close() {
  for (int& end : stage_) {
    if (end >= 0) ::close(end);
    end = -1;
  }
  if (fd_ < 0) return;
  readable_.setEnabled(false);
  writable_.setEnabled(false);
  ::close(fd_);
  fd_ = -1;
}

long StreamSocket::Failed(int error) {
  if (WouldBlock(error)) return kAgain;
  error_ = error;
  return kBroken;
}

long StreamSocket::Read(char* data, std::size_t size) {
  if (!early_.isEmpty()) {
    const auto taken = static_cast<qsizetype>(std::min<std::size_t>(size, early_.size()));
    std::memcpy(data, early_.constData(), static_cast<std::size_t>(taken));
    early_.remove(0, taken);
    return taken;
  }
  for (;;) {
    const ssize_t got = ::recv(fd_, data, size, 0);
    if (got >= 0) return got;
    if (errno != EINTR) return Failed(errno);
  }
}

long StreamSocket::Write(const char* data, std::size_t size) {
  for (;;) {
    const ssize_t sent = ::send(fd_, data, size, MSG_NOSIGNAL);
    if (sent >= 0) return sent;
    if (errno != EINTR) return Failed(errno);
  }
}

long StreamSocket::SendFile(int fileFd, std::uint64_t offset, std::size_t count) {
#if defined(__linux__)
  for (;;) {
    auto at = static_cast<off_t>(offset);
    const ssize_t sent = WithSigpipeHeld([&] { return ::sendfile(fd_, fileFd, &at, count); });
    if (sent >= 0) return sent;
    if (errno == EINVAL || errno == ENOSYS) break;  // a file sendfile cannot read: copied below
    if (errno != EINTR) return Failed(errno);
  }
#endif
  char block[64 * 1024];
  const ssize_t got = ::pread(fileFd, block, std::min(count, sizeof block), static_cast<off_t>(offset));
  if (got < 0) return Failed(errno);
  if (got == 0) return 0;
  return Write(block, static_cast<std::size_t>(got));
}

long StreamSocket::Stage(std::size_t count) {
#if defined(__linux__)
  if (!early_.isEmpty()) return kCannotStage;
  if (stage_[0] < 0) {
    if (::pipe2(stage_, O_NONBLOCK | O_CLOEXEC) != 0) return kCannotStage;
    ::fcntl(stage_[1], F_SETPIPE_SZ, static_cast<int>(count));  // a bigger pipe where allowed
  }
  for (;;) {
    const ssize_t got = ::splice(fd_, nullptr, stage_[1], nullptr, count, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
    if (got >= 0) return got;
    if (errno == EINVAL) return kCannotStage;
    if (errno != EINTR) return Failed(errno);
  }
#else
  (void)count;
  return kCannotStage;
#endif
}

bool StreamSocket::WriteStaged(int fileFd, std::size_t count) {
#if defined(__linux__)
  while (count > 0) {
    const ssize_t put = ::splice(stage_[0], nullptr, fileFd, nullptr, count, SPLICE_F_MOVE);
    if (put > 0) {
      count -= static_cast<std::size_t>(put);
    } else if (put < 0 && errno == EINVAL) {
      return CopyStaged(fileFd, count);  // a file system that takes no spliced bytes
    } else if (put == 0 || errno != EINTR) {
      if (put == 0) errno = EIO;
      return false;
    }
  }
  return true;
#else
  (void)fileFd;
  return count == 0;
#endif
}

bool StreamSocket::CopyStaged(int fileFd, std::size_t count) {
  char block[64 * 1024];
  while (count > 0) {
    const ssize_t got = ::read(stage_[0], block, std::min(count, sizeof block));
    if (got <= 0) {
      if (got < 0 && errno == EINTR) continue;
      if (got == 0) errno = EIO;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(fileFd, block + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
    count -= static_cast<std::size_t>(got);
  }
  return true;
}

void StreamSocket::ShutdownWrite() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_WR);
}

QString StreamSocket::ErrorString() const {
  return error_ == 0 ? QString() : QString::fromLocal8Bit(std::strerror(error_));
}

}  // namespace novalune::client
