// Relayed file transfer through the two relay ports: whole binary files,
// both directions, back-pressure, two transfers at once kept apart, the
// relay's pipes given back with their pairs, and copying when no pipe can be had.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/ServerThread.h"
#include "support/TestClient.h"

namespace novalune::test {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

namespace {

const std::string kServer = ":ZKWChatServer214";

// Every byte value, in an order that repeats only after 65,536 bytes; `seed` keeps files apart.
std::string BinaryFile(std::size_t size, unsigned seed) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + (i >> 8) * 13 + seed) & 0xFF);
  return data;
}

// File size in MB: NOVALUNE_RELAY_MB overrides the default for a manual run with a big file.
std::size_t FileSize(std::size_t defaultMb) {
  const char* mb = std::getenv("NOVALUNE_RELAY_MB");
  return (mb ? std::strtoul(mb, nullptr, 10) : defaultMb) * 1024 * 1024;
}

class RelayTest : public ::testing::Test {
 protected:
  // Offers a file from `sender` to `receiver` and connects both relay sides: the receiver's
  // side from `receiverSide` first, then the sender's side once the server told the sender.
  void OpenTransfer(TestClient& sender, const std::string& senderNick, const std::string& receiverNick,
                    TestClient& receiver, TestClient& receiverSide, const std::string& receiverAddress,
                    TestClient& senderSide, const std::string& senderAddress, std::size_t size) {
    ASSERT_TRUE(sender.SendLine("RELAYSEND " + receiverNick + " my*file.bin " + std::to_string(size)));
    // 127.0.0.1 as the offer's 32-bit number: 127 * 2^24 + 1.
    ASSERT_TRUE(receiver.Expect(
        ":" + senderNick + "!x@x PRIVMSG " + receiverNick + " :\x01" + "DCC SEND my*file.bin 2130706433 " +
        std::to_string(server.RelayReceiverPort()) + " " + std::to_string(size) + "\x01"));
    ASSERT_TRUE(receiverSide.Connect(server.RelayReceiverPort(), receiverAddress));
    ASSERT_TRUE(sender.Expect(kServer + "!x@x RELAYSEND " + std::to_string(server.RelaySenderPort())));
    ASSERT_TRUE(senderSide.Connect(server.RelaySenderPort(), senderAddress));
  }

  // taro from 127.0.0.1 and hanako from 127.0.0.2.
  void RegisterTaroAndHanako(TestClient& taro, TestClient& hanako) {
    ASSERT_TRUE(taro.Connect(server.UserPort()));
    ASSERT_TRUE(taro.Register("taro"));
    ASSERT_TRUE(hanako.Connect(server.UserPort(), "127.0.0.2"));
    ASSERT_TRUE(hanako.Register("hanako"));
  }

  // taro (127.0.0.1) offers hanako (127.0.0.2) a file of `size`; both relay sides are connected.
  struct Transfer {
    TestClient taro, hanako, upload, download;
  };
  void StartTransfer(Transfer& t, std::size_t size) {
    RegisterTaroAndHanako(t.taro, t.hanako);
    if (HasFatalFailure()) return;
    OpenTransfer(t.taro, "taro", "hanako", t.hanako, t.download, "127.0.0.2", t.upload, "", size);
  }

  // The sender's side writes a whole file and closes; the receiver's side must get it all.
  static void SendFileAndClose(TestClient& upload, TestClient& download, std::size_t size, unsigned seed) {
    const std::string file = BinaryFile(size, seed);
    std::thread writer([&] {
      EXPECT_TRUE(upload.SendRaw(file, std::chrono::seconds(60)));
      upload.Disconnect();
    });
    const std::string received = download.ReadBytes(size, std::chrono::seconds(60));
    writer.join();
    EXPECT_TRUE(received == file) << "received " << received.size() << " of " << size << " bytes";
  }

  ServerThread server;
};

