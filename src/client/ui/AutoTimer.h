// The publication time window of AutoTimer: when a tick publishes the own
// server and when it withdraws it. Standard C++ only; times are seconds of
// the day (0 to 86399).
#pragma once

#include <string_view>

namespace novalune::ui {

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

}  // namespace novalune::ui
