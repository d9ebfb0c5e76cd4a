// Fan-out load generator for IRC servers: N clients in R rooms flood PRIVMSG
// lines and count what every other member receives. Plain IRC on the wire, so
// the same run drives our server, ngircd and InspIRCd. One thread, epoll,
// edge-triggered non-blocking sockets.
#include <arpa/inet.h>
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
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------- options

struct Options {
  std::string host = "127.0.0.1";
  int port = 6667;
  int clients = 200;
  int rooms = 10;
  int messages = 100;
  int idle = 0;             // >0: idle-connection mode
  int serverPid = 0;        // for the idle mode's memory reading
  double holdSeconds = -1;  // idle mode: <0 hold until a signal
  int window = 0;           // >0: at most this many undelivered lines per sender
  int connectWindow = 64;   // registrations in flight at once
  int textBytes = 64;       // length of the text after the colon
  double timeout = 15;      // seconds without progress before giving up
  std::string nickPrefix = "u";
  bool json = false;
  bool verbose = false;  // phase timings on stderr
};

void Usage() {
  std::fprintf(stderr,
               "usage: loadgen [--host H] [--port P] [--clients N] [--rooms R] [--messages M]\n"
               "               [--window W] [--text-bytes B] [--timeout S] [--nick-prefix X]\n"
               "               [--connect-window C] [--json] [--verbose]\n"
               "       loadgen --idle N [--server-pid PID] [--hold S] [--host H] [--port P] [--json]\n");
}

bool ParseInt(const char* text, int& out) {
  std::string_view s(text);
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    bool ok = true;
    if (a == "--json" || a == "--verbose") {
      (a == "--json" ? o.json : o.verbose) = true;
      continue;
    }
    if (!(v = next())) return false;
    if (a == "--host") o.host = v;
    else if (a == "--port") ok = ParseInt(v, o.port);
    else if (a == "--clients") ok = ParseInt(v, o.clients);
    else if (a == "--rooms") ok = ParseInt(v, o.rooms);
    else if (a == "--messages") ok = ParseInt(v, o.messages);
    else if (a == "--idle") ok = ParseInt(v, o.idle);
    else if (a == "--server-pid") ok = ParseInt(v, o.serverPid);
    else if (a == "--window") ok = ParseInt(v, o.window);
    else if (a == "--connect-window") ok = ParseInt(v, o.connectWindow);
    else if (a == "--text-bytes") ok = ParseInt(v, o.textBytes);
    else if (a == "--hold") o.holdSeconds = std::atof(v);
    else if (a == "--timeout") o.timeout = std::atof(v);
    else if (a == "--nick-prefix") o.nickPrefix = v;
    else return false;
    if (!ok) return false;
  }
  if (o.idle > 0) o.clients = o.idle;
  return o.clients > 0 && o.rooms > 0 && o.rooms <= o.clients && o.messages >= 0 &&
         o.connectWindow > 0 && o.textBytes >= 40 && o.port > 0 && o.port < 65536;
}

// ---------------------------------------------------------------- clock, histogram

std::uint64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::uint64_t(ts.tv_sec) * 1000000000u + std::uint64_t(ts.tv_nsec);
}

