// The sockets and the posting queue of the client engine. The adapter calls
// back into ClientNetEvents on the same thread, never from inside a ClientNet call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace novalune::client {

struct ClientPorts {
  std::uint16_t server = 6667;
  std::uint16_t hostLink = 32570;
};

class ClientNetEvents {
 public:
  virtual ~ClientNetEvents() = default;
  virtual void ClientSocketConnect() = 0;
  virtual void ClientSocketDisconnect() = 0;  // closed by the peer or broken
  virtual void ClientSocketRead(std::string_view bytes) = 0;
  virtual void ClientSocketError() = 0;  // not for a plain close by the peer
  virtual void HostClientRead(std::string_view bytes) = 0;
  virtual void HostClientClosed() = 0;
  virtual void HostClientError(const std::string& message) = 0;  // message in Shift-JIS
};

class ClientNet {
 public:
  virtual ~ClientNet() = default;
  // Starts an asynchronous connect, dropping any connection or attempt before
  // it; `numeric` means a dotted address, else a host name to look up. False
  // when it failed at once (no address, bad address).
  virtual bool Open(const std::string& host, bool numeric, std::uint16_t port) = 0;
  virtual void Write(std::string_view bytes) = 0;
  // Drops the connection or attempt; no event follows for it.
  virtual void Close() = 0;

  // Host link to 127.0.0.1.
  virtual bool HostOpen(std::uint16_t port) = 0;  // keeps a link already open or opening
  virtual bool HostIsOpen() = 0;                  // connected
  virtual void HostWrite(std::string_view bytes) = 0;
  virtual void HostClose() = 0;

  // Runs the task after the current event (a posted window message).
  virtual void Post(std::function<void()> task) = 0;

  // The program is ending: what is still queued (QUIT above all) goes out
  // first, waiting a moment at most. A layer that queues nothing has nothing to do.
  virtual void Flush() {}
};

}  // namespace novalune::client
