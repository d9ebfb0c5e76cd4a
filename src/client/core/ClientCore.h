// The chat client's engine: connection state, line framing, dispatch of what
// the server sends, the user's commands and the host link. It runs on the
// window thread; sockets and the window are reached through ClientNet and
// ClientView.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "client/core/ClientNet.h"
#include "client/core/ClientView.h"
#include "client/core/LineBuffer.h"
#include "client/core/MemberList.h"
#include "common/CmdParam.h"

namespace novalune::client {

// Values the window has read from the settings when it is created.
struct StartupValues {
  std::string serverAddress{};  // "ServerIP"
  std::string roomName{};       // "RoomName"
  std::string roomTopic{};      // "RoomTopic.txt"; CR and LF are removed
  std::string nick{};           // "Nick"
  std::string homePage{};
  std::string mail{};
  std::string awayMessage{};  // "AWAY" of "Message"
  std::string backMessage{};  // "BACK"
  std::string iconName{};     // "URL" of "ICON"
};

// The connection dialog confirmed with OK.
struct ConnectRequest {
  bool joinMe = false;  // become the server myself
  std::string serverAddress{};
  std::string roomName{};
  std::string roomPass{};
  std::string roomTopic{};
  std::string nick{};
  std::string homePage{};
  std::string mail{};
};

// Working copies of the entering and leaving sounds of the options dialog.
struct EventSounds {
  bool inBeep = false;
  std::string inFile{};
  bool outBeep = false;
  std::string outFile{};
};

struct MenuState {
  bool join = false;       // MenuJoin, JoinBtn
  bool cut = false;        // MenuCut, CutBtn
  bool roomIn = false;     // also room list and user list
  bool roomOut = false;    // connected and RoomName set
  bool roomTopic = false;  // connected and a room joined
  bool talk = false;       // AwayBtn, TalkBtn, PrivateBtn, BeepBtn
  bool hostKick = false;   // pop-up MenuHost, MenuKick
};

// Bytes one peer may leave without a line end before the link is dropped.
inline constexpr std::size_t kMaxPendingLine = 1 << 20;

class ClientCore : public ClientNetEvents {
 public:
  ClientCore(ClientNet& net, ClientView& view, ClientPorts ports = {});
  ~ClientCore() override;
  ClientCore(const ClientCore&) = delete;
  ClientCore& operator=(const ClientCore&) = delete;

  // Window creation and first show.
  void Start(const StartupValues& values);
  void FirstShown(std::string_view firstArgument);
  void WMConect(const std::string& rawArgument);

  // Connection.
  void ConectHostAddress(std::string_view rawAddress);
  bool ClientActive(bool on);
  // Writes exactly one line: CR, LF and NUL inside `line` never reach the wire.
  void CommandSend(std::string_view line);
  bool Active() const { return active_; }
  // Closing the main window: QUIT first, the sockets at the very end.
  void SendQuit();
  void Shutdown();

  // Socket events (ClientNetEvents).
  void ClientSocketConnect() override;
  void ClientSocketDisconnect() override;
  void ClientSocketRead(std::string_view bytes) override;
  void ClientSocketError() override;
  void HostClientRead(std::string_view bytes) override;
  void HostClientClosed() override;
  void HostClientError(const std::string& message) override;

  // Dispatch of one received line. Raises std::runtime_error for a file
  // offer whose address is not a number (the event boundary shows it).
  void Command(std::string_view line);
  void HostCommand(std::string_view line);
  void WMListIcon(const std::string& line);
  // The answer to ClientView::FetchMemberIcon: `picture` names the loaded
  // picture, empty when there is none.
  void MemberIconFetched(const std::string& nick, const std::string& picture);

  // User commands. Those behind a dialog take its values: the window runs the
  // dialog and calls them on OK only (Cancel changes nothing).
  void RoomIn(std::string_view room, std::string_view password);
  void RoomOut();
  void MenuJoin(const ConnectRequest& request);
  void MenuCut();
  // Enter in the input line; true when the input line is to be cleared. A
  // pasted multi-line text goes out as one statement with escaped line breaks.
  bool TalkEnter(const std::string& typed);
  // Send button of the memo window; returns the text the window keeps.
  std::string MemoSend(const std::string& text);
  void MenuRoomIn(std::string_view room, std::string_view password);
  void MenuRoomOut();
  void MenuRoomLook();
  void MenuMemberLook();
  void MenuRoomTopic(std::string_view topic);
  void MenuReName(std::string_view nick);
  void AwayBtnClick(bool down);
  // With no sound chosen yet it opens the sound file chooser and sends nothing.
  void BeepBtnClick();
  void PrivateBtnClick();
  void MenuHostClick();
  void MenuKickClick();
  void MenuUJoinClick();
  // Posted by a private window: its statement and its sound request.
  void WMPrivateMsg(const std::string& partner, const std::string& text);
  void WMPrivateBeep(const std::string& partner);
  void MenuIconOk(std::string_view iconName);
  void IconApply(std::string_view iconName);
  void SpeedButtonClick(std::size_t number);
  void SetShowIcon(bool on);
  bool GetShowIcon() const { return showIcon_; }
  void ServerViewBtnClick();
  void OpenHostLink();
  MenuState GetMenuState() const;
  bool PopupHostEnabled() const;

