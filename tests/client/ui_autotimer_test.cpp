// The publication time window of AutoTimer, tick by tick through whole days.
#include <gtest/gtest.h>

#include <vector>

#include "client/ui/AutoTimer.h"

namespace novalune::ui {
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

}  // namespace
}  // namespace novalune::ui
