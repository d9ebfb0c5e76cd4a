// The engine's state and the functions its handler families share.
// Internal to src/server/core.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <queue>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/CmdParam.h"
#include "server/core/ServerCore.h"

namespace novalune::server {

using UserId = std::uint32_t;

inline constexpr int kIdleLimit = 300;                                  // ticks without a room
inline constexpr std::size_t kMaxPartialLine = std::size_t{64} * 1024;  // Buffer without LF
inline constexpr std::size_t kMaxRelayTransfers = 64;                   // offers remembered at once

// Hidden per-user state, kept parallel to the displayed rows.
struct UserLink {
  ConnId conn = 0;
  std::uint64_t seq = 0;  // acceptance order, equals row order
  std::string roomKey;    // the Room column folded for comparison
  std::string localIp;    // the server's address on this connection
  bool local = false;     // peer address equals the server's own address
  // Sent CAP before registering: a standard IRC client. It speaks UTF-8 and
  // gets the plain IRC form of the few replies where ours differ.
  bool standard = false;
};

// One user of a room, in row order; the connection is cached for fan-out.
struct Member {
  std::uint64_t seq;
  UserId id;
  bool standard;  // copied from the link: fan-out picks the encoding without a lookup
  ConnId conn;
};
using MemberList = std::vector<Member>;

struct RelayTransfer {
  std::uint64_t serial = 0;
  UserId senderId = 0;  // 0 once the sender left
  UserId receiverId = 0;
  std::string senderIp;
  std::string receiverIp;
  std::optional<ConnId> senderConn;
  std::optional<ConnId> receiverConn;
  std::uint64_t receiverAcceptSeq = 0;
  bool senderDone = false;  // its sender-side connection closed (or will never come)
  bool receiverDone = false;
};

struct RelayConn {
  RelaySide side;
  std::string ip;
  std::uint64_t acceptSeq = 0;
  std::uint64_t transfer = 0;  // serial of its transfer, 0 for none
};

struct Sender {
  UserId id;
  ConnId conn;
};

// Which connections of a room a line is for.
enum class Audience { All, Novalune, Standard };

struct ServerCore::Impl {
  Impl(ServerOutput& output, ServerPorts relayPorts) : out(output), ports(relayPorts) {}

  ServerOutput& out;
  ServerPorts ports;

  // ---- tables (display order) and their indexes
  std::vector<UserRow> users;
  std::vector<UserLink> links;  // parallel to users
  std::vector<RoomRow> rooms;
  std::vector<std::int32_t> rowOfId;  // ID -> row, -1 for none
  std::priority_queue<UserId, std::vector<UserId>, std::greater<>> freeIds;
  UserId nextId = 1;  // above every ID handed out
  std::uint64_t nextSeq = 1;
  std::unordered_map<ConnId, UserId> userOfConn;
  std::unordered_map<std::string, UserId> userOfNick;         // folded non-empty nicks
  std::unordered_map<std::string, MemberList> membersOfRoom;  // folded Room, "" = no room
  std::unordered_map<std::string, std::size_t> rowOfRoom;     // folded Name -> room row
  // Rooms whose Len may differ from their member count (a PART that named
  // another room); a disconnect recounts them.
  std::unordered_set<std::string> staleRooms;

  // ---- console state
  bool serverLock = false;
  bool passCheck = false;
  std::vector<std::string> refList;
  std::vector<ConnId> hostLinks;

  // ---- relay
  UserId relaySenderId = 0;  // RelaySenderID: sender of the latest RELAYSEND
  bool relayListening[2] = {false, false};
  std::vector<RelayTransfer> transfers;  // in offer order
  std::unordered_map<ConnId, RelayConn> relayConns;
  std::uint64_t nextTransferSerial = 1;
  std::uint64_t nextRelaySeq = 1;

  // ---- per-call scratch, reused so steady traffic allocates nothing.
  // Handlers cut their arguments into their own CmdView on the stack; only
  // the output lines share a buffer. That is safe because every user of
  // `line` builds and sends it before calling anything that builds another,
  // and the adapter never calls back into the engine from a send.
  std::string line;       // the Shift-JIS line being built
  std::string_view wire;  // its encoding, in wireRoom
  std::string wireRoom;   // kept from line to line, so encoding copies nothing
  std::string utf8;       // its form for standard connections
  std::string inbuf;      // a partial line completed by the current read (raw bytes)
  std::string decoded;    // one received line decoded to Shift-JIS
  std::string names;
  bool tablesDirty = false;
  // The connection whose lines are being dispatched, and whether a handler closed it.
  std::optional<ConnId> dispatching;
  bool dispatchingClosed = false;

