// One thread, epoll, edge-triggered non-blocking sockets: the load generator
// must stay cheap next to the server it drives on the same two cores.
#include "loadgen_engine.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "loadgen_proto.h"

namespace loadgen {

namespace {

volatile sig_atomic_t g_stop = 0;

enum class Phase { Idle, Registering, Registered, Joining, Joined, Syncing, Ready, Dead };

struct Client {
  int fd = -1;
  int index = 0;
  int room = 0;
  Phase phase = Phase::Idle;
  std::string nick;
  std::string partial;  // bytes after the last complete line
  std::string out;      // bytes not yet taken by the socket
  std::size_t outPos = 0;
  int sent = 0;       // flood lines written
  int delivered = 0;  // own flood lines that reached every other member
};

}  // namespace

void RaiseFdLimit(int connections) {
  rlimit rl{};
  if (getrlimit(RLIMIT_NOFILE, &rl) != 0) return;
  rlim_t want = rlim_t(connections) + 64;
  if (rl.rlim_cur >= want) return;
  if (rl.rlim_max < want) {
    rlimit raised{want, want};  // only root may raise the hard limit
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) return;
  }
  rl.rlim_cur = std::min(want, rl.rlim_max);
  setrlimit(RLIMIT_NOFILE, &rl);
}

std::uint64_t ReadVmRssKb(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

// User plus system CPU time of a process, all threads, in seconds.
double ReadCpuSeconds(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t close = stat.rfind(')');  // the command name may hold blanks
  if (close == std::string::npos) return 0;
  std::vector<std::string> fields;
  std::size_t pos = close + 2;
  while (pos < stat.size() && fields.size() < 13) {
    std::size_t sp = stat.find(' ', pos);
    if (sp == std::string::npos) sp = stat.size();
    fields.push_back(stat.substr(pos, sp - pos));
    pos = sp + 1;
  }
  if (fields.size() < 13) return 0;  // fields 14 and 15 of the file: utime, stime
  double ticks = std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr);
  return ticks / double(sysconf(_SC_CLK_TCK));
}

class LoadGen::Impl {
 public:
  explicit Impl(const Options& o) : o_(o), clients_(std::size_t(std::max(o.clients, 0))) {
    for (int i = 0; i < o.clients; ++i) {
      Client& c = clients_[std::size_t(i)];
      c.index = i;
      c.room = o.rooms > 0 ? i % o.rooms : 0;
      char digits[16];
      std::snprintf(digits, sizeof digits, "%04d", i);
      c.nick = o.nickPrefix + digits;
    }
    roomSize_.assign(std::size_t(std::max(o.rooms, 1)), 0);
    for (const Client& c : clients_) ++roomSize_[std::size_t(c.room)];
    readBuf_.resize(kReadChunk);
    ep_ = epoll_create1(EPOLL_CLOEXEC);
    if (ep_ < 0) std::perror("epoll_create1");
  }
  ~Impl() {
    for (auto& c : clients_)
      if (c.fd >= 0) close(c.fd);
    if (ep_ >= 0) close(ep_);
  }

  FloodResult Flood();
  IdleResult OpenIdle();
  void Hold(double seconds);

 private:
  static constexpr std::size_t kReadChunk = 256 * 1024;
  static constexpr std::size_t kMaxPartial = 1 << 20;  // a longer line is a fault

  std::string RoomName(int room) const { return "#room" + std::to_string(room); }
  bool Setup(bool join);
  bool StartConnect(Client& c);
  bool RunPhase(Phase target, const std::function<void(Client&)>& advance, const char* what);
  void Poll(int timeoutMs);
  void OnReadable(Client& c);
  void OnLine(Client& c, std::string_view line);
  void OnFloodLine(std::string_view params);
  void Queue(Client& c, std::string_view bytes);
  void Flush(Client& c);
  void Pump(Client& c);
  void Kill(Client& c, const char* why);

  const Options o_;
  std::vector<Client> clients_;
  std::vector<int> roomSize_;
  std::vector<char> readBuf_;
  std::vector<std::uint16_t> perMessage_;  // deliveries of each sequence number
  int ep_ = -1;
  int dead_ = 0;
  bool flooding_ = false;
  std::uint64_t lastReceiptNs_ = 0;
  std::uint64_t lastProgressNs_ = 0;
  std::uint64_t received_ = 0;
  std::uint64_t duplicates_ = 0;
  std::uint64_t unparsed_ = 0;
  LatencyHistogram latency_;
  std::string firstLoss_;
};

