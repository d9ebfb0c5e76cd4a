// Dispatch of the lines the server sends, and every handler but PRIVMSG.
#include "client/core/ClientCore.h"
#include "client/core/ClientMessages.h"
#include "client/core/ClientTexts.h"
#include "client/core/ClientUtil.h"
#include "client/core/HistoryList.h"
#include "common/SjisText.h"

namespace novalune::client {

// Who handles each line the server sends. PING comes without a prefix; a
// numeric reply counts only when addressed to this nick, however its number
// is written ("1" or "001"). Room statements first: the scan is linear.
const ClientCore::CommandEntry ClientCore::kCommands[] = {
    {Form::kPrefixed, "PRIVMSG", &ClientCore::Command_PRIVMSG},
    {Form::kBare, "PING", &ClientCore::Command_PING},
    {Form::kPrefixed, "JOIN", &ClientCore::Command_JOIN},
    {Form::kPrefixed, "PART", &ClientCore::Command_PART},
    {Form::kPrefixed, "QUIT", &ClientCore::Command_QUIT},
    {Form::kPrefixed, "NICK", &ClientCore::Command_NICK},
    {Form::kPrefixed, "MODE", &ClientCore::Command_MODE},
    {Form::kPrefixed, "TOPIC", &ClientCore::Command_TOPIC},
    {Form::kPrefixed, "LISTICON", &ClientCore::Command_LISTICON},
    {Form::kPrefixed, "PONG", &ClientCore::Command_PONG},
    {Form::kPrefixed, "JOINIP", &ClientCore::Command_JOINIP},
    {Form::kPrefixed, "RELAYSEND", &ClientCore::Command_RELAYSEND},
    {Form::kReply, "001", &ClientCore::CmdNo_001},
    {Form::kReply, "322", &ClientCore::CmdNo_322},
    {Form::kReply, "352", &ClientCore::CmdNo_352},
    {Form::kReply, "353", &ClientCore::CmdNo_353},
    {Form::kReply, "376", &ClientCore::CmdNo_376},
    {Form::kReply, "422", &ClientCore::CmdNo_376},  // no message of the day ends registration alike
    {Form::kReply, "433", &ClientCore::CmdNo_433},
};

void ClientCore::Command(std::string_view rawLine) {
  const std::string_view line = CutLineEnd(rawLine);
  if (const Handler handler = FindHandler(line)) (this->*handler)(line);
}

ClientCore::Handler ClientCore::FindHandler(std::string_view line) const {
  CmdView head;
  CommandCutNo(line, head, 3);
  const bool prefixed = !head[0].empty() && head[0].front() == ':';
  const int number = prefixed ? ParseInt32Def(head[1]) : 0;
  for (const CommandEntry& entry : kCommands) {
    switch (entry.form) {
      case Form::kBare:
        if (head[0] == entry.word) return entry.handler;
        break;
      case Form::kPrefixed:
        if (prefixed && head[1] == entry.word) return entry.handler;
        break;
      case Form::kReply:
        if (number != 0 && number == ParseInt32Def(entry.word))
          return AddressedToMe(line) ? entry.handler : nullptr;
        break;
    }
  }
  return nullptr;
}

bool ClientCore::AddressedToMe(std::string_view reply) const {
  CmdView fields;
  CommandCut(reply, fields);
  return fields[2] == myNick_;
}

std::string ClientCore::TimeStamp() { return FormatTimeStamp(view_.Now()); }

void ClientCore::SendToJoinRoom(std::string_view text) { CommandSend(line::Privmsg(joinRoom_, text)); }

void ClientCore::Command_PING(std::string_view line) {
  CmdView ping;
  CommandCutNo(line, ping, 3);
  CommandSend(line::Pong(ping[1]));
}

void ClientCore::Command_JOIN(std::string_view line) {
  CmdView join;
  CommandCutNo(line, join, 3);
  if (!HasBang(join[0])) return;
  const std::string nick = NickOfPrefix(join[0]);
  const std::string room = RemoveFirst(join[2], ':');
  members_.AddMember(nick);
  members_.SetMemberMode(nick, "");
  members_.SetMyNick(myNick_);
  view_.DspMessage(kStyleComment, shown::Joined(nick));
  if (!EqualsNoCase(nick, myNick_)) {
    if (members_.GetMemberMode(myNick_).find('a') != std::string::npos && !awayMessage_.empty()) {
      SendToJoinRoom(line::CtcpAway(awayMessage_));
    }
    if (sounds_.inBeep) view_.PlaySoundFile(sounds_.inFile);
    view_.AddHistoryEntry(shown::HistoryIn(TimeStamp(), nick));
    return;
  }
  SetJoinRoom(room);
  view_.SetCaption(shown::CaptionJoined(myNick_, joinRoom_));
}

void ClientCore::Command_JOINIP(std::string_view line) {
  CmdView joinIp;
  CommandCutNo(line, joinIp, 4);
  const std::string_view address = joinIp[3];
  if (address.empty()) return;
  // Leaving the old server clears the joined room.
  const std::string room = joinRoom_;
  serverAddress_ = address;
  ClientActive(false);
  ConectHostAddress(serverAddress_);
  roomName_ = room;
  roomPass_.clear();
  ClientActive(true);
}

void ClientCore::Command_TOPIC(std::string_view line) {
  CmdView topic;
  CommandCutNo(line, topic, 4);
  if (!HasBang(topic[0])) return;
  view_.DspMessage(kStyleComment, RemoveFirst(topic[3], ':'));
}

void ClientCore::Command_NICK(std::string_view line) {
  CmdView nick;
  CommandCutNo(line, nick, 3);
  if (!HasBang(nick[0])) return;
  const std::string oldNick = NickOfPrefix(nick[0]);
  const std::string newNick = RemoveFirst(nick[2], ':');
  view_.DspMessage(kStyleComment, shown::Renamed(oldNick, newNick));
  members_.RenameMember(oldNick, newNick);
}

void ClientCore::Command_MODE(std::string_view line) {
  CmdView mode;
  CommandCutNo(line, mode, 5);
  if (!HasBang(mode[0]) || mode[3].empty() || mode[4].empty()) return;
  members_.SetMemberMode(mode[4], mode[3]);
}

void ClientCore::Command_RELAYSEND(std::string_view line) {
  CmdView relay;
  CommandCutNo(line, relay, 3);
  view_.StartRelaySend(targetHost_, targetNumeric_, ParseInt32Def(relay[2]));
}

void ClientCore::Command_PART(std::string_view line) {
  CmdView part;
  CommandCutNo(line, part, 3);
  if (!HasBang(part[0])) return;
  const std::string nick = NickOfPrefix(part[0]);
  members_.DeleteMember(nick);
  view_.DspMessage(kStyleComment, shown::Parted(nick));
  if (EqualsNoCase(nick, myNick_)) {
    SetJoinRoom("");
    return;
  }
  if (sounds_.outBeep) view_.PlaySoundFile(sounds_.outFile);
  view_.AddHistoryEntry(shown::HistoryOut(TimeStamp(), nick));
}

void ClientCore::Command_QUIT(std::string_view line) {
  CmdView quit;
  CommandCutNo(line, quit, 3);
  if (!HasBang(quit[0])) return;
  const std::string nick = NickOfPrefix(quit[0]);
  members_.DeleteMember(nick);
  view_.DspMessage(kStyleSystem, shown::Quit(nick));
  if (!EqualsNoCase(nick, myNick_)) view_.AddHistoryEntry(shown::HistoryQuit(TimeStamp(), nick));
}

void ClientCore::Command_PONG(std::string_view) {}

void ClientCore::Command_LISTICON(std::string_view line) { Post(&ClientCore::WMListIcon, std::string(line)); }

void ClientCore::WMListIcon(const std::string& line) {
  if (!showIcon_) return;
  CmdView icon;
  CommandCutNo(line, icon, 4);
  view_.FetchMemberIcon(std::string(icon[2]), std::string(icon[3]));
}

void ClientCore::MemberIconFetched(const std::string& nick, const std::string& picture) {
  if (!picture.empty()) {
    members_.SetMemberIcon(nick, picture);
    return;
  }
  members_.AddMember(nick);
  members_.SetMemberIcon(nick, kPictureDefault);
}

void ClientCore::CmdNo_001(std::string_view line) {
  // The server's name carries its version from the fifteenth byte on.
  const std::string_view prefix = line.substr(0, line.find(' '));
  serverVersion_ = prefix.size() > 14 ? ParseInt32Def(prefix.substr(14, 3)) : 0;
}

void ClientCore::CmdNo_322(std::string_view line) {
  CmdView room;
  CommandCutNo(line, room, 6);
  view_.AddRoomRow(std::string(room[3]), ParseInt32Def(room[4]), RemoveFirst(room[5], ':'));
}

void ClientCore::CmdNo_352(std::string_view line) {
  CmdView user;
  CommandCut(line, user);
  view_.AddUserRow(std::string(user[7]), std::string(user[5]), std::string(user[6]), std::string(user[3]));
}

void ClientCore::CmdNo_353(std::string_view line) {
  CmdView reply;
  CommandCutNo(line, reply, 6);
  members_.ClearMembers();
  if (reply[4] != roomName_) return;
  const std::string names = RemoveFirst(reply[5], ':');
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(' ', start);
    if (end == std::string::npos) end = names.size();
    std::string name = names.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    const bool host = name.find('@') != std::string::npos;
    if (host) name = RemoveFirst(name, '@');
    members_.AddMember(name);
    members_.SetMemberMode(name, host ? "+o" : "");
  }
}

void ClientCore::CmdNo_376(std::string_view) {
  RoomIn(roomName_, roomPass_);
  loggedIn_ = true;
}

void ClientCore::CmdNo_433(std::string_view) {
  view_.ShowClientMessage(shown::NickInUse(myNick_), kNotice);
  std::string nick = myNick_;
  if (view_.AskNewNick(nick)) {
    myNick_ = OneLineValue(nick);
    CommandSend(line::Nick(myNick_));
  } else {
    roomName_.clear();
  }
}

}  // namespace novalune::client
