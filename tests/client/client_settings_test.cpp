#include "client/core/ClientSettings.h"

#include <gtest/gtest.h>

#include "client_fake.h"
#include "common/Settings.h"
#include "support/ProgramFolder.h"

namespace novalune::client::testing {
namespace {

class ClientSettingsStore : public test::ProgramFolderTest {};

TEST_F(ClientSettingsStore, MissingFileGivesEmptyValues) {
  const StartupValues values = ReadStartupValues();
  EXPECT_EQ(values.nick, "");
  EXPECT_EQ(values.roomTopic, "");
  EXPECT_FALSE(ReadEventSounds().inBeep);
  EXPECT_TRUE(ReadIconList().empty());
}

TEST_F(ClientSettingsStore, StartupValuesComeFromTheirKeysAndFiles) {
  WriteBytes("NOVALUNE.INI", "[System]\r\nServerIP=chat.example\r\nRoomName=lobby\r\nNick=" + S("太郎") +
                                 "\r\nHomePage=http://h/\r\nMail=m@x\r\nInBeep=1\r\nInFile=/s/in.wav\r\n"
                                 "OutBeep=0\r\nOutFile=/s/out.wav\r\n[Message]\r\nAWAY=" +
                                 S("留守") + "\r\nBACK=back\r\n[ICON]\r\nURL=http://i/me.gif\r\n");
  WriteBytes("RoomTopic.txt", S("一行目") + "\r\n" + S("二行目") + "\r\n");
  WriteBytes("ICONLIST.TXT", "http://i/a.gif\r\nhttp://i/b.gif\r\n");

  const StartupValues values = ReadStartupValues();
  EXPECT_EQ(values.serverAddress, "chat.example");
  EXPECT_EQ(values.roomName, "lobby");
  EXPECT_EQ(values.roomTopic, S("一行目二行目"));
  EXPECT_EQ(values.nick, S("太郎"));
  EXPECT_EQ(values.homePage, "http://h/");
  EXPECT_EQ(values.mail, "m@x");
  EXPECT_EQ(values.awayMessage, S("留守"));
  EXPECT_EQ(values.backMessage, "back");
  EXPECT_EQ(values.iconName, "http://i/me.gif");
  const EventSounds sounds = ReadEventSounds();
  EXPECT_TRUE(sounds.inBeep);
  EXPECT_EQ(sounds.inFile, "/s/in.wav");
  EXPECT_FALSE(sounds.outBeep);
  EXPECT_EQ(sounds.outFile, "/s/out.wav");
  EXPECT_EQ(ReadIconList(), (std::vector<std::string>{"http://i/a.gif", "http://i/b.gif"}));
}

}  // namespace
}  // namespace novalune::client::testing
