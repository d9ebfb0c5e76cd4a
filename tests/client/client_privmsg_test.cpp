#include <gtest/gtest.h>

#include "client_fake.h"

namespace novalune::client::testing {
namespace {

using Lines = std::vector<std::string>;
using Urls = std::vector<std::pair<std::string, std::string>>;

class ClientPrivmsg : public ::testing::Test, public ClientFixture {
 protected:
  void SetUp() override {
    JoinRoom("#lobby");
    Feed(":hanako!x@x JOIN :#lobby");
    Clear();
  }
};

TEST_F(ClientPrivmsg, RoomStatementShowsSpeakerAndTextAndRecordsTheAddress) {
  Feed(":hanako!x@x PRIVMSG #LOBBY :" + S("見て http://example.com/a です"));
  EXPECT_EQ(view.TakeShown(),
            (std::vector<Shown>{{2, "hanako"}, {3, " " + S("見て http://example.com/a です")}}));
  EXPECT_EQ(view.urls, (Urls{{"hanako", S("見て http://example.com/a です")}}));
  EXPECT_EQ(view.activeTimerStarts, 1);
}

TEST_F(ClientPrivmsg, SilentStatementOnlyRestartsTheCountdown) {
  Feed(":hanako!x@x PRIVMSG #lobby :<Chr>");
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_TRUE(view.urls.empty());
  EXPECT_EQ(view.activeTimerStarts, 1);
}

TEST_F(ClientPrivmsg, MessagesForOtherTargetsOrWithoutUserPrefixAreIgnored) {
  Feed(":hanako!x@x PRIVMSG #elsewhere :hello");
  Feed(":hanako PRIVMSG #lobby :hello");
  Feed(":hanako!x@x PRIVMSG jiro :hello");
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_TRUE(view.privateLines.empty());
  EXPECT_EQ(view.activeTimerStarts, 0);
}

TEST_F(ClientPrivmsg, TheRoomTestUsesTheRequestedRoomNotTheJoinedOne) {
  core.MenuRoomIn("#next", "");  // asked for, not yet confirmed
  Clear();
  Feed(":hanako!x@x PRIVMSG #lobby :old room");
  Feed(":hanako!x@x PRIVMSG #next :new room");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, "hanako"}, {3, " new room"}}));
}

TEST_F(ClientPrivmsg, RoomSoundIsShownAndPlayed) {
  Feed(":hanako!x@x PRIVMSG #lobby :\x01SOUND ding.wav\x01");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, "hanako_(ding.wav)"}}));
  EXPECT_EQ(view.beeps, (Lines{"ding.wav"}));
  EXPECT_EQ(view.activeTimerStarts, 1);
}

TEST_F(ClientPrivmsg, AwayAndBackMarksFollowTheNotices) {
  core.SetShowIcon(true);
  Feed(
      ":hanako!x@x PRIVMSG #lobby :\x01"
      "AWAY " +
      S("ご飯 です") + "\x01");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("hanakoが席を離れました")}, {3, S("ご飯 です")}}));
  EXPECT_EQ(core.Members().GetMemberMode("hanako"), "a");
  EXPECT_EQ(core.Members().Row(1).picture, kPictureAway);

  Feed(
      ":hanako!x@x PRIVMSG #lobby :\x01"
      "AWAY\x01");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("hanakoが戻りました")}}));
  EXPECT_EQ(core.Members().GetMemberMode("hanako"), "");
  EXPECT_EQ(view.activeTimerStarts, 2);

  core.SetShowIcon(false);
  core.Members().SetMemberIcon("hanako", "");
  Feed(
      ":hanako!x@x PRIVMSG #lobby :\x01"
      "AWAY gone\x01");
  EXPECT_EQ(core.Members().Row(1).picture, "");  // icon display off: no picture change
  EXPECT_EQ(core.Members().GetMemberMode("hanako"), "a");
}

TEST_F(ClientPrivmsg, UnknownControlWordsInARoomAreIgnored) {
  Feed(":hanako!x@x PRIVMSG #lobby :\x01VERSION\x01");
  Feed(
      ":hanako!x@x PRIVMSG #lobby :\x01"
      "AWAYS x\x01");
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_EQ(view.activeTimerStarts, 0);
}

TEST_F(ClientPrivmsg, WhisperGoesToThePrivateWindowWhole) {
  Feed(":hanako!x@x PRIVMSG TARO :" + S("内緒 の 話 http://x.jp/"));
  EXPECT_EQ(view.privateLines, (std::vector<PrivateLine>{{1, 3, S("内緒 の 話 http://x.jp/")}}));
  EXPECT_TRUE(core.Members().Row(1).unread);
  EXPECT_EQ(view.urls, (Urls{{"hanako", S("内緒 の 話 http://x.jp/")}}));
  EXPECT_EQ(view.activeTimerStarts, 1);
  EXPECT_TRUE(view.TakeShown().empty());
}

TEST_F(ClientPrivmsg, WhisperFromAStrangerIsNotShownButStillCounts) {
  Feed(":ghost!x@x PRIVMSG taro :boo");
  Feed(":ghost!x@x PRIVMSG taro :\x01SOUND boo.wav\x01");
  EXPECT_TRUE(view.privateLines.empty());
  EXPECT_EQ(view.urls, (Urls{{"ghost", "boo"}}));
  EXPECT_EQ(view.beeps, (Lines{"boo.wav"}));
  EXPECT_EQ(view.activeTimerStarts, 2);
}

