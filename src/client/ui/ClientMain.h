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

// A command-line argument, or a link handed over by another copy, in the
// engine's Shift-JIS: the desktop's encoding, and for a "ZKWC2://" link the
// percent-encoding a browser gives a Japanese room undone.
std::string CommandLineArgument(const std::string& raw);

// Runs the client window until it closes; returns the exit code.
int RunClientProgram(int argc, char** argv, const ClientProgram& program);

}  // namespace novalune::ui