// Log-linear microsecond histogram: exact below 1024 us, then 512 buckets per
// power of two (about 0.2 % error), so millions of samples cost a few KB.
class LatencyHistogram {
 public:
  void Add(std::uint64_t us) {
    ++counts_[Index(us)];
    ++total_;
  }
  std::uint64_t Total() const { return total_; }
  // Smallest value v with at least q of the samples <= v.
  double Quantile(double q) const {
    if (total_ == 0) return 0;
    std::uint64_t want = std::uint64_t(q * double(total_) + 0.999999);
    if (want == 0) want = 1;
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
      seen += counts_[i];
      if (seen >= want) return double(UpperBound(i));
    }
    return double(UpperBound(counts_.size() - 1));
  }

 private:
  static constexpr int kLinear = 1024;
  static constexpr int kPerOctave = 512;
  static constexpr int kOctaves = 30;
  static std::size_t Index(std::uint64_t us) {
    if (us < kLinear) return std::size_t(us);
    int octave = 63 - __builtin_clzll(us) - 9;  // us >> octave lies in [512, 1024)
    if (octave > kOctaves) return kLinear + std::size_t(kOctaves) * kPerOctave - 1;
    std::uint64_t mantissa = (us >> octave) - kPerOctave;
    return kLinear + std::size_t(octave - 1) * kPerOctave + std::size_t(mantissa);
  }
  static std::uint64_t UpperBound(std::size_t index) {
    if (index < kLinear) return index;
    std::size_t k = index - kLinear;
    int octave = int(k / kPerOctave) + 1;
    std::uint64_t mantissa = (k % kPerOctave) + kPerOctave;
    return ((mantissa + 1) << octave) - 1;
  }
  std::array<std::uint64_t, kLinear + kOctaves * kPerOctave> counts_{};
  std::uint64_t total_ = 0;
};

// ---------------------------------------------------------------- IRC line helpers

// The command word of a server line: the second word when a prefix leads.
std::string_view CommandOf(std::string_view line) {
  std::size_t start = 0;
  if (!line.empty() && line[0] == ':') {
    std::size_t sp = line.find(' ');
    if (sp == std::string_view::npos) return {};
    start = sp + 1;
  }
  std::size_t end = line.find(' ', start);
  return line.substr(start, end == std::string_view::npos ? line.size() - start : end - start);
}

// Everything after the command word (for PING's token).
std::string_view ParamsOf(std::string_view line) {
  std::string_view cmd = CommandOf(line);
  std::size_t after = std::size_t(cmd.data() - line.data()) + cmd.size();
  if (after >= line.size()) return {};
  return line.substr(after + 1);
}

bool ParseU64(std::string_view& s, std::uint64_t& out) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  if (ec != std::errc()) return false;
  s.remove_prefix(std::size_t(end - s.data()));
  return true;
}

// The text of a relayed PRIVMSG is "<seq> <timestamp-ns> padding".
bool ParseFloodText(std::string_view params, std::uint64_t& seq, std::uint64_t& stampNs) {
  std::size_t colon = params.find(" :");
  if (colon == std::string_view::npos) return false;
  std::string_view text = params.substr(colon + 2);
  if (!ParseU64(text, seq) || text.empty() || text[0] != ' ') return false;
  text.remove_prefix(1);
  return ParseU64(text, stampNs);
}

// ---------------------------------------------------------------- clients

enum class Phase { Idle, Connecting, Registering, Registered, Joining, Joined, Syncing, Ready, Dead };

struct Client {
  int fd = -1;
  int index = 0;
  int room = 0;
  Phase phase = Phase::Idle;
  std::string nick;
  std::string partial;  // bytes after the last complete line
  std::string out;      // bytes not yet taken by the socket
  std::size_t outPos = 0;
  int sent = 0;         // flood lines generated
  int delivered = 0;    // own flood lines that reached every other member
  std::uint64_t received = 0;
};

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

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

class LoadGen {
 public:
  explicit LoadGen(const Options& o) : o_(o), clients_(std::size_t(o.clients)) {
    for (int i = 0; i < o.clients; ++i) {
      clients_[std::size_t(i)].index = i;
      clients_[std::size_t(i)].room = i % o.rooms;
      clients_[std::size_t(i)].nick = MakeNick(i);
    }
    roomSize_.assign(std::size_t(o.rooms), 0);
    for (int i = 0; i < o.clients; ++i) ++roomSize_[std::size_t(i % o.rooms)];
    readBuf_.resize(kReadChunk);
  }
  ~LoadGen() {
    for (auto& c : clients_)
      if (c.fd >= 0) close(c.fd);
    if (ep_ >= 0) close(ep_);
  }

  int Run();
  int RunIdle();

 private:
  static constexpr std::size_t kReadChunk = 256 * 1024;
  static constexpr std::size_t kMaxPartial = 1 << 20;  // a longer line is a fault

