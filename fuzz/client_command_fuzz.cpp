// Drives one client engine (fake window, fake sockets) with a script read
// from the input: each step is an opcode byte, a length byte and that many
// bytes. Lines go through Command directly and through the read framing.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "client/FakeClient.h"

using namespace novalune::client;
using namespace novalune::client::testing;

namespace {

void Step(ClientCore& core, FakeNet& net, FakeView& view, std::uint8_t op, std::string_view data) {
  switch (op % 12) {
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
    case 6: core.TalkEnter(std::string(data)); break;
    case 7: core.MemoSend(std::string(data)); break;
    case 8: core.RoomIn(data, ""); break;
    case 9: core.ConectHostAddress(data); core.ClientActive(true); break;
    case 10:
      view.answers.push_back(data.empty() ? 2 : 1);
      view.renameAnswer = data.empty() ? std::nullopt : std::optional<std::string>(data);
      break;
    case 11:
      core.SetShowIcon(!data.empty() && (data[0] & 1));
      view.receiving = !data.empty() && (data[0] & 2);
      core.Members().Select(data.empty() ? std::nullopt : std::optional<std::size_t>(data[0] % 4));
      core.AwayBtnClick(!data.empty() && (data[0] & 4));
      core.MenuHostClick();
      core.MenuKickClick();
      core.MenuUJoinClick();
      core.PrivateBtnClick();
      core.SpeedButtonClick(data.empty() ? 0 : data[0] % 12);
      break;
  }
}

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
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  std::size_t at = 0;
  while (at + 2 <= input.size()) {
    const auto op = static_cast<std::uint8_t>(input[at]);
    const std::size_t length = static_cast<std::uint8_t>(input[at + 1]);
    at += 2;
    const std::string_view data = input.substr(at, length);
    at += data.size();
    Step(core, net, view, op, data);
    net.written.clear();
  }
  net.RunPosted();
  return 0;
}
