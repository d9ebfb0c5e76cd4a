#include <gtest/gtest.h>

#include "client/core/ClientUtil.h"
#include "client_fake.h"

namespace novalune::client::testing {
namespace {

using Lines = std::vector<std::string>;
using Urls = std::vector<std::pair<std::string, std::string>>;

class ClientCommands : public ::testing::Test, public ClientFixture {};

TEST_F(ClientCommands, EnteringARoomSendsJoinAndTopic) {
  core.Start(StartupValues{.roomTopic = S("説明"), .nick = "taro"});
  Connect();
  core.RoomIn("lobby", "");
  EXPECT_EQ(net.TakeLines(), (Lines{"JOIN #lobby", "TOPIC #lobby :" + S("説明")}));
  core.RoomIn("", "");
  EXPECT_EQ(net.TakeLines(), (Lines{"JOIN #ROOM", "TOPIC #ROOM :" + S("説明")}));
  core.RoomIn("#secret", "pw");
  EXPECT_EQ(net.TakeLines(), (Lines{"JOIN #secret pw", "TOPIC #secret :" + S("説明")}));
  EXPECT_EQ(core.RoomName(), "#secret");
  EXPECT_EQ(core.RoomPass(), "pw");
}

TEST_F(ClientCommands, EnteringAnotherRoomLeavesTheJoinedOneFirst) {
  JoinRoom("#lobby");
  core.RoomIn("#other", "");
  EXPECT_EQ(net.TakeLines(), (Lines{"PART #lobby", "JOIN #other", "TOPIC #other :"}));
  EXPECT_EQ(core.GetJoinRoom(), "#lobby");  // until the server's PART comes back
  core.RoomIn("#lobby", "");
  EXPECT_EQ(net.TakeLines(), (Lines{"JOIN #lobby", "TOPIC #lobby :"}));
  core.RoomIn("#LOBBY", "");  // exact compare: another room
  EXPECT_EQ(net.TakeLines().front(), "PART #lobby");
}

TEST_F(ClientCommands, TypingChecksConnectionTextAndRoom) {
  EXPECT_FALSE(core.TalkEnter("hello"));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("サーバーに接続されていません")}}));
  Connect();
  EXPECT_FALSE(core.TalkEnter(""));
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_FALSE(core.TalkEnter("hello"));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("部屋に入室していません")}}));
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientCommands, TypedStatementIsShownAsOwnSpeechAndSentToTheJoinedRoom) {
  JoinRoom("#lobby");
  EXPECT_TRUE(core.TalkEnter(S("こんにちは http://a.jp")));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, "taro"}, {4, " " + S("こんにちは http://a.jp")}}));
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :" + S("こんにちは http://a.jp")}));
  EXPECT_EQ(view.urls, (Urls{{"taro", "PRIVMSG #lobby :" + S("こんにちは http://a.jp")}}));
  EXPECT_EQ(view.activeTimerStarts, 1);
}

TEST_F(ClientCommands, MemoTextIsTrimmedAndTravelsAsOneLine) {
  EXPECT_EQ(core.MemoSend("  a\r\n"), "a");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("サーバーに接続されていません")}}));
  JoinRoom("#lobby");
  EXPECT_EQ(core.MemoSend(" \r\n\t"), "");
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_EQ(core.MemoSend(S("\r\n 一行目\r\n\r\n 三行目 \r\n")), "");
  const std::string escaped = S("一行目") + "\x10r\x10n\x10r\x10n " + S("三行目");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, "taro"}, {4, " " + escaped}}));
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :" + escaped}));
  EXPECT_TRUE(view.urls.empty());
  EXPECT_EQ(view.activeTimerStarts, 1);
}

