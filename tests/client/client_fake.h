// A fake window and a fake socket layer for the client engine, recording
// everything the engine asks of them.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/core/ClientCore.h"
#include "common/SjisText.h"
#include "common/jconvert.h"

namespace novalune::client::testing {

// A UTF-8 literal as the Shift-JIS the engine works with.
inline std::string S(const char* utf8) { return Utf8ToSjis(utf8); }

struct Shown {
  int style;
  std::string text;
  bool operator==(const Shown&) const = default;
};

struct Asked {
  std::string text;
  int kind;
  bool operator==(const Asked&) const = default;
};

struct PrivateLine {
  std::size_t row;
  int style;
  std::string text;
  bool operator==(const PrivateLine&) const = default;
};

class FakeNet : public ClientNet {
 public:
  struct OpenCall {
    std::string host;
    bool numeric;
    std::uint16_t port;
    bool operator==(const OpenCall&) const = default;
  };

  bool Open(const std::string& host, bool numeric, std::uint16_t port) override {
    opens.push_back({host, numeric, port});
    return openSucceeds && !(numeric && host.empty());
  }
  void Write(std::string_view bytes) override { written += bytes; }
  void Close() override { ++closes; }
  bool HostOpen(std::uint16_t port) override {
    hostOpens.push_back(port);
    return true;
  }
  bool HostIsOpen() override { return hostOpen; }
  void HostWrite(std::string_view bytes) override { hostWritten += bytes; }
  void HostClose() override {
    ++hostCloses;
    hostOpen = false;
  }
  void Post(std::function<void()> task) override { posted.push_back(std::move(task)); }

  // Runs the posted tasks, also those they post in turn.
  void RunPosted() {
    while (!posted.empty()) {
      auto task = std::move(posted.front());
      posted.pop_front();
      task();
    }
  }

  // The lines written so far, decoded and without CR LF; clears them.
  std::vector<std::string> TakeLines() {
    std::vector<std::string> lines;
    const std::string text = JisToSjis(written);
    std::size_t start = 0;
    while (true) {
      const std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) break;
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    written.clear();
    return lines;
  }

