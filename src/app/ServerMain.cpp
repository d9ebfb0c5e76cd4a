#include "app/ServerMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/SjisText.h"
#include "server/console/ConsoleLink.h"
#include "server/console/ConsoleStore.h"
#include "server/console/ServerForm.h"
#include "server/core/ServerCore.h"
#include "server/net/ServerNet.h"

namespace novalune::app {

namespace {

int signalPipe[2] = {-1, -1};
constexpr char kStopByte = 'S';
constexpr char kReloadByte = 'R';

void OnSignal(int signal) {
  const int saved = errno;
  const char byte = signal == SIGHUP ? kReloadByte : kStopByte;
  [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

// SIGTERM, SIGINT and SIGHUP only write to a pipe; the event loop reads it and shuts down in
// order, or reloads the saved console state.
bool InstallSignals() {
  if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0 &&
         ::sigaction(SIGHUP, &action, nullptr) == 0;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool PlatformUsable(const std::string& platform) {
  const std::string name = platform.substr(0, platform.find(':'));
  if (name == "xcb") return !Environment("DISPLAY").empty();
  if (name.rfind("wayland", 0) == 0) return !Environment("WAYLAND_DISPLAY").empty();
  return !name.empty();  // offscreen, minimal, vnc, linuxfb, eglfs: no desktop needed
}

void ReportUserPortClosed(const server::ServerNet& net) {
  std::fprintf(stderr, "NOVALUNE server: cannot listen on port %u: %s\n", unsigned{net.UserPort()},
               std::strerror(net.UserListenError()));
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine commandLine;
  for (int i = 1; i < argc; ++i) commandLine.arguments.emplace_back(argv[i]);
  if (!commandLine.arguments.empty()) commandLine.firstArgument = AsciiUpper(commandLine.arguments.front());
  return commandLine;
}

bool HasDisplay() {
  const std::string platforms = Environment("QT_QPA_PLATFORM");
  if (platforms.empty()) return !Environment("DISPLAY").empty() || !Environment("WAYLAND_DISPLAY").empty();
  std::size_t start = 0;
  while (start <= platforms.size()) {
    const std::size_t end = std::min(platforms.find(';', start), platforms.size());
    if (PlatformUsable(platforms.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

int ServeUntilSignalled(server::ServerNet& net, const std::function<void()>& reload) {
  if (!InstallSignals()) return 1;
  QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
    bool stop = false;
    bool reloadWanted = false;
    char bytes[16];
    for (long got; (got = ::read(signalPipe[0], bytes, sizeof bytes)) > 0;) {
      const std::string_view received(bytes, static_cast<std::size_t>(got));
      stop = stop || received.find(kStopByte) != std::string_view::npos;
      reloadWanted = reloadWanted || received.find(kReloadByte) != std::string_view::npos;
    }
    if (!stop) {
      if (reloadWanted && reload) reload();
      return;
    }
    signalNotifier.setEnabled(false);
    net.Shutdown();
    QCoreApplication::exit(0);
  });
  return QCoreApplication::exec();
}

// With a desktop the server has its console, which lives in the tray and
// starts the client copy.
int RunServerWithConsole(int argc, char** argv, const CommandLine& commandLine) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // the console hides; the server goes on
  server::ServerNet net;
  const bool serving = net.UserListening();
  if (!serving) {
    ReportUserPortClosed(net);
    // A plain start still gives the operator the console, which says so, and the client copy.
    if (commandLine.firstArgument == "/SONLY") return 1;
  }
  server::ServerCore core(net, net.EnginePorts());
  net.Start(core);
  server::ConsoleSetup setup;
  setup.userPortOpen = serving;
  setup.firstArg = commandLine.firstArgument;
  setup.programPath = QCoreApplication::applicationFilePath();
  server::TServerForm form(core, std::move(setup));
  server::AttachConsole(form, net);
  QObject::connect(&form, &server::TServerForm::serverEnded, [&net] {
    net.Shutdown();
    QCoreApplication::exit(0);
  });
  form.FirstShow();
  return ServeUntilSignalled(net, [&form] { form.ReloadState(); });
}

int RunServer(int argc, char** argv, const CommandLine& commandLine) {
  if (HasDisplay()) return RunServerWithConsole(argc, argv, commandLine);
  QCoreApplication app(argc, argv);
  server::ServerNet net;
  if (!net.UserListening()) {
    ReportUserPortClosed(net);
    return 1;
  }
  server::ServerCore core(net, net.EnginePorts());
  // Without the console the operator edits the files and sends SIGHUP.
  server::LoadConsoleState(core);
  net.Start(core);
  std::fprintf(stderr, "NOVALUNE server: serving on port %u without its console (no display)\n",
               unsigned{net.UserPort()});
  return ServeUntilSignalled(net, [&core] { server::LoadConsoleState(core); });
}

}  // namespace novalune::app
