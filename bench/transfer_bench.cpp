// File transfer throughput, side by side in one run:
//   1. loopback: a raw TCP copy, our send-ahead transfer, one block per ack;
//   2. a link with 20 ms round trip (a delaying proxy of our own): send-ahead
//      against one block per ack;
//   3. relayed through our server: send-ahead against the raw copy.
// Usage: transfer_bench [MiB on loopback, default 1024] [MiB over the slow link, default 64]
//                       [send-ahead KiB, default 1024] [rounds on loopback, default 3]
// The sender runs on the main thread and the receiver on a thread of its own,
// as two clients in two processes would; the raw copy moves bytes from memory
// to memory, so its figure is the upper bound.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/core/FileTransfer.h"
#include "client/net/FileTransferNet.h"
#include "server/core/ServerCore.h"
#include "support/ServerThread.h"

namespace {

using novalune::client::FileReceiveChannel;
using novalune::client::FileSendChannel;
using novalune::client::FileServerSocket;
using novalune::client::TransferEnd;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kMiB = 1024 * 1024;

int ListenLoopback(std::uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 4);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

int ConnectLoopback(std::uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -1;
  return fd;
}

// A chat user played over a blocking socket: registers, writes lines and waits
// for the line that contains a word.
class LineClient {
 public:
  LineClient(std::uint16_t port, const std::string& nick) : fd_(ConnectLoopback(port)) {
    Send("USER " + nick + " * * :" + nick);
    Send("NICK " + nick);
    WaitFor(" 376 ");
  }
  ~LineClient() { close(fd_); }
  void Send(const std::string& line) {
    const std::string bytes = line + "\r\n";
    if (write(fd_, bytes.data(), bytes.size()) < 0) std::perror("write");
  }
  void WaitFor(const std::string& word) {
    for (;;) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (line.find(word) != std::string::npos) return;
        continue;
      }
      char block[4096];
      const ssize_t n = read(fd_, block, sizeof block);
      if (n <= 0) return;
      pending_.append(block, static_cast<std::size_t>(n));
    }
  }

 private:
  int fd_;
  std::string pending_;
};

// Every round that keeps a file starts alike: a new file, as each real receive
// makes a fresh work file, and no write-back of an earlier round still running
// on the disk.
void FreshTarget(const QString& path) {
  QFile::remove(path);
  sync();
}

// Bytes per second of a plain copy of `size` bytes over loopback, kept in a
// file at `sink` when one is named (as a receiver must).
double RawCopy(std::uint64_t size, const QString& sink = {}) {
  std::uint16_t port = 0;
  const int listener = ListenLoopback(port);
  std::thread writer([port, size] {
    const int fd = ConnectLoopback(port);
    std::vector<char> block(256 * 1024);
    for (std::uint64_t left = size; left > 0;) {
      const ssize_t n = write(fd, block.data(), std::min<std::uint64_t>(left, block.size()));
      if (n <= 0) break;
      left -= static_cast<std::uint64_t>(n);
    }
    close(fd);
  });
  if (!sink.isEmpty()) FreshTarget(sink);
  const int fd = accept(listener, nullptr, nullptr);
  const auto start = Clock::now();
  QFile file(sink);
  if (!sink.isEmpty()) file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
  std::vector<char> block(256 * 1024);
  for (ssize_t n; (n = read(fd, block.data(), block.size())) > 0;) {
    if (file.isOpen()) file.write(block.data(), n);
  }
  file.close();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  writer.join();
  close(fd);
  close(listener);
  return static_cast<double>(size) / seconds;
}

// Forwards both ways between an accepted client and `target`, each byte held
// back `delay` (half the round trip); runs until both sides have closed.
class DelayProxy {
 public:
  DelayProxy(std::uint16_t target, std::chrono::milliseconds delay) : target_(target), delay_(delay) {
    listener_ = ListenLoopback(port_);
    thread_ = std::thread([this] { Run(); });
  }
  ~DelayProxy() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  std::uint16_t Port() const { return port_; }

