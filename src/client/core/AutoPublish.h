// The publication time window of AutoTimer: when a tick publishes the own
// server and when it withdraws it, and what this program run has done so
// far. Standard C++ only; times are seconds of the day (0 to 86399) that the
// window's clock hands in.
#pragma once

#include <string_view>

namespace novalune::client {

struct AutoTimerActions {
  bool publish = false;
  bool withdraw = false;
  bool operator==(const AutoTimerActions&) const = default;
};

// One tick at `now`. `onDone`/`offDone`: a publication/withdrawal has run in
// this program run. Both may happen in one tick (a window that ends now).
AutoTimerActions AutoTimerStep(int now, int start, int end, bool enabled, bool onDone, bool offDone);

// "AM hh:mm" or "PM hh:mm" as the publication dialog stores it (AM 12:15 is
// 00:15, PM 12:15 is 12:15); anything else, the empty text included, is 0.
int ParsePublishTime(std::string_view text);

// The working copies of "AUTOONOF", "AUTOTIME" and the window's times, with
// the turns taken. The turns are never cleared while the program runs.
class AutoPublish {
 public:
  void Load(bool atStartAndExit, bool inWindow, std::string_view startText, std::string_view endText);
  // AutoTimer runs only for the time window.
  bool TimerWanted() const { return inWindow_; }
  // Publish on the first showing, withdraw at exit.
  bool AtStartAndExit() const { return atStartAndExit_; }
  AutoTimerActions Tick(int now) const {
    return AutoTimerStep(now, start_, end_, inWindow_, onDone_, offDone_);
  }
  // AutoOnProc and AutoOffProc record their turn here.
  void Published() { onDone_ = true; }
  void Withdrawn() { offDone_ = true; }
  bool OnDone() const { return onDone_; }
  bool OffDone() const { return offDone_; }

 private:
  bool atStartAndExit_ = false;
  bool inWindow_ = false;
  int start_ = 0;
  int end_ = 0;
  bool onDone_ = false;
  bool offDone_ = false;
};

}  // namespace novalune::client