bool LoadGen::Impl::StartConnect(Client& c) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  std::string port = std::to_string(o_.port);
  if (getaddrinfo(o_.host.c_str(), port.c_str(), &hints, &res) != 0 || !res) {
    std::fprintf(stderr, "cannot resolve %s\n", o_.host.c_str());
    return false;
  }
  c.fd = socket(res->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int rc = c.fd < 0 ? -1 : connect(c.fd, res->ai_addr, res->ai_addrlen);
  freeaddrinfo(res);
  if (c.fd < 0 || (rc < 0 && errno != EINPROGRESS)) {
    std::perror("connect");
    return false;
  }
  int one = 1;
  setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  epoll_event ev{};
  ev.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
  ev.data.u32 = std::uint32_t(c.index);
  epoll_ctl(ep_, EPOLL_CTL_ADD, c.fd, &ev);
  c.phase = Phase::Registering;
  // Queued until the connection is up; the EPOLLOUT that follows writes them.
  Queue(c, "USER u * * :u\r\nNICK " + c.nick + "\r\n");
  return true;
}

void LoadGen::Impl::Queue(Client& c, std::string_view bytes) {
  c.out.append(bytes);
  Flush(c);
}

void LoadGen::Impl::Flush(Client& c) {
  while (c.fd >= 0 && c.outPos < c.out.size()) {
    ssize_t n = send(c.fd, c.out.data() + c.outPos, c.out.size() - c.outPos, MSG_NOSIGNAL);
    if (n > 0) {
      c.outPos += std::size_t(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOTCONN)) return;
    if (n < 0 && errno == EINTR) continue;
    Kill(c, "write failed");
    return;
  }
  if (c.outPos == c.out.size()) {
    c.out.clear();
    c.outPos = 0;
  }
}

// Writes flood lines while the socket takes them (and the window allows). The
// timestamp is taken per line, so a line waits in our buffer only when the
// socket refused part of a batch.
void LoadGen::Impl::Pump(Client& c) {
  char line[1024];
  const std::string room = RoomName(c.room);
  std::string batch;
  while (c.fd >= 0 && c.sent < o_.messages && c.out.empty()) {
    batch.clear();
    while (c.sent < o_.messages && batch.size() < 16 * 1024) {
      if (o_.window > 0 && c.sent - c.delivered >= o_.window) break;
      std::uint64_t seq = std::uint64_t(c.index) * std::uint64_t(o_.messages) + std::uint64_t(c.sent);
      int head =
          std::snprintf(line, sizeof line, "PRIVMSG %s :%llu %llu ", room.c_str(),
                        static_cast<unsigned long long>(seq), static_cast<unsigned long long>(NowNs()));
      std::size_t textStart = room.size() + 10;  // "PRIVMSG " room " :"
      std::size_t len =
          std::min(std::max(std::size_t(head), textStart + std::size_t(o_.textBytes)), sizeof line - 2);
      std::fill(line + head, line + len, 'x');
      line[len] = '\r';
      line[len + 1] = '\n';
      batch.append(line, len + 2);
      ++c.sent;
    }
    if (batch.empty()) return;
    Queue(c, batch);
  }
}

void LoadGen::Impl::Kill(Client& c, const char* why) {
  if (c.fd < 0) return;
  if (firstLoss_.empty()) firstLoss_ = c.nick + ": " + why;
  epoll_ctl(ep_, EPOLL_CTL_DEL, c.fd, nullptr);
  close(c.fd);
  c.fd = -1;
  c.phase = Phase::Dead;
  ++dead_;
}

void LoadGen::Impl::OnReadable(Client& c) {
  while (c.fd >= 0) {
    std::size_t keep = c.partial.size();
    if (readBuf_.size() < keep + kReadChunk) readBuf_.resize(keep + kReadChunk);
    std::memcpy(readBuf_.data(), c.partial.data(), keep);
    ssize_t n = recv(c.fd, readBuf_.data() + keep, kReadChunk, 0);
    if (n == 0) {
      Kill(c, "closed by server");
      return;
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) Kill(c, "read failed");
      return;
    }
    std::string_view data(readBuf_.data(), keep + std::size_t(n));
    std::size_t start = 0;
    while (const void* lf = std::memchr(data.data() + start, '\n', data.size() - start)) {
      std::size_t end = std::size_t(static_cast<const char*>(lf) - data.data());
      std::size_t lineEnd = (end > start && data[end - 1] == '\r') ? end - 1 : end;
      OnLine(c, data.substr(start, lineEnd - start));
      if (c.fd < 0) return;
      start = end + 1;
    }
    c.partial.assign(data.data() + start, data.size() - start);
    if (c.partial.size() > kMaxPartial) Kill(c, "line too long");
  }
}

