#include "app/ServerMain.h"

int main(int argc, char** argv) {
  const novalune::app::CommandLine commandLine = novalune::app::ParseCommandLine(argc, argv);
  if (commandLine.firstArgument == "/SONLY") return novalune::app::RunServer(argc, argv, commandLine);
  return 0;
}
