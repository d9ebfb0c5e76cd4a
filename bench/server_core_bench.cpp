// The server engine's share of fan-out: N users in R rooms, every user sends
// blocks of PRIVMSG lines to its room; "deliveries" counts the Send calls the
// engine makes (one per receiver and line). The adapter's cost comes on top.
// A third shape makes every tenth user a standard IRC client (UTF-8 on the wire).
// Also reports the engine's heap bytes per idle registered user.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "server/core/ServerCore.h"

namespace {

using namespace novalune::server;

struct NullOutput : ServerOutput {
  std::size_t sends = 0;
  void Send(ConnId, std::string_view bytes) override { sends += !bytes.empty(); }
  void Close(ConnId) override {}
  void SetRelayListening(RelaySide, bool) override {}
  void PairRelay(ConnId, ConnId) override {}
};

// `standard`: registers as a standard IRC client (CAP first), spoken to in UTF-8.
void Register(ServerCore& core, int i, const std::string& room, bool standard = false) {
  const std::string n = std::to_string(i);
  core.UserAccepted(i + 1, "10.0.0.2", "10.0.0.1");
  core.UserReceived(i + 1, std::string(standard ? "CAP LS 302\r\n" : "") + "USER u" + n + " * * :u" + n +
                               "\r\nNICK u" + n + "\r\n" + (room.empty() ? "" : "JOIN " + room + "\r\n"));
}

// The third argument: every how many users one is a standard client (0: none).
void FanOut(benchmark::State& state) {
  const int users = static_cast<int>(state.range(0));
  const int rooms = static_cast<int>(state.range(1));
  const int standardEvery = static_cast<int>(state.range(2));
  NullOutput out;
  ServerCore core(out);
  std::vector<std::string> blocks(users);
  for (int i = 0; i < users; ++i) {
    const std::string room = "#R" + std::to_string(i % rooms);
    Register(core, i, room, standardEvery > 0 && i % standardEvery == 0);
    for (int k = 0; k < 16; ++k)
      blocks[i] +=
          "PRIVMSG " + room + " :a chat line of a usual length, number " + std::to_string(k) + "\r\n";
  }
  out.sends = 0;
  for (auto _ : state) {
    for (int i = 0; i < users; ++i) core.UserReceived(i + 1, blocks[i]);
  }
  state.counters["deliveries/s"] =
      benchmark::Counter(static_cast<double>(out.sends), benchmark::Counter::kIsRate);
}
BENCHMARK(FanOut)
    ->Args({200, 10, 0})
    ->Args({1000, 1, 0})
    ->Args({200, 10, 10})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void IdleUserMemory(benchmark::State& state) {
  const int users = 5000;
  for (auto _ : state) {
    NullOutput out;
    const auto before = mallinfo2().uordblks;
    ServerCore core(out);
    for (int i = 0; i < users; ++i) Register(core, i, "");
    state.counters["bytes/user"] = static_cast<double>(mallinfo2().uordblks - before) / users;
  }
}
BENCHMARK(IdleUserMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
