// Drives the server engine with connects, reads, closes, ticks, host-link,
// relay and operator events decoded from the fuzzer's bytes, and checks after
// every event that the indexes agree with the tables and that the engine only
// ever writes to, closes or pairs connections that are open, and that every
// line to a user keeps its framing whatever bytes the users sent.
// Run: server_core_fuzz -max_len=4096 <work corpus> fuzz/server_core_corpus
// (the seeds reach host mode, topics on join and a whole relayed transfer).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/ServerCore.h"

using namespace novalune::server;

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "server core fuzz: %s\n", what.c_str());
  std::abort();
}

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  bool Empty() const { return at >= size; }
  std::uint8_t Byte() { return at < size ? data[at++] : 0; }
  std::string_view Bytes(std::size_t n) {
    n = std::min(n, size - std::min(at, size));
    std::string_view view(reinterpret_cast<const char*>(data + at), n);
    at += n;
    return view;
  }
};

// Lines to users end in CR LF, and CR and LF occur nowhere else; NUL only
// when some user sent one.
void CheckFraming(std::string_view bytes, bool nulReceived) {
  if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != "\r\n")
    Fail("a write to a user does not end in CR LF");
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool crOfCrLf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    const bool lfOfCrLf = bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r';
    if ((bytes[i] == '\r' && !crOfCrLf) || (bytes[i] == '\n' && !lfOfCrLf))
      Fail("a line to a user lost its framing");
    if (bytes[i] == '\0' && !nulReceived) Fail("a line to a user holds a NUL nobody sent");
  }
}

struct CheckingOutput : ServerOutput {
  std::set<ConnId> users, hosts, relaySender, relayReceiver;
  bool listening[2] = {false, false};
  bool nulReceived = false;

  void Send(ConnId conn, std::string_view bytes) override {
    if (!users.contains(conn) && !hosts.contains(conn)) Fail("send to a connection that is not open");
    if (users.contains(conn)) CheckFraming(bytes, nulReceived);
  }
  void Close(ConnId conn) override {
    if (!users.erase(conn)) Fail("close of a connection that is not an open user connection");
  }
  void SetRelayListening(RelaySide side, bool active) override {
    bool& state = listening[side == RelaySide::Sender ? 0 : 1];
    if (state == active) Fail("listener set to the state it already has");
    state = active;
    if (!active) (side == RelaySide::Sender ? relaySender : relayReceiver).clear();
  }
  void PairRelay(ConnId senderSide, ConnId receiverSide) override {
    if (!relaySender.contains(senderSide) || !relayReceiver.contains(receiverSide))
      Fail("pairing closed connections");
  }
};

const char* const kIps[] = {"10.0.0.1", "10.0.0.2", "10.0.0.3", "127.0.0.1", "::1", "1.2.3"};
const char* const kWords[] = {"NICK",   "USER",     "ICON",    "PING",    "QUIT", "JOIN",      "PART",
                              "TOPIC",  "MODE",     "KICK",    "JOINIP",  "WHO",  "LIST",      "LISTX",
                              "LUSERS", "LISTICON", "CHGICON", "PRIVMSG", "DATA", "RELAYSEND", "IRCX",
                              "nick",   "join",     "CAP",     "NAMES"};
// CAP before NICK makes a standard client, which sends UTF-8 (whole or broken).
const char* const kArgs[] = {"a",    "B",  "#a",  "#A",     "%#a",          "",         "pw",
                             ":x y", "+o", "-o",  "ISIRCX", "\x1b$B$\"",    "\x82\xa0", "\xb6\xde",
                             "c",    "LS", "REQ", "#a,#b",  "\xe9\x9b\x91", "\xe3\x81"};

template <std::size_t N>
const char* Pick(Input& in, const char* const (&list)[N]) {
  return list[in.Byte() % N];
}

std::string CommandLine(Input& in) {
  std::string line = Pick(in, kWords);
  const int args = in.Byte() % 4;
  for (int k = 0; k < args; ++k) {
    line += ' ';
    line += Pick(in, kArgs);
  }
  line += (in.Byte() & 1) ? "\r\n" : "\n";
  return line;
}

