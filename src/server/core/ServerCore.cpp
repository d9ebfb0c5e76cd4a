// Connections of the user port: accept, framing, dispatch, disconnect, the
// idle timer, and the public face of the engine.
#include "server/core/ServerCore.h"

#include <algorithm>

#include "common/SjisText.h"
#include "common/jconvert.h"
#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

// ---------------------------------------------------------------- sending

void Impl::Encode() { wire = SjisToJisInto(line, wireRoom); }

// Bytes that are no Shift-JIS character become '?', so a standard client
// never receives broken UTF-8.
void Impl::EncodeUtf8() { utf8 = SjisToUtf8(line); }

void Impl::SendLineTo(UserId id) {
  const UserLink& link = Link(id);
  if (link.standard) {
    EncodeUtf8();
    out.Send(link.conn, utf8);
  } else {
    Encode();
    out.Send(link.conn, wire);
  }
}

namespace {

bool Reaches(Audience who, bool standard) {
  return who == Audience::All || (who == Audience::Standard) == standard;
}

}  // namespace

void Impl::SendLineToRoomKey(const std::string& key, UserId except, Audience who) {
  const MemberList* members = MembersOfKey(key);
  if (!members) return;
  Encode();
  bool utf8Ready = false;
  for (const Member& m : *members) {
    if (m.id != except && Reaches(who, m.standard)) SendToMember(m, utf8Ready);
  }
}

void Impl::SendLineToRoom(std::string_view room, UserId except, Audience who) {
  SendLineToRoomKey(Fold(room), except, who);
}

void Impl::SendHostLine() {
  for (ConnId conn : hostLinks) out.Send(conn, line);
}

// ---------------------------------------------------------------- connections

void Impl::Accept(ConnId conn, std::string_view peerIp, std::string_view localIp) {
  if (userOfConn.contains(conn)) return;
  if (serverLock || IsRefused(peerIp)) {
    out.Close(conn);
    return;
  }
  AddUser(conn, peerIp, localIp);
  line.clear();
  msg::HostStart(line, peerIp);
  SendHostLine();
}

// Lines are cut at LF on the raw bytes and decoded one by one: LF never occurs
// inside a double-byte run, so a line whose Kanji run is split between two
// reads decodes intact. The partial line (Buffer) is kept undecoded.
void Impl::Receive(ConnId conn, std::string_view bytes) {
  const auto found = userOfConn.find(conn);
  if (found == userOfConn.end()) return;
  const Sender sender{found->second, conn};
  std::string& buffer = Row(sender.id).buffer;
  std::size_t start = 0;
  if (!buffer.empty()) {
    // Grow the partial line in place until its LF arrives, so a line that
    // drips in byte by byte costs linear time.
    tablesDirty = true;
    const std::size_t lf = bytes.find('\n');
    if (lf == std::string_view::npos) {
      buffer.append(bytes);
      if (buffer.size() > kMaxPartialLine) DropUser(sender.id, true);
      return;
    }
    inbuf.assign(buffer);  // the row may move while the line is dispatched
    inbuf.append(bytes.substr(0, lf));
    start = lf + 1;
  }
  dispatching = conn;
  dispatchingClosed = false;
  if (start > 0) DispatchReceived(sender, inbuf);
  for (std::size_t lf; !dispatchingClosed && (lf = bytes.find('\n', start)) != std::string_view::npos;
       start = lf + 1) {
    DispatchReceived(sender, bytes.substr(start, lf - start));
  }
  const bool closed = dispatchingClosed;  // the rest of this read dies with the row
  dispatching.reset();
  dispatchingClosed = false;
  if (!closed) KeepPartialLine(sender.id, bytes.substr(start));
  if (inbuf.capacity() > 2 * kMaxPartialLine) std::string().swap(inbuf);  // let one long line go
  if (decoded.capacity() > 2 * kMaxPartialLine) std::string().swap(decoded);
}

