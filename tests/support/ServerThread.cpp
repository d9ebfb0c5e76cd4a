#include "support/ServerThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

#include <future>

namespace novalune::test {

// Objects that live on the server thread, valid while its loop runs.
struct ServerThread::Loop {
  QEventLoop* eventLoop = nullptr;
  server::ServerNet* net = nullptr;
  server::ServerCore* core = nullptr;
};

namespace {

// Qt event loops need an application object; tests without one get a plain one that lives
// as long as the process.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "novalune-test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

}  // namespace

ServerThread::ServerThread(server::NetLimits limits) : loop_(std::make_unique<Loop>()) {
  EnsureApplication();
  std::promise<server::NetPorts> ready;
  std::future<server::NetPorts> bound = ready.get_future();
  thread_ = QThread::create([this, limits, &ready] {
    QEventLoop eventLoop;
    server::ServerNet net(server::NetPorts{0, 0, 0, 0}, limits);
    server::ServerCore core(net, net.EnginePorts());
    net.Start(core);
    loop_->eventLoop = &eventLoop;
    loop_->net = &net;
    loop_->core = &core;
    ready.set_value({net.UserPort(), net.HostPort(), net.RelaySenderPort(), net.RelayReceiverPort()});
    eventLoop.exec();
    loop_->net = nullptr;
    loop_->core = nullptr;
  });
  thread_->start();
  ports_ = bound.get();
}

ServerThread::~ServerThread() {
  QMetaObject::invokeMethod(loop_->eventLoop, "quit", Qt::QueuedConnection);
  thread_->wait();
  delete thread_;
}

void ServerThread::Run(const std::function<void(server::ServerCore&, server::ServerNet&)>& action) {
  QMetaObject::invokeMethod(
      loop_->net, [this, &action] { action(*loop_->core, *loop_->net); }, Qt::BlockingQueuedConnection);
}

void ServerThread::Shutdown() {
  Run([](server::ServerCore&, server::ServerNet& net) { net.Shutdown(); });
}

}  // namespace novalune::test