TEST_F(ClientCommands, LeavingTheRoom) {
  JoinRoom("#lobby");
  Feed(":hanako!x@x JOIN :#lobby");
  Clear();
  core.MenuRoomOut();
  EXPECT_EQ(net.TakeLines(), (Lines{"PART #lobby"}));
  EXPECT_EQ(view.caption, "NOVALUNE Ver1.13 taro " + S("退室"));
  EXPECT_EQ(core.RoomName(), "");
  EXPECT_EQ(core.Members().Count(), 0u);
  Feed(":taro!x@x PART #lobby");
  core.MenuRoomOut();  // no joined room: nothing sent
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientCommands, ListsTopicAndRename) {
  JoinRoom("#lobby");
  core.MenuRoomLook();
  core.MenuMemberLook();
  core.MenuRoomTopic("one\r\ntwo");
  EXPECT_EQ(net.TakeLines(), (Lines{"LIST", "WHO", "TOPIC #lobby :onetwo"}));
  EXPECT_EQ(view.roomListClears, 1);
  EXPECT_EQ(view.roomListShows, 1);
  EXPECT_EQ(view.userListClears, 1);
  EXPECT_EQ(view.userListShows, 1);

  core.MenuReName("taro");
  EXPECT_TRUE(net.TakeLines().empty());
  core.MenuReName("jiro");
  EXPECT_EQ(net.TakeLines(), (Lines{"NICK jiro"}));
  EXPECT_EQ(core.MyNick(), "jiro");
  EXPECT_EQ(view.caption, "NOVALUNE Ver1.13 jiro #lobby " + S("入室"));
  EXPECT_EQ(core.Members().Rows()[0].nick, "taro");  // follows when the server answers
}

TEST_F(ClientCommands, GoingAwayAndComingBack) {
  JoinRoom("#lobby");
  core.SetShowIcon(true);
  Clear();
  core.AwayBtnClick(true);
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :\x01" + S("AWAY 席を離れます") + "\x01"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("taroが席を離れました")}}));
  EXPECT_EQ(core.Members().GetMemberMode("taro"), "a");
  EXPECT_EQ(core.Members().Row(0).picture, kPictureAway);

  core.AwayBtnClick(false);
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :\x01"
                                    "AWAY\x01",
                                    "CHGICON taro"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("taroが戻りました")}}));
  EXPECT_EQ(core.Members().GetMemberMode("taro"), "");

  core.SetAwayMessages(S("会議中"), S("ただいま"));
  core.AwayBtnClick(true);
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :\x01"
                                    "AWAY " +
                                    S("会議中") + "\x01"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("taroが席を離れました")}, {3, S("会議中")}}));
  core.AwayBtnClick(false);
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :\x01"
                                    "AWAY\x01",
                                    "PRIVMSG #lobby :" + S("ただいま"), "CHGICON taro"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, S("taroが戻りました")}, {3, S("ただいま")}}));
}

TEST_F(ClientCommands, ComingBackFromAnOldServerSendsNoIconChange) {
  Connect();
  core.MenuRoomIn("#lobby", "");
  Feed(":OldServer 001 taro :Welcome");
  Feed(":OldServer 376 taro :End");
  Feed(":taro!x@x JOIN :#lobby");
  Clear();
  core.AwayBtnClick(false);
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :\x01"
                                    "AWAY\x01"}));
}

TEST_F(ClientCommands, SoundButtonPlaysShowsAndSends) {
  JoinRoom("#lobby");
  core.SetBeepFile("ding.wav");
  core.BeepBtnClick();
  EXPECT_EQ(view.beeps, (Lines{"ding.wav"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, "taro_(ding.wav)"}}));
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :\x01SOUND ding.wav\x01"}));
}

