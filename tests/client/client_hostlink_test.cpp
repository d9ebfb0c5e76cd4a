#include <gtest/gtest.h>

#include "client_fake.h"

namespace novalune::client::testing {
namespace {

class ClientHostLink : public ::testing::Test, public ClientFixture {};

TEST_F(ClientHostLink, StartAndEndNoticesAreSystemLines) {
  core.HostClientRead("START  10.0.0.7\r\nEND  10.0.0.7\r\n");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("あなたのサーバーへ[10.0.0.7]が接続しました")},
                                                  {1, S("あなたのサーバーから[10.0.0.7]を切断しました")}}));
}

TEST_F(ClientHostLink, NoticesSplitOverReadsWaitForTheLineFeed) {
  core.HostClientRead("START  10.0");
  EXPECT_TRUE(view.shown.empty());
  core.HostClientRead(".0.8\r");
  EXPECT_TRUE(view.shown.empty());
  core.HostClientRead("\nBOGUS a b\r\nstart  1.2.3.4\r\n");
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("あなたのサーバーへ[10.0.0.8]が接続しました")}}));
}

TEST_F(ClientHostLink, JoinWhileConnectedIsANoticeWithTheEntrySound) {
  JoinRoom("#lobby");
  core.SetEventSounds({.inBeep = true, .inFile = "/snd/in.wav"});
  const std::size_t opens = net.opens.size();
  core.HostClientRead(SjisToJis("JOIN #" + S("雑談") + " hanako\r\n"));
  EXPECT_EQ(view.TakeShown(), (std::vector<Shown>{{1, S("あなたのサーバーへhanakoが#雑談に入室しました")}}));
  EXPECT_EQ(view.soundFiles, (std::vector<std::string>{"/snd/in.wav"}));
  EXPECT_EQ(core.RoomName(), "#lobby");
  EXPECT_EQ(net.opens.size(), opens);
}

TEST_F(ClientHostLink, JoinWhileDisconnectedConnectsToTheOwnServerForThatRoom) {
  core.MenuRoomIn("#old", "pw");
  // Host-link lines are Shift-JIS as the server writes them.
  core.HostClientRead("JOIN #" + S("雑談") + " hanako\r\n");
  EXPECT_EQ(core.RoomName(), "#" + S("雑談"));
  EXPECT_EQ(core.RoomPass(), "pw");
  EXPECT_EQ(net.opens.back(), (FakeNet::OpenCall{"192.168.1.20", true, 6667}));
  EXPECT_TRUE(view.shown.empty());
}

TEST_F(ClientHostLink, ViewRequestIsFourBytesOnAnOpenLinkOnly) {
  core.ServerViewBtnClick();
  EXPECT_EQ(net.hostWritten, "");
  net.hostOpen = true;
  core.ServerViewBtnClick();
  EXPECT_EQ(net.hostWritten, "VIEW");
}

TEST_F(ClientHostLink, AnEndlessNoticeClosesTheLink) {
  net.hostOpen = true;
  core.HostClientRead(std::string(kMaxPendingLine + 1, 'x'));
  EXPECT_EQ(net.hostCloses, 1);
  core.HostClientRead("START  1.2.3.4\r\n");
  EXPECT_EQ(view.TakeShown().size(), 1u);
}

TEST_F(ClientHostLink, LinkErrorsAreNotices) {
  core.HostClientError("Connection refused");
  EXPECT_EQ(view.TakeAsked(), (std::vector<Asked>{{"Connection refused", kNotice}}));
}

}  // namespace
}  // namespace novalune::client::testing
