// One misbehaving peer must not hold up or exhaust the server: a peer that
// never reads, and a line that never ends.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/ServerThread.h"
#include "support/TestClient.h"

namespace novalune::test {
namespace {

// Resident memory of this process (the server runs in it) in KiB, from /proc/self/status.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

class LimitsTest : public ::testing::Test {
 protected:
  ServerThread server;
};

TEST_F(LimitsTest, PeerThatNeverReadsIsDroppedWhileOthersKeepChatting) {
  TestClient stuck, flooder, alice, bob;
  ASSERT_TRUE(stuck.Connect(server.UserPort(), "127.0.0.2", "127.0.0.1", 4096));
  ASSERT_TRUE(stuck.Register("stuck"));
  ASSERT_TRUE(flooder.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(flooder.Register("flooder"));
  ASSERT_TRUE(alice.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(alice.Register("alice"));
  ASSERT_TRUE(bob.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(bob.Register("bob"));
  ASSERT_TRUE(stuck.SendLine("JOIN #flood"));
  ASSERT_TRUE(stuck.Sync());
  ASSERT_TRUE(flooder.SendLine("JOIN #flood"));
  ASSERT_TRUE(flooder.ExpectLines(
      {":flooder!x@x JOIN :#flood", ":ZKWChatServer214 353 flooder = #flood :stuck flooder",
       ":ZKWChatServer214 366 flooder #flood :End of /NAMES list", ":ZKWChatServer214 LISTICON stuck ",
       ":ZKWChatServer214 LISTICON flooder "}));
  ASSERT_TRUE(alice.SendLine("JOIN #talk"));
  ASSERT_TRUE(alice.Sync());
  ASSERT_TRUE(bob.SendLine("JOIN #talk"));
  ASSERT_TRUE(bob.Sync());
  ASSERT_TRUE(alice.Sync());  // takes bob's JOIN and LISTICON lines

  // 16 MB for a peer that reads nothing: far more than the socket buffers and the 1 MiB queue.
  const std::string text(1000, 'x');
  std::string burst;
  for (int i = 0; i < 100; ++i) burst += "PRIVMSG #flood :" + text + "\r\n";
  for (int round = 0; round < 160; ++round) {
    ASSERT_TRUE(flooder.SendRaw(burst));
    if (round % 40 == 20) {
      ASSERT_TRUE(alice.SendLine("PRIVMSG #talk :still here " + std::to_string(round)));
      ASSERT_TRUE(bob.Expect(":alice!x@x PRIVMSG #talk :still here " + std::to_string(round)));
    }
  }
  EXPECT_TRUE(flooder.Expect(":stuck! QUIT #flood", std::chrono::seconds(20)));
  EXPECT_TRUE(stuck.WaitClosed(std::chrono::seconds(20)));
  EXPECT_TRUE(flooder.ExpectQuiet());
  ASSERT_TRUE(bob.SendLine("PRIVMSG #talk :bye"));
  EXPECT_TRUE(alice.Expect(":bob!x@x PRIVMSG #talk :bye"));
}

TEST_F(LimitsTest, EndlessLineDisconnectsItsSenderWithoutGrowingMemory) {
  TestClient endless, watcher;
  ASSERT_TRUE(endless.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(endless.Register("endless"));
  ASSERT_TRUE(watcher.Connect(server.UserPort(), "127.0.0.2"));
  ASSERT_TRUE(watcher.Register("watcher"));
  ASSERT_TRUE(endless.SendLine("JOIN #a"));
  ASSERT_TRUE(endless.Sync());
  ASSERT_TRUE(watcher.SendLine("JOIN #a"));
  ASSERT_TRUE(watcher.Sync());
  ASSERT_TRUE(endless.Sync());

  const long before = ResidentKiB();
  const std::string chunk(64 * 1024, 'y');
  std::size_t sent = 0;
  ASSERT_TRUE(endless.SendRaw("PRIVMSG #a :"));
  while (sent < 10 * 1024 * 1024 && endless.SendRaw(chunk)) sent += chunk.size();
  EXPECT_TRUE(watcher.Expect(":endless! QUIT #a"));
  EXPECT_TRUE(endless.WaitClosed());
  const long after = ResidentKiB();
  EXPECT_LT(after - before, 4 * 1024)
      << "resident memory grew from " << before << " KiB to " << after << " KiB";
  EXPECT_TRUE(watcher.ExpectQuiet());
}

}  // namespace
}  // namespace novalune::test
