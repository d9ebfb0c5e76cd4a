#include "support/TestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <thread>

#include "common/SjisText.h"
#include "common/jconvert.h"

namespace novalune::test {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

bool MakeAddress(const std::string& text, std::uint16_t port, sockaddr_in& address) {
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  return ::inet_pton(AF_INET, text.c_str(), &address.sin_addr) == 1;
}

bool IsPong(std::string_view line) {
  const std::size_t blank = line.find(' ');
  return !line.empty() && line[0] == ':' && blank != std::string_view::npos &&
         line.substr(blank + 1, 5) == "PONG ";
}

std::string Shown(std::string_view sjis) { return SjisToUtf8(sjis); }

}  // namespace

std::string Sj(std::string_view utf8) { return Utf8ToSjis(utf8); }

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TestClient::~TestClient() { Disconnect(); }

bool TestClient::Connect(std::uint16_t port, const std::string& localAddress, const std::string& host,
                         int receiveBuffer) {
  Disconnect();
  sockaddr_in remote{};
  if (!MakeAddress(host, port, remote)) return false;
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  if (receiveBuffer > 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  const int one = 1;  // every line goes out at once, as a test expects
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in local{};
  const bool bound =
      localAddress.empty() || (MakeAddress(localAddress, 0, local) &&
                               ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0);
  if (!bound || ::connect(fd_, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    Disconnect();
    return false;
  }
  return true;
}

void TestClient::Disconnect() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pending_.clear();
}

bool TestClient::SendRaw(std::string_view bytes, Duration wait) {
  const auto deadline = Clock::now() + wait;
  while (!bytes.empty()) {
    pollfd poller{fd_, POLLOUT, 0};
    if (::poll(&poller, 1, MillisecondsLeft(deadline)) <= 0) return false;
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool TestClient::SendLine(std::string_view sjisLine) {
  std::string line(sjisLine);
  line += "\r\n";
  return SendRaw(SjisToJis(line));
}

bool TestClient::WaitReadable(Clock::time_point deadline) {
  pollfd poller{fd_, POLLIN, 0};
  for (;;) {
    const int ready = ::poll(&poller, 1, MillisecondsLeft(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool TestClient::Fill(Clock::time_point deadline) {
  if (fd_ < 0 || !WaitReadable(deadline)) return false;
  char buffer[64 * 1024];
  const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
  if (got <= 0) return false;
  pending_.append(buffer, static_cast<std::size_t>(got));
  return true;
}

std::optional<std::string> TestClient::ReadRawLine(Duration wait) {
  const auto deadline = Clock::now() + wait;
  for (;;) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end + 1);
      pending_.erase(0, end + 1);
      return line;
    }
    if (!Fill(deadline)) return std::nullopt;
  }
}

std::optional<std::string> TestClient::ReadLine(Duration wait) {
  std::optional<std::string> raw = ReadRawLine(wait);
  if (!raw) return std::nullopt;
  std::string line = JisToSjis(*raw);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

::testing::AssertionResult TestClient::Expect(std::string_view sjisLine, Duration wait) {
  const std::optional<std::string> line = ReadLine(wait);
  if (!line) return ::testing::AssertionFailure() << "no line came; expected \"" << Shown(sjisLine) << "\"";
  if (*line != sjisLine) {
    return ::testing::AssertionFailure()
           << "got \"" << Shown(*line) << "\"\n expected \"" << Shown(sjisLine) << "\"";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult TestClient::ExpectLines(const std::vector<std::string>& sjisLines) {
  for (std::size_t i = 0; i < sjisLines.size(); ++i) {
    ::testing::AssertionResult result = Expect(sjisLines[i]);
    if (!result) return result << " (line " << i + 1 << " of " << sjisLines.size() << ")";
  }
  return ::testing::AssertionSuccess();
}

std::optional<std::vector<std::string>> TestClient::Sync(Duration wait) {
  if (!SendLine("PING")) return std::nullopt;
  const auto deadline = Clock::now() + wait;
  std::vector<std::string> before;
  for (;;) {
    std::optional<std::string> line = ReadLine(std::chrono::duration_cast<Duration>(deadline - Clock::now()));
    if (!line) return std::nullopt;
    if (IsPong(*line)) return before;
    before.push_back(std::move(*line));
  }
}

::testing::AssertionResult TestClient::ExpectQuiet() {
  const std::optional<std::vector<std::string>> lines = Sync();
  if (!lines) return ::testing::AssertionFailure() << "no PONG came";
  if (lines->empty()) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "unexpected lines:";
  for (const std::string& line : *lines) failure << "\n  \"" << Shown(line) << "\"";
  return failure;
}

std::string TestClient::ReadBytes(std::size_t count, Duration wait) {
  const auto deadline = Clock::now() + wait;
  while (pending_.size() < count && Fill(deadline)) {
  }
  const std::size_t taken = std::min(count, pending_.size());
  std::string bytes = pending_.substr(0, taken);
  pending_.erase(0, taken);
  return bytes;
}

std::string TestClient::ReadAll(std::size_t limit, Duration wait) {
  const auto deadline = Clock::now() + wait;
  while (pending_.size() < limit && Fill(deadline)) {
  }
  std::string bytes;
  bytes.swap(pending_);
  if (bytes.size() > limit) bytes.resize(limit);
  return bytes;
}

bool TestClient::WaitClosed(Duration wait) {
  const auto deadline = Clock::now() + wait;
  char buffer[64 * 1024];
  while (fd_ >= 0 && WaitReadable(deadline)) {
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) return true;
  }
  return false;
}

::testing::AssertionResult TestClient::Register(std::string_view nick) {
  const std::string name(nick);
  if (!SendLine("USER " + name + " * * :" + name) || !SendLine("NICK " + name)) {
    return ::testing::AssertionFailure() << "could not send the registration";
  }
  return ExpectLines({":ZKWChatServer214 001 " + name + " :Welcome to the Internet Relay Network " + name,
                      ":ZKWChatServer214 376 " + name + " :End of /MOTD command"});
}

}  // namespace novalune::test
