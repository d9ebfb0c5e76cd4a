// Test support: the chat server (engine and network adapter) on ephemeral
// ports, running its own event loop in its own thread.
//
//   novalune::test::ServerThread server;           // listening once constructed
//   TestClient taro;
//   ASSERT_TRUE(taro.Connect(server.UserPort()));
//   server.Run([](ServerCore& core, ServerNet&) { core.SetServerLock(true); });
//
// Run() executes on the server thread and waits for it, so the engine is never
// touched from two threads at once. The first ServerThread creates a
// QCoreApplication when the process has none; a test that needs a QApplication
// must create it before.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "server/core/ServerCore.h"
#include "server/net/ServerNet.h"

class QThread;
class QObject;

namespace novalune::test {

class ServerThread {
 public:
  // Starts the server; relay ports are chosen at once and kept for the run.
  explicit ServerThread(server::NetLimits limits = {});
  // Stops the event loop and joins the thread; open connections are closed.
  ~ServerThread();
  ServerThread(const ServerThread&) = delete;
  ServerThread& operator=(const ServerThread&) = delete;

  std::uint16_t UserPort() const { return ports_.user; }
  std::uint16_t HostPort() const { return ports_.host; }
  std::uint16_t RelaySenderPort() const { return ports_.relaySender; }
  std::uint16_t RelayReceiverPort() const { return ports_.relayReceiver; }

  // Runs `action` on the server thread and returns once it has finished.
  void Run(const std::function<void(server::ServerCore&, server::ServerNet&)>& action);
  // Ends the server the way the program does on SIGTERM (ServerNet::Shutdown).
  void Shutdown();

 private:
  struct Loop;
  server::NetPorts ports_{0, 0, 0, 0};
  std::unique_ptr<Loop> loop_;
  QThread* thread_ = nullptr;
};

}  // namespace novalune::test
