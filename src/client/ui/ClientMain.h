// The client program: the application object with its error handler at the
// event-loop boundary, and the main window until it closes.
#pragma once

#include <functional>
#include <string>

namespace novalune::ui {

struct ClientProgram {
  std::string firstArgument;  // as given on the command line (local 8-bit encoding)
  std::function<bool()> localServerRunning;
  std::function<void()> startServerCopy;
};

// Runs the client window until it closes; returns the exit code.
int RunClientProgram(int argc, char** argv, const ClientProgram& program);

}  // namespace novalune::ui
