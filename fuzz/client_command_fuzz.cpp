// Drives one client engine (fake window, fake sockets) with a script read
// from the input: each step is an opcode byte, a length byte and that many
// bytes. Lines go through Command directly and through the read framing; the
// user's commands take the bytes as what the user typed or pasted, and none
// may write more lines than it is meant to send, nor a broken line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "client/client_fake.h"

using namespace novalune::client;
using namespace novalune::client::testing;

namespace {

// Every line ends in CR LF; no CR, LF or NUL inside it.
void CheckWritten(const std::string& written, std::size_t maxLines) {
  std::size_t lines = 0;
  for (std::size_t i = 0; i < written.size(); ++i) {
    const char c = written[i];
    if (c == '\0') std::abort();
    if (c == '\r' && (i + 1 >= written.size() || written[i + 1] != '\n')) std::abort();
    if (c == '\n' && (i == 0 || written[i - 1] != '\r')) std::abort();
    if (c == '\n') ++lines;
  }
  if (!written.empty() && written.back() != '\n') std::abort();
  if (lines > maxLines) std::abort();
}

struct Script {
  ClientCore& core;
  FakeNet& net;
  FakeView& view;

  // One user command that may send at most `maxLines` lines.
  void User(std::size_t maxLines, const std::function<void()>& command) {
    net.written.clear();
    command();
    CheckWritten(net.written, maxLines);
    net.written.clear();
  }

  void Step(std::uint8_t op, std::string_view data) {
    const std::string text(data);
    const std::string half(data.substr(0, data.size() / 2));
    const bool flag = !data.empty() && (data[0] & 1);
    switch (op % 20) {
      case 0:
        // Command raises for a malformed offer; the event loop's handler shows it.
        try {
          core.Command(data);
        } catch (const std::exception&) {
        }
        break;
      case 1: core.ClientSocketRead(data); break;
      case 2: core.HostClientRead(data); break;
      case 3: core.ClientSocketConnect(); break;
      case 4: core.ClientSocketDisconnect(); break;
      case 5: net.RunPosted(); break;
      case 6: User(1, [&] { core.TalkEnter(text); }); break;
      case 7: User(1, [&] { core.MemoSend(text); }); break;
      case 8: User(3, [&] { core.RoomIn(half, data.substr(half.size())); }); break;
      case 9:
        User(0, [&] {
          core.ConectHostAddress(data);
          core.ClientActive(true);
        });
        break;
      case 10:
        view.answers.push_back(data.empty() ? 2 : 1);
        view.renameAnswer = data.empty() ? std::nullopt : std::optional<std::string>(data);
        break;
      case 11:
        User(1, [&] { core.SetShowIcon(flag); });
        view.receiving = !data.empty() && (data[0] & 2);
        core.Members().Select(data.empty() ? std::nullopt : std::optional<std::size_t>(data[0] % 4));
        User(3, [&] { core.AwayBtnClick(!data.empty() && (data[0] & 4)); });
        User(1, [&] { core.MenuHostClick(); });
        User(1, [&] { core.MenuKickClick(); });
        User(1, [&] { core.MenuUJoinClick(); });
        User(0, [&] { core.PrivateBtnClick(); });
        User(2, [&] { core.SpeedButtonClick(data.empty() ? 0 : data[0] % 12); });
        break;
      case 12: User(3, [&] { core.MenuRoomIn(half, data.substr(half.size())); }); break;
      case 13: User(1, [&] { core.MenuReName(text); }); break;
      case 14: User(1, [&] { core.MenuRoomTopic(text); }); break;
      case 15:
        core.SetAwayMessages(half, data.substr(half.size()));
        User(3, [&] { core.AwayBtnClick(flag); });
        break;
      case 16:
        core.SetBeepFile(text);
        User(1, [&] { core.BeepBtnClick(); });
        User(1, [&] { core.WMPrivateBeep(half); });
        break;
      case 17:
        User(2, [&] { core.MenuIconOk(text); });
        User(2, [&] { core.IconApply(text); });
        break;
      case 18: User(1, [&] { core.WMPrivateMsg(half, std::string(data.substr(half.size()))); }); break;
      case 19:
        // The connect dialog's values, then the registration they lead to.
        User(3, [&] {
          core.MenuJoin({flag, text, half, half, text, text, text, text});
          core.ClientSocketConnect();
        });
        break;
    }
    // Whatever a server line or a rename answer held, lines stay whole.
    CheckWritten(net.written, SIZE_MAX);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FakeNet net;
  FakeView view;
  view.iconList = {"http://a/0.gif", "http://a/1.gif"};
  ClientCore core(net, view);
  core.Start(StartupValues{.roomName = "lobby", .nick = "taro"});
  core.ConectHostAddress("10.0.0.1");
  core.ClientActive(true);
  core.ClientSocketConnect();
  Script script{core, net, view};
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  std::size_t at = 0;
  while (at + 2 <= input.size()) {
    const auto op = static_cast<std::uint8_t>(input[at]);
    const std::size_t length = static_cast<std::uint8_t>(input[at + 1]);
    at += 2;
    const std::string_view data = input.substr(at, length);
    at += data.size();
    script.Step(op, data);
    net.written.clear();
  }
  net.RunPosted();
  return 0;
}