template <class Set>
ConnId Choose(Input& in, const Set& set) {
  if (set.empty()) return 0;
  auto it = set.begin();
  std::advance(it, in.Byte() % set.size());
  return *it;
}

void Step(ServerCore& core, CheckingOutput& out, Input& in, ConnId& next) {
  switch (in.Byte() % 16) {
    case 0:
    case 1: {
      const char* ip = Pick(in, kIps);
      const char* local = (in.Byte() & 1) ? ip : "10.0.0.1";
      out.users.insert(next);
      core.UserAccepted(next++, ip, local);
      break;
    }
    case 2:
    case 3:
    case 4: {
      const ConnId conn = Choose(in, out.users);
      if (out.users.contains(conn)) core.UserReceived(conn, CommandLine(in));
      break;
    }
    case 5: {
      const ConnId conn = Choose(in, out.users);
      const std::string_view bytes = in.Bytes(in.Byte());
      out.nulReceived = out.nulReceived || bytes.find('\0') != std::string_view::npos;
      if (out.users.contains(conn)) core.UserReceived(conn, bytes);
      break;
    }
    case 6: {
      const ConnId conn = Choose(in, out.users);
      if (out.users.erase(conn)) core.UserClosed(conn);
      break;
    }
    case 7:
      for (int k = in.Byte() % 8; k >= 0; --k) core.Tick();
      break;
    case 8: {
      const int what = in.Byte() % 3;
      if (what == 0) {
        out.hosts.insert(next);
        core.HostAccepted(next++);
      } else if (const ConnId conn = Choose(in, out.hosts); out.hosts.contains(conn)) {
        if (what == 1) core.HostReceived(conn, in.Byte() & 1 ? "VIEW" : "VI");
        if (what == 2) out.hosts.erase(conn), core.HostClosed(conn);
      }
      break;
    }
    case 9: {
      const RelaySide side = in.Byte() & 1 ? RelaySide::Sender : RelaySide::Receiver;
      auto& set = side == RelaySide::Sender ? out.relaySender : out.relayReceiver;
      if (in.Byte() & 1) {
        set.insert(next);
        core.RelayAccepted(side, next++, Pick(in, kIps));
      } else if (const ConnId conn = Choose(in, set); set.erase(conn)) {
        core.RelayClosed(side, conn);
      }
      break;
    }
    case 10: {
      const std::size_t row = in.Byte() % 6;
      switch (in.Byte() % 9) {
        case 0: core.OperatorMakeHost(row); break;
        case 1: core.OperatorWithdrawHost(row); break;
        case 2: core.OperatorRefuse(row); break;
        case 3: core.OperatorDisconnect(row); break;
        case 4: core.OperatorMessageUser(row, Pick(in, kArgs)); break;
        case 5: core.OperatorMessageRoom(row, Pick(in, kArgs)); break;
        case 6: core.OperatorSetRoomPass(row, Pick(in, kArgs)); break;
        case 7: core.OperatorSetRoomTopic(row, Pick(in, kArgs)); break;
        default: core.OperatorDeleteRefused({row, 0}); break;
      }
      break;
    }
    case 11:
      core.SetServerLock(in.Byte() % 8 == 0);
      core.SetPassCheck(in.Byte() & 1);
      break;
    case 12:
      if (in.Byte() % 16 == 0) core.DisconnectAll();
      break;
    case 13: {
      // Long partial lines, up to past the limit.
      const ConnId conn = Choose(in, out.users);
      if (out.users.contains(conn)) core.UserReceived(conn, std::string((in.Byte() % 72) * 1024, 'x'));
      break;
    }
    case 14:
      for (int k = (in.Byte() % 4) * 100; k > 0; --k) core.Tick();
      break;
    default:
      if (in.Byte() % 4 == 0) core.SetRefList({Pick(in, kIps)});
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckingOutput out;
  ServerCore core(out, ServerPorts{7066, 7067});
  Input in{data, size};
  ConnId next = 1;
  while (!in.Empty()) {
    Step(core, out, in, next);
    if (std::string problem = core.CheckConsistency(); !problem.empty()) Fail(problem);
    if (core.Users().size() != out.users.size()) Fail("user rows and open connections differ");
  }
  return 0;
}
