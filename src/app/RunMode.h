// Which of the two programs this process runs, and the machine-wide marker
// ("ZKWChat_IRCMutexServer") that tells every copy whether a server runs.
#pragma once

#include <string>
#include <string_view>

namespace novalune::app {

enum class RunMode {
  ServerWithClient,  // a server that starts a client copy of the program
  ServerOnly,        // "/SONLY"
  Client,
};

// The decision table of the start-up: `firstArg` is the first command-line
// argument upper-cased (ParseCommandLine), empty when there is none.
RunMode DecideRunMode(std::string_view firstArg, bool serverRunning);

inline constexpr const char* kServerMarkerName = "ZKWChat_IRCMutexServer";

// Exists exactly while the process that created it runs. Backed by a Linux
// abstract-namespace socket: the kernel frees the name when the process dies,
// however it dies, so no stale marker can outlive a killed server.
class ServerMarker {
 public:
  explicit ServerMarker(std::string name = kServerMarkerName);
  ~ServerMarker();
  ServerMarker(const ServerMarker&) = delete;
  ServerMarker& operator=(const ServerMarker&) = delete;

  // True when some process holds the marker. Has no side effect on the marker.
  bool Exists() const;
  // Takes the marker for this process. False when another process holds it
  // (or the system refused); then nothing is held.
  bool Create();
  bool Held() const { return fd_ >= 0; }
  // Gives the marker up before the process ends.
  void Release();

 private:
  std::string name_;
  int fd_ = -1;
};

}  // namespace novalune::app
