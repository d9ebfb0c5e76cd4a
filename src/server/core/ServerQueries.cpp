// Queries: WHO, NAMES, LIST, LISTX, LUSERS, LISTICON, CHGICON. They change no table.
#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

namespace {

// Standard clients read 352 by position: an empty field would shift the rest.
std::string_view OrStar(std::string_view field) { return field.empty() ? std::string_view("*") : field; }

}  // namespace

void Impl::ServerCommand_WHO(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const std::string_view filter = param[0];
  const std::string asker = Row(s.id).nick;
  const bool standard = Link(s.id).standard;
  line.clear();
  auto listUser = [&](const UserRow& row) {
    if (!GetRoomPass(row.room).empty()) return;  // members of password rooms stay hidden
    // Its own set of fields: `filter` still views the WHO line.
    CmdView words;
    CommandCut(row.name, words);
    std::string_view fullName = words[3];
    if (!fullName.empty() && fullName.front() == ':') fullName.remove_prefix(1);
    if (standard) {
      msg::WhoReply(line, asker, OrStar(row.room), OrStar(words[0]), row.ip, OrStar(words[1]),
                    OrStar(row.nick), IsHost(row) ? "H@" : "H", fullName);
    } else {
      msg::WhoReply(line, asker, row.room, words[0], row.ip, words[1], row.nick, msg::kWhoFlags, fullName);
    }
  };
  if (filter.empty()) {
    for (const UserRow& row : users) listUser(row);
  } else if (const MemberList* members = MembersOf(filter)) {
    for (const Member& m : *members) listUser(Row(m.id));
  }
  if (standard) {
    msg::EndOfWhoMask(line, asker, OrStar(filter));
  } else {
    msg::EndOfWho(line, asker);
  }
  SendLineTo(s.id);
}

// Standard clients only; ours learn the names from the join. A room with a
// password shows its names to its own members alone.
void Impl::ServerCommand_NAMES(const Sender& s, std::string_view args) {
  if (!Link(s.id).standard) return;
  CmdView param;
  CommandCut(args, param);
  const std::string_view room = param[0].substr(0, param[0].find(','));
  const std::string& nick = Row(s.id).nick;
  const MemberList* members = room.empty() ? nullptr : MembersOf(room);
  const bool hidden = !GetRoomPass(room).empty() && Link(s.id).roomKey != Fold(room);
  line.clear();
  if (members && !hidden) {
    BuildNames(*members);
    msg::Names(line, nick, room, names);
  }
  msg::EndOfNames(line, nick, OrStar(room));
  SendLineTo(s.id);
}

void Impl::ServerCommand_LIST(const Sender& s, std::string_view) {
  const std::string& nick = Row(s.id).nick;
  line.clear();
  msg::ListStart(line, nick);
  for (const RoomRow& room : rooms) {
    if (room.pass.empty()) msg::ListRoom(line, nick, room.name, room.len, room.topic);
  }
  msg::ListEnd(line, nick);
  SendLineTo(s.id);
}

void Impl::ServerCommand_LISTX(const Sender& s, std::string_view) {
  const std::string& nick = Row(s.id).nick;
  line.clear();
  msg::ListXStart(line, nick);
  for (const RoomRow& room : rooms) {
    if (room.pass.empty()) msg::ListXRoom(line, nick, room.name, room.len, room.topic);
  }
  msg::ListXEnd(line, nick);
  SendLineTo(s.id);
}

void Impl::ServerCommand_LUSERS(const Sender& s, std::string_view) {
  line.clear();
  msg::Lusers(line, Row(s.id).nick, users.size());
  SendLineTo(s.id);
}

void Impl::ServerCommand_LISTICON(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const MemberList* members = MembersOf(param[0]);
  if (!members) return;
  line.clear();
  for (const Member& m : *members) msg::ListIcon(line, Row(m.id).nick, Row(m.id).icon);
  SendLineTo(s.id);
}

void Impl::ServerCommand_CHGICON(const Sender& s, std::string_view) {
  line.clear();
  msg::ListIcon(line, Row(s.id).nick, Row(s.id).icon);
  SendLineToRoomKey(Link(s.id).roomKey, 0, Audience::Novalune);  // icons are ours alone
}

}  // namespace novalune::server
