#include <gtest/gtest.h>

#include "client_fake.h"

namespace novalune::client::testing {
namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

class ClientDispatch : public ::testing::Test, public ClientFixture {
 protected:
  void SetUp() override { JoinRoom("#lobby"); }
  std::vector<std::string> Nicks() {
    std::vector<std::string> nicks;
    for (const auto& row : core.Members().Rows()) nicks.push_back(row.nick + "/" + row.mode);
    return nicks;
  }
};

TEST_F(ClientDispatch, PingIsAnsweredWithTheSecondWord) {
  Feed("PING");
  Feed("PING token");
  Feed("PING a b");
  Feed("PING a b c");
  Feed("ping a b");
  EXPECT_EQ(net.TakeLines(), (Lines{"PONG ", "PONG ", "PONG a", "PONG a"}));
}

TEST_F(ClientDispatch, CommandWordsMatchOnlyInUpperCaseAndNeedAPrefix) {
  Feed(":hanako!x@x join :#lobby");
  Feed("hanako!x@x JOIN :#lobby");
  Feed(":hanako!x@x PONG x");
  Feed(":hanako!x@x UNKNOWN x");
  Feed(":server NOTANUMBER taro");
  Feed("");
  EXPECT_EQ(Nicks(), (Lines{"taro/"}));
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientDispatch, JoinOfAnotherUserAddsAnnouncesRecordsAndPlaysTheEntrySound) {
  core.SetEventSounds({.inBeep = true, .inFile = "/snd/in.wav"});
  core.Members().SetMemberMode("hanako", "+o");
  Feed(":hanako!x@x JOIN :#lobby");
  EXPECT_EQ(Nicks(), (Lines{"taro/", "hanako/"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("hanakoが入室しました")}}));
  EXPECT_EQ(view.history, (Lines{"2026/12/07 09:05" + S(" 入室 [hanako]")}));
  EXPECT_EQ(view.soundFiles, (Lines{"/snd/in.wav"}));
  EXPECT_TRUE(net.TakeLines().empty());  // not away: nothing sent
  EXPECT_EQ(core.Members().MyNick(), "taro");

  // A member who comes back starts without mode letters.
  core.Members().SetMemberMode("hanako", "+o");
  Feed(":hanako!x@x JOIN :#lobby");
  EXPECT_EQ(Nicks(), (Lines{"taro/", "hanako/"}));
}

TEST_F(ClientDispatch, JoinWhileAwayTellsTheNewcomer) {
  core.SetAwayMessages(S("昼食中"), "");
  core.Members().SetMemberMode("taro", "+a");
  Feed(":hanako!x@x JOIN :#lobby");
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :\x01"
                                    "AWAY " +
                                    S("昼食中") + "\x01"}));
  // Without an away text nothing is sent.
  core.SetAwayMessages("", "");
  Feed(":jiro!x@x JOIN :#lobby");
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientDispatch, OwnJoinInAnotherCaseSetsTheJoinedRoomAndCaption) {
  Feed(":TARO!x@x JOIN :#other");
  EXPECT_EQ(core.GetJoinRoom(), "#other");
  EXPECT_EQ(view.joinRoomText, "#other");
  EXPECT_EQ(view.caption, "NOVALUNE Ver1.13 taro #other " + S("入室"));
  EXPECT_TRUE(view.history.empty());
  Feed(":nobang JOIN :#third");
  EXPECT_EQ(core.GetJoinRoom(), "#other");
}

TEST_F(ClientDispatch, JoinIpReconnectsToTheFoundAddressForTheSameRoom) {
  core.MenuRoomIn("#lobby", "secret");
  Clear();
  Feed(":taro!x@x JOINIP hanako ");  // no address: nothing
  EXPECT_TRUE(core.Active());
  Feed(":taro!x@x JOINIP hanako 192.168.0.9");
  EXPECT_EQ(net.closes, 1);
  EXPECT_EQ(net.opens.back(), (FakeNet::OpenCall{"192.168.0.9", true, 6667}));
  EXPECT_EQ(core.ServerAddress(), "192.168.0.9");
  EXPECT_EQ(core.RoomName(), "#lobby");
  EXPECT_EQ(core.RoomPass(), "");
  EXPECT_FALSE(core.Active());
  EXPECT_EQ(view.TakeShown().front(), (Shown{1, S("サーバーと切断しました")}));
}