void LoadGen::Impl::OnLine(Client& c, std::string_view line) {
  std::string_view cmd = CommandOf(line);
  if (cmd == "PRIVMSG") {
    if (flooding_) OnFloodLine(ParamsOf(line));
  } else if (cmd == "PING") {
    std::string_view token = ParamsOf(line);
    Queue(c, "PONG " + std::string(token.empty() ? std::string_view(":x") : token) + "\r\n");
  } else if (cmd == "001" && c.phase == Phase::Registering) {
    c.phase = Phase::Registered;
  } else if (cmd == "433" && c.phase == Phase::Registering) {
    c.nick += "_";  // a nick left over from an earlier run
    Queue(c, "NICK " + c.nick + "\r\n");
  } else if (cmd == "366" && c.phase == Phase::Joining) {
    c.phase = Phase::Joined;
  } else if (cmd == "PONG" && c.phase == Phase::Syncing) {
    c.phase = Phase::Ready;
  } else if (cmd == "ERROR") {
    Kill(c, "ERROR from server");
  }
}

void LoadGen::Impl::OnFloodLine(std::string_view params) {
  std::uint64_t seq = 0, stamp = 0;
  const std::uint64_t total = std::uint64_t(o_.clients) * std::uint64_t(o_.messages);
  if (!ParseFloodText(params, seq, stamp) || seq >= total) {
    ++unparsed_;
    return;
  }
  std::uint64_t now = NowNs();
  latency_.Add(now > stamp ? (now - stamp) / 1000 : 0);
  lastReceiptNs_ = lastProgressNs_ = now;
  Client& sender = clients_[std::size_t(seq / std::uint64_t(o_.messages))];
  std::uint16_t& count = perMessage_[std::size_t(seq)];
  const int need = roomSize_[std::size_t(sender.room)] - 1;
  if (count >= need) {
    ++duplicates_;
    return;
  }
  ++received_;
  if (++count == need) {
    ++sender.delivered;
    if (o_.window > 0) Pump(sender);
  }
}

void LoadGen::Impl::Poll(int timeoutMs) {
  epoll_event events[512];
  int n = epoll_wait(ep_, events, 512, timeoutMs);
  for (int i = 0; i < n; ++i) {
    Client& c = clients_[events[i].data.u32];
    if (c.fd < 0) continue;
    if (events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) OnReadable(c);
    if (c.fd >= 0 && (events[i].events & EPOLLOUT)) {
      Flush(c);
      if (flooding_) Pump(c);
    }
  }
}

// Moves every live client to `target`, at most connectWindow of them in
// flight; `advance` sends what takes one client there.
bool LoadGen::Impl::RunPhase(Phase target, const std::function<void(Client&)>& advance, const char* what) {
  const std::uint64_t phaseStart = NowNs();
  std::uint64_t lastProgress = phaseStart;
  std::size_t next = 0, inFlight = 0, done = 0, lastDone = 0;
  std::vector<char> started(clients_.size(), 0);
  while (done + std::size_t(dead_) < clients_.size()) {
    while (next < clients_.size() && inFlight < std::size_t(o_.connectWindow)) {
      Client& c = clients_[next];
      started[next++] = 1;
      if (c.phase == Phase::Dead) continue;
      advance(c);
      ++inFlight;
    }
    Poll(100);
    done = inFlight = 0;
    for (std::size_t i = 0; i < clients_.size(); ++i) {
      if (clients_[i].phase == target) ++done;
      else if (started[i] && clients_[i].phase != Phase::Dead) ++inFlight;
    }
    std::uint64_t now = NowNs();
    if (done != lastDone) {
      lastDone = done;
      lastProgress = now;
    } else if (double(now - lastProgress) / 1e9 > o_.timeout || g_stop) {
      std::fprintf(stderr, "%s: stuck at %zu of %zu clients (%d lost%s%s)\n", what, done, clients_.size(),
                   dead_, firstLoss_.empty() ? "" : ", first: ", firstLoss_.c_str());
      return false;
    }
  }
  if (o_.verbose)
    std::fprintf(stderr, "%s: %zu clients in %.3f s\n", what, done, double(NowNs() - phaseStart) / 1e9);
  if (dead_ > 0) {
    std::fprintf(stderr, "%s: %d connections lost (%s)\n", what, dead_, firstLoss_.c_str());
    return false;
  }
  return true;
}

