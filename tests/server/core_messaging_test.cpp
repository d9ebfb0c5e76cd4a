// Messaging and relayed transfer: PRIVMSG, DATA, RELAYSEND and the relay ports.
#include "server/core_fixture.h"

namespace novalune::server::test {
namespace {

using CoreMessaging = CoreTest;

TEST_F(CoreMessaging, PrivmsgToARoomReachesTheOthersOnly) {
  const ConnId taro = Joined("taro", "#ROOM");
  const ConnId hanako = Joined("hanako", "#ROOM");
  const ConnId jiro = Joined("jiro", "#OTHER");
  Take(taro);
  Send(taro, "PRIVMSG #room :hello world");
  EXPECT_EQ(Take(hanako), (Lines{":taro!x@x PRIVMSG #room :hello world"}));
  EXPECT_EQ(Take(taro), Lines{});
  EXPECT_EQ(Take(jiro), Lines{});
  // The sender need not be in the room; one leading colon goes.
  Send(jiro, "PRIVMSG #ROOM ::smile");
  EXPECT_EQ(Take(taro), (Lines{":jiro!x@x PRIVMSG #ROOM ::smile"}));
  EXPECT_EQ(Take(hanako), (Lines{":jiro!x@x PRIVMSG #ROOM ::smile"}));
  // Control payloads travel unchanged.
  Send(taro, "PRIVMSG #ROOM :\x01SOUND a.wav\x01");
  EXPECT_EQ(Take(hanako), (Lines{":taro!x@x PRIVMSG #ROOM :\x01SOUND a.wav\x01"}));
}

TEST_F(CoreMessaging, PrivmsgToANickReachesOnlyThatUser) {
  const ConnId taro = Joined("taro", "#A");
  const ConnId hanako = Joined("hanako", "#B");
  const ConnId jiro = Joined("jiro", "#B");
  Take(hanako);
  Send(taro, "PRIVMSG HANAKO :hi");
  EXPECT_EQ(Take(hanako), (Lines{":taro!x@x PRIVMSG HANAKO :hi"}));
  EXPECT_EQ(Take(jiro), Lines{});
  Send(taro, "PRIVMSG nobody :hi");
  Send(taro, "PRIVMSG taro :self");
  EXPECT_EQ(Take(taro), Lines{});
}

TEST_F(CoreMessaging, RoomWithoutOtherMembersFallsThroughToANick) {
  const ConnId alone = Joined("alone", "#X");
  const ConnId named = Joined("#x", "#Y");
  Send(alone, "PRIVMSG #X :who");
  EXPECT_EQ(Take(named), (Lines{":alone!x@x PRIVMSG #X :who"}));
  EXPECT_EQ(Take(alone), Lines{});
}

TEST_F(CoreMessaging, DataKeepsItsColonAndHasNoPrivateForm) {
  const ConnId taro = Joined("taro", "#ROOM");
  const ConnId hanako = Joined("hanako", "#ROOM");
  Take(taro);
  Send(taro, "DATA #ROOM :x y");
  EXPECT_EQ(Take(hanako), (Lines{":taro!x@x DATA #ROOM :x y"}));
  EXPECT_EQ(Take(taro), Lines{});
  Send(taro, "DATA hanako :x");
  EXPECT_EQ(Take(hanako), Lines{});
}

TEST_F(CoreMessaging, OneLineIsEncodedOnceForEveryReceiver) {
  const ConnId s = Joined("s", "#R");
  std::vector<ConnId> receivers;
  for (int k = 0; k < 5; ++k) receivers.push_back(Joined("r" + std::to_string(k), "#R"));
  for (ConnId r : receivers) Take(r);
  Send(s, "PRIVMSG #R :" + J("日本語"));
  const std::string first = TakeRaw(receivers[0]);
  EXPECT_EQ(JisToSjis(first), ":s!x@x PRIVMSG #R :" + J("日本語") + "\r\n");
  for (std::size_t k = 1; k < receivers.size(); ++k) EXPECT_EQ(TakeRaw(receivers[k]), first);
}

class CoreRelay : public CoreTest {
 protected:
  std::string OfferFor(std::string_view sender, std::string_view receiver, std::string_view rest,
                       std::string_view address) {
    return ":" + std::string(sender) + "!x@x PRIVMSG " + std::string(receiver) + " :\x01" +
           "DCC SEND my*file.txt " + std::string(address) + " 17067 " + std::string(rest) + "\x01";
  }
};

TEST_F(CoreRelay, SingleTransferFollowsTheOfferGoAheadAndListenerRules) {
  const ConnId taro = Register("taro", "10.0.0.2");
  const ConnId hanako = Register("hanako", "10.0.0.3", "192.168.0.1");
  Send(taro, "RELAYSEND nobody f 1");
  EXPECT_TRUE(out.listening.empty());
  Send(taro, "RELAYSEND HANAKO my*file.txt 1234");
  EXPECT_EQ(Take(hanako), (Lines{OfferFor("taro", "HANAKO", "1234", "3232235521")}));
  EXPECT_EQ(out.listening, (std::vector<std::pair<RelaySide, bool>>{{RelaySide::Sender, true},
                                                                    {RelaySide::Receiver, true}}));
  EXPECT_EQ(Take(taro), Lines{});
  core.RelayAccepted(RelaySide::Receiver, 900, "10.0.0.3");
  EXPECT_EQ(Take(taro), (Lines{":ZKWChatServer214!x@x RELAYSEND 17066"}));
  EXPECT_TRUE(out.pairs.empty());
  core.RelayAccepted(RelaySide::Sender, 901, "10.0.0.2");
  EXPECT_EQ(out.pairs, (std::vector<std::pair<ConnId, ConnId>>{{901, 900}}));
  core.RelayClosed(RelaySide::Sender, 901);
  EXPECT_EQ(out.listening.back(), (std::pair<RelaySide, bool>{RelaySide::Sender, false}));
  core.RelayClosed(RelaySide::Receiver, 900);
  EXPECT_EQ(out.listening.back(), (std::pair<RelaySide, bool>{RelaySide::Receiver, false}));
  // The next RELAYSEND opens both again.
  Send(taro, "RELAYSEND hanako my*file.txt 5");
  EXPECT_EQ(out.listening.size(), 6u);
}

TEST_F(CoreRelay, AnyAddressStillReachesTheLatestSender) {
  const ConnId taro = Register("taro", "10.0.0.2");
  Register("hanako", "10.0.0.3");
  Send(taro, "RELAYSEND hanako my*file.txt 1");
  core.RelayAccepted(RelaySide::Receiver, 900, "203.0.113.5");
  EXPECT_EQ(Take(taro), (Lines{":ZKWChatServer214!x@x RELAYSEND 17066"}));
  core.RelayAccepted(RelaySide::Sender, 901, "203.0.113.6");
  EXPECT_EQ(out.pairs, (std::vector<std::pair<ConnId, ConnId>>{{901, 900}}));
}

TEST_F(CoreRelay, TwoTransfersAtOncePairByAddress) {
  const ConnId a = Register("a", "10.0.0.1");
  const ConnId b = Register("b", "10.0.0.2");
  const ConnId c = Register("c", "10.0.0.3");
  const ConnId d = Register("d", "10.0.0.4");
  Send(c, "RELAYSEND d my*file.txt 2");
  Send(a, "RELAYSEND b my*file.txt 1");  // the latest offer
  Take(b);
  Take(d);
  core.RelayAccepted(RelaySide::Receiver, 900, "10.0.0.4");  // d accepts first
  EXPECT_EQ(Take(c), (Lines{":ZKWChatServer214!x@x RELAYSEND 17066"}));
  EXPECT_EQ(Take(a), Lines{});
  core.RelayAccepted(RelaySide::Receiver, 901, "10.0.0.2");
  EXPECT_EQ(Take(a), (Lines{":ZKWChatServer214!x@x RELAYSEND 17066"}));
  core.RelayAccepted(RelaySide::Sender, 902, "10.0.0.1");  // not the oldest waiting receiver
  core.RelayAccepted(RelaySide::Sender, 903, "10.0.0.3");
  EXPECT_EQ(out.pairs, (std::vector<std::pair<ConnId, ConnId>>{{902, 901}, {903, 900}}));
  const std::size_t changes = out.listening.size();
  core.RelayClosed(RelaySide::Sender, 902);
  core.RelayClosed(RelaySide::Receiver, 901);
  EXPECT_EQ(out.listening.size(), changes);  // the other transfer still uses both ports
  core.RelayClosed(RelaySide::Sender, 903);
  core.RelayClosed(RelaySide::Receiver, 900);
  EXPECT_EQ(out.listening, (std::vector<std::pair<RelaySide, bool>>{{RelaySide::Sender, true},
                                                                    {RelaySide::Receiver, true},
                                                                    {RelaySide::Sender, false},
                                                                    {RelaySide::Receiver, false}}));
}

TEST_F(CoreRelay, RepeatedOfferReplacesTheUnansweredOneAndStraysGetNoGoAhead) {
  const ConnId taro = Register("taro", "10.0.0.2");
  Register("hanako", "10.0.0.3");
  Send(taro, "RELAYSEND hanako my*file.txt 1");
  Send(taro, "RELAYSEND hanako my*file.txt 1");
  core.RelayAccepted(RelaySide::Receiver, 900, "10.0.0.3");
  core.RelayAccepted(RelaySide::Receiver, 901, "10.0.0.3");  // nothing left waiting for it
  EXPECT_EQ(Take(taro), (Lines{":ZKWChatServer214!x@x RELAYSEND 17066"}));
  core.RelayAccepted(RelaySide::Sender, 902, "10.0.0.2");
  EXPECT_EQ(out.pairs, (std::vector<std::pair<ConnId, ConnId>>{{902, 900}}));
  core.RelayClosed(RelaySide::Sender, 902);
  core.RelayClosed(RelaySide::Receiver, 900);
  // Nothing else waits: both listeners close (the stray goes with its listener).
  EXPECT_EQ(out.listening.back(), (std::pair<RelaySide, bool>{RelaySide::Receiver, false}));
  EXPECT_EQ(out.listening.size(), 4u);
}

TEST_F(CoreRelay, AFullOfferTableForgetsTheOldestWaitingReceiverAndKeepsStreamingOnes) {
  const ConnId taro = Register("taro", "10.0.0.2");
  const ConnId hanako = Register("hanako", "10.0.0.3");
  // One transfer streams; 63 receivers wait for senders that never come.
  Send(taro, "RELAYSEND hanako my*file.txt 1");
  core.RelayAccepted(RelaySide::Receiver, 900, "10.0.0.3");
  core.RelayAccepted(RelaySide::Sender, 901, "10.0.0.2");
  for (ConnId conn = 1000; conn < 1063; ++conn) {
    Send(taro, "RELAYSEND hanako my*file.txt 1");
    core.RelayAccepted(RelaySide::Receiver, conn, "10.0.0.3");
  }
  Take(taro);
  Take(hanako);
  Send(taro, "RELAYSEND hanako my*file.txt 1");
  EXPECT_EQ(out.closed, std::vector<ConnId>{1000}) << "the oldest waiting receiver, not the streaming pair";
  core.RelayAccepted(RelaySide::Receiver, 2000, "10.0.0.3");
  EXPECT_EQ(Take(taro), (Lines{":ZKWChatServer214!x@x RELAYSEND 17066"}));
  core.RelayAccepted(RelaySide::Sender, 2001, "10.0.0.2");
  EXPECT_EQ(out.pairs.back(), (std::pair<ConnId, ConnId>{2001, 1001})) << "the longest waiting receiver";
}

TEST_F(CoreRelay, OfferWithoutKnownAddressHasAnEmptyAddressField) {
  const ConnId taro = Register("taro", "10.0.0.2");
  const ConnId hanako = Register("hanako", "fe80::1", "fe80::2");
  Send(taro, "RELAYSEND hanako my*file.txt 7");
  EXPECT_EQ(Take(hanako), (Lines{OfferFor("taro", "hanako", "7", "")}));
}

TEST_F(CoreRelay, GoAheadIsNotSentToAUserWhoReusedTheSendersId) {
  const ConnId taro = Register("taro", "10.0.0.2");
  Register("hanako", "10.0.0.3");
  Send(taro, "RELAYSEND hanako my*file.txt 1");
  core.UserClosed(taro);
  const ConnId newcomer = Register("jiro", "10.0.0.5");  // gets taro's ID
  EXPECT_EQ(core.Users()[1].id, 1u);
  core.RelayAccepted(RelaySide::Receiver, 901, "10.0.0.3");
  EXPECT_EQ(Take(newcomer), Lines{});
}

}  // namespace
}  // namespace novalune::server::test
