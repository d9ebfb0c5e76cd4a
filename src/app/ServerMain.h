// The server program: command line, the headless start and the server's event loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace novalune::server {
class ServerNet;
}

namespace novalune::app {

struct CommandLine {
  std::string firstArgument;           // upper-cased (ASCII letters); empty when none
  std::vector<std::string> arguments;  // everything after the program name, as given
};

// The one place where the command line is read.
CommandLine ParseCommandLine(int argc, char** argv);

// True when a window could be shown: a display is named or QT_QPA_PLATFORM
// picks a platform that needs none.
bool HasDisplay();

// Serves on the fixed ports, with the console when there is a display, until
// the console's Exit or SIGTERM or SIGINT; SIGHUP reads the refuse list and
// "PassHost" again. At the end every user goes
// through the normal disconnect processing and the process ends with 0.
// Returns 1 when the user port cannot be opened and there is nothing else to
// run: "/SONLY" or no display. A plain start keeps its console, which says so.
int RunServer(int argc, char** argv, const CommandLine& commandLine);

// Runs the current application's event loop for `net` until SIGTERM or SIGINT,
// then shuts the server down; SIGHUP runs `reload` on the loop. Needs a
// QCoreApplication (or QApplication).
int ServeUntilSignalled(server::ServerNet& net, const std::function<void()>& reload = {});

}  // namespace novalune::app
