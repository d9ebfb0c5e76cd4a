#include "server/net/PosixSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "common/SigpipeHold.h"

namespace novalune::server::net {

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.Release();
  }
  return *this;
}

int Fd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void Fd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Fd BindTcp(const std::string& address, std::uint16_t port, int* error) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
    if (error) *error = EINVAL;
    return Fd();
  }
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) {
    if (error) *error = errno;
    return Fd();
  }
  const int one = 1;
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    if (error) *error = errno;
    return Fd();
  }
  return fd;
}

bool Listen(int fd) { return ::listen(fd, SOMAXCONN) == 0; }

namespace {

std::string Dotted(const sockaddr_storage& storage) {
  char text[INET_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto& in4 = reinterpret_cast<const sockaddr_in&>(storage);
    ::inet_ntop(AF_INET, &in4.sin_addr, text, sizeof text);
    return text;
  }
  if (storage.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(storage);
    if (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr)) {
      ::inet_ntop(AF_INET, &in6.sin6_addr.s6_addr[12], text, sizeof text);
      return text;
    }
    char text6[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, &in6.sin6_addr, text6, sizeof text6);
    return text6;
  }
  return {};
}

}  // namespace

std::uint16_t LocalPort(int fd) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return 0;
  if (storage.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(storage).sin_port);
  if (storage.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(storage).sin6_port);
  return 0;
}

std::string LocalAddress(int fd) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return {};
  return Dotted(storage);
}

std::string PeerAddress(int fd) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return {};
  return Dotted(storage);
}

int AcceptConnection(int listenFd) {
  return ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

long SendSome(int fd, const char* data, std::size_t size) {
  for (;;) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent >= 0) return static_cast<long>(sent);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
  }
}

long ReadSome(int fd, char* data, std::size_t size) {
  for (;;) {
    const ssize_t got = ::recv(fd, data, size, 0);
    if (got >= 0) return static_cast<long>(got);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kReadAgain;
    return kReadBroken;
  }
}

void SetNoDelay(int fd) {
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

Pipe OpenPipe(std::size_t capacity) {
  int ends[2];
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return {};
  Pipe pipe;
  pipe.readEnd = Fd(ends[0]);
  pipe.writeEnd = Fd(ends[1]);
  // Refused past the per-user pipe allowance: the default size still works, only slower.
  ::fcntl(ends[1], F_SETPIPE_SZ, static_cast<int>(capacity));
  const int granted = ::fcntl(ends[1], F_GETPIPE_SZ);
  pipe.capacity = granted > 0 ? static_cast<std::size_t>(granted) : 0;
  return pipe;
}

namespace {

long SpliceOnce(int from, int to, std::size_t size) {
  for (;;) {
    const ssize_t moved = ::splice(from, nullptr, to, nullptr, size, SPLICE_F_NONBLOCK | SPLICE_F_MOVE);
    if (moved >= 0) return static_cast<long>(moved);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kReadAgain;
    if (errno == EINVAL) return kSpliceUnsupported;
    return kReadBroken;
  }
}

}  // namespace

long SpliceFromSocket(int socketFd, int pipeWriteFd, std::size_t size) {
  return SpliceOnce(socketFd, pipeWriteFd, size);
}

long SpliceToSocket(int pipeReadFd, int socketFd, std::size_t size) {
  return WithSigpipeHeld([&] { return SpliceOnce(pipeReadFd, socketFd, size); });
}

}  // namespace novalune::server::net