TEST_F(ClientDispatch, TopicNickAndModeLines) {
  Feed(":hanako!x@x JOIN :#lobby");
  Clear();
  Feed(":hanako!x@x TOPIC #lobby :" + S("楽しい 部屋"));
  Feed(":hanako!x@x NICK :hana");
  Feed(":taro!x@x MODE #lobby +o hana");
  Feed(":taro!x@x MODE #lobby +o");   // no target: ignored
  Feed(":taro MODE #lobby -o hana");  // no "!": ignored
  Feed(":nobang TOPIC #lobby :x");
  EXPECT_EQ(view.TakeShown(),
            (std::vector<Shown>{{2, S("楽しい 部屋")}, {2, S("hanakoがhanaに名前を変えました")}}));
  EXPECT_EQ(Nicks(), (Lines{"taro/", "hana/o"}));
  EXPECT_EQ(core.MyNick(), "taro");
}

TEST_F(ClientDispatch, RelaySendOpensTheRelayTowardsTheChatServer) {
  Feed(":ZKWChatServer214!x@x RELAYSEND 7066");
  Feed(":ZKWChatServer214!x@x RELAYSEND x");
  EXPECT_EQ(view.relays, (Rows{{"10.0.0.1", "numeric", "7066"}, {"10.0.0.1", "numeric", "0"}}));
}

TEST_F(ClientDispatch, PartOfOthersIsRecordedAndOwnPartClearsTheRoom) {
  core.SetEventSounds({.outBeep = true, .outFile = "/snd/out.wav"});
  Feed(":hanako!x@x JOIN :#lobby");
  Clear();
  Feed(":hanako!x@x PART #lobby");
  EXPECT_EQ(Nicks(), (Lines{"taro/"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("hanakoが退室しました")}}));
  EXPECT_EQ(view.history, (Lines{"2026/12/07 09:05" + S(" 退室 [hanako]")}));
  EXPECT_EQ(view.soundFiles, (Lines{"/snd/out.wav"}));
  Feed(":Taro!x@x PART #lobby");
  EXPECT_EQ(core.GetJoinRoom(), "");
  EXPECT_EQ(view.history.size(), 1u);
  EXPECT_EQ(view.soundFiles.size(), 1u);
}

TEST_F(ClientDispatch, QuitIsASystemLineEvenForStrangers) {
  Feed(":hanako!x@x JOIN :#lobby");
  Clear();
  Feed(":hanako! QUIT #lobby");
  Feed(":stranger! QUIT ");
  Feed(":taro! QUIT #lobby");
  Feed(":nobang QUIT #lobby");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("hanakoが切断しました")},
                                                  {1, S("strangerが切断しました")},
                                                  {1, S("taroが切断しました")}}));
  EXPECT_EQ(view.history,
            (Lines{"2026/12/07 09:05" + S(" 切断 [hanako]"), "2026/12/07 09:05" + S(" 切断 [stranger]")}));
  EXPECT_EQ(Nicks(), (Lines{}));
}

TEST_F(ClientDispatch, ListIconRunsAfterTheEventAndOnlyWithIconDisplayOn) {
  Feed(":ZKWChatServer214 LISTICON hanako http://x.example/h.gif");
  EXPECT_FALSE(net.posted.empty());
  net.RunPosted();
  EXPECT_TRUE(view.iconFetches.empty());

  core.SetShowIcon(true);
  // Both lines of one read are dispatched before the icon work runs.
  core.ClientSocketRead(
      ":ZKWChatServer214 LISTICON hanako http://x.example/h.gif\r\n"
      ":hanako!x@x JOIN :#lobby\r\n");
  EXPECT_TRUE(view.iconFetches.empty());
  EXPECT_EQ(core.Members().Count(), 2u);
  net.RunPosted();
  using Fetches = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(view.iconFetches, (Fetches{{"hanako", "http://x.example/h.gif"}}));
}

TEST_F(ClientDispatch, AFailedIconFetchGivesTheDefaultPictureAndAddsTheMember) {
  core.MemberIconFetched("ghost", "");
  EXPECT_EQ(Nicks(), (Lines{"taro/", "ghost/"}));
  EXPECT_EQ(core.Members().Row(1).picture, kPictureDefault);
  core.MemberIconFetched("other", "http://x.example/o.gif");  // own picture: not added
  EXPECT_EQ(core.Members().Count(), 2u);
  core.MemberIconFetched("TARO", "http://x.example/t.gif");
  EXPECT_EQ(core.Members().Row(0).picture, "http://x.example/t.gif");
}

