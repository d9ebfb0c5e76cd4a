// Connection state, the connect address, registration, framing and close.
#include <algorithm>
#include <exception>

#include "client/core/ClientCore.h"
#include "client/core/ClientMessages.h"
#include "client/core/ClientUtil.h"
#include "common/SjisText.h"
#include "common/jconvert.h"

namespace novalune::client {

namespace {

constexpr std::string_view kScheme = "ZKWC2://";

bool IsNumericHost(std::string_view host) {
  return std::all_of(host.begin(), host.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

}  // namespace

ClientCore::ClientCore(ClientNet& net, ClientView& view, ClientPorts ports)
    : net_(net), view_(view), ports_(ports), members_(&view), alive_(std::make_shared<bool>(true)) {}

ClientCore::~ClientCore() { *alive_ = false; }

void ClientCore::Start(const StartupValues& values) {
  serverAddress_ = OneLineValue(values.serverAddress);
  TakeConnectionValues(values.roomName, values.roomTopic, values.nick, values.homePage, values.mail);
  SetAwayMessages(values.awayMessage, values.backMessage);
  SetIconName(values.iconName);
  loggedIn_ = false;
  view_.SetCaption(shown::CaptionClosed(myNick_));
  if (view_.LocalServerRunning()) OpenHostLink();
  view_.UpDateMenuItems();
}

void ClientCore::FirstShown(std::string_view firstArgument) {
  if (firstArgument.empty() || firstArgument.front() == '/') return;
  Post(&ClientCore::WMConect, std::string(firstArgument));
}

void ClientCore::WMConect(const std::string& rawArgument) {
  const std::string argument = OneLineValue(rawArgument);
  if (argument.empty() || argument.front() == '/') return;
  roomName_.clear();
  roomPass_.clear();
  serverAddress_ = argument;
  ConectHostAddress(argument);
  if (view_.ShowClientMessage(SysText(text::kStartConnect), kQuestion) == kAnswerYes) ClientActive(true);
}

void ClientCore::ConectHostAddress(std::string_view rawAddress) {
  const std::string cleaned = OneLineValue(rawAddress);
  const std::string_view address = cleaned;
  std::string_view host = address;
  if (SjisUpper(address).find(kScheme) != std::string::npos) {
    // The scheme is expected at the front: its length is dropped wherever it stood.
    const std::string_view rest = address.substr(std::min(address.size(), kScheme.size()));
    const std::size_t slash = rest.find('/');
    if (slash != std::string_view::npos) {
      host = rest.substr(0, slash);
      const std::string_view room = rest.substr(slash + 1);
      roomName_ = room.substr(0, room.find('/'));
    } else {
      host = rest;
    }
  }
  targetHost_ = host;
  targetNumeric_ = IsNumericHost(host);
  serverAddress_ = host;
}

bool ClientCore::ClientActive(bool on) {
  if (on == active_) return on;
  if (!on) {
    net_.Close();
    ClientSocketDisconnect();
    return true;
  }
  if (!net_.Open(targetHost_, targetNumeric_, ports_.server)) {
    view_.ShowClientMessage(SysText(text::kCannotConnect), kNotice);
    return false;
  }
  return true;
}

void ClientCore::CommandSend(std::string_view line) {
  if (!active_) return;
  // The last gate to the wire: whatever a value held, exactly one line leaves.
  std::string out = OneLineValue(line);
  out += "\r\n";
  net_.Write(SjisToJisInto(out, sendRoom_));
}

void ClientCore::ClientSocketConnect() {
  active_ = true;
  loggedIn_ = false;
  recvBuffer_.Clear();
  view_.DspMessage(kStyleSystem, SysText(text::kConnected));
  CommandSend(line::User(myNick_, myNick_));
  CommandSend(line::Nick(myNick_));
  if (!iconName_.empty()) CommandSend(line::Icon(iconName_));
  view_.UpDateMenuItems();
  view_.SetCaption(shown::CaptionConnected(myNick_));
  std::weak_ptr<bool> alive = alive_;
  net_.Post([this, alive] {
    if (auto a = alive.lock(); a && *a) view_.NovaluneMessage();
  });
}

void ClientCore::ClientSocketDisconnect() {
  if (!active_) return;  // a close we asked for has been processed already
  active_ = false;
  // Lines of the old connection must not reach the next one.
  recvBuffer_.Clear();
  SetJoinRoom("");
  view_.DspMessage(kStyleSystem, SysText(text::kDisconnected));
  view_.UpDateMenuItems();
  members_.ClearMembers();
  view_.SetCaption(shown::CaptionClosed(myNick_));
  loggedIn_ = false;
}

bool ClientCore::ProcessOneLine() {
  const std::optional<std::string> taken = recvBuffer_.TakeLine();
  if (!taken) return false;
  // Each complete line is decoded by itself: a Kanji run split between two
  // reads is whole by now (LF never occurs inside one).
  const std::string line = JisToSjis(*taken);
  Command(line);
  if (!loggedIn_) {
    CmdView echo;
    CommandCutNo(CutLineEnd(line), echo, 2);
    view_.DspMessage(kStyleSystem, std::string(echo[1]));
  }
  return true;
}

void ClientCore::ClientSocketRead(std::string_view bytes) {
  recvBuffer_.Append(bytes);
  try {
    while (ProcessOneLine()) {
    }
  } catch (const std::exception& error) {
    // The failed line is gone; the lines behind it wait for the next read.
    view_.ShowClientMessage(error.what(), kNotice);
  }
  if (recvBuffer_.Pending() > kMaxPendingLine) ClientActive(false);
  view_.UpDateMenuItems();
}

void ClientCore::ClientSocketError() { view_.DspMessage(kStyleSystem, SysText(text::kSocketError)); }

void ClientCore::SendQuit() { CommandSend(line::Quit(joinRoom_)); }

void ClientCore::Shutdown() {
  ClientActive(false);
  net_.HostClose();
}

void ClientCore::SetJoinRoom(std::string_view room) {
  joinRoom_ = room;
  view_.SetJoinRoomText(joinRoom_);
}

void ClientCore::Post(void (ClientCore::*method)(const std::string&), std::string argument) {
  std::weak_ptr<bool> alive = alive_;
  net_.Post([this, alive, method, argument = std::move(argument)] {
    if (auto a = alive.lock(); a && *a) (this->*method)(argument);
  });
}

void ClientCore::SetAwayMessages(std::string_view away, std::string_view back) {
  awayMessage_ = OneLineValue(away);
  backMessage_ = OneLineValue(back);
}

void ClientCore::TakeConnectionValues(std::string_view room, std::string_view topic, std::string_view nick,
                                      std::string_view homePage, std::string_view mail) {
  roomName_ = OneLineValue(room);
  roomTopic_ = OneLineValue(topic);
  myNick_ = OneLineValue(nick);
  homePage_ = OneLineValue(homePage);
  mail_ = OneLineValue(mail);
}

void ClientCore::SetBeepFile(std::string_view file) { beepFile_ = OneLineValue(file); }

void ClientCore::SetIconName(std::string_view icon) { iconName_ = OneLineValue(icon); }

}  // namespace novalune::client
