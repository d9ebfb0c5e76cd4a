// Rules the window leaves to the engine: the publication time window of
// AutoTimer, tick by tick through whole days, and the sound lookup of BeepON
// on real folders.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "client/core/AutoPublish.h"
#include "client/core/ClientSounds.h"
#include "common/SjisText.h"

namespace novalune::client {
namespace {

constexpr int H = 3600;

// Runs ticks at the given times like one program run and records what happened.
struct ProgramRun {
  ProgramRun(int start, int end, bool onDone = false) : start(start), end(end), onDone(onDone) {}
  AutoTimerActions Tick(int now) {
    const AutoTimerActions actions = AutoTimerStep(now, start, end, true, onDone, offDone);
    onDone = onDone || actions.publish;
    offDone = offDone || actions.withdraw;
    return actions;
  }
  int start, end;
  bool onDone;
  bool offDone = false;
};

constexpr AutoTimerActions kNothing{};
constexpr AutoTimerActions kPublish{true, false};
constexpr AutoTimerActions kWithdraw{false, true};

TEST(PublicationWindow, AcrossMidnightPublishesAtStartWithdrawsAtEndOncePerRun) {
  ProgramRun run(22 * H, 2 * H);
  EXPECT_EQ(run.Tick(21 * H + 59 * 60), kNothing);
  EXPECT_EQ(run.Tick(22 * H), kPublish);
  EXPECT_EQ(run.Tick(23 * H), kNothing);
  EXPECT_EQ(run.Tick(1 * H), kNothing);
  EXPECT_EQ(run.Tick(2 * H), kWithdraw);
  EXPECT_EQ(run.Tick(22 * H + 1), kNothing) << "the next night does nothing";
  EXPECT_EQ(run.Tick(2 * H + 1), kNothing);
}

TEST(PublicationWindow, StartedInsideTheNightWindowPublishesAtOnce) {
  ProgramRun run(22 * H, 2 * H);
  EXPECT_EQ(run.Tick(1 * H), kPublish);
  EXPECT_EQ(run.Tick(3 * H), kWithdraw);
}

TEST(PublicationWindow, DayWindowStartedAfterItsEnd) {
  ProgramRun late(9 * H, 17 * H);
  EXPECT_EQ(late.Tick(18 * H), kNothing) << "nothing was published, so nothing is withdrawn";
  ProgramRun published(9 * H, 17 * H, /*onDone=*/true);
  EXPECT_EQ(published.Tick(18 * H), kWithdraw) << "a start-up publication counts";
}

TEST(PublicationWindow, DayWindowEndingNowPublishesAndWithdrawsInOneTick) {
  ProgramRun run(9 * H, 17 * H);
  EXPECT_EQ(run.Tick(8 * H), kNothing);
  EXPECT_EQ(run.Tick(17 * H), (AutoTimerActions{true, true}));
}

TEST(PublicationWindow, EqualTimesOrSwitchedOffNeverFire) {
  for (int now : {0, 9 * H, 23 * H}) {
    EXPECT_EQ(AutoTimerStep(now, 0, 0, true, false, false), kNothing);
    EXPECT_EQ(AutoTimerStep(now, 9 * H, 17 * H, false, false, false), kNothing);
  }
}

TEST(PublicationWindow, StoredTimeTexts) {
  EXPECT_EQ(ParsePublishTime("PM 11:30"), 23 * H + 30 * 60);
  EXPECT_EQ(ParsePublishTime("AM 12:15"), 15 * 60);
  EXPECT_EQ(ParsePublishTime("PM 12:15"), 12 * H + 15 * 60);
  EXPECT_EQ(ParsePublishTime("AM 09:00"), 9 * H);
  for (const char* bad : {"", "AM 9:00", "XM 09:00", "AM 13:00", "AM 00:10", "PM 11:60", "AM 09:00 "}) {
    EXPECT_EQ(ParsePublishTime(bad), 0) << bad;
  }
}

// The working copies as the window loads them: a start-up publication is the
// window's publication, and the turns stay taken.
TEST(PublicationWindow, StartUpPublicationCountsAndTurnsAreTakenOnce) {
  AutoPublish publication;
  publication.Load(true, true, "AM 09:00", "PM 05:00");
  ASSERT_TRUE(publication.TimerWanted());
  EXPECT_EQ(publication.Tick(18 * H), kNothing);
  publication.Published();
  EXPECT_EQ(publication.Tick(18 * H), kWithdraw);
  publication.Withdrawn();
  EXPECT_EQ(publication.Tick(18 * H), kNothing);
  EXPECT_EQ(publication.Tick(10 * H), kNothing) << "no second publication in the same run";

  AutoPublish switchedOff;
  switchedOff.Load(true, false, "AM 09:00", "PM 05:00");
  EXPECT_FALSE(switchedOff.TimerWanted());
  EXPECT_EQ(switchedOff.Tick(10 * H), kNothing);
}

class SoundLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/novalune-sounds-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  // A folder of the sound folder list in Shift-JIS, made on disk with `files`.
  std::string Folder(const char* utf8Name, std::initializer_list<const char*> files) {
    const std::filesystem::path folder = root_ / utf8Name;
    std::filesystem::create_directories(folder);
    for (const char* file : files) std::ofstream(folder / file) << "RIFF";
    return Utf8ToSjis(folder.string());
  }
  std::optional<std::string> Find(std::string_view name, const std::vector<std::string>& folders) {
    return FindSoundFile(name, folders, [this](const std::string& path) {
      asked.push_back(path);
      return std::filesystem::is_regular_file(SjisToUtf8(path));
    });
  }
  std::filesystem::path root_;
  std::vector<std::string> asked;
};

TEST_F(SoundLookup, FirstFolderInListOrderHoldingTheNameWins) {
  const std::string bell = Utf8ToSjis("鐘.wav");
  const std::string empty = Folder("empty", {});
  const std::string first = Folder("音", {"鐘.wav"});
  const std::string second = Folder("second", {"鐘.wav", "only.wav"});
  EXPECT_EQ(Find(bell, {"", empty, first, second}), first + "/" + bell);
  EXPECT_EQ(asked, (std::vector<std::string>{empty + "/" + bell, first + "/" + bell}))
      << "empty entries are skipped";
  EXPECT_EQ(Find("only.wav", {first + "/", second + "/"}), second + "/only.wav")
      << "a closing separator is kept";
  EXPECT_EQ(Find("none.wav", {first, second}), std::nullopt);
}

TEST_F(SoundLookup, APeersNameReachesNoOtherFolder) {
  const std::string sounds = Folder("sounds", {"a.wav"});
  Folder("other", {"b.wav"});
  for (const char* name : {"../other/b.wav", "..\\other\\b.wav", "sub/a.wav", ".", "..", ""}) {
    EXPECT_EQ(Find(name, {sounds}), std::nullopt) << name;
  }
  EXPECT_TRUE(asked.empty()) << "such a name is never looked up";
  EXPECT_TRUE(IsBareSoundName("a.wav"));
}

TEST_F(SoundLookup, ATrailByteThatLooksLikeABackslashIsNoSeparator) {
  const std::string name = Utf8ToSjis("ソ表.wav");  // 0x83 0x5C 0x95 0x5C
  ASSERT_NE(name.find('\\'), std::string::npos);
  const std::string sounds = Folder("sounds", {"ソ表.wav"});
  EXPECT_EQ(Find(name, {sounds}), sounds + "/" + name);
  EXPECT_FALSE(IsBareSoundName(Utf8ToSjis("ソ\\x.wav"))) << "a real backslash after it still is";
}

}  // namespace
}  // namespace novalune::client
