// File transfer rules without sockets: received names, the offer's bytes, and
// the two engines' counting (blocks, send-ahead, acks modulo 2^32).
#include <gtest/gtest.h>

#include <string>

#include "client/core/FileTransfer.h"

namespace novalune::client {
namespace {

std::string Ack(std::uint64_t total) {
  const auto bytes = AckBytes(total);
  return {bytes.data(), bytes.size()};
}

TEST(TransferNames, HostileNamesBecomePlainBaseNames) {
  EXPECT_EQ(ReduceFileName("../../.bashrc"), "bashrc");
  EXPECT_EQ(ReduceFileName("/etc/passwd"), "passwd");
  EXPECT_EQ(ReduceFileName("a\\b.txt"), "b.txt");
  EXPECT_EQ(ReduceFileName("ab\x01\x1f\x7f"
                           "c\n.txt"),
            "abc.txt");
  EXPECT_EQ(ReduceFileName(""), "received.bin");
  EXPECT_EQ(ReduceFileName(".."), "received.bin");
  EXPECT_EQ(ReduceFileName("dir/"), "received.bin");
  // "表" is 0x95 0x5C: its trail byte is not a folder separator.
  EXPECT_EQ(ReduceFileName("\x95\x5C.txt"), "\x95\x5C.txt");
  // A lead byte before '/' does not hide the separator.
  EXPECT_EQ(ReduceFileName("\x88/..\x88/x.txt"), "x.txt");
}

TEST(TransferNames, LongNamesAreCutAtWholeCharacters) {
  EXPECT_EQ(ReduceFileName(std::string(300, 'a')), std::string(255, 'a'));
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "\x82\xA0";  // "あ"
  const std::string cut = ReduceFileName("x" + wide);
  EXPECT_EQ(cut.size(), 255u);
  EXPECT_EQ(cut, "x" + wide.substr(0, 254));
}

TEST(TransferOffer, LineBytesAndFields) {
  EXPECT_EQ(OfferNameToken("/home/taro/my file 1.txt"), "my*file*1.txt");
  EXPECT_EQ(OfferNameShown("my*file*1.txt"), "my file 1.txt");
  EXPECT_EQ(OfferAddressNumber("192.168.0.1"), 3232235521u);
  EXPECT_EQ(OfferAddressNumber("256.1.1.1"), 65793u);  // each part kept to 8 bits
  EXPECT_EQ(OfferAddressNumber("1.2.3"), std::nullopt);
  EXPECT_EQ(OfferAddressNumber("1.2.3.4.5"), std::nullopt);
  EXPECT_EQ(OfferAddressNumber("1.2.x.4"), std::nullopt);
  EXPECT_EQ(DccOfferLine("hanako", "my*file.txt", 3232235521u, 7034, 5000000000u),
            "PRIVMSG hanako :\x01"
            "DCC SEND my*file.txt 3232235521 7034 5000000000\x01");
  EXPECT_EQ(RelaySendLine("hanako", "my*file.txt", 1234), "RELAYSEND hanako my*file.txt 1234");
}

TEST(TransferOffer, SizeWordsOutsideAFileSizeAreRefused) {
  EXPECT_EQ(ParseOfferSize("0"), 0u);
  EXPECT_EQ(ParseOfferSize("4294967296"), 4294967296u);
  for (const char* bad : {"", "-1", "12a", "+5", "abc", "99999999999999999999", "17592186044417"}) {
    EXPECT_EQ(ParseOfferSize(bad), std::nullopt) << bad;
  }
}

TEST(TransferSendEngine, OneBlockAtATimeWithoutSendAhead) {
  SendEngine engine(2500, 0);
  EXPECT_EQ(engine.Allowance(), 1024u);
  engine.Sent(1024);
  EXPECT_EQ(engine.Allowance(), 0u);
  EXPECT_TRUE(engine.Received(Ack(1000)));
  EXPECT_EQ(engine.Allowance(), 0u);
  // An ack split over two reads counts once it is whole.
  EXPECT_FALSE(engine.Received(Ack(1024).substr(0, 3)));
  EXPECT_TRUE(engine.Received(Ack(1024).substr(3)));
  EXPECT_EQ(engine.Allowance(), 1024u);
  engine.Sent(1024);
  engine.Received(Ack(2048));
  EXPECT_EQ(engine.Allowance(), 452u);
  engine.Sent(452);
  EXPECT_FALSE(engine.Done());
  engine.Received(Ack(2500));
  EXPECT_TRUE(engine.Done());
  EXPECT_EQ(engine.Allowance(), 0u);
}

TEST(TransferSendEngine, SendAheadKeepsTheWindowFull) {
  SendEngine engine(1 << 20, 256 * 1024);
  EXPECT_EQ(engine.Allowance(), 256u * 1024);
  engine.Sent(200 * 1024);
  EXPECT_EQ(engine.Allowance(), 56u * 1024);
  engine.Received(Ack(1024));  // a receiver acking every 1 KiB releases 1 KiB
  EXPECT_EQ(engine.Allowance(), 57u * 1024);
}

TEST(TransferSendEngine, AcksWrapAt4GiBAndForgedOnesAreIgnored) {
  const std::uint64_t size = (std::uint64_t{5} << 30) + 7;
  SendEngine engine(size, std::uint64_t{1} << 30);
  while (engine.SentBytes() < size) {
    engine.Sent(engine.Allowance());
    engine.Received(Ack(engine.SentBytes()));
    ASSERT_EQ(engine.AckedBytes(), engine.SentBytes());
  }
  EXPECT_TRUE(engine.Done());

  SendEngine early(10000, 0);
  early.Sent(1024);
  EXPECT_FALSE(early.Received(Ack(5000)));  // more than was sent
  EXPECT_EQ(early.AckedBytes(), 0u);
  early.Received(Ack(1024));
  EXPECT_FALSE(early.Received(Ack(512)));  // late, already passed
  EXPECT_EQ(early.AckedBytes(), 1024u);
}

TEST(TransferReceiveEngine, CountsUpToTheAcceptedSize) {
  ReceiveEngine engine((std::uint64_t{1} << 32) + 1);
  EXPECT_EQ(engine.Accept(std::uint64_t{1} << 32), std::uint64_t{1} << 32);
  EXPECT_EQ(Ack(engine.ReceivedBytes()), std::string(4, '\0'));
  EXPECT_EQ(engine.Accept(100), 1u);  // bytes past the size are not the file's
  EXPECT_TRUE(engine.Done());
  EXPECT_EQ(Ack(engine.ReceivedBytes()), std::string("\0\0\0\x01", 4));
  EXPECT_TRUE(ReceiveEngine(0).Done());
}

}  // namespace
}  // namespace novalune::client
