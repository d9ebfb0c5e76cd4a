// The load generator's engine: N IRC clients on one epoll loop that register,
// join R rooms and flood PRIVMSG lines, counting what every member receives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace loadgen {

struct Options {
  std::string host = "127.0.0.1";
  int port = 6667;
  int clients = 200;
  int rooms = 10;
  int messages = 100;      // flood lines per client
  int window = 0;          // >0: at most this many lines per sender not yet delivered to its whole room
  int connectWindow = 64;  // registrations, joins and PING rounds in flight at once
  int textBytes = 64;      // length of the text after the colon
  double timeout = 15;     // seconds without progress before giving up
  int serverPid = 0;       // >0: read the server's CPU time and memory from /proc
  std::string nickPrefix = "u";
  bool verbose = false;  // phase timings on stderr
};

struct FloodResult {
  bool setupOk = false;
  std::uint64_t sent = 0;
  std::uint64_t expected = 0;
  std::uint64_t received = 0;
  std::uint64_t lost = 0;
  std::uint64_t duplicates = 0;
  std::uint64_t unparsed = 0;  // PRIVMSG lines whose text is not ours
  int disconnected = 0;
  double setupSeconds = 0;
  double seconds = 0;  // first send to last receipt
  double msgPerSecond = 0;
  std::uint64_t p50us = 0;
  std::uint64_t p99us = 0;
  double serverCpuSeconds = 0;
  double serverCpuNsPerMsg = 0;
  std::string firstLoss;  // the first connection lost, and why
};

struct IdleResult {
  bool setupOk = false;
  std::uint64_t rssBeforeKb = 0;
  std::uint64_t rssAfterKb = 0;
  double bytesPerConnection = 0;
};

class LoadGen {
 public:
  explicit LoadGen(const Options& options);
  ~LoadGen();
  LoadGen(const LoadGen&) = delete;
  LoadGen& operator=(const LoadGen&) = delete;

  // Registers, joins, floods and waits for every delivery or the timeout.
  FloodResult Flood();
  // Opens `clients` registered connections that join nothing.
  IdleResult OpenIdle();
  // Keeps the connections served (PINGs answered); seconds < 0: until RequestStop.
  void Hold(double seconds);
  // Safe from a signal handler.
  static void RequestStop();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

void RaiseFdLimit(int connections);
std::uint64_t ReadVmRssKb(int pid);
double ReadCpuSeconds(int pid);

}  // namespace loadgen