TEST_F(ClientCommands, WhisperOpensThePrivateWindowOfAnotherMemberOnly) {
  JoinRoom("#lobby");
  Feed(":hanako!x@x JOIN :#lobby");
  core.PrivateBtnClick();  // own row selected
  EXPECT_TRUE(view.privateBoxes.empty());
  core.Members().Select(1);
  core.PrivateBtnClick();
  EXPECT_EQ(view.privateBoxes, (std::vector<std::size_t>{1}));
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientCommands, PrivateWindowStatementsAndSounds) {
  JoinRoom("#lobby");
  core.SetBeepFile("pon.wav");
  core.WMPrivateMsg("hanako", S("秘密 http://x.jp/"));
  core.WMPrivateBeep("hanako");
  EXPECT_EQ(net.TakeLines(),
            (Lines{"PRIVMSG hanako :" + S("秘密 http://x.jp/"), "PRIVMSG hanako :\x01SOUND pon.wav\x01"}));
  EXPECT_EQ(view.urls, (Urls{{"taro", "PRIVMSG hanako :" + S("秘密 http://x.jp/")}}));
  EXPECT_EQ(view.beeps, (Lines{"pon.wav"}));
  EXPECT_EQ(view.activeTimerStarts, 2);
}

TEST_F(ClientCommands, HostAndKickNeedHostRightsAndASelection) {
  JoinRoom("#lobby");
  Feed(":hanako!x@x JOIN :#lobby");
  Clear();
  core.Members().Select(1);
  EXPECT_FALSE(core.PopupHostEnabled());
  core.MenuHostClick();
  core.MenuKickClick();
  EXPECT_EQ(view.TakeAsked(),
            (std::vector<Asked>{{S("ホストではありません"), kNotice}, {S("ホストではありません"), kNotice}}));
  EXPECT_TRUE(net.TakeLines().empty());

  Feed(":taro!x@x MODE #lobby +o taro");
  EXPECT_TRUE(core.PopupHostEnabled());
  EXPECT_TRUE(core.GetMenuState().hostKick);
  core.MenuHostClick();
  EXPECT_EQ(net.TakeLines(), (Lines{"MODE #lobby +o hanako"}));

  view.answers = {2, 1};
  core.MenuKickClick();
  EXPECT_TRUE(net.TakeLines().empty());
  core.MenuKickClick();
  EXPECT_EQ(net.TakeLines(), (Lines{"KICK #lobby hanako"}));
  EXPECT_EQ(view.TakeAsked(),
            (std::vector<Asked>{{S("hanakoを切断します"), kQuestion}, {S("hanakoを切断します"), kQuestion}}));

  core.Members().Select(std::nullopt);
  core.MenuHostClick();
  core.MenuKickClick();
  EXPECT_TRUE(view.TakeAsked().empty());
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST_F(ClientCommands, FollowingAMemberAsksForItsAddress) {
  JoinRoom("#lobby");
  Feed(":hanako!x@x JOIN :#lobby");
  core.Members().Select(1);
  core.MenuUJoinClick();
  core.Members().Select(std::nullopt);
  core.MenuUJoinClick();
  EXPECT_EQ(net.TakeLines(), (Lines{"JOINIP hanako", "JOINIP "}));
}

TEST_F(ClientCommands, IconCommandsNeedServerVersion208) {
  view.iconList = {"http://a/0.gif", "http://a/1.gif"};
  Connect();
  Feed(":ZKWChatServer207 001 taro :Welcome");
  EXPECT_EQ(core.ServerVersion(), 207);
  core.SpeedButtonClick(1);
  core.MenuIconOk("http://a/me.gif");
  core.IconApply("http://a/x.gif");
  core.SetShowIcon(true);
  EXPECT_TRUE(net.TakeLines().empty());
  EXPECT_EQ(core.IconName(), "http://a/me.gif");
  EXPECT_EQ(view.iconListRebuilds, 1);
  EXPECT_TRUE(core.Members().GetIconMode());
  core.SetShowIcon(false);

  JoinRoom("#lobby");
  core.SpeedButtonClick(2);  // beyond the list
  EXPECT_TRUE(net.TakeLines().empty());
  EXPECT_EQ(core.IconName(), "http://a/me.gif");
  core.SpeedButtonClick(1);
  core.MenuIconOk("http://a/ok.gif");
  core.IconApply("http://a/apply.gif");
  core.SetShowIcon(true);
  core.SetShowIcon(true);  // already in icon mode: no second request
  EXPECT_EQ(net.TakeLines(),
            (Lines{"ICON http://a/1.gif", "CHGICON taro", "ICON http://a/ok.gif", "CHGICON taro",
                   "ICON http://a/apply.gif", "CHGICON taro", "LISTICON #lobby"}));
  EXPECT_EQ(view.iconListRebuilds, 2);
}

TEST_F(ClientCommands, EnablingFollowsConnectionRoomNameAndJoinedRoom) {
  MenuState s = core.GetMenuState();
  EXPECT_TRUE(s.join);
  EXPECT_FALSE(s.cut || s.roomIn || s.roomOut || s.roomTopic || s.talk || s.hostKick);
  Connect();
  s = core.GetMenuState();
  EXPECT_FALSE(s.join);
  EXPECT_TRUE(s.cut && s.roomIn && s.talk);
  EXPECT_FALSE(s.roomOut || s.roomTopic);
  core.MenuRoomIn("#lobby", "");
  EXPECT_TRUE(core.GetMenuState().roomOut);
  EXPECT_FALSE(core.GetMenuState().roomTopic);
  Feed(":taro!x@x JOIN :#lobby");
  EXPECT_TRUE(core.GetMenuState().roomTopic);
}

TEST_F(ClientCommands, ConnectFromTheDialog) {
  ConnectRequest request{.serverAddress = "ZKWC2://chat.example/ignored",
                         .roomName = "lobby",
                         .roomPass = "pw",
                         .roomTopic = "t",
                         .nick = "jiro",
                         .homePage = "h",
                         .mail = "m"};
  core.MenuJoin(request);
  EXPECT_EQ(net.opens.back(), (FakeNet::OpenCall{"chat.example", false, 6667}));
  EXPECT_EQ(core.RoomName(), "lobby");  // the dialog's room wins over the link's
  EXPECT_EQ(core.MyNick(), "jiro");
  EXPECT_EQ(view.serverCopies, 0);
  EXPECT_TRUE(net.hostOpens.empty());

  request.joinMe = true;
  core.MenuJoin(request);
  EXPECT_EQ(view.serverCopies, 1);
  EXPECT_EQ(net.opens.back(), (FakeNet::OpenCall{"192.168.1.20", true, 6667}));
  EXPECT_EQ(net.hostOpens, (std::vector<std::uint16_t>{32570}));
  core.MenuJoin(request);  // a server runs already: no second copy
  EXPECT_EQ(view.serverCopies, 1);
}

TEST_F(ClientCommands, DisconnectClearsTheListAndCloses) {
  JoinRoom("#lobby");
  Feed(":hanako!x@x JOIN :#lobby");
  core.MenuCut();
  EXPECT_EQ(core.Members().Count(), 0u);
  EXPECT_EQ(net.closes, 1);
  EXPECT_FALSE(core.Active());
}

}  // namespace
}  // namespace novalune::client::testing

