#include "common/Settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "common/SettingsIni.h"
#include "common/SjisText.h"

namespace novalune {
namespace {

namespace fs = std::filesystem;
namespace sys = keys::system;

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// A deliberately strict, independent reader of a profile file: every line ends
// in CR LF and is blank, a ';' comment, "[name]" or "key=value" without blanks
// around the name. Anything else is reported as a failure. Names are folded to
// upper case; the first occurrence of a section or key wins.
using StrictIni = std::map<std::string, std::map<std::string, std::string>>;

std::optional<StrictIni> StrictRead(const std::string& bytes, std::string& problem) {
  StrictIni result;
  std::set<std::string> seenSections;
  std::string current;
  bool skipping = false;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t crlf = bytes.find("\r\n", start);
    if (crlf == std::string::npos) {
      problem = "last line does not end in CR LF";
      return std::nullopt;
    }
    const std::string line = bytes.substr(start, crlf - start);
    start = crlf + 2;
    if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos) {
      problem = "bare CR or LF inside a line";
      return std::nullopt;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = Upper(line.substr(1, line.size() - 2));
      skipping = !seenSections.insert(current).second;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0 || line[equals - 1] == ' ' || line[0] == ' ' ||
        current.empty()) {
      problem = "not a key line: " + line;
      return std::nullopt;
    }
    if (!skipping) result[current].emplace(Upper(line.substr(0, equals)), line.substr(equals + 1));
  }
  return result;
}

StrictIni StrictReadOrFail(const std::string& bytes) {
  std::string problem;
  std::optional<StrictIni> ini = StrictRead(bytes, problem);
  EXPECT_TRUE(ini.has_value()) << problem;
  return ini.value_or(StrictIni{});
}

// Every test gets its own program folder through NOVALUNE_HOME.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "novalune-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ASSERT_EQ(::setenv("NOVALUNE_HOME", dir_.c_str(), 1), 0);
  }
  void TearDown() override {
    ::unsetenv("NOVALUNE_HOME");
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string PathOf(std::string_view name) const { return dir_ + "/" + std::string(name); }

  void WriteRaw(std::string_view name, const std::string& bytes) const {
    std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good());
  }

  std::string ReadRaw(std::string_view name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  void WriteIni(const std::string& bytes) const { WriteRaw(kSettingsFileName, bytes); }
  std::string ReadIni() const { return ReadRaw(kSettingsFileName); }

  std::set<std::string> FolderEntries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
    return names;
  }

  std::string dir_;
};

// Runs `body` in a child process and returns its exit status (or -signal).
template <typename Body>
int RunInChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(ProgramDirTest, OverrideFolderGetsTrailingSlash) {
  ::setenv("NOVALUNE_HOME", "/opt/chat", 1);
  EXPECT_EQ(ProgramDir(), "/opt/chat/");
  EXPECT_EQ(SettingsFilePath(), "/opt/chat/NOVALUNE.INI");
  ::setenv("NOVALUNE_HOME", "/opt/chat/", 1);
  EXPECT_EQ(ProgramDir(), "/opt/chat/");
  EXPECT_EQ(ProgramPath("RefList.txt"), "/opt/chat/RefList.txt");
  ::unsetenv("NOVALUNE_HOME");
}

TEST(ProgramDirTest, WithoutOverrideIsTheFolderOfTheProgramFile) {
  const std::string expected = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
  ::unsetenv("NOVALUNE_HOME");
  EXPECT_EQ(ProgramDir(), expected);
  ::setenv("NOVALUNE_HOME", "", 1);
  EXPECT_EQ(ProgramDir(), expected);
  ::unsetenv("NOVALUNE_HOME");
}

