// The chat server's protocol engine. It owns no socket, clock or window: the
// adapter feeds it events and carries out what it asks through ServerOutput.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace novalune::server {

// Chosen by the adapter; unique among all open connections of all ports.
using ConnId = std::uint64_t;

enum class RelaySide { Sender, Receiver };  // the ports 7066 and 7067

struct ServerPorts {
  std::uint16_t relaySender = 7066;
  std::uint16_t relayReceiver = 7067;
};

// What the engine asks of its adapter. Calls happen synchronously inside an
// engine call; the adapter must not call back into the engine from them.
class ServerOutput {
 public:
  virtual ~ServerOutput() = default;
  // Queue bytes, exactly as they go on the wire, on any open connection.
  virtual void Send(ConnId conn, std::string_view bytes) = 0;
  // Close a connection. The engine has finished with it: no *Closed event may follow for it.
  virtual void Close(ConnId conn) = 0;
  // Open or close a relay listener; closing it also closes all its connections
  // (without RelayClosed events).
  virtual void SetRelayListening(RelaySide side, bool active) = 0;
  // Start forwarding between the two sides of one relayed transfer, both ways,
  // with back-pressure. Until paired, a relay connection's bytes stay unread.
  virtual void PairRelay(ConnId senderSide, ConnId receiverSide) = 0;
  // The host link asked for the console ("VIEW").
  virtual void ShowConsole() {}
  // A host-link connection closed. `noUsers`: no user is connected;
  // `linksLeft`: host-link connections still open.
  virtual void HostLinkClosed(bool noUsers, std::size_t linksLeft) { (void)noUsers, (void)linksLeft; }
  // A row of either table changed (for the console's live view).
  virtual void TablesChanged() {}
};

// One row of the user table; numeric columns are kept as numbers and
// formatted by the *Cell helpers with the displayed widths.
struct UserRow {
  std::uint32_t id = 0;
  std::string nick;
  std::string name;
  std::string room;
  std::string mode;
  std::string ip;
  int count = 0;
  std::string icon;
  std::string buffer;
};

struct RoomRow {
  std::string name;
  int len = 0;
  std::string mode;
  std::string pass;
  std::string topic;
};

std::string IdCell(std::uint32_t id);             // "%*d" width 5
std::string LenCell(int len);                     // width 5
std::string CountCell(int count);                 // width 3
std::string BufferCell(std::string_view buffer);  // the raw partial line, decoded for display

class ServerCore {
 public:
  explicit ServerCore(ServerOutput& out, ServerPorts ports = {});
  ~ServerCore();
  ServerCore(const ServerCore&) = delete;
  ServerCore& operator=(const ServerCore&) = delete;

  // User port (6667).
  void UserAccepted(ConnId conn, std::string_view peerIp, std::string_view localIp);
  void UserReceived(ConnId conn, std::string_view bytes);
  void UserClosed(ConnId conn);  // closed by the peer or broken
  void Tick();                   // the one-second idle timer

  // Host link (32570).
  void HostAccepted(ConnId conn);
  void HostReceived(ConnId conn, std::string_view bytes);
  void HostClosed(ConnId conn);

  // Relay ports (7066 sender side, 7067 receiver side).
  void RelayAccepted(RelaySide side, ConnId conn, std::string_view peerIp);
  void RelayClosed(RelaySide side, ConnId conn);

  // Console state.
  bool ServerLock() const;
  void SetServerLock(bool locked);
  bool PassCheck() const;
  void SetPassCheck(bool hostOnly);
  const std::vector<std::string>& RefList() const;  // sorted
  void SetRefList(std::vector<std::string> addresses);

  // Operator actions on the row of the user or room table (0-based data row).
  void OperatorMakeHost(std::size_t userRow);
  void OperatorWithdrawHost(std::size_t userRow);
  void OperatorRefuse(std::size_t userRow);
  void OperatorDisconnect(std::size_t userRow);
  void OperatorMessageUser(std::size_t userRow, std::string_view text);
  void OperatorMessageRoom(std::size_t roomRow, std::string_view text);
  void OperatorSetRoomPass(std::size_t roomRow, std::string_view pass);
  void OperatorSetRoomTopic(std::size_t roomRow, std::string_view topic);
  void OperatorDeleteRefused(const std::vector<std::size_t>& refRows);
  // Where the user or room that the operator chose now is. None when it has gone: a user
  // counts as gone when its ID went to someone else (the nick must match exactly); room
  // names compare upper-cased.
  std::optional<std::size_t> UserRowOf(std::uint32_t id, std::string_view nick) const;
  std::optional<std::size_t> RoomRowOf(std::string_view name) const;
  // Disconnects every user through the normal processing (server shutdown).
  void DisconnectAll();

  // The tables in display order. Rooms() holds no blank placeholder row.
  const std::vector<UserRow>& Users() const;
  const std::vector<RoomRow>& Rooms() const;

  // Verifies the lookup indexes against the tables; empty when they agree,
  // else a description of the first disagreement (tests and fuzzing).
  std::string CheckConsistency() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace novalune::server
