#include <cstdio>

#include "app/RunMode.h"
#include "app/ServerMain.h"

namespace {

// The client window is not part of the program yet: a client start ends at once.
int RunClient() {
  if (!novalune::app::HasDisplay()) {
    std::fprintf(stderr, "NOVALUNE: the chat client needs a desktop (no display found)\n");
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace novalune::app;
  const CommandLine commandLine = ParseCommandLine(argc, argv);
  ServerMarker marker;
  RunMode mode = DecideRunMode(commandLine.firstArgument, marker.Exists());
  if (mode == RunMode::ServerWithClient && !HasDisplay()) {
    std::fprintf(stderr, "NOVALUNE needs a desktop (no display found); use /SONLY to run the server alone\n");
    return 2;
  }
  // Two copies started at the same moment: the one that takes the marker serves.
  if (mode != RunMode::Client && !marker.Create()) mode = RunMode::Client;
  if (mode == RunMode::Client) return RunClient();
  return RunServer(argc, argv, commandLine);
}