namespace novalune::client::testing {
namespace {

using Lines = std::vector<std::string>;
const std::string kEsc = "\x10r\x10n";

class UserValues : public ::testing::Test, public ClientFixture {};

TEST_F(UserValues, PastedLinesTravelAsOneStatementLikeTheMemo) {
  JoinRoom("#lobby");
  EXPECT_TRUE(core.TalkEnter("hello\nQUIT x"));
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :hello" + kEsc + "QUIT x"}));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{2, "taro"}, {4, " hello" + kEsc + "QUIT x"}}));
  EXPECT_TRUE(core.TalkEnter(std::string("a\r\nb\rc\0d", 9)));
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :a" + kEsc + "b" + kEsc + "cd"}));
  EXPECT_EQ(core.MemoSend("x\ny"), "");
  core.WMPrivateMsg("hanako", "p\nQUIT");
  EXPECT_EQ(net.TakeLines(), (Lines{"PRIVMSG #lobby :x" + kEsc + "y", "PRIVMSG hanako :p" + kEsc + "QUIT"}));
}

TEST_F(UserValues, LineBreaksInValuesNeverAddALineAndMemoryMatchesWhatIsSent) {
  JoinRoom("#lobby");
  core.MenuReName("ab\r\nQUIT");
  EXPECT_EQ(core.MyNick(), "abQUIT");
  core.MenuRoomIn("#r\nQUIT", "p\r\nw");
  EXPECT_EQ(core.RoomName(), "#rQUIT");
  EXPECT_EQ(core.RoomPass(), "pw");
  core.MenuRoomTopic("t\rQUIT");
  EXPECT_EQ(core.RoomTopic(), "tQUIT");
  EXPECT_EQ(net.TakeLines(),
            (Lines{"NICK abQUIT", "PART #lobby", "JOIN #rQUIT pw", "TOPIC #rQUIT :", "TOPIC #rQUIT :tQUIT"}));

  core.SetAwayMessages("out\nQUIT", "in\nQUIT");
  core.SetBeepFile(std::string("a\r\n\0.wav", 8));
  EXPECT_EQ(core.BeepFile(), "a.wav");
  core.AwayBtnClick(true);
  core.AwayBtnClick(false);
  core.BeepBtnClick();
  core.MenuIconOk("http://i/\nQUIT");
  EXPECT_EQ(core.IconName(), "http://i/QUIT");
  EXPECT_EQ(net.TakeLines(),
            (Lines{"PRIVMSG #lobby :\x01"
                   "AWAY outQUIT\x01",
                   "PRIVMSG #lobby :\x01"
                   "AWAY\x01",
                   "PRIVMSG #lobby :inQUIT", "CHGICON abQUIT", "PRIVMSG #lobby :\x01SOUND a.wav\x01",
                   "ICON http://i/QUIT", "CHGICON abQUIT"}));

  // The gate itself: one call, one line.
  core.CommandSend(std::string("PING a\r\nQUIT\0b", 14));
  EXPECT_EQ(net.written, "PING aQUITb\r\n");
}

TEST_F(UserValues, ConnectValuesAreCleanedBeforeRegistration) {
  ConnectRequest request;
  request.serverAddress = "10.0.0.9\r\n";
  request.nick = "ab\nQUIT";
  request.roomName = "#a\nb";
  core.MenuJoin(request);
  EXPECT_EQ(net.opens.back(), (FakeNet::OpenCall{"10.0.0.9", true, 6667}));
  EXPECT_EQ(core.ServerAddress(), "10.0.0.9");
  core.ClientSocketConnect();
  EXPECT_EQ(net.TakeLines(), (Lines{"USER abQUIT * * :abQUIT", "NICK abQUIT"}));
  EXPECT_EQ(core.RoomName(), "#ab");
}

TEST_F(UserValues, SoundButtonWithoutASoundOpensTheChooserAndSendsNothing) {
  JoinRoom("#lobby");
  core.BeepBtnClick();
  EXPECT_EQ(view.beepFileChoosers, 1);
  EXPECT_TRUE(view.beeps.empty());
  EXPECT_TRUE(view.TakeShown().empty());
  EXPECT_TRUE(net.TakeLines().empty());
}

TEST(SoundHistory, ChosenNameGoesOnTopOnceAndTheOldestFallsOffAtTwentyOne) {
  EXPECT_EQ(PushSoundHistory({"a.wav", "Ding.WAV", "b.wav"}, "ding.wav"),
            (Lines{"ding.wav", "a.wav", "b.wav"}));
  Lines history;
  for (int i = 0; i < 21; ++i) history = PushSoundHistory(history, std::to_string(i) + ".wav");
  ASSERT_EQ(history.size(), 20u);
  EXPECT_EQ(history.front(), "20.wav");
  EXPECT_EQ(history.back(), "1.wav");
}

}  // namespace
}  // namespace novalune::client::testing