TEST_F(RelayTest, BinaryFileArrivesWholeAndBytesFlowBothWays) {
  TestClient taro;
  TestClient hanako;
  RegisterTaroAndHanako(taro, hanako);
  if (HasFatalFailure()) return;

  TestClient upload;
  TestClient download;
  const std::size_t size = FileSize(4);
  // A small receive window on the receiving side makes the server hold the sender back.
  ASSERT_TRUE(taro.SendLine("RELAYSEND hanako my*file.bin " + std::to_string(size)));
  ASSERT_TRUE(
      hanako.Expect(":taro!x@x PRIVMSG hanako :\x01"
                    "DCC SEND my*file.bin 2130706433 " +
                    std::to_string(server.RelayReceiverPort()) + " " + std::to_string(size) + "\x01"));
  ASSERT_TRUE(download.Connect(server.RelayReceiverPort(), "127.0.0.2", "127.0.0.1", 4096));
  // Sent before the other side exists: kept unread until the pair is made.
  ASSERT_TRUE(download.SendRaw("early"));
  ASSERT_TRUE(taro.Expect(kServer + "!x@x RELAYSEND " + std::to_string(server.RelaySenderPort())));
  ASSERT_TRUE(upload.Connect(server.RelaySenderPort()));
  EXPECT_EQ(upload.ReadBytes(5), "early");

  const std::string file = BinaryFile(size, 0);
  std::thread writer([&] { EXPECT_TRUE(upload.SendRaw(file, std::chrono::seconds(60))); });
  const std::string received = download.ReadBytes(size, std::chrono::seconds(60));
  writer.join();
  ASSERT_EQ(received.size(), file.size());
  EXPECT_TRUE(received == file) << "the relayed bytes differ";

  ASSERT_TRUE(download.SendRaw(std::string("\0\xff", 2)));
  EXPECT_EQ(upload.ReadBytes(2), std::string("\0\xff", 2));

  // The chat goes on while and after the relay runs.
  EXPECT_TRUE(taro.ExpectQuiet());
  EXPECT_TRUE(hanako.ExpectQuiet());
}

TEST_F(RelayTest, LastBytesBeforeTheSenderClosesStillArrive) {
  Transfer t;
  const std::size_t size = FileSize(2);
  StartTransfer(t, size);
  if (HasFatalFailure()) return;

  // The sender writes everything and closes at once, while the receiver has read nothing yet.
  SendFileAndClose(t.upload, t.download, size, 5);
  EXPECT_TRUE(t.taro.ExpectQuiet());
}

TEST_F(RelayTest, RelayPortsCloseAfterATransferAndOpenAgainOnTheSameNumbers) {
  TestClient taro;
  TestClient hanako;
  RegisterTaroAndHanako(taro, hanako);
  if (HasFatalFailure()) return;
  TestClient probe;
  EXPECT_FALSE(probe.Connect(server.RelayReceiverPort())) << "relay listening before any offer";

  for (int transfer = 0; transfer < 2; ++transfer) {
    TestClient upload;
    TestClient download;
    OpenTransfer(taro, "taro", "hanako", hanako, download, "127.0.0.2", upload, "", 3);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(upload.SendRaw("abc"));
    EXPECT_EQ(download.ReadBytes(3), "abc");
    upload.Disconnect();
    download.Disconnect();
    // Both sides have ended: the server stops listening on both relay ports.
    EXPECT_TRUE(WaitUntil([&] { return !probe.Connect(server.RelaySenderPort()); }));
    EXPECT_TRUE(WaitUntil([&] { return !probe.Connect(server.RelayReceiverPort()); }));
  }
}