// Register, join, then one PING round, so that no JOIN echo is still under
// way when the clock starts.
bool LoadGen::Impl::Setup(bool join) {
  if (ep_ < 0 || o_.clients <= 0) return false;
  auto connectOne = [this](Client& c) {
    if (!StartConnect(c)) Kill(c, "connect failed");
  };
  auto joinOne = [this](Client& c) {
    c.phase = Phase::Joining;
    Queue(c, "JOIN " + RoomName(c.room) + "\r\n");
  };
  auto syncOne = [this](Client& c) {
    c.phase = Phase::Syncing;
    Queue(c, "PING :sync\r\n");
  };
  return RunPhase(Phase::Registered, connectOne, "register") &&
         (!join || RunPhase(Phase::Joined, joinOne, "join")) && RunPhase(Phase::Ready, syncOne, "sync");
}

FloodResult LoadGen::Impl::Flood() {
  FloodResult r;
  const std::uint64_t t0 = NowNs();
  if (o_.rooms <= 0 || o_.rooms > o_.clients || !Setup(true)) {
    r.disconnected = dead_;
    r.firstLoss = firstLoss_;
    return r;
  }
  r.setupOk = true;
  r.setupSeconds = double(NowNs() - t0) / 1e9;
  for (int size : roomSize_)
    r.expected += std::uint64_t(size) * std::uint64_t(size - 1) * std::uint64_t(o_.messages);
  perMessage_.assign(std::size_t(o_.clients) * std::size_t(o_.messages), 0);

  const double cpuBefore = o_.serverPid > 0 ? ReadCpuSeconds(o_.serverPid) : 0;
  flooding_ = true;
  const std::uint64_t start = NowNs();
  lastProgressNs_ = start;
  for (auto& c : clients_) Pump(c);
  while (received_ < r.expected && !g_stop && dead_ < o_.clients &&
         double(NowNs() - lastProgressNs_) / 1e9 <= o_.timeout)
    Poll(50);
  flooding_ = false;

  for (const auto& c : clients_) r.sent += std::uint64_t(c.sent);
  r.received = received_;
  r.lost = r.expected - received_;
  r.duplicates = duplicates_;
  r.unparsed = unparsed_;
  r.disconnected = dead_;
  r.firstLoss = firstLoss_;
  r.seconds = lastReceiptNs_ > start ? double(lastReceiptNs_ - start) / 1e9 : 0;
  r.msgPerSecond = r.seconds > 0 ? double(received_) / r.seconds : 0;
  r.p50us = latency_.Quantile(0.50);
  r.p99us = latency_.Quantile(0.99);
  if (o_.serverPid > 0) {
    r.serverCpuSeconds = ReadCpuSeconds(o_.serverPid) - cpuBefore;
    if (received_ > 0) r.serverCpuNsPerMsg = r.serverCpuSeconds * 1e9 / double(received_);
  }
  return r;
}

IdleResult LoadGen::Impl::OpenIdle() {
  IdleResult r;
  r.rssBeforeKb = o_.serverPid > 0 ? ReadVmRssKb(o_.serverPid) : 0;
  if (!Setup(false)) return r;
  r.setupOk = true;
  if (o_.serverPid > 0) {
    for (int i = 0; i < 5; ++i) Poll(100);  // whatever the server does after its last reply
    r.rssAfterKb = ReadVmRssKb(o_.serverPid);
    r.bytesPerConnection = (double(r.rssAfterKb) - double(r.rssBeforeKb)) * 1024.0 / double(o_.clients);
  }
  return r;
}

void LoadGen::Impl::Hold(double seconds) {
  const std::uint64_t until = seconds < 0 ? 0 : NowNs() + std::uint64_t(seconds * 1e9);
  while (!g_stop && (until == 0 || NowNs() < until)) Poll(200);
}

LoadGen::LoadGen(const Options& options) : impl_(std::make_unique<Impl>(options)) {}
LoadGen::~LoadGen() = default;
FloodResult LoadGen::Flood() { return impl_->Flood(); }
IdleResult LoadGen::OpenIdle() { return impl_->OpenIdle(); }
void LoadGen::Hold(double seconds) { impl_->Hold(seconds); }
void LoadGen::RequestStop() { g_stop = 1; }

}  // namespace loadgen
