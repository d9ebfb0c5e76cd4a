// The server's network adapter: owns the listeners (ServerSocket, HostSocket,
// RelayServerSocket1/2) and the PingTimer, moves bytes between the sockets and
// the engine, and carries out what the engine asks through ServerOutput.
//
// Sockets are raw non-blocking descriptors in one epoll set that the Qt event
// loop watches through a single notifier: per connection only a small record
// and an output queue. Whatever the engine sends during one round of events is
// gathered per connection and written with one send() when the round ends (or
// earlier, once the round has gathered a few MiB). Relayed bytes do not pass
// through the program: they are spliced from socket to socket through a pipe
// per direction, inside the read event.
#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/core/ServerCore.h"
#include "server/net/PosixSocket.h"

class QSocketNotifier;
class QTimer;

namespace novalune::server {

// Port numbers; 0 lets the system pick a free port (tests).
struct NetPorts {
  std::uint16_t user = 6667;
  std::uint16_t host = 32570;
  std::uint16_t relaySender = 7066;
  std::uint16_t relayReceiver = 7067;
};

// Limits of one connection.
struct NetLimits {
  // A user or host-link connection whose unsent output passes this is disconnected.
  std::size_t maxQueue = std::size_t{1024} * 1024;
  // Relay back-pressure: stop reading a source while its destination holds more
  // than `relayHigh` unsent bytes, read again once it is below `relayLow`. Spliced
  // bytes stop at once when the destination's socket is full, and go on once the
  // pipe has emptied.
  std::size_t relayHigh = std::size_t{256} * 1024;
  std::size_t relayLow = std::size_t{64} * 1024;
};

class ServerNet final : public QObject, public ServerOutput {
  Q_OBJECT

 public:
  // Binds the user port (all interfaces) and the host link (127.0.0.1 only) and
  // reserves the relay ports, without accepting anything yet.
  explicit ServerNet(NetPorts ports = {}, NetLimits limits = {}, QObject* parent = nullptr);
  ~ServerNet() override;

  // The relay ports to give the engine (the real numbers when ephemeral).
  ServerPorts EnginePorts() const;
  // Starts accepting and ticking the engine every second. Call on the thread
  // whose event loop is to run the server.
  void Start(ServerCore& core);
  // Ends serving: every user through the engine's disconnect processing, then
  // all other connections and the listeners. Queued bytes are flushed as far
  // as the sockets take them at once.
  void Shutdown();

  // True when the user port is open for connections.
  bool UserListening() const;
  int UserListenError() const { return userListenError_; }
  std::uint16_t UserPort() const;
  std::uint16_t HostPort() const;
  std::uint16_t RelaySenderPort() const;
  std::uint16_t RelayReceiverPort() const;
  std::size_t OpenConnections() const { return openCount_; }

  // ServerOutput
  void Send(ConnId conn, std::string_view bytes) override;
  void Close(ConnId conn) override;
  void SetRelayListening(RelaySide side, bool active) override;
  void PairRelay(ConnId senderSide, ConnId receiverSide) override;
  void ShowConsole() override;
  void HostLinkClosed(bool noUsers, std::size_t linksLeft) override;
  void TablesChanged() override;

 signals:
  // Emitted from the event loop, never from inside an engine call, so that
  // receivers may open dialogs or call the engine.
  void ConsoleRequested();
  void HostLinkEnded(bool noUsers, std::size_t linksLeft);
  void TablesUpdated();

 private:
  enum class Kind : std::uint8_t { User, Host, RelaySender, RelayReceiver };
  enum ListenerIndex : std::size_t { kUser, kHost, kRelaySender, kRelayReceiver, kListenerCount };

  struct Listener {
    net::Fd fd;
    std::string address;
    std::uint16_t port = 0;
    bool listening = false;
  };

  struct Connection {
    int fd = -1;
    std::uint32_t generation = 0;
    std::uint32_t events = 0;  // as registered with epoll
    Kind kind = Kind::User;
    bool inUse = false;
    bool dirty = false;     // waits on dirty_ for a flush
    bool dropping = false;  // waits on drops_ for its *Closed event
    bool paused = false;    // relay: the destination is too full
    bool orphan = false;    // relay: was paired, the other side has gone
    ConnId partner = 0;
    bool copyOnly = false;  // relay: no pipe to be had, bytes pass through the read buffer
    std::string queue;      // unsent bytes from queueStart on
    std::size_t queueStart = 0;
    net::Pipe pipe;         // relay: bytes on their way here, all older than `queue`
    std::size_t piped = 0;  // bytes in `pipe`
    std::size_t Queued() const { return queue.size() - queueStart; }
    std::size_t Held() const { return piped + Queued(); }
  };

  // Engine calls: counted so that output calls know whether they run inside one.
  template <typename Call>
  void CallEngine(Call&& call);

  void OpenListener(ListenerIndex index, const std::string& address, std::uint16_t port);
  bool ActivateListener(ListenerIndex index);
  void DeactivateListener(ListenerIndex index);
  void WatchListener(ListenerIndex index, bool watch);

  void OnEpollReady();
  void HandleEvent(std::uint64_t tag, std::uint32_t events);
  void AcceptFrom(ListenerIndex index);
  int AcceptOrShed(int listenFd);
  void Admit(ListenerIndex index, int fd);

  ConnId Open(int fd, Kind kind);
  Connection* Find(ConnId id);
  void Release(ConnId id);
  void Teardown(Connection& c);

  void ReadFrom(ConnId id);
  void ReadRelay(ConnId id, Connection& c);
  bool UsePipe(Connection& destination);
  void SpliceRelay(ConnId sourceId, Connection& source, ConnId destinationId, Connection& destination);
  void PeerGone(ConnId id);
  void DrainToPartner(Connection& c);
  void Unpair(Connection& c);
  void NotifyClosed(ConnId id, Kind kind);

  void Enqueue(ConnId id, Connection& c, const char* data, std::size_t size);
  void FlushConn(ConnId id);
  bool WriteOut(Connection& c);
  bool WritePipe(Connection& c);
  bool WriteQueue(Connection& c);
  void ResumePartner(Connection& c);
  void UpdateEvents(ConnId id, Connection& c);
  std::uint32_t WantedEvents(const Connection& c) const;

  void Settle();
  void ScheduleSettle();
  void Tick();

  NetLimits limits_;
  Listener listeners_[kListenerCount];
  int userListenError_ = 0;
  net::Fd epoll_;
  net::Fd spareFd_;  // given up to accept-and-close when out of descriptors

  ServerCore* core_ = nullptr;
  QSocketNotifier* notifier_ = nullptr;
  QTimer* pingTimer_ = nullptr;

  std::vector<Connection> slots_;
  std::vector<std::uint32_t> freeSlots_;
  std::vector<ConnId> dirty_;
  std::vector<ConnId> drops_;
  std::unique_ptr<char[]> readBuffer_;
  std::size_t openCount_ = 0;
  std::size_t pendingBytes_ = 0;  // queued since the last flush
  int engineDepth_ = 0;
  bool settleQueued_ = false;
  bool tablesQueued_ = false;
};

}  // namespace novalune::server
