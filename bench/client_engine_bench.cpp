// Receive path of the client engine: room statements in Japanese as they come
// off the wire, and a names reply that rebuilds a large member list.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "client/core/ClientCore.h"
#include "common/SjisText.h"
#include "common/jconvert.h"

namespace {

using namespace novalune;
using namespace novalune::client;

class NullNet : public ClientNet {
 public:
  bool Open(const std::string&, bool, std::uint16_t) override { return true; }
  void Write(std::string_view bytes) override { written += bytes.size(); }
  void Close() override {}
  bool HostOpen(std::uint16_t) override { return true; }
  bool HostIsOpen() override { return false; }
  void HostWrite(std::string_view) override {}
  void HostClose() override {}
  void Post(std::function<void()>) override {}
  std::size_t written = 0;
};

class NullView : public ClientView {
 public:
  void DspMessage(int, const std::string& text) override { shown += text.size(); }
  int ShowClientMessage(const std::string&, int) override { return 1; }
  void SetCaption(const std::string&) override {}
  void SetJoinRoomText(const std::string&) override {}
  void UpDateMenuItems() override {}
  std::string GetMyAddress() override { return "127.0.0.1"; }
  bool AskNewNick(std::string&) override { return false; }
  void BeepON(const std::string&) override {}
  void PlaySoundFile(const std::string&) override {}
  void BeepFileBtnClick() override {}
  void URLListAdd(const std::string&, const std::string&) override {}
  void AddHistoryEntry(const std::string&) override {}
  void ActiveTimerStart() override {}
  LocalTime Now() override { return {}; }
  void ClearRoomRows() override {}
  void ShowRoomList() override {}
  void AddRoomRow(const std::string&, int, const std::string&) override {}
  void ClearUserRows() override {}
  void ShowUserList() override {}
  void AddUserRow(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  bool IsReceivingFile() override { return false; }
  void ReceiveFileOffer(const FileOffer&) override {}
  void StartRelaySend(const std::string&, bool, std::int32_t) override {}
  void FetchMemberIcon(const std::string&, const std::string&) override {}
  void SetIconList() override {}
  std::vector<std::string> ReadIconList() override { return {}; }
  void NovaluneMessage() override {}
  bool LocalServerRunning() override { return false; }
  void StartServerCopy() override {}
  std::size_t shown = 0;
};

struct Engine {
  Engine() : core(net, view) {
    StartupValues values;
    values.nick = "taro";
    values.roomName = "#lobby";
    core.Start(values);
    core.ConectHostAddress("127.0.0.1");
    core.ClientActive(true);
    core.ClientSocketConnect();
    core.ClientSocketRead(":s 376 taro :End\r\n:taro!x@x JOIN :#lobby\r\n");
  }
  NullNet net;
  NullView view;
  ClientCore core;
};

// One read event carrying `range(0)` room statements.
void BM_RoomStatements(benchmark::State& state) {
  Engine engine;
  std::string block;
  const std::string text = Utf8ToSjis("今日は いい天気ですね。 http://example.com/ を見てください");
  for (int i = 0; i < state.range(0); ++i) block += ":hanako!x@x PRIVMSG #lobby :" + text + "\r\n";
  const std::string wire = SjisToJis(block);
  for (auto _ : state) engine.core.ClientSocketRead(wire);
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(wire.size()));
}
BENCHMARK(BM_RoomStatements)->Arg(1)->Arg(1000);

// A names reply of `range(0)` members rebuilding the list.
void BM_NamesReply(benchmark::State& state) {
  Engine engine;
  std::string line = ":s 353 taro = #lobby :";
  for (int i = 0; i < state.range(0); ++i) line += (i % 7 == 0 ? "@user" : "user") + std::to_string(i) + " ";
  line += "\r\n";
  for (auto _ : state) {
    engine.core.ClientSocketRead(line);
    benchmark::DoNotOptimize(engine.core.Members().Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_NamesReply)->Arg(100)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