TEST_F(SettingsTest, MissingFileReadsEmptyZeroAndDefaults) {
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "");
  EXPECT_EQ(ReadSettingInt(sys::kSection, sys::kBackColor), 0);
  EXPECT_FALSE(ReadSettingFlag(sys::kSection, sys::kViewToolBar));
  FontSetting font{"old", 20, true, true, true, true, 255};
  ReadFontSetting(font, keys::memo_font::kSections[0]);
  EXPECT_EQ(font, (FontSetting{"", 9, false, false, false, false, 0}));
  WindowPlacement placement{1, 2, 3, 4, 5, 6, 7, 8};
  LoadWindowPlacement(placement);
  EXPECT_EQ(placement, (WindowPlacement{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_TRUE(LoadListFile(files::kRefList).empty());
  EXPECT_FALSE(ListFileExists(files::kRefList));
  EXPECT_TRUE(FolderEntries().empty()) << "reading must not create files";
}

TEST_F(SettingsTest, MissingKeysAndSectionsReadEmptyAndZero) {
  WriteIni("[System]\r\nNick=taro\r\n[ICON]\r\nURL=http://a/b.gif\r\n");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kMail), "");
  EXPECT_EQ(ReadSettingInt(keys::icon::kSection, keys::icon::kHttpTime), 0);
  EXPECT_FALSE(ReadSettingFlag(keys::server::kSection, keys::server::kPassHost));
  EXPECT_EQ(ReadSettingString(keys::open_server::kSection, keys::open_server::kUrl), "");
  EXPECT_EQ(ReadSettingString(keys::icon::kSection, keys::icon::kUrl), "http://a/b.gif");
}

TEST_F(SettingsTest, SectionAndKeyNamesIgnoreAsciiCase) {
  WriteIni("[SYSTEM]\r\nurllen=5\r\n");
  EXPECT_EQ(ReadSettingInt(sys::kSection, sys::kUrlLen), 5);
  EXPECT_EQ(ReadSettingInt("system", "UrlLen"), 5);

  WriteSettingInt(sys::kSectionUpper, sys::kUrlLen, 7);
  WriteSettingInt(sys::kSectionUpper, sys::kUserHistoryLen, 30);
  WriteSettingString(sys::kSection, sys::kNick, "hanako");
  EXPECT_EQ(ReadIni(), "[SYSTEM]\r\nurllen=7\r\nUSERHISTORYLEN=30\r\nNick=hanako\r\n");
  EXPECT_EQ(ReadSettingString("SYSTEM", "NICK"), "hanako");
}

TEST_F(SettingsTest, FontSizeZeroOrMissingReadsNineAndNothingElseIsSubstituted) {
  WriteIni(
      "[MemoFont1]\r\nName=Serif\r\nSize=0\r\n"
      "[MemoFont2]\r\nColor=16777215\r\nBold=2\r\nItalic=0x1\r\nUnderline=0\r\nStrikeout=-1\r\n"
      "[MemoFont3]\r\nSize=abc\r\n"
      "[MemoFont4]\r\nSize=-13\r\n");
  FontSetting font;
  ReadFontSetting(font, "MemoFont1");
  EXPECT_EQ(font, (FontSetting{"Serif", 9, false, false, false, false, 0}));
  ReadFontSetting(font, "MemoFont2");
  EXPECT_EQ(font, (FontSetting{"", 9, true, true, false, true, 16777215}));
  ReadFontSetting(font, "MemoFont3");
  EXPECT_EQ(font.size, 9);
  ReadFontSetting(font, "MemoFont4");
  EXPECT_EQ(font.size, -13);
}

TEST_F(SettingsTest, FontWritesTheSevenKeysAndReadsBack) {
  const FontSetting written{SysText("ＭＳ Ｐゴシック"), 12, true, false, true, false, 255};
  WriteFontSetting(written, "MemoFont3");
  EXPECT_EQ(ReadIni(),
            "[MemoFont3]\r\nName=" + SysText("ＭＳ Ｐゴシック") +
                "\r\nSize=12\r\nColor=255\r\nBold=1\r\nItalic=0\r\nUnderline=1\r\nStrikeout=0\r\n");
  FontSetting read;
  ReadFontSetting(read, "memofont3");
  EXPECT_EQ(read, written);

  WriteFontSetting(FontSetting{"Mono", 10, false, true, false, true, 0}, "MemoFont3");
  EXPECT_EQ(ReadIni(),
            "[MemoFont3]\r\nName=Mono\r\nSize=10\r\nColor=0\r\nBold=0\r\nItalic=1\r\nUnderline="
            "0\r\nStrikeout=1\r\n");
}

