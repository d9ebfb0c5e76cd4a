// Queries: WHO, LIST, LISTX, LUSERS, LISTICON, CHGICON. They change no table.
#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

void Impl::ServerCommand_WHO(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const std::string_view filter = param[0];
  const std::string asker = Row(s.id).nick;
  line.clear();
  auto listUser = [&](const UserRow& row) {
    if (!GetRoomPass(row.room).empty()) return;  // members of password rooms stay hidden
    // Its own set of fields: `filter` still views the WHO line.
    CmdView words;
    CommandCut(row.name, words);
    std::string_view fullName = words[3];
    if (!fullName.empty() && fullName.front() == ':') fullName.remove_prefix(1);
    msg::WhoReply(line, asker, row.room, words[0], row.ip, words[1], row.nick, fullName);
  };
  if (filter.empty()) {
    for (const UserRow& row : users) listUser(row);
  } else if (const MemberList* members = MembersOf(filter)) {
    for (const Member& m : *members) listUser(Row(m.id));
  }
  msg::EndOfWho(line, asker);
  SendLine(s.conn);
}

void Impl::ServerCommand_LIST(const Sender& s, std::string_view) {
  const std::string& nick = Row(s.id).nick;
  line.clear();
  msg::ListStart(line, nick);
  for (const RoomRow& room : rooms) {
    if (room.pass.empty()) msg::ListRoom(line, nick, room.name, room.len, room.topic);
  }
  msg::ListEnd(line, nick);
  SendLine(s.conn);
}

void Impl::ServerCommand_LISTX(const Sender& s, std::string_view) {
  const std::string& nick = Row(s.id).nick;
  line.clear();
  msg::ListXStart(line, nick);
  for (const RoomRow& room : rooms) {
    if (room.pass.empty()) msg::ListXRoom(line, nick, room.name, room.len, room.topic);
  }
  msg::ListXEnd(line, nick);
  SendLine(s.conn);
}

void Impl::ServerCommand_LUSERS(const Sender& s, std::string_view) {
  line.clear();
  msg::Lusers(line, Row(s.id).nick, users.size());
  SendLine(s.conn);
}

void Impl::ServerCommand_LISTICON(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const MemberList* members = MembersOf(param[0]);
  if (!members) return;
  line.clear();
  for (const Member& m : *members) msg::ListIcon(line, Row(m.id).nick, Row(m.id).icon);
  SendLine(s.conn);
}

void Impl::ServerCommand_CHGICON(const Sender& s, std::string_view) {
  line.clear();
  msg::ListIcon(line, Row(s.id).nick, Row(s.id).icon);
  SendLineToRoomKey(Link(s.id).roomKey);
}

}  // namespace novalune::server
