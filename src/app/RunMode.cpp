#include "app/RunMode.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace novalune::app {

RunMode DecideRunMode(std::string_view firstArg, bool serverRunning) {
  if (serverRunning) return RunMode::Client;
  if (firstArg.empty()) return RunMode::ServerWithClient;
  if (firstArg == "/SONLY") return RunMode::ServerOnly;
  return RunMode::Client;  // "/CONLY" and any other argument
}

namespace {

// Abstract names start with a NUL byte and are not NUL-terminated.
socklen_t AbstractAddress(const std::string& name, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  const std::size_t length = std::min(name.size(), sizeof addr.sun_path - 1);
  std::memcpy(addr.sun_path + 1, name.data(), length);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

}  // namespace

ServerMarker::ServerMarker(std::string name) : name_(std::move(name)) {}

ServerMarker::~ServerMarker() { Release(); }

bool ServerMarker::Exists() const {
  if (fd_ >= 0) return true;
  // Connecting a datagram socket only checks that the name is bound; the
  // holder sees nothing, so probing is free of side effects.
  const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  sockaddr_un addr;
  const socklen_t length = AbstractAddress(name_, addr);
  const bool bound = ::connect(probe, reinterpret_cast<sockaddr*>(&addr), length) == 0;
  ::close(probe);
  return bound;
}

bool ServerMarker::Create() {
  if (fd_ >= 0) return true;
  // CLOEXEC: a client copy started by the server must not keep the marker alive.
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr;
  const socklen_t length = AbstractAddress(name_, addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void ServerMarker::Release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace novalune::app