TEST_F(ClientDispatch, Reply001GivesTheServerVersion) {
  EXPECT_EQ(core.ServerVersion(), 214);
  Feed(":OtherServer 001 taro :Welcome");
  EXPECT_EQ(core.ServerVersion(), 0);
  Feed(":ZKWChatServer209x 001 taro :Welcome");
  EXPECT_EQ(core.ServerVersion(), 209);
  Feed(":ZKWChatServer214 001 Taro :Welcome");  // another nick, by case: ignored
  EXPECT_EQ(core.ServerVersion(), 209);
}

TEST_F(ClientDispatch, RoomAndUserListRepliesFillTheListWindows) {
  Feed(":ZKWChatServer214 322 taro #lobby 3 :" + S("雑談 の部屋"));
  Feed(":ZKWChatServer214 322 taro #empty x :");
  Feed(":ZKWChatServer214 322 hanako #lobby 3 :not for me");
  Feed(":ZKWChatServer214 352 taro #lobby taro 10.0.0.5 * taro H@ :0 taro");
  EXPECT_EQ(view.roomRows, (Rows{{"#lobby", "3", S("雑談 の部屋")}, {"#empty", "0", ""}}));
  EXPECT_EQ(view.userRows, (Rows{{"taro", "10.0.0.5", "*", "#lobby"}}));
}

TEST_F(ClientDispatch, NamesReplyRebuildsTheListForTheOwnRoomOnly) {
  Feed(":hanako!x@x JOIN :#lobby");
  core.Members().SetMemberMode("hanako", "+a");
  Feed(":ZKWChatServer214 353 taro = #lobby :@taro hanako  jiro@");
  EXPECT_EQ(Nicks(), (Lines{"taro/o", "hanako/", "jiro/o"}));
  Feed(":ZKWChatServer214 353 taro = #other :@a b");
  EXPECT_EQ(Nicks(), (Lines{}));
  Feed(":ZKWChatServer214 353 taro = #LOBBY :a");  // exact compare
  EXPECT_EQ(Nicks(), (Lines{}));
}

TEST_F(ClientDispatch, EndOfMotdOr422FinishesRegistrationIntoTheRoom) {
  FakeNet otherNet;
  FakeView otherView;
  ClientCore other(otherNet, otherView);
  other.Start(StartupValues{.roomName = "lobby", .nick = "jiro"});
  other.ConectHostAddress("10.0.0.1");
  other.ClientActive(true);
  other.ClientSocketConnect();
  otherNet.TakeLines();
  other.ClientSocketRead(":s 422 jiro :MOTD File is missing\r\n");
  EXPECT_TRUE(other.LoggedIn());
  EXPECT_EQ(otherNet.TakeLines(), (Lines{"JOIN #lobby", "TOPIC #lobby :"}));
}

TEST_F(ClientDispatch, NickInUseAsksForAnotherNick) {
  view.renameAnswer = "taro2";
  Feed(":ZKWChatServer214 433 taro :Nicname is olready in use");
  EXPECT_EQ(view.TakeAsked(), (std::vector<Asked>{{S("taroは現在使われています"), kNotice}}));
  EXPECT_EQ(core.MyNick(), "taro2");
  EXPECT_EQ(net.TakeLines(), (Lines{"NICK taro2"}));

  view.renameAnswer.reset();
  Feed(":ZKWChatServer214 433 taro2 :Nicname is olready in use");
  EXPECT_EQ(core.MyNick(), "taro2");
  EXPECT_EQ(core.RoomName(), "");
  EXPECT_TRUE(net.TakeLines().empty());

  Feed(":ZKWChatServer214 433 TARO2 :Nicname is olready in use");
  EXPECT_EQ(view.renameDialogs, 2);
}

TEST_F(ClientDispatch, ReplyNumbersMatchHoweverWrittenAndPingOnlyWithoutPrefix) {
  Feed(":ZKWChatServer209 1 taro :Welcome");
  EXPECT_EQ(core.ServerVersion(), 209);
  Feed(":ZKWChatServer214 0001 taro :Welcome");
  EXPECT_EQ(core.ServerVersion(), 214);
  Feed(":ZKWChatServer214 +322 jiro #lobby 3 :not for me");
  EXPECT_TRUE(view.roomRows.empty());
  Feed(":server PING token");
  EXPECT_TRUE(net.TakeLines().empty());
}

}  // namespace
}  // namespace novalune::client::testing