  bool openSucceeds = true;
  std::vector<OpenCall> opens;
  std::string written;
  int closes = 0;
  std::vector<std::uint16_t> hostOpens;
  bool hostOpen = false;
  std::string hostWritten;
  int hostCloses = 0;
  std::deque<std::function<void()>> posted;
};

class FakeView : public ClientView {
 public:
  void DspMessage(int style, const std::string& text) override { shown.push_back({style, text}); }
  int ShowClientMessage(const std::string& text, int kind) override {
    asked.push_back({text, kind});
    if (kind == kNotice) return 1;
    if (kind != kQuestion) return 0;
    if (answers.empty()) return 2;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetJoinRoomText(const std::string& room) override { joinRoomText = room; }
  void UpDateMenuItems() override { ++menuUpdates; }
  std::string GetMyAddress() override { return myAddress; }
  bool AskNewNick(std::string& nick) override {
    ++renameDialogs;
    if (!renameAnswer) return false;
    nick = *renameAnswer;
    return true;
  }
  void BeepON(const std::string& name) override { beeps.push_back(name); }
  void PlaySoundFile(const std::string& path) override { soundFiles.push_back(path); }
  void BeepFileBtnClick() override { ++beepFileChoosers; }
  void URLListAdd(const std::string& nick, const std::string& text) override {
    urls.emplace_back(nick, text);
  }
  void AddHistoryEntry(const std::string& entry) override { history.push_back(entry); }
  void ActiveTimerStart() override { ++activeTimerStarts; }
  LocalTime Now() override { return now; }
  void ClearRoomRows() override { roomRows.clear(), ++roomListClears; }
  void ShowRoomList() override { ++roomListShows; }
  void AddRoomRow(const std::string& room, int users, const std::string& topic) override {
    roomRows.push_back({room, std::to_string(users), topic});
  }
  void ClearUserRows() override { userRows.clear(), ++userListClears; }
  void ShowUserList() override { ++userListShows; }
  void AddUserRow(const std::string& name, const std::string& personal, const std::string& fullName,
                  const std::string& room) override {
    userRows.push_back({name, personal, fullName, room});
  }
  bool IsReceivingFile() override { return receiving; }
  void ReceiveFileOffer(const FileOffer& offer) override { offers.push_back(offer); }
  void StartRelaySend(const std::string& host, bool numeric, std::int32_t port) override {
    relays.push_back({host, numeric ? "numeric" : "name", std::to_string(port)});
  }
  void FetchMemberIcon(const std::string& nick, const std::string& url) override {
    iconFetches.emplace_back(nick, url);
  }
  void SetIconList() override { ++iconListRebuilds; }
  std::vector<std::string> ReadIconList() override { return iconList; }
  void NovaluneMessage() override { ++novMessages; }
  bool LocalServerRunning() override { return localServer; }
  void StartServerCopy() override {
    ++serverCopies;
    localServer = true;
  }

  // Member list notifications.
  void ShowPrivateBox(std::size_t row) override { privateBoxes.push_back(row); }
  void PrivateMessage(std::size_t row, int style, const std::string& text) override {
    privateLines.push_back({row, style, text});
  }

  // Display lines shown since the last call; clears them.
  std::vector<Shown> TakeShown() { return std::exchange(shown, {}); }
  std::vector<Asked> TakeAsked() { return std::exchange(asked, {}); }

  std::vector<Shown> shown;
  std::vector<Asked> asked;
  std::deque<int> answers;
  std::string caption;
  std::string joinRoomText;
  int menuUpdates = 0;
  std::string myAddress = "192.168.1.20";
  std::optional<std::string> renameAnswer;
  int renameDialogs = 0;
  std::vector<std::string> beeps;
  std::vector<std::string> soundFiles;
  int beepFileChoosers = 0;
  std::vector<std::pair<std::string, std::string>> urls;
  std::vector<std::string> history;
  int activeTimerStarts = 0;
  LocalTime now{2026, 12, 7, 9, 5};
  std::vector<std::vector<std::string>> roomRows;
  int roomListClears = 0, roomListShows = 0;
  std::vector<std::vector<std::string>> userRows;
  int userListClears = 0, userListShows = 0;
  bool receiving = false;
  std::vector<FileOffer> offers;
  std::vector<std::vector<std::string>> relays;
  std::vector<std::pair<std::string, std::string>> iconFetches;
  int iconListRebuilds = 0;
  std::vector<std::string> iconList;
  int novMessages = 0;
  bool localServer = false;
  int serverCopies = 0;
  std::vector<std::size_t> privateBoxes;
  std::vector<PrivateLine> privateLines;
};

// An engine with its fakes, nick "taro", and helpers to bring it into a state.
class ClientFixture {
 public:
  ClientFixture() : core(net, view) {
    StartupValues values;
    values.nick = "taro";
    values.serverAddress = "chat.example";
    core.Start(values);
  }

  // Connected and registered, the welcome lines swallowed, records cleared.
  void Connect() {
    core.ConectHostAddress("10.0.0.1");
    core.ClientActive(true);
    core.ClientSocketConnect();
    net.RunPosted();
    Clear();
  }

  // Connected, registered with server version 214, joined to `room`.
  void JoinRoom(const std::string& room = "#lobby") {
    Connect();
    core.MenuRoomIn(room, "");
    Feed(":ZKWChatServer214 001 taro :Welcome to the Internet Relay Network taro");
    Feed(":ZKWChatServer214 376 taro :End of /MOTD command");
    Feed(":taro!x@x JOIN :" + room);
    Clear();
  }

  // One line from the server, as it arrives on the wire.
  void Feed(const std::string& sjisLine) { core.ClientSocketRead(SjisToJis(sjisLine + "\r\n")); }

  void Clear() {
    net.TakeLines();
    view.TakeShown();
    view.TakeAsked();
    view.urls.clear();
    view.history.clear();
    view.activeTimerStarts = 0;
  }

  FakeNet net;
  FakeView view;
  ClientCore core;
};

}  // namespace novalune::client::testing