TEST_F(RelayTest, TwoTransfersAtOnceDoNotMix) {
  TestClient taro, hanako, jiro, yuki;
  ASSERT_TRUE(taro.Connect(server.UserPort(), "127.0.0.4"));
  ASSERT_TRUE(taro.Register("taro"));
  ASSERT_TRUE(hanako.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(hanako.Register("hanako"));
  ASSERT_TRUE(jiro.Connect(server.UserPort(), "127.0.0.5"));
  ASSERT_TRUE(jiro.Register("jiro"));
  ASSERT_TRUE(yuki.Connect(server.UserPort(), "127.0.0.3"));
  ASSERT_TRUE(yuki.Register("yuki"));

  const std::size_t size = 3 * 1024 * 1024;
  TestClient upload1, download1, upload2, download2;
  OpenTransfer(taro, "taro", "hanako", hanako, download1, "127.0.0.2", upload1, "127.0.0.4", size);
  if (HasFatalFailure()) return;
  OpenTransfer(jiro, "jiro", "yuki", yuki, download2, "127.0.0.3", upload2, "127.0.0.5", size);
  if (HasFatalFailure()) return;

  const std::string file1 = BinaryFile(size, 1);
  const std::string file2 = BinaryFile(size, 2);
  std::thread writer1([&] { EXPECT_TRUE(upload1.SendRaw(file1, std::chrono::seconds(60))); });
  std::thread writer2([&] { EXPECT_TRUE(upload2.SendRaw(file2, std::chrono::seconds(60))); });
  std::string received2;
  std::thread reader2([&] { received2 = download2.ReadBytes(size, std::chrono::seconds(60)); });
  const std::string received1 = download1.ReadBytes(size, std::chrono::seconds(60));
  writer1.join();
  writer2.join();
  reader2.join();
  EXPECT_TRUE(received1 == file1) << "first transfer: " << received1.size() << " bytes";
  EXPECT_TRUE(received2 == file2) << "second transfer: " << received2.size() << " bytes";
}

// Descriptors this process holds; the server runs in it on its own thread.
std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// Resident memory of this process, which runs the server.
std::size_t ResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoul(line.substr(6)) * 1024;
  }
  return 0;
}

// Writes until the socket has taken nothing for `stall`; the count written.
std::size_t SendUntilStalled(int fd, std::string_view bytes, std::chrono::milliseconds stall) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    pollfd poller{fd, POLLOUT, 0};
    if (::poll(&poller, 1, static_cast<int>(stall.count())) <= 0) break;
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) sent += static_cast<std::size_t>(n);
  }
  return sent;
}

TEST_F(RelayTest, AStalledReceiverHoldsTheSenderBackAndTheCloseBehindTheBytesIsSeen) {
  Transfer t;
  const std::size_t size = 64 * 1024 * 1024;
  StartTransfer(t, size);
  if (HasFatalFailure()) return;

  // Only the sockets' buffers and one pipe lie between the two: the server's memory stays as it was.
  const std::string file = BinaryFile(size, 9);
  const std::size_t memoryBefore = ResidentBytes();
  const std::size_t early = SendUntilStalled(t.upload.Fd(), file, std::chrono::milliseconds(300));
  EXPECT_LT(early, size) << "the server took everything while the receiver read nothing";
  EXPECT_LT(ResidentBytes(), memoryBefore + 16 * 1024 * 1024);

  std::string received;
  std::thread reader([&] { received = t.download.ReadBytes(size, std::chrono::seconds(60)); });
  EXPECT_TRUE(t.upload.SendRaw(std::string_view(file).substr(early), std::chrono::seconds(60)));
  t.upload.Disconnect();
  reader.join();
  EXPECT_TRUE(received == file) << "received " << received.size() << " of " << size << " bytes";
  // The sender's close came behind its last bytes and was seen once they had gone on.
  TestClient probe;
  EXPECT_TRUE(WaitUntil([&] { return !probe.Connect(server.RelaySenderPort()); }));
}

TEST_F(RelayTest, EachPairsPipesCloseWithThePair) {
  TestClient taro;
  TestClient hanako;
  RegisterTaroAndHanako(taro, hanako);
  if (HasFatalFailure()) return;
  const std::size_t before = OpenDescriptors();

  for (int transfer = 0; transfer < 10; ++transfer) {
    TestClient upload;
    TestClient download;
    const std::size_t size = 256 * 1024;
    OpenTransfer(taro, "taro", "hanako", hanako, download, "127.0.0.2", upload, "", size);
    if (HasFatalFailure()) return;
    const std::string file = BinaryFile(size, static_cast<unsigned>(transfer));
    ASSERT_TRUE(upload.SendRaw(file));
    ASSERT_TRUE(download.ReadBytes(size) == file) << "transfer " << transfer;
    ASSERT_TRUE(download.SendRaw("ack!"));
    ASSERT_EQ(upload.ReadBytes(4), "ack!") << "transfer " << transfer;
    upload.Disconnect();
    // The receiver's connection stays, both its ends in this process; the pair's pipes are gone.
    ASSERT_TRUE(WaitUntil([&] { return OpenDescriptors() == before + 2; }))
        << "transfer " << transfer << ": " << OpenDescriptors() << " descriptors, " << before << " before";
    download.Disconnect();
    ASSERT_TRUE(WaitUntil([&] { return OpenDescriptors() == before; })) << "transfer " << transfer;
  }
}