TEST_F(SettingsTest, WriteKeepsTheRestOfTheFileByteForByte) {
  const std::string sjis = SysText("表示ソフト");  // trail bytes 0x5C
  const std::string original =
      "; written by hand\r\n"
      "orphan=before any section\r\n"
      "[System]\r\n"
      "  Nick = taro  \r\n"
      "Mail=a@b\n"
      "; keep me\r\n"
      "junk line without equals\r\n"
      "\r\n"
      "[MemoFont1]\r\n"
      "Name=" +
      sjis +
      "\r\n"
      "\r\n"
      "\r\n"
      "[Server]\r\n"
      "NAME=srv";  // no final line end
  WriteIni(original);

  WriteSettingString(sys::kSection, sys::kNick, "jiro");
  std::string expected = original;
  expected.replace(expected.find("  Nick = taro  "), 15, "Nick=jiro");
  EXPECT_EQ(ReadIni(), expected);

  WriteSettingInt("MemoFont1", "Size", 11);
  expected.insert(expected.find("\r\n\r\n\r\n[Server]") + 2, "Size=11\r\n");
  EXPECT_EQ(ReadIni(), expected);

  WriteSettingFlag(keys::server::kSection, keys::server::kPassHost, true);
  expected += "\r\nPassHost=1\r\n";
  EXPECT_EQ(ReadIni(), expected);

  WriteSettingString(keys::message::kSection, keys::message::kAway, "afk");
  expected += "[Message]\r\nAWAY=afk\r\n";
  EXPECT_EQ(ReadIni(), expected);

  EXPECT_EQ(ReadSettingString("MemoFont1", "Name"), sjis);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kMail), "a@b");
}

TEST_F(SettingsTest, JapaneseValuesRoundTripAsTheSameShiftJisBytes) {
  const std::string away = SysText("ただいま離席中です");
  const std::string room = SysText("ソフト表示ﾃｽﾄ");  // 0x5C trail bytes and half-width kana
  const std::string tricky = "a=b;c [x] " + SysText("ー") + "\x81\x40";  // ends in a full-width space
  WriteSettingString(keys::message::kSection, keys::message::kAway, away);
  WriteSettingString(sys::kSection, sys::kRoomName, room);
  WriteSettingString(keys::message::kSection, keys::message::kBack, tricky);

  EXPECT_EQ(ReadSettingString(keys::message::kSection, keys::message::kAway), away);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kRoomName), room);
  EXPECT_EQ(ReadSettingString(keys::message::kSection, keys::message::kBack), tricky);
  EXPECT_EQ(ReadIni(),
            "[Message]\r\nAWAY=" + away + "\r\nBACK=" + tricky + "\r\n[System]\r\nRoomName=" + room + "\r\n");
  EXPECT_EQ(SjisToUtf8(room), "ソフト表示ﾃｽﾄ");
}

TEST_F(SettingsTest, FileWrittenByTheStorePassesAStrictReader) {
  WriteSettingFlag(sys::kSection, sys::kJoinMe, true);
  WriteSettingString(sys::kSection, sys::kNick, SysText("太郎"));
  WriteSettingInt(sys::kSection, sys::kBackColor, 16777215);
  WriteSettingInt(keys::icon::kSection, keys::icon::kSelectNo, -1);
  WriteSettingString(keys::server::kSection, keys::server::kAutoStrTime, "PM 09:30");
  WriteSettingInt(sys::kSectionUpper, sys::kUrlLen, 100);
  WriteFontSetting(FontSetting{"Gothic", 9, false, false, false, false, 128}, "MemoFont4");
  SaveWindowPlacement(WindowPlacement{-32000, -32000, -1, -1, 10, 20, 630, 470});
  WriteSettingFlag(sys::kSection, sys::kJoinMe, false);

  const StrictIni ini = StrictReadOrFail(ReadIni());
  EXPECT_EQ(ini.size(), 5u) << "one [System] section, however it is spelled";
  EXPECT_EQ(ini.at("SYSTEM").at("JOINME"), "0");
  EXPECT_EQ(ini.at("SYSTEM").at("NICK"), SysText("太郎"));
  EXPECT_EQ(ini.at("SYSTEM").at("BACKCOLOR"), "16777215");
  EXPECT_EQ(ini.at("SYSTEM").at("URLLEN"), "100");
  EXPECT_EQ(ini.at("ICON").at("SELECTNO"), "-1");
  EXPECT_EQ(ini.at("SERVER").at("AUTOSTRTIME"), "PM 09:30");
  EXPECT_EQ(ini.at("MEMOFONT4").size(), 7u);
  EXPECT_EQ(ini.at("MEMOFONT4").at("COLOR"), "128");
  EXPECT_EQ(ini.at("ZKWCHATFORM").at("PLACEMINPOS.X"), "-32000");
  EXPECT_EQ(ini.at("ZKWCHATFORM").at("PLACENORMALPOS.BOTTOM"), "470");
}

