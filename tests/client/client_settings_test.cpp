#include "client/core/ClientSettings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "client_fake.h"
#include "common/Settings.h"

namespace novalune::client::testing {
namespace {

class ClientSettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("novalune-client-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    ASSERT_EQ(::setenv("NOVALUNE_HOME", dir_.c_str(), 1), 0);
  }
  void TearDown() override {
    ::unsetenv("NOVALUNE_HOME");
    std::filesystem::remove_all(dir_);
  }
  void WriteFile(const char* name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::filesystem::path dir_;
};

TEST_F(ClientSettingsStore, MissingFileGivesEmptyValues) {
  const StartupValues values = ReadStartupValues();
  EXPECT_EQ(values.nick, "");
  EXPECT_EQ(values.roomTopic, "");
  EXPECT_FALSE(ReadEventSounds().inBeep);
  EXPECT_TRUE(ReadIconList().empty());
}

TEST_F(ClientSettingsStore, StartupValuesComeFromTheirKeysAndFiles) {
  WriteFile("NOVALUNE.INI", "[System]\r\nServerIP=chat.example\r\nRoomName=lobby\r\nNick=" + S("太郎") +
                                "\r\nHomePage=http://h/\r\nMail=m@x\r\nInBeep=1\r\nInFile=/s/in.wav\r\n"
                                "OutBeep=0\r\nOutFile=/s/out.wav\r\n[Message]\r\nAWAY=" +
                                S("留守") + "\r\nBACK=back\r\n[ICON]\r\nURL=http://i/me.gif\r\n");
  WriteFile("RoomTopic.txt", S("一行目") + "\r\n" + S("二行目") + "\r\n");
  WriteFile("ICONLIST.TXT", "http://i/a.gif\r\nhttp://i/b.gif\r\n");

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
