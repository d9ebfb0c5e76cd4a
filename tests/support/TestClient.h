// Test support: a blocking TCP client for protocol tests over loopback.
// Every wait has a time-out, so a missing reply fails the test instead of
// hanging it. Lines are Shift-JIS in the test and ISO-2022-JP on the wire,
// like the program's own client writes them.
//
//   TestClient taro;
//   ASSERT_TRUE(taro.Connect(server.UserPort()));          // from 127.0.0.1
//   taro.SendLine("NICK taro");
//   EXPECT_TRUE(taro.Expect(":ZKWChatServer214 001 taro :Welcome ..."));
//   EXPECT_TRUE(taro.ExpectQuiet());                        // nothing else came
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace novalune::test {

// Shift-JIS of a UTF-8 literal, for Japanese text in tests.
std::string Sj(std::string_view utf8);

// Polls `done` until it holds or `wait` runs out: for an event that is expected to happen
// but leaves nothing on a test connection to wait for (a port closing, a signal emitted).
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds wait = std::chrono::seconds(5));

class TestClient {
 public:
  using Duration = std::chrono::milliseconds;
  static constexpr Duration kDefaultWait{5000};

  TestClient() = default;
  ~TestClient();
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  // Connects to `host`:`port`, bound to `localAddress` when one is given (for example
  // "127.0.0.2", which the server sees as a remote user). `receiveBuffer` > 0 sets a
  // small socket receive buffer before connecting (a peer that reads slowly).
  bool Connect(std::uint16_t port, const std::string& localAddress = "",
               const std::string& host = "127.0.0.1", int receiveBuffer = 0);
  void Disconnect();
  bool Connected() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // Writes bytes as they are; false when the connection broke or the write timed out.
  bool SendRaw(std::string_view bytes, Duration wait = kDefaultWait);
  // Appends CR LF to a Shift-JIS line and writes it encoded with SjisToJis.
  bool SendLine(std::string_view sjisLine);

  // The next line as it came off the wire, up to and including its LF.
  std::optional<std::string> ReadRawLine(Duration wait = kDefaultWait);
  // The next line decoded with JisToSjis, without its CR LF.
  std::optional<std::string> ReadLine(Duration wait = kDefaultWait);
  // Reads the next line and compares it with `sjisLine` (the failure shows both in UTF-8).
  ::testing::AssertionResult Expect(std::string_view sjisLine, Duration wait = kDefaultWait);
  // Reads lines in order and compares them one by one.
  ::testing::AssertionResult ExpectLines(const std::vector<std::string>& sjisLines);

  // Sends PING and waits for the PONG; returns the lines that arrived before it (nullopt
  // when no PONG came). The server handles a connection's lines in order, so whatever an
  // earlier command caused has been written before the PONG.
  std::optional<std::vector<std::string>> Sync(Duration wait = kDefaultWait);
  // Sync() and nothing else arrived.
  ::testing::AssertionResult ExpectQuiet();

  // Exactly `count` bytes (fewer only when the connection ended or the wait ran out).
  std::string ReadBytes(std::size_t count, Duration wait = kDefaultWait);
  // Everything until the peer closes; stops at `limit` bytes or when the wait runs out.
  std::string ReadAll(std::size_t limit, Duration wait = kDefaultWait);
  // True when the server closed the connection within the wait; unread data is discarded.
  bool WaitClosed(Duration wait = kDefaultWait);

  // "USER nick * * :nick" and "NICK nick", then expects 001 and 376.
  ::testing::AssertionResult Register(std::string_view nick);

 private:
  // Waits until the socket is readable; false on time-out.
  bool WaitReadable(std::chrono::steady_clock::time_point deadline);
  // Reads once into pending_; false at end of stream, on error or time-out.
  bool Fill(std::chrono::steady_clock::time_point deadline);

  int fd_ = -1;
  std::string pending_;  // received, not yet handed out
};

}  // namespace novalune::test
