// Everything the client engine asks of its window. All text is Shift-JIS.
// The engine owns the member list model (MemberList) and tells the window
// about row changes through the MemberListObserver part of this interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client/core/MemberList.h"

namespace novalune::client {

// Display styles of DspMessage.
enum Style : int { kStyleSystem = 1, kStyleComment = 2, kStyleOthers = 3, kStyleOwn = 4 };
// Kinds of ShowClientMessage.
enum MessageKind : int { kNotice = 1, kQuestion = 2 };
inline constexpr int kAnswerYes = 1;

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// A direct file offer received in a whisper, already parsed.
struct FileOffer {
  std::string nick;
  std::string address;  // dotted IPv4
  std::int32_t port = 0;
  std::string fileName;  // as sent: blanks written as '*'
  std::int64_t size = 0;
  std::string sizeWord;  // the size as sent, so a junk size can be refused
};

class ClientView : public MemberListObserver {
 public:
  // Conversation display and message boxes.
  virtual void DspMessage(int style, const std::string& text) = 0;
  // Kind 1 notice (returns 1), kind 2 yes/no (1 yes, 2 no), other kinds 0.
  virtual int ShowClientMessage(const std::string& text, int kind) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The read-only field EditRoom.
  virtual void SetJoinRoomText(const std::string& room) = 0;
  // Enable or disable commands from ClientCore::GetMenuState().
  virtual void UpDateMenuItems() = 0;
  // The text of EditMyIP.
  virtual std::string GetMyAddress() = 0;
  // The rename dialog opened by reply 433 (modal); true on OK with `nick` set.
  virtual bool AskNewNick(std::string& nick) = 0;

  // Sounds: a name looked up in the sound folders; a full path played when the file exists.
  virtual void BeepON(const std::string& name) = 0;
  virtual void PlaySoundFile(const std::string& path) = 0;
  // The sound file chooser (modal): on OK the chosen name becomes the current
  // sound and heads the sound history.
  virtual void BeepFileBtnClick() = 0;

  // URL list, user history, the quiet-period countdown, the clock.
  virtual void URLListAdd(const std::string& nick, const std::string& text) = 0;
  virtual void AddHistoryEntry(const std::string& entry) = 0;
  virtual void ActiveTimerStart() = 0;
  virtual LocalTime Now() = 0;

  // Room list and user list windows.
  virtual void ClearRoomRows() = 0;
  virtual void ShowRoomList() = 0;
  virtual void AddRoomRow(const std::string& room, int users, const std::string& topic) = 0;
  virtual void ClearUserRows() = 0;
  virtual void ShowUserList() = 0;
  virtual void AddUserRow(const std::string& name, const std::string& personal, const std::string& fullName,
                          const std::string& room) = 0;

  // File transfer: busy flag, the receive dialog, the relay client.
  virtual bool IsReceivingFile() = 0;
  virtual void ReceiveFileOffer(const FileOffer& offer) = 0;
  virtual void StartRelaySend(const std::string& host, bool numeric, std::int32_t port) = 0;

  // Icons and the message board. FetchMemberIcon answers, now or later, with
  // ClientCore::MemberIconFetched.
  virtual void FetchMemberIcon(const std::string& nick, const std::string& url) = 0;
  virtual void SetIconList() = 0;
  virtual std::vector<std::string> ReadIconList() = 0;
  virtual void NovaluneMessage() = 0;

  // The local server: its marker exists; start " /SONLY" without waiting.
  virtual bool LocalServerRunning() = 0;
  virtual void StartServerCopy() = 0;
};

}  // namespace novalune::client