  // ---- tables (ServerTables.cpp)
  static std::string Fold(std::string_view text);
  UserId NewUserID();
  UserId AddUser(ConnId conn, std::string_view peerIp, std::string_view localIp);
  void RemoveUser(UserId id);
  std::size_t RowOf(UserId id) const { return static_cast<std::size_t>(rowOfId[id]); }
  UserRow& Row(UserId id) { return users[RowOf(id)]; }
  UserLink& Link(UserId id) { return links[RowOf(id)]; }
  bool Exists(UserId id) const { return id < rowOfId.size() && rowOfId[id] >= 0; }
  void SetUserRoom(UserId id, std::string_view room);
  void SetUserNick(UserId id, std::string_view nick);
  void SetUserStandard(UserId id);
  const MemberList* MembersOfKey(const std::string& key) const;
  const MemberList* MembersOf(std::string_view room) const;
  int CountRoomUsers(std::string_view room) const;
  std::optional<UserId> FindNick(std::string_view nick, UserId except) const;
  RoomRow* FindRoom(std::string_view room);
  void UpdateRoom(std::string_view room);
  void RecountRoom(std::string_view room);
  void RecountAfterDisconnect(const std::string& leaverRoomKey);
  std::string GetRoomPass(std::string_view room);
  void SetRoomPass(std::string_view room, std::string_view pass);
  std::string GetRoomTopic(std::string_view room);
  void SetRoomTopic(std::string_view room, std::string_view topic);
  static bool IsHost(const UserRow& row) { return row.mode.find('o') != std::string::npos; }
  std::string CheckConsistency() const;

  // ---- sending (ServerCore.cpp)
  void Encode();      // `line` into `wire`
  void EncodeUtf8();  // `line` into `utf8`
  // Sends `line`, already in `wire`, to one member of a fan-out; `utf8Ready`
  // keeps the conversion for standard clients to one per line. Inline: it
  // runs once per receiver of every line.
  void SendToMember(const Member& m, bool& utf8Ready) {
    if (!m.standard) {
      out.Send(m.conn, wire);
      return;
    }
    if (!utf8Ready) EncodeUtf8();
    utf8Ready = true;
    out.Send(m.conn, utf8);
  }
  void SendLineTo(UserId id);  // encodes `line` for that user's connection and sends it
  // Sends `line` to every user of the room but `except`, encoded once per kind.
  void SendLineToRoomKey(const std::string& key, UserId except = 0, Audience who = Audience::All);
  void SendLineToRoom(std::string_view room, UserId except = 0, Audience who = Audience::All);
  void SendHostLine();  // `line` to every host-link connection, not encoded

  // ---- connections (ServerCore.cpp)
  void Accept(ConnId conn, std::string_view peerIp, std::string_view localIp);
  void Receive(ConnId conn, std::string_view bytes);
  void KeepPartialLine(UserId id, std::string_view rest);
  // `quitTo`: who of the room hears the QUIT (a kick has told standard clients already).
  void DropUser(UserId id, bool closeConnection, Audience quitTo = Audience::All);
  void Dispatch(const Sender& sender, std::string_view line);
  void DispatchReceived(const Sender& sender, std::string_view rawLine);
  void IdleTick();
  void FlushTableChanges();

  // ---- handlers, one file per family
  using Handler = void (Impl::*)(const Sender&, std::string_view);
  static Handler FindHandler(std::string_view word);
  void ServerCommand_IRCX(const Sender& s, std::string_view args);
  void ServerCommand_NICK(const Sender& s, std::string_view args);
  void ServerCommand_USER(const Sender& s, std::string_view args);
  void ServerCommand_ICON(const Sender& s, std::string_view args);
  void ServerCommand_PING(const Sender& s, std::string_view args);
  void ServerCommand_QUIT(const Sender& s, std::string_view args);
  void ServerCommand_JOIN(const Sender& s, std::string_view args);
  void ServerCommand_PART(const Sender& s, std::string_view args);
  void ServerCommand_TOPIC(const Sender& s, std::string_view args);
  void ServerCommand_MODE(const Sender& s, std::string_view args);
  void ServerCommand_KICK(const Sender& s, std::string_view args);
  void ServerCommand_JOINIP(const Sender& s, std::string_view args);
  void ServerCommand_WHO(const Sender& s, std::string_view args);
  void ServerCommand_LIST(const Sender& s, std::string_view args);
  void ServerCommand_LISTX(const Sender& s, std::string_view args);
  void ServerCommand_LUSERS(const Sender& s, std::string_view args);
  void ServerCommand_LISTICON(const Sender& s, std::string_view args);
  void ServerCommand_CHGICON(const Sender& s, std::string_view args);
  void ServerCommand_PRIVMSG(const Sender& s, std::string_view args);
  void ServerCommand_DATA(const Sender& s, std::string_view args);
  void ServerCommand_RELAYSEND(const Sender& s, std::string_view args);
  void ServerCommand_CAP(const Sender& s, std::string_view args);
  void ServerCommand_NAMES(const Sender& s, std::string_view args);

  // Host mode lines: each of our users gets its own nick as the source, standard
  // clients the setter's (an empty setter is the operator: the server name).
  void SendModeToRoom(std::string_view room, std::string_view flags, std::string_view target,
                      std::string_view setter);
  // The names list of 353 into `names`.
  void BuildNames(const MemberList& members);
  void AnswerTopicQuery(const Sender& s, std::string_view room);

  // ---- relay (ServerRelay.cpp)
  void RecordTransfer(UserId senderId, UserId receiverId);
  void RelayAccept(RelaySide side, ConnId conn, std::string_view peerIp);
  void RelayClose(RelaySide side, ConnId conn);
  void ForgetUserInTransfers(UserId id);
  RelayTransfer* FindTransfer(std::uint64_t serial);
  bool SideInUse(RelaySide side) const;
  void SetListening(RelaySide side, bool active);

  // ---- host link and operator (ServerConsole.cpp)
  void HostReceive(ConnId conn, std::string_view bytes);
  void HostClose(ConnId conn);
  bool IsRefused(std::string_view ip) const;
  void AddRefused(const std::string& ip);
};

}  // namespace novalune::server