TEST_F(SettingsTest, ReadsToleratesLfOnlyFilesAndBlanksAroundTheEqualsSign) {
  WriteIni(
      "Nick=outside\n"
      "[System]\n"
      "\tNick \t=  foo bar \t\n"
      ";Mail=commented\n"
      "HomePage\n"
      "AutoTime= 30\r\n"
      "[ System ]\n"
      "Mail=second section is not read\n"
      "[Server]\n"
      "NAME=\n");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "foo bar");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kMail), "");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kHomePage), "");
  EXPECT_EQ(ReadSettingInt(sys::kSection, sys::kAutoTime), 30);
  EXPECT_EQ(ReadSettingString(keys::server::kSection, keys::server::kName), "");

  // The first of two equal sections is the one that is written, too.
  WriteSettingString(sys::kSection, sys::kMail, "m@x");
  EXPECT_NE(ReadIni().find("AutoTime= 30\r\nMail=m@x\r\n[ System ]"), std::string::npos);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kMail), "m@x");
}

TEST_F(SettingsTest, IntegersAreDecimalOrHexAndJunkReadsZero) {
  const std::pair<const char*, int> cases[] = {
      {"42", 42},
      {"-5", -5},
      {"+7", 7},
      {"  12  ", 12},
      {"0x1F", 31},
      {"0X10", 16},
      {"0xff", 255},
      {"0xFFFFFFFF", -1},
      {"-0x10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 0},
      {"0x100000000", 0},
      {"12abc", 0},
      {"abc", 0},
      {"", 0},
      {"0x", 0},
      {"-", 0},
      {"1 2", 0},
      {"$10", 0},
      {"99999999999999999999", 0},
      {"0x1G", 0},
      {"007", 7},
  };
  for (const auto& [text, expected] : cases) {
    WriteIni(std::string("[System]\r\nAutoTime=") + text + "\r\n");
    EXPECT_EQ(ReadSettingInt(sys::kSection, sys::kAutoTime), expected) << "stored: '" << text << "'";
    EXPECT_EQ(ReadSettingFlag(sys::kSection, sys::kAutoTime), expected != 0) << "stored: '" << text << "'";
  }
  WriteSettingInt(sys::kSection, sys::kAutoTime, -2147483647 - 1);
  EXPECT_EQ(ReadIni(), "[System]\r\nAutoTime=-2147483648\r\n");
  WriteSettingFlag(sys::kSection, sys::kAutoTime, true);
  EXPECT_EQ(ReadIni(), "[System]\r\nAutoTime=1\r\n");
}

TEST_F(SettingsTest, WrittenValuesCannotOpenNewLinesOrSections) {
  const char raw[] = "gone\r\n[Server]\r\nPassHost=1\nx\0y";
  const std::string value(raw, sizeof raw - 1);
  WriteSettingString(keys::message::kSection, keys::message::kAway, value);
  EXPECT_EQ(ReadIni(), std::string("[Message]\r\nAWAY=gone[Server]PassHost=1xy\r\n"));
  EXPECT_FALSE(ReadSettingFlag(keys::server::kSection, keys::server::kPassHost));
  StrictReadOrFail(ReadIni());
}

TEST_F(SettingsTest, NamesTheFormatCannotHoldAreRefusedAndTheFileIsKept) {
  WriteIni("[System]\r\nNick=a\r\n");
  EXPECT_THROW(WriteSettingString("", "Nick", "b"), std::invalid_argument);
  EXPECT_THROW(WriteSettingString("Sys]tem", "Nick", "b"), std::invalid_argument);
  EXPECT_THROW(WriteSettingString(sys::kSection, "Ni=ck", "b"), std::invalid_argument);
  EXPECT_THROW(WriteSettingString(sys::kSection, " Nick", "b"), std::invalid_argument);
  EXPECT_THROW(WriteSettingString(sys::kSection, "[Nick]", "b"), std::invalid_argument);
  EXPECT_THROW(WriteSettingString(sys::kSection, "a\nb", "b"), std::invalid_argument);
  EXPECT_EQ(ReadIni(), "[System]\r\nNick=a\r\n");
}

TEST_F(SettingsTest, PlacementKeepsCurrentValuesForMissingOrJunkKeys) {
  WriteIni(
      "[ZKWChatForm]\r\nPlaceMinPos.X=-32000\r\nPlaceNormalPos.Left=0x10\r\nPlaceNormalPos.Top=junk\r\n");
  WindowPlacement placement{1, 2, 3, 4, 5, 6, 7, 8};
  LoadWindowPlacement(placement);
  EXPECT_EQ(placement, (WindowPlacement{-32000, 2, 3, 4, 16, 6, 7, 8}));

  WriteIni("");
  SaveWindowPlacement(WindowPlacement{-1, -2, 3, 4, 100, 50, 740, 530});
  EXPECT_EQ(ReadIni(),
            "[ZKWChatForm]\r\nPlaceMinPos.X=-1\r\nPlaceMinPos.Y=-2\r\nPlaceMaxPos.X=3\r\nPlaceMaxPos.Y=4\r\n"
            "PlaceNormalPos.Left=100\r\nPlaceNormalPos.Top=50\r\nPlaceNormalPos.Right=740\r\n"
            "PlaceNormalPos.Bottom=530\r\n");
  WindowPlacement loaded;
  LoadWindowPlacement(loaded);
  EXPECT_EQ(loaded, (WindowPlacement{-1, -2, 3, 4, 100, 50, 740, 530}));
}

TEST_F(SettingsTest, EveryReadSeesTheFileAsItIsNow) {
  WriteSettingString(sys::kSection, sys::kNick, "a");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "a");
  WriteIni("[System]\r\nNick=changed outside\r\n");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "changed outside");
  fs::remove(PathOf(kSettingsFileName));
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "");
}