TEST_F(ClientPrivmsg, PrivateSoundIsAnnouncedInThePrivateWindow) {
  Feed(":hanako!x@x PRIVMSG taro :\x01SOUND ding.wav\x01");
  EXPECT_EQ(view.privateLines, (std::vector<PrivateLine>{{1, 2, "hanako_(ding.wav)"}}));
  EXPECT_EQ(view.beeps, (Lines{"ding.wav"}));
  EXPECT_TRUE(view.urls.empty());
}

TEST_F(ClientPrivmsg, FileOfferIsParsedAndHandedToTheWindow) {
  Feed(
      ":hanako!x@x PRIVMSG taro :\x01"
      "DCC send my*photo.jpg 3232235521 7033 123456\x01");
  ASSERT_EQ(view.offers.size(), 1u);
  const FileOffer& offer = view.offers[0];
  EXPECT_EQ(offer.nick, "hanako");
  EXPECT_EQ(offer.address, "192.168.0.1");
  EXPECT_EQ(offer.port, 7033);
  EXPECT_EQ(offer.fileName, "my*photo.jpg");
  EXPECT_EQ(offer.size, 123456);
  EXPECT_EQ(view.activeTimerStarts, 0);
  EXPECT_TRUE(view.privateLines.empty());

  Feed(
      ":hanako!x@x PRIVMSG taro :\x01"
      "DCC SEND a.txt 2130706433 x y\x01");
  ASSERT_EQ(view.offers.size(), 2u);
  EXPECT_EQ(view.offers[1].address, "127.0.0.1");
  EXPECT_EQ(view.offers[1].port, 0);
  EXPECT_EQ(view.offers[1].size, 0);
}

TEST_F(ClientPrivmsg, OffersWhileReceivingOrOfOtherKindsAreIgnored) {
  view.receiving = true;
  Feed(
      ":hanako!x@x PRIVMSG taro :\x01"
      "DCC SEND a.txt 1 2 3\x01");
  view.receiving = false;
  Feed(
      ":hanako!x@x PRIVMSG taro :\x01"
      "DCC CHAT chat 1 2\x01");
  EXPECT_TRUE(view.offers.empty());
  EXPECT_TRUE(view.privateLines.empty());
  EXPECT_TRUE(view.asked.empty());
}

TEST_F(ClientPrivmsg, MalformedOfferAddressIsReportedAndTheRestWaitsForTheNextRead) {
  core.ClientSocketRead(
      SjisToJis(":hanako!x@x PRIVMSG taro :\x01"
                "DCC SEND a.txt 12ab 7033 5\x01\r\n"
                "PING next one\r\n"));
  EXPECT_EQ(view.TakeAsked(), (std::vector<Asked>{{"'12ab' is not a valid integer value", kNotice}}));
  EXPECT_TRUE(view.offers.empty());
  EXPECT_TRUE(net.TakeLines().empty());
  core.ClientSocketRead("PING last one\r\n");
  EXPECT_EQ(net.TakeLines(), (Lines{"PONG next", "PONG last"}));

  Feed(
      ":hanako!x@x PRIVMSG taro :\x01"
      "DCC SEND a.txt  7033 5\x01");
  EXPECT_EQ(view.TakeAsked(), (std::vector<Asked>{{"'' is not a valid integer value", kNotice}}));
  Feed(
      ":hanako!x@x PRIVMSG taro :\x01"
      "DCC SEND a.txt 99999999999999999999 7033 5\x01");
  EXPECT_EQ(view.TakeAsked().size(), 1u);
  EXPECT_TRUE(view.offers.empty());
}

// A window asked mid-handler may run the event loop, and with it the next
// line; the handler's own words must survive that.
class NestedReadView : public FakeView {
 public:
  bool IsReceivingFile() override {
    if (core) core->Command("PING a b");
    return false;
  }
  ClientCore* core = nullptr;
};

TEST(ClientPrivmsgNested, AnOfferKeepsItsWordsWhenALineArrivesWhileTheWindowIsAsked) {
  FakeNet net;
  NestedReadView view;
  ClientCore core(net, view);
  core.Start(StartupValues{.nick = "taro"});
  core.ConectHostAddress("10.0.0.1");
  core.ClientActive(true);
  core.ClientSocketConnect();
  net.TakeLines();
  view.core = &core;
  core.Command(
      ":hanako!x@x PRIVMSG taro :\x01"
      "DCC SEND a.txt 3232235521 7033 5\x01");
  EXPECT_EQ(net.TakeLines(), (Lines{"PONG a"}));
  ASSERT_EQ(view.offers.size(), 1u);
  EXPECT_EQ(view.offers[0].fileName, "a.txt");
  EXPECT_EQ(view.offers[0].address, "192.168.0.1");
  EXPECT_EQ(view.offers[0].port, 7033);
  EXPECT_EQ(view.offers[0].size, 5);
  EXPECT_TRUE(view.asked.empty());
}

}  // namespace
}  // namespace novalune::client::testing