  std::string MakeNick(int i) const {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", i);
    return o_.nickPrefix + digits;
  }
  std::string RoomName(int room) const { return "#room" + std::to_string(room); }

  bool Setup();
  bool OpenEpoll();
  bool StartConnect(Client& c);
  bool RunPhase(Phase target, std::function<void(Client&)> advance, const char* what);
  void Poll(int timeoutMs);
  void OnReadable(Client& c);
  void OnLine(Client& c, std::string_view line);
  void OnFloodLine(Client& receiver, std::string_view params);
  void Flush(Client& c);
  void Queue(Client& c, std::string_view bytes);
  void Pump(Client& c);
  void Kill(Client& c, const char* why);
  bool FloodFinished() const { return received_ >= expected_; }
  void Report(double setupSeconds, double floodSeconds, double serverCpu) const;

  const Options& o_;
  std::vector<Client> clients_;
  std::vector<int> roomSize_;
  std::vector<char> readBuf_;
  std::vector<std::uint16_t> perMessage_;  // deliveries of each global sequence number
  int ep_ = -1;
  int dead_ = 0;
  bool flooding_ = false;
  std::uint64_t floodStartNs_ = 0;
  std::uint64_t lastReceiptNs_ = 0;
  std::uint64_t lastProgressNs_ = 0;
  std::uint64_t expected_ = 0;
  std::uint64_t received_ = 0;
  std::uint64_t duplicates_ = 0;
  std::uint64_t foreign_ = 0;  // flood lines that did not parse
  LatencyHistogram latency_;
  std::string firstDeath_;
};

bool LoadGen::OpenEpoll() {
  ep_ = epoll_create1(EPOLL_CLOEXEC);
  if (ep_ < 0) {
    std::perror("epoll_create1");
    return false;
  }
  return true;
}

bool LoadGen::StartConnect(Client& c) {
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
  if (c.fd < 0) {
    std::perror("socket");
    freeaddrinfo(res);
    return false;
  }
  int one = 1;
  setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  int rc = connect(c.fd, res->ai_addr, res->ai_addrlen);
  freeaddrinfo(res);
  if (rc < 0 && errno != EINPROGRESS) {
    std::perror("connect");
    return false;
  }
  epoll_event ev{};
  ev.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
  ev.data.u32 = std::uint32_t(c.index);
  epoll_ctl(ep_, EPOLL_CTL_ADD, c.fd, &ev);
  c.phase = Phase::Registering;
  // The server reads these once the connection is up; the kernel keeps them meanwhile.
  Queue(c, "USER u * * :u\r\nNICK " + c.nick + "\r\n");
  return true;
}

void LoadGen::Queue(Client& c, std::string_view bytes) {
  c.out.append(bytes);
  Flush(c);
}