TEST_F(SettingsTest, ListFilesRoundTripAsShiftJisWithCrLf) {
  const std::string entry = SysText("相手") + "\x02" + "192.168.0.1" + "\x02\x03";
  const std::vector<std::string> lines = {entry, "", SysText("表示ソフト"), "http://x/y#pass"};
  SaveListFile(files::kAddress, lines);
  EXPECT_EQ(ReadRaw(files::kAddress), entry + "\r\n\r\n" + SysText("表示ソフト") + "\r\nhttp://x/y#pass\r\n");
  EXPECT_EQ(LoadListFile(files::kAddress), lines);
  EXPECT_TRUE(ListFileExists(files::kAddress));

  SaveListFile(files::kRoom, {});
  EXPECT_EQ(ReadRaw(files::kRoom), "");
  EXPECT_TRUE(LoadListFile(files::kRoom).empty());
  EXPECT_TRUE(ListFileExists(files::kRoom));

  SaveListFile(files::kRoomTopic, {"one\ntwo", "three\r\nfour\rfive"});
  EXPECT_EQ(ReadRaw(files::kRoomTopic), "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\n");
}

TEST_F(SettingsTest, ListFilesAcceptEveryLineEnd) {
  WriteRaw(files::kWavFile, "a.wav\nb.wav\r\nc.wav\rd.wav\r\n\r\ne.wav");
  EXPECT_EQ(LoadListFile(files::kWavFile),
            (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.wav", "", "e.wav"}));
  EXPECT_EQ(SplitListText("\r\n"), (std::vector<std::string>{""}));
  EXPECT_EQ(SplitListText("x\r"), (std::vector<std::string>{"x"}));
  EXPECT_TRUE(SplitListText("").empty());
  EXPECT_EQ(JoinListText({"", ""}), "\r\n\r\n");
}

TEST_F(SettingsTest, StaleTemporaryFilesDoNotDisturbAWrite) {
  WriteIni("[System]\r\nNick=a\r\n");
  std::set<std::string> stale = {"NOVALUNE.INI.tmp", ".NOVALUNE.INI.1.0.tmp"};
  for (int n = 0; n < 40; ++n)
    stale.insert(".NOVALUNE.INI." + std::to_string(::getpid()) + "." + std::to_string(n) + ".tmp");
  for (const std::string& name : stale) WriteRaw(name, "[System]\r\nNick=half wri");

  WriteSettingString(sys::kSection, sys::kNick, "b");
  SaveListFile(files::kRefList, {"10.0.0.1"});

  EXPECT_EQ(ReadIni(), "[System]\r\nNick=b\r\n");
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "b");
  std::set<std::string> expected = stale;
  expected.insert("NOVALUNE.INI");
  expected.insert("RefList.txt");
  EXPECT_EQ(FolderEntries(), expected) << "no temporary file of ours is left, no stale one is touched";
  for (const std::string& name : stale) EXPECT_EQ(ReadRaw(name), "[System]\r\nNick=half wri");
}

TEST_F(SettingsTest, AFailedWriteLeavesTheOldFileIntact) {
  const std::string original = "[System]\r\nNick=a\r\nMail=b\r\n";
  WriteIni(original);
  // The file size limit makes the new file's write fail half way, even for root.
  const int status = RunInChild([] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{20, 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      WriteSettingString(sys::kSection, sys::kNick, std::string(200, 'x'));
    } catch (const std::system_error&) {
      return 0;
    } catch (...) {
      return 2;
    }
    return 1;
  });
  EXPECT_EQ(status, 0) << "the write must report the failure";
  EXPECT_EQ(ReadIni(), original);
  EXPECT_EQ(FolderEntries(), (std::set<std::string>{"NOVALUNE.INI"}));

  const int listStatus = RunInChild([] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{5, 5};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      SaveListFile(files::kRefList, {"10.0.0.1", "10.0.0.2"});
    } catch (const std::system_error&) {
      return 0;
    }
    return 1;
  });
  EXPECT_EQ(listStatus, 0);
  EXPECT_FALSE(ListFileExists(files::kRefList));
}

