// Dispatch of the lines the server sends, and every handler but PRIVMSG.
#include "client/core/ClientCore.h"
#include "client/core/ClientTexts.h"
#include "client/core/ClientUtil.h"
#include "common/sjistext.h"

namespace novalune::client {

namespace {

std::string TwoDigits(int value) {
  std::string out = std::to_string(value);
  return out.size() < 2 ? "0" + out : out;
}

}  // namespace

const ClientCore::CommandEntry ClientCore::kCommands[] = {
    {"JOIN", &ClientCore::Command_JOIN},         {"JOINIP", &ClientCore::Command_JOINIP},
    {"TOPIC", &ClientCore::Command_TOPIC},       {"NICK", &ClientCore::Command_NICK},
    {"MODE", &ClientCore::Command_MODE},         {"PRIVMSG", &ClientCore::Command_PRIVMSG},
    {"RELAYSEND", &ClientCore::Command_RELAYSEND}, {"PART", &ClientCore::Command_PART},
    {"QUIT", &ClientCore::Command_QUIT},         {"PONG", &ClientCore::Command_PONG},
    {"LISTICON", &ClientCore::Command_LISTICON},
};

void ClientCore::Command(std::string_view rawLine) {
  const std::string line(CutLineEnd(rawLine));
  CommandCutNo(line, cmdParam_, 3);
  if (cmdParam_[0] == "PING") {
    Command_PING(line);
    return;
  }
  if (cmdParam_[0].empty() || cmdParam_[0].front() != ':') return;
  const std::string word = cmdParam_[1];
  for (const CommandEntry& entry : kCommands) {
    if (word == entry.word) {
      (this->*entry.handler)(line);
      return;
    }
  }
  const int number = ParseInt32Def(word);
  if (number != 0) Command_CmdNo(number, line);
}

std::string ClientCore::TimeStamp() {
  const LocalTime t = view_.Now();
  std::string year = std::to_string(t.year);
  if (year.size() < 4) year = std::string(4 - year.size(), '0') + year;
  return year + "/" + TwoDigits(t.month) + "/" + TwoDigits(t.day) + " " + TwoDigits(t.hour) + ":" +
         TwoDigits(t.minute);
}

void ClientCore::SendToJoinRoom(std::string_view text) { CommandSend(Fmt(line::kPrivmsg, {joinRoom_, text})); }

void ClientCore::Command_PING(std::string_view line) {
  CommandCutNo(line, cmdParam_, 3);
  CommandSend(Fmt(line::kPong, {cmdParam_[1]}));
}

void ClientCore::Command_JOIN(std::string_view line) {
  CommandCutNo(line, cmdParam_, 3);
  if (!HasBang(cmdParam_[0])) return;
  const std::string nick = NickOfPrefix(cmdParam_[0]);
  const std::string room = RemoveFirst(cmdParam_[2], ':');
  members_.AddMember(nick);
  members_.SetMemberMode(nick, "");
  members_.SetMyNick(myNick_);
  view_.DspMessage(kStyleComment, SysFmt(text::kJoined, {nick}));
  if (!EqualsNoCase(nick, myNick_)) {
    if (members_.GetMemberMode(myNick_).find('a') != std::string::npos && !awayMessage_.empty()) {
      SendToJoinRoom("\x01" "AWAY " + awayMessage_ + "\x01");
    }
    if (sounds_.inBeep) view_.PlaySoundFile(sounds_.inFile);
    view_.AddHistoryEntry(TimeStamp() + SysText(text::kHistoryIn) + nick + "]");
    return;
  }
  SetJoinRoom(room);
  SetCaptionSuffix(text::kCaptionJoined, {myNick_, joinRoom_});
}

void ClientCore::Command_JOINIP(std::string_view line) {
  CommandCutNo(line, cmdParam_, 4);
  const std::string address = cmdParam_[3];
  if (address.empty()) return;
  const std::string room = joinRoom_;
  serverAddress_ = address;
  ClientActive(false);
  ConectHostAddress(serverAddress_);
  roomName_ = room;
  roomPass_.clear();
  ClientActive(true);
}

void ClientCore::Command_TOPIC(std::string_view line) {
  CommandCutNo(line, cmdParam_, 4);
  if (!HasBang(cmdParam_[0])) return;
  view_.DspMessage(kStyleComment, RemoveFirst(cmdParam_[3], ':'));
}

void ClientCore::Command_NICK(std::string_view line) {
  CommandCutNo(line, cmdParam_, 3);
  if (!HasBang(cmdParam_[0])) return;
  const std::string oldNick = NickOfPrefix(cmdParam_[0]);
  const std::string newNick = RemoveFirst(cmdParam_[2], ':');
  view_.DspMessage(kStyleComment, SysFmt(text::kRenamed, {oldNick, newNick}));
  members_.RenameMember(oldNick, newNick);
}

void ClientCore::Command_MODE(std::string_view line) {
  CommandCutNo(line, cmdParam_, 5);
  if (!HasBang(cmdParam_[0]) || cmdParam_[3].empty() || cmdParam_[4].empty()) return;
  const std::string change = cmdParam_[3];
  const std::string nick = cmdParam_[4];
  members_.SetMemberMode(nick, change);
}

void ClientCore::Command_RELAYSEND(std::string_view line) {
  CommandCutNo(line, cmdParam_, 3);
  view_.StartRelaySend(targetHost_, targetNumeric_, ParseInt32Def(cmdParam_[2]));
}

void ClientCore::Command_PART(std::string_view line) {
  CommandCutNo(line, cmdParam_, 3);
  if (!HasBang(cmdParam_[0])) return;
  const std::string nick = NickOfPrefix(cmdParam_[0]);
  members_.DeleteMember(nick);
  view_.DspMessage(kStyleComment, SysFmt(text::kParted, {nick}));
  if (EqualsNoCase(nick, myNick_)) {
    SetJoinRoom("");
    return;
  }
  if (sounds_.outBeep) view_.PlaySoundFile(sounds_.outFile);
  view_.AddHistoryEntry(TimeStamp() + SysText(text::kHistoryOut) + nick + "]");
}

void ClientCore::Command_QUIT(std::string_view line) {
  CmdParam quit;
  CommandCutNo(line, quit, 3);
  if (!HasBang(quit[0])) return;
  const std::string nick = NickOfPrefix(quit[0]);
  members_.DeleteMember(nick);
  view_.DspMessage(kStyleSystem, SysFmt(text::kQuit, {nick}));
  if (!EqualsNoCase(nick, myNick_)) view_.AddHistoryEntry(TimeStamp() + SysText(text::kHistoryQuit) + nick + "]");
}

void ClientCore::Command_PONG(std::string_view) {}

void ClientCore::Command_LISTICON(std::string_view line) { Post(&ClientCore::WMListIcon, std::string(line)); }

void ClientCore::WMListIcon(const std::string& line) {
  if (!showIcon_) return;
  CmdParam param;
  CommandCutNo(line, param, 4);
  view_.FetchMemberIcon(param[2], param[3]);
}

void ClientCore::MemberIconFetched(const std::string& nick, const std::string& picture) {
  if (!picture.empty()) {
    members_.SetMemberIcon(nick, picture);
    return;
  }
  members_.AddMember(nick);
  members_.SetMemberIcon(nick, kPictureDefault);
}

void ClientCore::Command_CmdNo(int number, std::string_view line) {
  CommandCut(line, cmdParam_);
  if (cmdParam_[2] != myNick_) return;
  switch (number) {
    case 1: {
      const std::string& prefix = cmdParam_[0];
      serverVersion_ = prefix.size() > 14 ? ParseInt32Def(std::string_view(prefix).substr(14, 3)) : 0;
      break;
    }
    case 322: {
      CommandCutNo(line, cmdParam_, 6);
      const std::string room = cmdParam_[3];
      const int users = ParseInt32Def(cmdParam_[4]);
      view_.AddRoomRow(room, users, RemoveFirst(cmdParam_[5], ':'));
      break;
    }
    case 352: {
      const CmdParam fields = cmdParam_;
      view_.AddUserRow(fields[7], fields[5], fields[6], fields[3]);
      break;
    }
    case 353:
      CmdNo_353(line);
      break;
    case 376:
    case 422:
      RoomIn(roomName_, roomPass_);
      loggedIn_ = true;
      break;
    case 433:
      CmdNo_433();
      break;
    default:
      break;
  }
}

void ClientCore::CmdNo_353(std::string_view line) {
  CommandCutNo(line, cmdParam_, 6);
  members_.ClearMembers();
  if (cmdParam_[4] != roomName_) return;
  const std::string names = RemoveFirst(cmdParam_[5], ':');
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

void ClientCore::CmdNo_433() {
  view_.ShowClientMessage(SysFmt(text::kNickInUse, {myNick_}), kNotice);
  std::string nick = myNick_;
  if (view_.AskNewNick(nick)) {
    myNick_ = OneLineValue(nick);
    CommandSend(Fmt(line::kNick, {myNick_}));
  } else {
    roomName_.clear();
  }
}

}  // namespace novalune::client