void LoadGen::Flush(Client& c) {
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

// Writes flood lines while the socket takes them (and the window allows).
void LoadGen::Pump(Client& c) {
  char line[1024];
  const std::string room = RoomName(c.room);
  while (c.fd >= 0 && c.sent < o_.messages && c.out.empty()) {
    std::size_t batchEnd = 0;
    std::string batch;
    while (c.sent < o_.messages && batch.size() < 16 * 1024) {
      if (o_.window > 0 && c.sent - c.delivered >= o_.window) break;
      std::uint64_t seq = std::uint64_t(c.index) * std::uint64_t(o_.messages) + std::uint64_t(c.sent);
      int head = std::snprintf(line, sizeof line, "PRIVMSG %s :%llu %llu ", room.c_str(),
                               static_cast<unsigned long long>(seq),
                               static_cast<unsigned long long>(NowNs()));
      std::size_t textStart = std::size_t(std::strchr(line, ':') - line) + 1;
      std::size_t want = textStart + std::size_t(o_.textBytes);
      std::size_t len = std::max(std::size_t(head), want);
      if (len + 2 > sizeof line) len = sizeof line - 2;
      std::fill(line + head, line + len, 'x');
      line[len] = '\r';
      line[len + 1] = '\n';
      batch.append(line, len + 2);
      ++c.sent;
      batchEnd = batch.size();
    }
    if (batchEnd == 0) return;
    Queue(c, batch);
  }
}

void LoadGen::Kill(Client& c, const char* why) {
  if (c.fd < 0) return;
  if (firstDeath_.empty()) firstDeath_ = c.nick + ": " + why;
  epoll_ctl(ep_, EPOLL_CTL_DEL, c.fd, nullptr);
  close(c.fd);
  c.fd = -1;
  c.phase = Phase::Dead;
  ++dead_;
}

void LoadGen::OnReadable(Client& c) {
  for (;;) {
    if (c.fd < 0) return;
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
    for (;;) {
      const void* lf = std::memchr(data.data() + start, '\n', data.size() - start);
      if (!lf) break;
      std::size_t end = std::size_t(static_cast<const char*>(lf) - data.data());
      std::size_t lineEnd = (end > start && data[end - 1] == '\r') ? end - 1 : end;
      OnLine(c, data.substr(start, lineEnd - start));
      if (c.fd < 0) return;
      start = end + 1;
    }
    c.partial.assign(data.data() + start, data.size() - start);
    if (c.partial.size() > kMaxPartial) {
      Kill(c, "line too long");
      return;
    }
  }
}

void LoadGen::OnLine(Client& c, std::string_view line) {
  std::string_view cmd = CommandOf(line);
  if (cmd == "PRIVMSG") {
    if (flooding_) OnFloodLine(c, ParamsOf(line));
    return;
  }
  if (cmd == "PING") {
    std::string_view token = ParamsOf(line);
    Queue(c, "PONG " + std::string(token.empty() ? std::string_view(":x") : token) + "\r\n");
    return;
  }
  if (cmd == "001" && c.phase == Phase::Registering) {
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

void LoadGen::OnFloodLine(Client& receiver, std::string_view params) {
  std::uint64_t seq = 0, stamp = 0;
  if (!ParseFloodText(params, seq, stamp)) {
    ++foreign_;
    return;
  }
  std::uint64_t now = NowNs();
  latency_.Add(now > stamp ? (now - stamp) / 1000 : 0);
  ++receiver.received;
  ++received_;
  lastReceiptNs_ = now;
  lastProgressNs_ = now;
  std::uint64_t total = std::uint64_t(o_.clients) * std::uint64_t(o_.messages);
  if (seq >= total) {
    ++foreign_;
    return;
  }
  Client& sender = clients_[std::size_t(seq / std::uint64_t(o_.messages))];
  std::uint16_t& count = perMessage_[std::size_t(seq)];
  ++count;
  int need = roomSize_[std::size_t(sender.room)] - 1;
  if (count > need) {
    ++duplicates_;
  } else if (count == need) {
    ++sender.delivered;
    if (o_.window > 0) Pump(sender);
  }
}

void LoadGen::Poll(int timeoutMs) {
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

// Moves every client to `target`, at most connectWindow of them in flight;
// `advance` sends what takes one client there.
bool LoadGen::RunPhase(Phase target, std::function<void(Client&)> advance, const char* what) {
  std::size_t next = 0;
  std::size_t inFlight = 0;
  std::size_t done = 0;
  std::vector<char> started(clients_.size(), 0);
  const std::uint64_t phaseStart = NowNs();
  std::uint64_t lastProgress = phaseStart;
  std::size_t lastDone = 0;
  while (done + std::size_t(dead_) < clients_.size()) {
    while (next < clients_.size() && inFlight < std::size_t(o_.connectWindow)) {
      Client& c = clients_[next];
      started[next++] = 1;
      if (c.phase == Phase::Dead) continue;
      advance(c);
      ++inFlight;
    }
    Poll(100);
    done = 0;
    inFlight = 0;
    for (std::size_t i = 0; i < clients_.size(); ++i) {
      if (clients_[i].phase == target) ++done;
      else if (started[i] && clients_[i].phase != Phase::Dead) ++inFlight;
    }
    std::uint64_t now = NowNs();
    if (done != lastDone) {
      lastDone = done;
      lastProgress = now;
    } else if (double(now - lastProgress) / 1e9 > o_.timeout) {
      std::fprintf(stderr, "%s: stuck at %zu of %zu clients (%d lost", what, done, clients_.size(), dead_);
      if (!firstDeath_.empty()) std::fprintf(stderr, ", first: %s", firstDeath_.c_str());
      std::fprintf(stderr, ")\n");
      return false;
    }
    if (g_stop) return false;
  }
  if (o_.verbose) std::fprintf(stderr, "%s: %zu clients in %.3f s\n", what, done, double(NowNs() - phaseStart) / 1e9);
  if (dead_ > 0) {
    std::fprintf(stderr, "%s: %d connections lost (%s)\n", what, dead_, firstDeath_.c_str());
    return false;
  }
  return true;
}

// Connect and register every client, join the rooms, then one PING/PONG round
// so that no JOIN echo is still under way when the clock starts.
bool LoadGen::Setup() {
  if (!RunPhase(Phase::Registered, [this](Client& c) {
        if (!StartConnect(c)) Kill(c, "connect failed");
      }, "register"))
    return false;
  if (o_.idle == 0 &&
      !RunPhase(Phase::Joined, [this](Client& c) {
        c.phase = Phase::Joining;
        Queue(c, "JOIN " + RoomName(c.room) + "\r\n");
      }, "join"))
    return false;
  return RunPhase(Phase::Ready, [this](Client& c) {
    c.phase = Phase::Syncing;
    Queue(c, "PING :sync\r\n");
  }, "sync");
}

int LoadGen::Run() {
  if (!OpenEpoll()) return 2;
  std::uint64_t t0 = NowNs();
  if (!Setup()) return 2;
  double setupSeconds = double(NowNs() - t0) / 1e9;

  for (int size : roomSize_)
    expected_ += std::uint64_t(size) * std::uint64_t(size - 1) * std::uint64_t(o_.messages);
  perMessage_.assign(std::size_t(o_.clients) * std::size_t(o_.messages), 0);
  const double cpuBefore = o_.serverPid > 0 ? ReadCpuSeconds(o_.serverPid) : 0;
  flooding_ = true;
  floodStartNs_ = NowNs();
  lastProgressNs_ = floodStartNs_;
  for (auto& c : clients_) Pump(c);
  while (!FloodFinished() && !g_stop) {
    Poll(50);
    if (double(NowNs() - lastProgressNs_) / 1e9 > o_.timeout) break;
    if (dead_ == o_.clients) break;
  }
  double floodSeconds = lastReceiptNs_ > floodStartNs_ ? double(lastReceiptNs_ - floodStartNs_) / 1e9 : 0;
  const double serverCpu = o_.serverPid > 0 ? ReadCpuSeconds(o_.serverPid) - cpuBefore : 0;
  Report(setupSeconds, floodSeconds, serverCpu);
  return received_ == expected_ && dead_ == 0 ? 0 : 1;
}

void LoadGen::Report(double setupSeconds, double floodSeconds, double serverCpu) const {
  std::uint64_t sent = 0;
  for (const auto& c : clients_) sent += std::uint64_t(c.sent);
  double rate = floodSeconds > 0 ? double(received_) / floodSeconds : 0;
  std::uint64_t lost = expected_ > received_ ? expected_ - received_ : 0;
  double p50 = latency_.Quantile(0.50), p99 = latency_.Quantile(0.99);
  // Server CPU per delivered line hardly depends on what else runs on the machine.
  double cpuNs = received_ > 0 ? serverCpu * 1e9 / double(received_) : 0;
  if (o_.json) {
    std::printf(
        "{\"clients\":%d,\"rooms\":%d,\"messages\":%d,\"window\":%d,\"sent\":%llu,"
        "\"expected\":%llu,\"received\":%llu,\"lost\":%llu,\"duplicates\":%llu,"
        "\"unparsed\":%llu,\"disconnected\":%d,\"setup_s\":%.3f,\"seconds\":%.3f,"
        "\"msg_per_s\":%.0f,\"p50_us\":%.0f,\"p99_us\":%.0f,\"server_cpu_s\":%.2f,"
        "\"server_cpu_ns_per_msg\":%.1f}\n",
        o_.clients, o_.rooms, o_.messages, o_.window, static_cast<unsigned long long>(sent),
        static_cast<unsigned long long>(expected_), static_cast<unsigned long long>(received_),
        static_cast<unsigned long long>(lost), static_cast<unsigned long long>(duplicates_),
        static_cast<unsigned long long>(foreign_), dead_, setupSeconds, floodSeconds, rate, p50, p99,
        serverCpu, cpuNs);
  } else {
    std::printf("clients %d, rooms %d, messages %d per client (%llu sent)\n", o_.clients, o_.rooms,
                o_.messages, static_cast<unsigned long long>(sent));
    std::printf("setup %.2f s; delivered %llu of %llu in %.3f s: %.0f msg/s\n", setupSeconds,
                static_cast<unsigned long long>(received_), static_cast<unsigned long long>(expected_),
                floodSeconds, rate);
    std::printf("latency p50 %.0f us, p99 %.0f us; lost %llu, duplicates %llu, unparsed %llu, "
                "disconnected %d\n",
                p50, p99, static_cast<unsigned long long>(lost), static_cast<unsigned long long>(duplicates_),
                static_cast<unsigned long long>(foreign_), dead_);
    if (o_.serverPid > 0)
      std::printf("server CPU %.2f s, %.1f ns per delivered line\n", serverCpu, cpuNs);
  }
  if (!firstDeath_.empty()) std::fprintf(stderr, "first lost connection: %s\n", firstDeath_.c_str());
}

int LoadGen::RunIdle() {
  if (!OpenEpoll()) return 2;
  std::uint64_t before = o_.serverPid > 0 ? ReadVmRssKb(o_.serverPid) : 0;
  if (!Setup()) return 2;
  long long after = 0;
  if (o_.serverPid > 0) {
    // Let the server finish whatever it does after the last reply.
    for (int i = 0; i < 5; ++i) Poll(100);
    after = static_cast<long long>(ReadVmRssKb(o_.serverPid));
    double perConn = double(after - static_cast<long long>(before)) * 1024.0 / double(o_.idle);
    if (o_.json)
      std::printf("{\"idle\":%d,\"rss_before_kb\":%llu,\"rss_after_kb\":%lld,\"bytes_per_conn\":%.0f}\n", o_.idle,
                  static_cast<unsigned long long>(before), after, perConn);
    else
      std::printf("idle %d: server RSS %llu kB -> %lld kB, %.0f bytes per connection\n", o_.idle,
                  static_cast<unsigned long long>(before), after, perConn);
  } else {
    std::printf("ready %d\n", o_.idle);
  }
  std::fflush(stdout);
  std::uint64_t holdUntil = o_.holdSeconds < 0 ? 0 : NowNs() + std::uint64_t(o_.holdSeconds * 1e9);
  while (!g_stop && (holdUntil == 0 || NowNs() < holdUntil)) Poll(200);
  return dead_ == 0 ? 0 : 1;
}

void RaiseFdLimit(int need) {
  rlimit rl{};
  if (getrlimit(RLIMIT_NOFILE, &rl) != 0) return;
  rlim_t want = rlim_t(need) + 64;
  if (rl.rlim_cur >= want) return;
  rl.rlim_cur = std::min(want, rl.rlim_max);
  if (rl.rlim_max < want) {
    rl.rlim_max = want;  // only root may raise the hard limit; fall back below
    if (setrlimit(RLIMIT_NOFILE, &rl) == 0) return;
    getrlimit(RLIMIT_NOFILE, &rl);
    rl.rlim_cur = rl.rlim_max;
  }
  setrlimit(RLIMIT_NOFILE, &rl);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    Usage();
    return 2;
  }
  RaiseFdLimit(o.clients);
  signal(SIGPIPE, SIG_IGN);
  signal(SIGINT, OnSignal);
  signal(SIGTERM, OnSignal);
  LoadGen gen(o);
  return o.idle > 0 ? gen.RunIdle() : gen.Run();
}