 private:
  struct Held {
    Clock::time_point due;
    std::string bytes;
  };
  struct Direction {
    int from = -1, to = -1;
    std::deque<Held> queue;
    bool eof = false, shut = false;
  };

  void Run() {
    pollfd accepting{listener_, POLLIN, 0};
    while (!stop_ && poll(&accepting, 1, 50) <= 0) {
    }
    if (stop_) return;
    const int client = accept(listener_, nullptr, nullptr);
    const int server = ConnectLoopback(target_);
    Direction up, down;
    up.from = down.to = client;
    up.to = down.from = server;
    std::vector<char> block(64 * 1024);
    while (!stop_ && !(up.shut && down.shut)) {
      pollfd fds[2] = {{client, static_cast<short>(up.eof ? 0 : POLLIN), 0},
                       {server, static_cast<short>(down.eof ? 0 : POLLIN), 0}};
      poll(fds, 2, 1);
      Pump(up, fds[0].revents, block);
      Pump(down, fds[1].revents, block);
    }
    close(client);
    close(server);
  }

  void Pump(Direction& d, short events, std::vector<char>& block) {
    if (events & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = read(d.from, block.data(), block.size());
      if (n > 0)
        d.queue.push_back({Clock::now() + delay_, std::string(block.data(), static_cast<std::size_t>(n))});
      if (n <= 0) d.eof = true;
    }
    while (!d.queue.empty() && d.queue.front().due <= Clock::now()) {
      // Blocking write: the sink drains it; a proxy with a real link would too.
      const std::string& bytes = d.queue.front().bytes;
      if (write(d.to, bytes.data(), bytes.size()) < 0) d.eof = true;
      d.queue.pop_front();
    }
    if (d.eof && d.queue.empty() && !d.shut) {
      shutdown(d.to, SHUT_WR);
      d.shut = true;
    }
  }

  std::uint16_t target_;
  std::chrono::milliseconds delay_;
  std::uint16_t port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The file to send: real bytes, written once per size and left in the page
// cache, as a file a user has just picked is. (A sparse file would make the
// system zero a fresh page for every block read, which no real file costs.)
QString SourceFile(const QTemporaryDir& dir, std::uint64_t size) {
  const QString path = dir.filePath(QStringLiteral("source-%1.bin").arg(size));
  QFile file(path);
  if (file.exists()) return path;
  file.open(QIODevice::WriteOnly);
  QByteArray block(1024 * 1024, '\0');
  for (int i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 31 + 7);
  for (std::uint64_t left = size; left > 0;) {
    const auto n =
        static_cast<qint64>(std::min<std::uint64_t>(left, static_cast<std::uint64_t>(block.size())));
    file.write(block.constData(), n);
    left -= static_cast<std::uint64_t>(n);
  }
  return path;
}

// The receiving client on its own thread, as it would be in its own process.
class ReceiverThread {
 public:
  ReceiverThread(const QString& work, std::uint64_t size, const QString& host, std::uint16_t port) {
    thread_.reset(QThread::create([=, this] {
      FileReceiveChannel receiver(work, size);
      bool done = false;
      QObject::connect(&receiver, &FileReceiveChannel::Finished, [&](const TransferEnd& e) {
        complete_ = e.complete;
        done = true;
      });
      QString error;
      receiver.Start(host, port, error);
      QEventLoop loop;
      while (!done) loop.processEvents(QEventLoop::WaitForMoreEvents);
    }));
    thread_->start();
  }
  ~ReceiverThread() { Join(); }
  bool Join() {
    thread_->wait();
    return complete_;
  }

