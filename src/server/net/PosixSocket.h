// Thin helpers over non-blocking POSIX TCP sockets, used by the server's
// network adapter. No Qt here: the adapter watches the descriptors itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace novalune::server::net {

// An owned descriptor, closed on destruction.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(); }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release();
  void Reset();

 private:
  int fd_ = -1;
};

// Creates a non-blocking IPv4 TCP socket bound to `address` (dotted form; "0.0.0.0" for all interfaces)
// and `port` (0: the system picks one). SO_REUSEADDR is set so that a port can be bound again right
// after its listener closed. Returns an invalid Fd on failure; `error` then holds errno.
Fd BindTcp(const std::string& address, std::uint16_t port, int* error = nullptr);
// Starts listening on a bound socket. Returns false (and sets errno) on failure.
bool Listen(int fd);
// The local port of a bound socket; 0 when unknown.
std::uint16_t LocalPort(int fd);

// The local and the peer's address of a connected socket in dotted IPv4 form
// (an IPv4-mapped IPv6 address is written as the IPv4 address it holds).
std::string LocalAddress(int fd);
std::string PeerAddress(int fd);

// Accepts one pending connection, non-blocking and close-on-exec. Returns -1 with errno set
// when none is pending or on error.
int AcceptConnection(int listenFd);

// Writes without raising SIGPIPE. Returns the number of bytes taken, 0 when the socket takes
// nothing now, and -1 when the connection is broken.
long SendSome(int fd, const char* data, std::size_t size);

// Reads what is available, at most `size` bytes. Returns the count, 0 at end of stream, -1 when
// nothing is available now (EAGAIN) and -2 when the connection is broken.
long ReadSome(int fd, char* data, std::size_t size);
constexpr long kReadAgain = -1;
constexpr long kReadBroken = -2;

// Disables the Nagle delay: the adapter gathers its own writes.
void SetNoDelay(int fd);

// A non-blocking pipe through which relayed bytes pass from one socket to another
// inside the kernel, never copied into the program.
struct Pipe {
  Fd readEnd;
  Fd writeEnd;
  std::size_t capacity = 0;  // what the system granted
  bool Valid() const { return readEnd.Valid(); }
};
// Asks for `capacity` bytes; the system may grant less. Invalid when out of descriptors.
Pipe OpenPipe(std::size_t capacity);

// splice(2) between a socket and a pipe, at most `size` bytes. Returns the count, 0 at the
// socket's end of stream, kReadAgain when nothing can move now, kReadBroken when the
// connection is broken and kSpliceUnsupported when a descriptor does not support splicing.
// Writing to a socket never raises SIGPIPE.
long SpliceFromSocket(int socketFd, int pipeWriteFd, std::size_t size);
long SpliceToSocket(int pipeReadFd, int socketFd, std::size_t size);
constexpr long kSpliceUnsupported = -3;

}  // namespace novalune::server::net
