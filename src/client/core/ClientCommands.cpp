// The user's commands: rooms, talking, away, sounds, host rights, icons.
#include "client/core/ClientCore.h"
#include "client/core/ClientMessages.h"
#include "client/core/ClientUtil.h"
#include "common/SjisText.h"

namespace novalune::client {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trim(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

void ClientCore::RoomIn(std::string_view room, std::string_view password) {
  // Copies first: the arguments may be views of RoomName and RoomPass.
  std::string name = OneLineValue(room);
  const std::string pass = OneLineValue(password);
  if (name.empty()) name = "#ROOM";
  if (name.front() != '#') name = "#" + name;
  if (!joinRoom_.empty() && joinRoom_ != name) CommandSend(line::Part(joinRoom_));
  roomName_ = name;
  roomPass_ = pass;
  if (roomPass_.empty()) {
    CommandSend(line::Join(roomName_));
  } else {
    CommandSend(line::JoinPass(roomName_, roomPass_));
  }
  CommandSend(line::Topic(roomName_, roomTopic_));
}

void ClientCore::RoomOut() {
  if (joinRoom_.empty()) return;
  CommandSend(line::Part(joinRoom_));
  view_.SetCaption(shown::CaptionLeft(myNick_));
}

void ClientCore::MenuJoin(const ConnectRequest& request) {
  if (request.joinMe) {
    if (!view_.LocalServerRunning()) view_.StartServerCopy();
    ConectHostAddress(view_.GetMyAddress());
  } else {
    serverAddress_ = OneLineValue(request.serverAddress);
    ConectHostAddress(serverAddress_);
  }
  TakeConnectionValues(request.roomName, request.roomTopic, request.nick, request.homePage, request.mail);
  roomPass_ = OneLineValue(request.roomPass);
  ClientActive(true);
  if (view_.LocalServerRunning()) OpenHostLink();
}

void ClientCore::MenuCut() {
  members_.ClearMembers();
  ClientActive(false);
}

bool ClientCore::TalkEnter(const std::string& typed) {
  const std::string text = EscapeLineBreaks(typed);
  if (!active_) {
    view_.DspMessage(kStyleSystem, SysText(text::kNotConnected));
    return false;
  }
  if (text.empty()) return false;
  if (roomName_.empty()) {
    view_.DspMessage(kStyleSystem, SysText(text::kNotInRoom));
    return false;
  }
  view_.DspMessage(kStyleComment, myNick_);
  view_.DspMessage(kStyleOwn, " " + text);
  const std::string sent = line::Privmsg(joinRoom_, text);
  CommandSend(sent);
  view_.URLListAdd(myNick_, sent);
  view_.ActiveTimerStart();
  return true;
}

std::string ClientCore::MemoSend(const std::string& text) {
  std::string trimmed = Trim(text);
  if (!active_) {
    view_.DspMessage(kStyleSystem, SysText(text::kNotConnected));
    return trimmed;
  }
  if (trimmed.empty()) return trimmed;
  if (roomName_.empty()) {
    view_.DspMessage(kStyleSystem, SysText(text::kNotInRoom));
    return trimmed;
  }
  const std::string escaped = EscapeLineBreaks(trimmed);
  view_.DspMessage(kStyleComment, myNick_);
  view_.DspMessage(kStyleOwn, " " + escaped);
  SendToJoinRoom(escaped);
  view_.ActiveTimerStart();
  return {};
}

void ClientCore::MenuRoomIn(std::string_view room, std::string_view password) {
  roomName_ = OneLineValue(room);
  RoomIn(roomName_, password);
}

void ClientCore::MenuRoomOut() {
  RoomOut();
  roomName_.clear();
  members_.ClearMembers();
}

void ClientCore::MenuRoomLook() {
  view_.ClearRoomRows();
  view_.ShowRoomList();
  CommandSend(line::kList);
}

void ClientCore::MenuMemberLook() {
  view_.ClearUserRows();
  view_.ShowUserList();
  CommandSend(line::kWho);
}

void ClientCore::MenuRoomTopic(std::string_view topic) {
  roomTopic_ = OneLineValue(topic);
  CommandSend(line::Topic(roomName_, roomTopic_));
}

void ClientCore::MenuReName(std::string_view nick) {
  const std::string oldNick = myNick_;
  myNick_ = OneLineValue(nick);
  if (myNick_ == oldNick) return;
  CommandSend(line::Nick(myNick_));
  view_.SetCaption(shown::CaptionJoined(myNick_, joinRoom_));
}

void ClientCore::AwayBtnClick(bool down) {
  if (down) {
    members_.SetMemberMode(myNick_, "+a");
    view_.DspMessage(kStyleComment, shown::Away(myNick_));
    SendAway();
    if (showIcon_) members_.SetMemberIcon(myNick_, kPictureAway);
    return;
  }
  members_.SetMemberMode(myNick_, "-a");
  view_.DspMessage(kStyleComment, shown::Back(myNick_));
  SendToJoinRoom(line::kCtcpBack);
  if (!backMessage_.empty()) {
    view_.DspMessage(kStyleOthers, backMessage_);
    SendToJoinRoom(backMessage_);
  }
  if (serverVersion_ >= 208) CommandSend(line::ChgIcon(myNick_));
}

void ClientCore::SendAway() {
  if (awayMessage_.empty()) {
    SendToJoinRoom(line::CtcpDefaultAway());
    return;
  }
  view_.DspMessage(kStyleOthers, awayMessage_);
  SendToJoinRoom(line::CtcpAway(awayMessage_));
}

void ClientCore::BeepBtnClick() {
  // An empty SOUND request would make every receiver look for a nameless file.
  if (beepFile_.empty()) {
    view_.BeepFileBtnClick();
    return;
  }
  view_.BeepON(beepFile_);
  view_.DspMessage(kStyleComment, shown::SoundLine(myNick_, beepFile_));
  SendToJoinRoom(line::CtcpSound(beepFile_));
}

void ClientCore::PrivateBtnClick() {
  const std::string nick = members_.GetSelectedNick();
  if (!nick.empty() && nick != myNick_) members_.ShowPrivateBox(nick);
}

void ClientCore::MenuHostClick() {
  if (!PopupHostEnabled()) {
    view_.ShowClientMessage(SysText(text::kNotHost), kNotice);
    return;
  }
  const std::string nick = members_.GetSelectedNick();
  if (nick.empty()) return;
  CommandSend(line::GiveHost(joinRoom_, nick));
}

void ClientCore::MenuKickClick() {
  if (!PopupHostEnabled()) {
    view_.ShowClientMessage(SysText(text::kNotHost), kNotice);
    return;
  }
  const std::string nick = members_.GetSelectedNick();
  if (nick.empty()) return;
  if (view_.ShowClientMessage(shown::KickQuestion(nick), kQuestion) != kAnswerYes) return;
  CommandSend(line::Kick(joinRoom_, nick));
}

void ClientCore::MenuUJoinClick() { CommandSend(line::JoinIp(members_.GetSelectedNick())); }

void ClientCore::WMPrivateMsg(const std::string& partner, const std::string& text) {
  const std::string sent = line::Privmsg(partner, EscapeLineBreaks(text));
  CommandSend(sent);
  view_.URLListAdd(myNick_, sent);
  view_.ActiveTimerStart();
}

void ClientCore::WMPrivateBeep(const std::string& partner) {
  view_.BeepON(beepFile_);
  CommandSend(line::Privmsg(partner, line::CtcpSound(beepFile_)));
  view_.ActiveTimerStart();
}

void ClientCore::SendIconChange() {
  CommandSend(line::Icon(iconName_));
  CommandSend(line::ChgIcon(myNick_));
}

void ClientCore::MenuIconOk(std::string_view iconName) {
  SetIconName(iconName);
  if (serverVersion_ >= 208) SendIconChange();
  view_.SetIconList();
}

void ClientCore::IconApply(std::string_view iconName) {
  if (serverVersion_ < 208) return;
  SetIconName(iconName);
  SendIconChange();
}

void ClientCore::SpeedButtonClick(std::size_t number) {
  if (serverVersion_ < 208) return;
  const std::vector<std::string> icons = view_.ReadIconList();
  if (icons.size() <= number) return;
  SetIconName(icons[number]);
  SendIconChange();
}

void ClientCore::SetShowIcon(bool on) {
  showIcon_ = on;
  if (!on) {
    members_.SetIconMode(false);
    return;
  }
  if (serverVersion_ >= 208 && !members_.GetIconMode()) CommandSend(line::ListIcon(joinRoom_));
  members_.SetIconMode(true);
}

bool ClientCore::PopupHostEnabled() const {
  return members_.GetMemberMode(myNick_).find('o') != std::string::npos;
}

MenuState ClientCore::GetMenuState() const {
  MenuState state;
  state.join = !active_;
  state.cut = active_;
  state.roomIn = active_;
  state.roomOut = active_ && !roomName_.empty();
  state.roomTopic = active_ && !joinRoom_.empty();
  state.talk = active_;
  state.hostKick = PopupHostEnabled();
  return state;
}

}  // namespace novalune::client