// While it lives this process can open no new descriptor: the limit is lowered to the lowest free one.
class NoNewDescriptors {
 public:
  NoNewDescriptors() {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit tight = saved_;
    tight.rlim_cur = static_cast<rlim_t>(lowestFree);
    ::setrlimit(RLIMIT_NOFILE, &tight);
  }
  ~NoNewDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

TEST_F(RelayTest, WithoutDescriptorsForPipesTheBytesAreCopied) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers' own checks need descriptors the limit takes away";
  Transfer t;
  const std::size_t size = FileSize(4);
  StartTransfer(t, size);
  if (HasFatalFailure()) return;
  // Both relay sides accepted and paired before the limit, or the server could not accept them.
  // The word back creates the sender side's pipe only; the file's way to the receiver has none.
  ASSERT_TRUE(t.download.SendRaw("go"));
  ASSERT_EQ(t.upload.ReadBytes(2), "go");
  NoNewDescriptors full;
  ASSERT_LT(::open("/dev/null", O_RDONLY), 0);
  const std::string file = BinaryFile(size, 6);
  std::thread writer([&] { EXPECT_TRUE(t.upload.SendRaw(file, std::chrono::seconds(60))); });
  const std::string received = t.download.ReadBytes(size, std::chrono::seconds(60));
  writer.join();
  EXPECT_TRUE(received == file) << "received " << received.size() << " of " << size << " bytes";
  ASSERT_TRUE(t.download.SendRaw("ack!"));
  EXPECT_EQ(t.upload.ReadBytes(4), "ack!");
}

TEST_F(RelayTest, AbandonedTransfersAreForgottenAndLeaveNoDescriptorsBehind) {
  TestClient taro;
  TestClient hanako;
  RegisterTaroAndHanako(taro, hanako);
  if (HasFatalFailure()) return;
  const std::size_t before = OpenDescriptors();

  // Each time the receiver accepts the offer and leaves; the sender never comes.
  for (int abandoned = 0; abandoned < 100; ++abandoned) {
    TestClient download;
    ASSERT_TRUE(taro.SendLine("RELAYSEND hanako my*file.bin 10"));
    ASSERT_TRUE(hanako.ReadLine().has_value());
    ASSERT_TRUE(download.Connect(server.RelayReceiverPort(), "127.0.0.2")) << "offer " << abandoned;
    ASSERT_TRUE(taro.Expect(kServer + "!x@x RELAYSEND " + std::to_string(server.RelaySenderPort())))
        << "offer " << abandoned;
    download.Disconnect();
    // Noticed: the transfer is forgotten and nothing keeps the receiver's port open.
    ASSERT_TRUE(WaitUntil([&] { return !TestClient().Connect(server.RelayReceiverPort()); }))
        << "offer " << abandoned;
  }

  TestClient upload;
  TestClient download;
  const std::size_t size = FileSize(10);
  OpenTransfer(taro, "taro", "hanako", hanako, download, "127.0.0.2", upload, "", size);
  if (HasFatalFailure()) return;
  SendFileAndClose(upload, download, size, 3);
  download.Disconnect();

  EXPECT_TRUE(WaitUntil([&] { return OpenDescriptors() == before; }))
      << OpenDescriptors() << " descriptors open, " << before << " before the transfers";
  TestClient probe;
  EXPECT_FALSE(probe.Connect(server.RelayReceiverPort())) << "the relay ports close once nothing uses them";
}

}  // namespace
}  // namespace novalune::test