void Impl::DispatchReceived(const Sender& sender, std::string_view rawLine) {
  if (Link(sender.id).standard) {
    decoded = Utf8ToSjis(rawLine);
    Dispatch(sender, decoded);
  } else {
    Dispatch(sender, JisToSjisInto(rawLine, decoded));  // straight into the room the last line had
  }
}

void Impl::KeepPartialLine(UserId id, std::string_view rest) {
  if (rest.size() > kMaxPartialLine) {
    DropUser(id, true);
    return;
  }
  std::string& buffer = Row(id).buffer;
  if (!rest.empty() || !buffer.empty()) tablesDirty = true;
  if (buffer.capacity() > 4 * rest.size() + 64) {
    std::string(rest).swap(buffer);  // do not keep a long line's room per user
  } else {
    buffer.assign(rest);
  }
}

void Impl::DropUser(UserId id, bool closeConnection, Audience quitTo) {
  if (!Exists(id)) return;
  const ConnId conn = Link(id).conn;
  const std::string nick = Row(id).nick;
  const std::string room = Row(id).room;
  const std::string roomKey = Link(id).roomKey;
  const std::string ip = Row(id).ip;
  line.clear();
  msg::Quit(line, nick, room);
  SendLineToRoomKey(roomKey, id, quitTo);
  RemoveUser(id);
  RecountAfterDisconnect(roomKey);
  ForgetUserInTransfers(id);
  line.clear();
  msg::HostEnd(line, ip);
  SendHostLine();
  if (dispatching && *dispatching == conn) dispatchingClosed = true;
  if (closeConnection) out.Close(conn);
}

void Impl::Dispatch(const Sender& sender, std::string_view text) {
  text = text.substr(0, text.find('\r'));
  if (text.size() == 4 && EqualsNoCase(text, "IRCX")) {
    ServerCommand_IRCX(sender, {});
    return;
  }
  // The word and the rest, as CommandCutNo with n = 2 cuts them.
  const std::size_t blank = text.find(' ');
  const std::string_view word = text.substr(0, blank);
  const std::string_view args = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
  if (const Handler handler = FindHandler(word)) (this->*handler)(sender, args);
}

void Impl::IdleTick() {
  if (users.empty()) return;
  const MemberList* idle = MembersOfKey("");
  if (!idle) return;
  for (const Member& m : *idle) {
    UserRow& row = Row(m.id);
    ++row.count;
    tablesDirty = true;
    if (row.count >= kIdleLimit) {
      DropUser(m.id, true);  // ends the tick: later rows wait for the next one
      return;
    }
  }
}

void Impl::FlushTableChanges() {
  if (!tablesDirty) return;
  tablesDirty = false;
  out.TablesChanged();
}

// ---------------------------------------------------------------- public face

std::string BufferCell(std::string_view buffer) { return JisToSjis(buffer); }

ServerCore::ServerCore(ServerOutput& out, ServerPorts ports) : impl_(std::make_unique<Impl>(out, ports)) {}
ServerCore::~ServerCore() = default;

void ServerCore::UserAccepted(ConnId conn, std::string_view peerIp, std::string_view localIp) {
  impl_->Accept(conn, peerIp, localIp);
  impl_->FlushTableChanges();
}

void ServerCore::UserReceived(ConnId conn, std::string_view bytes) {
  impl_->Receive(conn, bytes);
  impl_->FlushTableChanges();
}

void ServerCore::UserClosed(ConnId conn) {
  const auto found = impl_->userOfConn.find(conn);
  if (found != impl_->userOfConn.end()) impl_->DropUser(found->second, false);
  impl_->FlushTableChanges();
}

void ServerCore::Tick() {
  impl_->IdleTick();
  impl_->FlushTableChanges();
}

void ServerCore::DisconnectAll() {
  while (!impl_->users.empty()) impl_->DropUser(impl_->users.front().id, true);
  impl_->FlushTableChanges();
}

const std::vector<UserRow>& ServerCore::Users() const { return impl_->users; }
const std::vector<RoomRow>& ServerCore::Rooms() const { return impl_->rooms; }
std::string ServerCore::CheckConsistency() const { return impl_->CheckConsistency(); }

}  // namespace novalune::server
