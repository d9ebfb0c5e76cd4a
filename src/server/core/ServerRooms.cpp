// Rooms: JOIN, PART, TOPIC, MODE, KICK, JOINIP.
#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

namespace {

std::string_view WithoutLeading(std::string_view text, char c) {
  if (!text.empty() && text.front() == c) text.remove_prefix(1);
  return text;
}

}  // namespace

void Impl::ServerCommand_JOIN(const Sender& s, std::string_view args) {
  if (Row(s.id).nick.empty()) return;
  CmdView param;
  CommandCut(args, param);
  const std::string_view room = WithoutLeading(param[0], '%');
  const std::string_view password = param[1];
  const std::string roomKey = Fold(room);
  const bool alreadyIn = Link(s.id).roomKey == roomKey;
  const std::string roomPass = GetRoomPass(room);
  if (!roomPass.empty() && !alreadyIn && password != roomPass) return;
  if (alreadyIn) {
    if (password.empty()) return;
    if (passCheck && !Link(s.id).local && !IsHost(Row(s.id))) return;
    SetRoomPass(room, password);
    line.clear();
    msg::PasswordChanged(line, Row(s.id).nick, room, password);
    SendLineToRoomKey(roomKey);
    return;
  }
  const std::string oldRoom = Row(s.id).room;
  if (!oldRoom.empty()) {
    line.clear();
    msg::Part(line, Row(s.id).nick, oldRoom);
    SendLineToRoom(oldRoom);
  }
  SetUserRoom(s.id, room);
  UpdateRoom(room);
  if (!oldRoom.empty()) RecountRoom(oldRoom);
  if (!password.empty() && CountRoomUsers(room) == 1) {
    SetRoomPass(room, password);
    line.clear();
    msg::PasswordOfRoom(line, room, password);
    SendLine(s.conn);
  }
  const std::string nick = Row(s.id).nick;
  line.clear();
  msg::HostJoin(line, room, nick);
  SendHostLine();
  line.clear();
  msg::Join(line, nick, room);
  SendLineToRoomKey(roomKey);
  if (Link(s.id).local) {
    Row(s.id).mode.assign(1, 'o');
    line.clear();
    msg::Mode(line, nick, room, "+o", nick);
    SendLineToRoomKey(roomKey);
  }
  const MemberList& members = *MembersOfKey(roomKey);
  names.assign(1, ':');
  for (const Member& m : members) {
    const UserRow& row = Row(m.id);
    if (names.size() > 1) names += ' ';
    if (IsHost(row)) names += '@';
    names += row.nick;
  }
  line.clear();
  msg::Names(line, nick, room, names);
  msg::EndOfNames(line, nick, room);
  SendLine(s.conn);
  Row(s.id).count = 0;
  const std::string topic = GetRoomTopic(room);
  if (!topic.empty()) {
    line.clear();
    msg::Topic(line, nick, room, topic);
    SendLineToRoomKey(roomKey);
  }
  line.clear();
  msg::ListIcon(line, nick, Row(s.id).icon);
  SendLineToRoomKey(roomKey, s.id);
  line.clear();
  for (const Member& m : members) msg::ListIcon(line, Row(m.id).nick, Row(m.id).icon);
  SendLine(s.conn);
}

void Impl::ServerCommand_PART(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const std::string_view room = param[0];
  line.clear();
  msg::Part(line, Row(s.id).nick, room);
  SendLineToRoom(room);
  const std::string realKey = Link(s.id).roomKey;
  SetUserRoom(s.id, "");
  RecountRoom(room);
  // The room really left is not recounted until the next disconnect.
  if (!realKey.empty() && realKey != Fold(room)) staleRooms.insert(realKey);
}

void Impl::ServerCommand_TOPIC(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCutNo(args, param, 2);
  if (IsHost(Row(s.id))) SetRoomTopic(param[0], WithoutLeading(param[1], ':'));
}

void Impl::SendModeToRoom(std::string_view room, std::string_view flags, std::string_view target) {
  const MemberList* members = MembersOf(room);
  if (!members) return;
  for (const Member& m : *members) {
    line.clear();
    msg::Mode(line, Row(m.id).nick, room, flags, target);
    SendLine(m.conn);
  }
}

void Impl::ServerCommand_MODE(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const std::string_view room = param[0];
  const std::string_view flags = param[1];
  const std::string_view target = param[2];
  if (room == "ISIRCX") {
    line.clear();
    msg::IrcxProbe(line);
    SendLine(s.conn);
  }
  if (target.empty()) {
    if (FindRoom(room)) {
      line.clear();
      msg::ChannelMode(line, Row(s.id).nick, room);
      SendLine(s.conn);
    }
    return;
  }
  if (!IsHost(Row(s.id))) return;
  SendModeToRoom(room, flags, target);
  const auto who = FindNick(target, 0);
  if (!who) return;
  std::string& mode = Row(*who).mode;
  const bool hasO = flags.find('o') != std::string::npos;
  if (hasO && flags.find('+') != std::string::npos) {
    if (mode.find('o') == std::string::npos) mode += 'o';
  } else if (hasO && flags.find('-') != std::string::npos) {
    if (const auto at = mode.find('o'); at != std::string::npos) mode.erase(at, 1);
  }
  tablesDirty = true;
}

void Impl::ServerCommand_KICK(const Sender& s, std::string_view args) {
  if (!IsHost(Row(s.id))) return;
  CmdView param;
  CommandCut(args, param);
  const std::string roomKey = Fold(param[0]);
  const auto who = FindNick(param[1], 0);
  if (who && Link(*who).roomKey == roomKey) DropUser(*who, true);
}

void Impl::ServerCommand_JOINIP(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCutNo(args, param, 2);
  const std::string_view target = param[0];
  line.clear();
  const std::string& asker = Row(s.id).nick;
  if (target.empty()) {
    // Every unnamed user; those are all without a room.
    if (const MemberList* idle = MembersOfKey("")) {
      for (const Member& m : *idle) {
        if (Row(m.id).nick.empty()) msg::JoinIp(line, asker, "", Row(m.id).ip);
      }
    }
  } else if (const auto who = FindNick(target, 0)) {
    msg::JoinIp(line, asker, Row(*who).nick, Row(*who).ip);
  }
  if (!line.empty()) SendLine(s.conn);
}

}  // namespace novalune::server
