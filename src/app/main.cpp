#include <QCoreApplication>
#include <QProcess>
#include <cstdio>

#include "app/LinkHandOver.h"
#include "app/ProgramInfo.h"
#include "app/QtTranslations.h"
#include "app/RunMode.h"
#include "app/ServerMain.h"
#include "client/ui/ClientMain.h"

namespace {

// Every application object of the program, server console or client, gets
// Qt's Japanese texts as it is made.
void InstallTranslationsAtStart() { novalune::app::InstallQtTranslations(*QCoreApplication::instance()); }
Q_COREAPP_STARTUP_FUNCTION(InstallTranslationsAtStart)

// The client window until it closes.
int RunClient(int argc, char** argv, const novalune::app::CommandLine& commandLine) {
  const std::string firstArgument =
      commandLine.arguments.empty() ? std::string() : commandLine.arguments.front();
  // A link opened on the desktop goes to the client already running there.
  if (novalune::app::IsChatLink(firstArgument) && novalune::app::HandOverLink(firstArgument)) return 0;
  if (!novalune::app::HasDisplay()) {
    std::fprintf(stderr, "NOVALUNE: the chat client needs a desktop (no display found)\n");
    return 2;
  }
  novalune::ui::ClientProgram program;
  program.firstArgument = firstArgument;
  program.localServerRunning = [] { return novalune::app::ServerMarker().Exists(); };
  program.startServerCopy = [] {
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("/SONLY")});
  };
  return novalune::ui::RunClientProgram(argc, argv, program);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace novalune::app;
  const CommandLine commandLine = ParseCommandLine(argc, argv);
  if (const auto answered = AnswerInfoOptions(commandLine.arguments, stdout, stderr)) return *answered;
  ServerMarker marker;
  RunMode mode = DecideRunMode(commandLine.firstArgument, marker.Exists());
  if (mode == RunMode::ServerWithClient && !HasDisplay()) {
    std::fprintf(stderr, "NOVALUNE needs a desktop (no display found); use /SONLY to run the server alone\n");
    return 2;
  }
  // Two copies started at the same moment: the one that takes the marker serves.
  if (mode != RunMode::Client && !marker.Create()) mode = RunMode::Client;
  if (mode == RunMode::Client) return RunClient(argc, argv, commandLine);
  return RunServer(argc, argv, commandLine);
}