  // State.
  const std::string& ServerAddress() const { return serverAddress_; }
  const std::string& TargetHost() const { return targetHost_; }
  bool TargetNumeric() const { return targetNumeric_; }
  const std::string& MyNick() const { return myNick_; }
  const std::string& RoomName() const { return roomName_; }
  const std::string& RoomPass() const { return roomPass_; }
  const std::string& RoomTopic() const { return roomTopic_; }
  const std::string& HomePage() const { return homePage_; }
  const std::string& Mail() const { return mail_; }
  const std::string& IconName() const { return iconName_; }
  const std::string& GetJoinRoom() const { return joinRoom_; }
  bool LoggedIn() const { return loggedIn_; }
  int ServerVersion() const { return serverVersion_; }
  void SetAwayMessages(std::string_view away, std::string_view back);
  void SetEventSounds(const EventSounds& sounds) { sounds_ = sounds; }
  // Values the window sets; CR, LF and NUL are dropped here as at every entry.
  void SetBeepFile(std::string_view file);
  const std::string& BeepFile() const { return beepFile_; }
  void SetIconName(std::string_view icon);
  MemberList& Members() { return members_; }
  const MemberList& Members() const { return members_; }

 private:
  // Each handler gets the line and cuts its own tokens from it: nothing is
  // shared that a nested call could overwrite.
  using Handler = void (ClientCore::*)(std::string_view line);
  enum class Form {
    kBare,      // the first word is the command: "PING server"
    kPrefixed,  // ":nick!x@x WORD ..."
    kReply,     // ":server NUMBER nick ...", addressed to this nick
  };
  struct CommandEntry {
    Form form;
    std::string_view word;
    Handler handler;
  };
  static const CommandEntry kCommands[];
  Handler FindHandler(std::string_view line) const;
  bool AddressedToMe(std::string_view reply) const;

  void Command_PING(std::string_view line);
  void Command_JOIN(std::string_view line);
  void Command_JOINIP(std::string_view line);
  void Command_TOPIC(std::string_view line);
  void Command_NICK(std::string_view line);
  void Command_MODE(std::string_view line);
  void Command_PRIVMSG(std::string_view line);
  void Command_RELAYSEND(std::string_view line);
  void Command_PART(std::string_view line);
  void Command_QUIT(std::string_view line);
  void Command_PONG(std::string_view line);
  void Command_LISTICON(std::string_view line);
  void CmdNo_001(std::string_view line);
  void CmdNo_322(std::string_view line);
  void CmdNo_352(std::string_view line);
  void CmdNo_353(std::string_view line);
  void CmdNo_376(std::string_view line);
  void CmdNo_433(std::string_view line);

  void RoomPrivmsg(const std::string& sender, const std::string& text);
  void PrivatePrivmsg(const std::string& sender, std::string_view text);
  void FileOfferReceived(const std::string& sender, const CmdView& words);
  void SendAway();
  void SendIconChange();

  // The connection settings' values, cleaned like every value the engine takes.
  void TakeConnectionValues(std::string_view room, std::string_view topic, std::string_view nick,
                            std::string_view homePage, std::string_view mail);
  void SetJoinRoom(std::string_view room);
  void Post(void (ClientCore::*method)(const std::string&), std::string argument);
  std::string TimeStamp();
  void SendToJoinRoom(std::string_view text);
  bool ProcessOneLine();

  ClientNet& net_;
  ClientView& view_;
  ClientPorts ports_;
  MemberList members_;
  std::shared_ptr<bool> alive_;

  std::string serverAddress_;
  std::string targetHost_;
  bool targetNumeric_ = true;
  std::string myNick_;
  std::string roomName_;
  std::string roomPass_;
  std::string roomTopic_;
  std::string homePage_;
  std::string mail_;
  std::string iconName_;
  std::string awayMessage_;
  std::string backMessage_;
  std::string joinRoom_;
  std::string beepFile_;
  EventSounds sounds_;
  bool active_ = false;
  bool loggedIn_ = false;
  bool showIcon_ = false;
  int serverVersion_ = 0;
  LineBuffer recvBuffer_;
  LineBuffer hostRecvBuffer_;
  std::string sendRoom_;  // each line sent is encoded into it, kept from line to line
};

}  // namespace novalune::client
