// Fan-out load generator for IRC servers: N clients in R rooms flood PRIVMSG
// lines and count what every other member receives. Plain IRC on the wire, so
// the same run drives our server, ngircd and InspIRCd (bench/README.md).
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "loadgen_engine.h"

namespace {

struct CommandLine {
  loadgen::Options options;
  int idle = 0;             // >0: idle-connection mode
  double holdSeconds = -1;  // idle mode: <0 hold until a signal
  bool json = false;
};

void Usage() {
  std::fprintf(
      stderr,
      "usage: novalune_loadgen [--host H] [--port P] [--clients N] [--rooms R] [--messages M]\n"
      "           [--window W] [--text-bytes B] [--timeout S] [--nick-prefix X]\n"
      "           [--connect-window C] [--server-pid PID] [--json] [--verbose]\n"
      "       novalune_loadgen --idle N [--server-pid PID] [--hold S] [--host H] [--port P] [--json]\n");
}

bool ParseInt(const char* text, int& out) {
  std::string_view s(text);
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

bool ParseDouble(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end && *end == '\0' && end != text;
}

bool ParseArguments(int argc, char** argv, CommandLine& cl) {
  loadgen::Options& o = cl.options;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--json" || a == "--verbose") {
      (a == "--json" ? cl.json : o.verbose) = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* v = argv[++i];
    bool ok = true;
    if (a == "--host") o.host = v;
    else if (a == "--nick-prefix") o.nickPrefix = v;
    else if (a == "--port") ok = ParseInt(v, o.port);
    else if (a == "--clients") ok = ParseInt(v, o.clients);
    else if (a == "--rooms") ok = ParseInt(v, o.rooms);
    else if (a == "--messages") ok = ParseInt(v, o.messages);
    else if (a == "--idle") ok = ParseInt(v, cl.idle);
    else if (a == "--server-pid") ok = ParseInt(v, o.serverPid);
    else if (a == "--window") ok = ParseInt(v, o.window);
    else if (a == "--connect-window") ok = ParseInt(v, o.connectWindow);
    else if (a == "--text-bytes") ok = ParseInt(v, o.textBytes);
    else if (a == "--hold") ok = ParseDouble(v, cl.holdSeconds);
    else if (a == "--timeout") ok = ParseDouble(v, o.timeout);
    else return false;
    if (!ok) return false;
  }
  if (cl.idle > 0) {
    o.clients = cl.idle;
    o.rooms = 1;
  }
  return o.clients > 0 && o.rooms > 0 && o.rooms <= o.clients && o.messages >= 0 && o.window >= 0 &&
         o.connectWindow > 0 && o.textBytes >= 40 && o.textBytes <= 900 && o.port > 0 && o.port < 65536 &&
         o.timeout > 0;
}

void PrintFlood(const loadgen::Options& o, const loadgen::FloodResult& r, bool json) {
  auto u = [](std::uint64_t v) { return static_cast<unsigned long long>(v); };
  if (json) {
    std::printf(
        "{\"clients\":%d,\"rooms\":%d,\"messages\":%d,\"window\":%d,\"sent\":%llu,\"expected\":%llu,"
        "\"received\":%llu,\"lost\":%llu,\"duplicates\":%llu,\"unparsed\":%llu,\"disconnected\":%d,"
        "\"setup_s\":%.3f,\"seconds\":%.3f,\"msg_per_s\":%.0f,\"p50_us\":%llu,\"p99_us\":%llu,"
        "\"server_cpu_s\":%.2f,\"server_cpu_ns_per_msg\":%.1f}\n",
        o.clients, o.rooms, o.messages, o.window, u(r.sent), u(r.expected), u(r.received), u(r.lost),
        u(r.duplicates), u(r.unparsed), r.disconnected, r.setupSeconds, r.seconds, r.msgPerSecond, u(r.p50us),
        u(r.p99us), r.serverCpuSeconds, r.serverCpuNsPerMsg);
    return;
  }
  std::printf("clients %d, rooms %d, messages %d per client (%llu sent)\n", o.clients, o.rooms, o.messages,
              u(r.sent));
  std::printf("setup %.2f s; delivered %llu of %llu in %.3f s: %.0f msg/s\n", r.setupSeconds, u(r.received),
              u(r.expected), r.seconds, r.msgPerSecond);
  std::printf(
      "latency p50 %llu us, p99 %llu us; lost %llu, duplicates %llu, unparsed %llu, disconnected %d\n",
      u(r.p50us), u(r.p99us), u(r.lost), u(r.duplicates), u(r.unparsed), r.disconnected);
  if (o.serverPid > 0)
    std::printf("server CPU %.2f s, %.1f ns per delivered line\n", r.serverCpuSeconds, r.serverCpuNsPerMsg);
}

int RunFlood(const CommandLine& cl) {
  loadgen::LoadGen gen(cl.options);
  loadgen::FloodResult r = gen.Flood();
  if (!r.firstLoss.empty()) std::fprintf(stderr, "first lost connection: %s\n", r.firstLoss.c_str());
  if (!r.setupOk) return 2;
  PrintFlood(cl.options, r, cl.json);
  return r.lost == 0 && r.disconnected == 0 ? 0 : 1;
}

int RunIdle(const CommandLine& cl) {
  loadgen::LoadGen gen(cl.options);
  loadgen::IdleResult r = gen.OpenIdle();
  if (!r.setupOk) return 2;
  if (cl.options.serverPid <= 0) {
    std::printf("ready %d\n", cl.idle);
  } else if (cl.json) {
    std::printf("{\"idle\":%d,\"rss_before_kb\":%llu,\"rss_after_kb\":%llu,\"bytes_per_conn\":%.0f}\n",
                cl.idle, static_cast<unsigned long long>(r.rssBeforeKb),
                static_cast<unsigned long long>(r.rssAfterKb), r.bytesPerConnection);
  } else {
    std::printf("idle %d: server RSS %llu kB -> %llu kB, %.0f bytes per connection\n", cl.idle,
                static_cast<unsigned long long>(r.rssBeforeKb), static_cast<unsigned long long>(r.rssAfterKb),
                r.bytesPerConnection);
  }
  std::fflush(stdout);
  gen.Hold(cl.holdSeconds);
  return 0;
}

void OnSignal(int) { loadgen::LoadGen::RequestStop(); }

}  // namespace

int main(int argc, char** argv) {
  CommandLine cl;
  if (!ParseArguments(argc, argv, cl)) {
    Usage();
    return 2;
  }
  loadgen::RaiseFdLimit(cl.options.clients);
  signal(SIGPIPE, SIG_IGN);
  signal(SIGINT, OnSignal);
  signal(SIGTERM, OnSignal);
  return cl.idle > 0 ? RunIdle(cl) : RunFlood(cl);
}