 private:
  std::unique_ptr<QThread> thread_;
  std::atomic<bool> complete_{false};
};

// Runs the sender on this thread until it has ended; bytes per second.
double Rate(FileSendChannel& sender, ReceiverThread& receiver, std::uint64_t size,
            const QElapsedTimer& timer) {
  bool ended = false;
  QObject::connect(&sender, &FileSendChannel::Finished, [&](const TransferEnd&) { ended = true; });
  QString error;
  sender.Start(error);
  while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  if (!receiver.Join()) std::printf("  (transfer failed)\n");
  return static_cast<double>(size) / (static_cast<double>(timer.nsecsElapsed()) / 1e9);
}

double Direct(const QTemporaryDir& dir, std::uint64_t size, std::uint64_t window,
              const std::optional<std::chrono::milliseconds>& delay) {
  const QString source = SourceFile(dir, size);
  FileServerSocket listener(0);
  listener.Listen();
  std::optional<DelayProxy> proxy;
  if (delay) proxy.emplace(listener.Port(), *delay);
  FreshTarget(dir.filePath("RECEIVE.TMP"));
  QElapsedTimer timer;
  timer.start();
  ReceiverThread receiver(dir.filePath("RECEIVE.TMP"), size, "127.0.0.1",
                          proxy ? proxy->Port() : listener.Port());
  QTcpSocket* socket = nullptr;
  QObject::connect(&listener, &FileServerSocket::Accepted, [&](QTcpSocket* accepted) { socket = accepted; });
  while (!socket) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  FileSendChannel sender(socket, source, window);
  return Rate(sender, receiver, size, timer);
}

double Relayed(const QTemporaryDir& dir, std::uint64_t size, std::uint64_t window) {
  novalune::test::ServerThread server;
  LineClient taro(server.UserPort(), "taro");
  LineClient hanako(server.UserPort(), "hanako");
  const QString source = SourceFile(dir, size);
  taro.Send(novalune::client::RelaySendLine("hanako", "f.bin", size));
  hanako.WaitFor("DCC SEND");
  FreshTarget(dir.filePath("RECEIVE.TMP"));
  QElapsedTimer timer;
  timer.start();
  ReceiverThread receiver(dir.filePath("RECEIVE.TMP"), size, "127.0.0.1", server.RelayReceiverPort());
  taro.WaitFor("RELAYSEND");
  auto* socket = new QTcpSocket;
  socket->connectToHost("127.0.0.1", server.RelaySenderPort());
  socket->waitForConnected(5000);
  FileSendChannel sender(socket, source, window);
  return Rate(sender, receiver, size, timer);
}

// The server's relay alone: two plain blocking sockets, the sender writing 256 KiB blocks
// and the receiver answering each read with the 4-byte big-endian running total, as the
// real receiver acknowledges. Bytes per second until the receiver has everything.
double RelayedRawSockets(std::uint64_t size) {
  novalune::test::ServerThread server;
  LineClient taro(server.UserPort(), "taro");
  LineClient hanako(server.UserPort(), "hanako");
  taro.Send(novalune::client::RelaySendLine("hanako", "f.bin", size));
  hanako.WaitFor("DCC SEND");
  const auto start = Clock::now();
  std::thread receiver([&server, size] {
    const int fd = ConnectLoopback(server.RelayReceiverPort());
    std::vector<char> block(256 * 1024);
    std::uint64_t total = 0;
    while (total < size) {
      const ssize_t n = read(fd, block.data(), block.size());
      if (n <= 0) break;
      total += static_cast<std::uint64_t>(n);
      const std::uint32_t ack = htonl(static_cast<std::uint32_t>(total));
      if (write(fd, &ack, sizeof ack) != sizeof ack) break;
    }
    close(fd);
  });
  taro.WaitFor("RELAYSEND");
  const int fd = ConnectLoopback(server.RelaySenderPort());
  // Acks are read while sending, or a full ack path would stall the receiver.
  std::thread acks([fd, size] {
    unsigned char bytes[4];
    std::size_t have = 0;
    for (std::uint64_t acked = 0; acked < size;) {
      const ssize_t n = read(fd, bytes + have, sizeof bytes - have);
      if (n <= 0) break;
      have += static_cast<std::size_t>(n);
      if (have < sizeof bytes) continue;
      have = 0;
      std::uint32_t total = 0;
      std::memcpy(&total, bytes, sizeof total);
      acked += ntohl(total) - static_cast<std::uint32_t>(acked);  // the total wraps at 4 GiB
    }
  });
  std::vector<char> block(256 * 1024, '\x5a');
  for (std::uint64_t left = size; left > 0;) {
    const ssize_t n = write(fd, block.data(), std::min<std::uint64_t>(left, block.size()));
    if (n <= 0) break;
    left -= static_cast<std::uint64_t>(n);
  }
  receiver.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  acks.join();
  close(fd);
  return static_cast<double>(size) / seconds;
}

void Line(const char* what, double rate, double reference, const char* against) {
  std::printf("  %-46s %9.3f MB/s   %7.2fx %s\n", what, rate / 1e6, rate / reference, against);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::uint64_t big = (argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024) * kMiB;
  const std::uint64_t slow = (argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 64) * kMiB;
  const std::uint64_t window =
      argc > 3 ? std::strtoull(argv[3], nullptr, 10) * 1024 : novalune::client::kDefaultSendAhead;
  // Other work on the machine only ever slows a round down: the best shows what the code can do.
  const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
  QTemporaryDir dir;

  std::printf("Loopback, %llu MiB, best of %d rounds:\n", static_cast<unsigned long long>(big / kMiB),
              rounds);
  SourceFile(dir, big);
  SourceFile(dir, big / 16);
  // Rounds take turns, so that every figure sees the same moments of the
  // machine (its raw copy alone moves twice as fast at one time as at another).
  double raw = 0, rawFile = 0, direct = 0, relayedRaw = 0, relayed = 0;
  for (int round = 0; round < rounds; ++round) {
    raw = std::max(raw, RawCopy(big));
    // The receiver's disk is part of every transfer: this is what one can reach.
    rawFile = std::max(rawFile, RawCopy(big, dir.filePath("RAW.BIN")));
    direct = std::max(direct, Direct(dir, big, window, std::nullopt));
    relayedRaw = std::max(relayedRaw, RelayedRawSockets(big));
    relayed = std::max(relayed, Relayed(dir, big, window));
  }
  Line("raw TCP copy", raw, raw, "raw");
  Line("raw TCP copy into a file", rawFile, raw, "raw");
  Line("direct, send-ahead", direct, raw, "raw");
  Line("  the same against the copy into a file", direct, rawFile, "into a file");
  // One block per round trip is slow; a sixteenth of the size shows its rate.
  Line("direct, one block per ack (1/16 of the size)", Direct(dir, big / 16, 0, std::nullopt), raw, "raw");
  Line("relayed, raw sockets through our server", relayedRaw, raw, "raw");
  Line("relayed, send-ahead", relayed, raw, "raw");
  Line("  the same against the copy into a file", relayed, rawFile, "into a file");
  Line("relayed, one block per ack (1/16 of the size)", Relayed(dir, big / 16, 0), raw, "raw");

  const auto halfTrip = std::chrono::milliseconds(10);
  std::printf("Link with 20 ms round trip, %llu MiB:\n", static_cast<unsigned long long>(slow / kMiB));
  // At one block per 20 ms the whole size would take hours: 256 KiB shows the rate.
  const double oneBlock = Direct(dir, 256 * 1024, 0, halfTrip);
  Line("direct, one block per ack (256 KiB)", oneBlock, oneBlock, "one block");
  Line("direct, send-ahead", Direct(dir, slow, window, halfTrip), oneBlock, "one block");

  // Both clients and the server share this process: with 4096 MiB above this
  // shows that memory does not grow with the file.
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("Peak memory of the run (two clients and the server): %ld MiB\n", usage.ru_maxrss / 1024);
  return 0;
}