TEST_F(SettingsTest, AnUnreadableOrOversizedSettingsFileIsNotOverwritten) {
  fs::create_directory(PathOf(kSettingsFileName));
  EXPECT_THROW(WriteSettingInt(sys::kSection, sys::kAutoTime, 1), std::system_error);
  EXPECT_TRUE(fs::is_directory(PathOf(kSettingsFileName)));
  EXPECT_EQ(ReadSettingInt(sys::kSection, sys::kAutoTime), 0);
  fs::remove(PathOf(kSettingsFileName));

  std::string big =
      "[System]\r\nNick=a\r\n;" + std::string(17 * 1024 * 1024, 'z') + "\r\n[Server]\r\nNAME=n\r\n";
  WriteIni(big);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "a");
  EXPECT_EQ(ReadSettingString(keys::server::kSection, keys::server::kName), "")
      << "only the first 16 MiB are read";
  EXPECT_THROW(WriteSettingString(sys::kSection, sys::kNick, "b"), std::system_error);
  EXPECT_EQ(fs::file_size(PathOf(kSettingsFileName)), big.size());
}

TEST_F(SettingsTest, AFifoInPlaceOfAFileDoesNotBlock) {
  ASSERT_EQ(::mkfifo(PathOf(kSettingsFileName).c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(PathOf(files::kWavDir).c_str(), 0600), 0);
  EXPECT_EQ(ReadSettingString(sys::kSection, sys::kNick), "");
  EXPECT_TRUE(LoadListFile(files::kWavDir).empty());
  EXPECT_FALSE(ListFileExists(files::kWavDir));
}

TEST_F(SettingsTest, PermissionsOfTheFileCarryOver) {
  WriteIni("[System]\r\n");
  ASSERT_EQ(::chmod(PathOf(kSettingsFileName).c_str(), 0640), 0);
  WriteSettingString(sys::kSection, sys::kNick, "a");
  struct stat info {};
  ASSERT_EQ(::stat(PathOf(kSettingsFileName).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(SettingsTest, AWriterKilledAtAnyMomentLeavesACompleteFile) {
  const std::string payload(4000, 'p');
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    for (int i = 0;; ++i) {
      WriteSettingString("Load", "Payload", payload + std::to_string(i));
      WriteSettingInt("Load", "Counter", i);
      if (i == 10) (void)!::write(ready[1], "x", 1);
    }
  }
  ::close(ready[1]);
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);

  const StrictIni ini = StrictReadOrFail(ReadIni());
  const int counter = ReadSettingInt("Load", "Counter");
  EXPECT_GE(counter, 10);
  const std::string stored = ini.at("LOAD").at("PAYLOAD");
  EXPECT_EQ(stored.substr(0, payload.size()), payload);
  const int payloadNumber = std::stoi(stored.substr(payload.size()));
  EXPECT_TRUE(payloadNumber == counter || payloadNumber == counter + 1) << payloadNumber << " vs " << counter;
}

TEST_F(SettingsTest, TwoProcessesWritingAtOnceLoseNoChange) {
  auto writer = [](char prefix) {
    return [prefix] {
      for (int i = 0; i < 25; ++i) WriteSettingInt("Both", std::string(1, prefix) + std::to_string(i), i);
      return 0;
    };
  };
  const pid_t first = ::fork();
  if (first == 0) ::_exit(writer('A')());
  const pid_t second = ::fork();
  if (second == 0) ::_exit(writer('B')());
  int status = 0;
  ::waitpid(first, &status, 0);
  EXPECT_EQ(status, 0);
  ::waitpid(second, &status, 0);
  EXPECT_EQ(status, 0);

  const StrictIni ini = StrictReadOrFail(ReadIni());
  ASSERT_EQ(ini.count("BOTH"), 1u);
  EXPECT_EQ(ini.at("BOTH").size(), 50u);
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(ReadSettingInt("Both", "A" + std::to_string(i)), i);
    EXPECT_EQ(ReadSettingInt("Both", "B" + std::to_string(i)), i);
  }
}

// The engine on plain strings, for the cases the file helpers cannot reach.
TEST(IniEngineTest, SectionHeadersAndLineKinds) {
  EXPECT_EQ(ParseIniLine("  [ Server ]  ").kind, IniLineKind::kSection);
  EXPECT_EQ(ParseIniLine("  [ Server ]  ").name, "Server");
  EXPECT_EQ(ParseIniLine("[A]x]").name, "A]x");
  EXPECT_EQ(ParseIniLine("[open=1").kind, IniLineKind::kKey);
  EXPECT_EQ(ParseIniLine("[open=1").name, "[open");
  EXPECT_EQ(ParseIniLine(" \t ").kind, IniLineKind::kBlank);
  EXPECT_EQ(ParseIniLine(";k=v").kind, IniLineKind::kOther);
  const IniLineInfo key = ParseIniLine(" k = v = w ");
  EXPECT_EQ(key.kind, IniLineKind::kKey);
  EXPECT_EQ(key.name, "k");
  EXPECT_EQ(key.value, "v = w");
}

TEST(IniEngineTest, InsertionIntoASectionAfterItsLastFilledLine) {
  EXPECT_EQ(IniSetValues("[A]", "A", {{"k", "v"}}), "[A]\r\nk=v\r\n");
  EXPECT_EQ(IniSetValues("[A]\n;c\n\n[B]\n", "a", {{"k", "v"}}), "[A]\n;c\nk=v\r\n\n[B]\n");
  EXPECT_EQ(IniSetValues("x", "A", {{"k", "1"}, {"k", "2"}}), "x\r\n[A]\r\nk=2\r\n");
  EXPECT_EQ(IniSetValues("[A]\r\nK=1\r\nk=2\r\n", "A", {{"k", "3"}}), "[A]\r\nK=3\r\nk=2\r\n");
  EXPECT_EQ(IniGetValue("[A]\r\nK=1\r\nk=2\r\n", "a", "K"), "1");
  EXPECT_EQ(IniGetValue("[A]\r\n", "A", "K"), std::nullopt);
  EXPECT_EQ(IniGetValue("[A]\r\nK=\r\n", "A", "K"), "");
}

}  // namespace
}  // namespace novalune
