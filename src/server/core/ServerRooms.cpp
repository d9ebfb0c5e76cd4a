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

// Standard clients list several rooms at once ("#a,#b"); a user is in one room, the first.
std::string_view FirstOfList(std::string_view list) { return list.substr(0, list.find(',')); }

}  // namespace

void Impl::ServerCommand_JOIN(const Sender& s, std::string_view args) {
  if (Row(s.id).nick.empty()) return;
  CmdView param;
  CommandCut(args, param);
  const bool standard = Link(s.id).standard;
  const std::string_view room = WithoutLeading(standard ? FirstOfList(param[0]) : param[0], '%');
  const std::string_view password = standard ? FirstOfList(param[1]) : param[1];
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
    SendLineTo(s.id);
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
  BuildNames(members);
  line.clear();
  msg::Names(line, nick, room, names);
  msg::EndOfNames(line, nick, room);
  SendLineTo(s.id);
  Row(s.id).count = 0;
  // Standard clients would take the topic line of a join for a change by the
  // joiner: the joiner gets the topic as a reply, the others nothing.
  const std::string topic = GetRoomTopic(room);
  if (!topic.empty()) {
    line.clear();
    msg::Topic(line, nick, room, topic);
    SendLineToRoomKey(roomKey, 0, Audience::Novalune);
    if (standard) AnswerTopicQuery(s, room);
  }
  // Icons are ours alone: standard clients would show every line of them.
  line.clear();
  msg::ListIcon(line, nick, Row(s.id).icon);
  SendLineToRoomKey(roomKey, s.id, Audience::Novalune);
  if (standard) return;
  line.clear();
  for (const Member& m : members) msg::ListIcon(line, Row(m.id).nick, Row(m.id).icon);
  SendLineTo(s.id);
}

void Impl::BuildNames(const MemberList& members) {
  names.assign(1, ':');
  for (const Member& m : members) {
    const UserRow& row = Row(m.id);
    if (names.size() > 1) names += ' ';
    if (IsHost(row)) names += '@';
    names += row.nick;
  }
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

// A standard client asks with the room alone and clears with an empty ":";
// ours clears with the room alone.
void Impl::ServerCommand_TOPIC(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCutNo(args, param, 2);
  const std::string_view room = param[0];
  if (Link(s.id).standard && param[1].empty()) {
    AnswerTopicQuery(s, room);
    return;
  }
  if (!IsHost(Row(s.id))) return;
  const std::string_view topic = WithoutLeading(param[1], ':');
  SetRoomTopic(room, topic);
  // Ours see the topic at the next join; standard clients see changes as they happen.
  line.clear();
  msg::Topic(line, Row(s.id).nick, room, topic);
  SendLineToRoom(room, 0, Audience::Standard);
}

void Impl::AnswerTopicQuery(const Sender& s, std::string_view room) {
  const std::string topic = GetRoomTopic(room);
  line.clear();
  if (topic.empty()) {
    msg::NoTopic(line, Row(s.id).nick, room);
  } else {
    msg::TopicIs(line, Row(s.id).nick, room, topic);
  }
  SendLineTo(s.id);
}

void Impl::SendModeToRoom(std::string_view room, std::string_view flags, std::string_view target,
                          std::string_view setter) {
  const MemberList* members = MembersOf(room);
  if (!members) return;
  bool anyStandard = false;
  for (const Member& m : *members) {
    anyStandard |= m.standard;
    if (m.standard) continue;
    line.clear();
    msg::Mode(line, Row(m.id).nick, room, flags, target);
    SendLineTo(m.id);
  }
  if (!anyStandard) return;
  line.clear();
  if (setter.empty()) {
    msg::ServerMode(line, room, flags, target);
  } else {
    msg::Mode(line, setter, room, flags, target);
  }
  SendLineToRoom(room, 0, Audience::Standard);
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
    SendLineTo(s.id);
  }
  if (target.empty()) {
    if (FindRoom(room)) {
      line.clear();
      msg::ChannelMode(line, Row(s.id).nick, room);
      SendLineTo(s.id);
    }
    return;
  }
  if (!IsHost(Row(s.id))) return;
  SendModeToRoom(room, flags, target, Row(s.id).nick);
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
  if (!who || Link(*who).roomKey != roomKey) return;
  // Ours learn of a kick from the QUIT; standard clients, the victim included,
  // are told of the kick itself, with the reason (or the kicker), and no QUIT.
  CmdView withReason;
  CommandCutNo(args, withReason, 3);
  std::string_view reason = withReason[1].empty() ? std::string_view() : WithoutLeading(withReason[2], ':');
  const std::string& kicker = Row(s.id).nick;
  if (reason.empty()) reason = kicker;
  line.clear();
  msg::Kick(line, kicker, param[0], Row(*who).nick, reason);
  SendLineToRoomKey(roomKey, 0, Audience::Standard);
  DropUser(*who, true, Audience::Novalune);
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
  if (!line.empty()) SendLineTo(s.id);
}

}  // namespace novalune::server
