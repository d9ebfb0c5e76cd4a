#include "client/core/AutoPublish.h"

namespace novalune::client {

namespace {

constexpr int kLastSecond = 24 * 3600 - 1;

bool TwoDigits(std::string_view text, int& value) {
  if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') return false;
  value = (text[0] - '0') * 10 + (text[1] - '0');
  return true;
}

}  // namespace

AutoTimerActions AutoTimerStep(int now, int start, int end, bool enabled, bool onDone, bool offDone) {
  AutoTimerActions actions;
  if (!enabled || start == end) return actions;
  if (start < end) {
    if (start <= now && now <= end && !onDone) actions.publish = onDone = true;
    if (now >= end && onDone && !offDone) actions.withdraw = true;
    return actions;
  }
  // Across midnight.
  if (now >= start && now <= kLastSecond && !onDone) actions.publish = onDone = true;
  if (now >= 0 && now <= end && !onDone) actions.publish = onDone = true;
  // Strictly before the start: the tick at the start's own second would
  // otherwise withdraw what it has just published.
  if (end <= now && now < start && onDone && !offDone) actions.withdraw = true;
  return actions;
}

int ParsePublishTime(std::string_view text) {
  if (text.size() != 8 || text[2] != ' ' || text[5] != ':') return 0;
  const std::string_view half = text.substr(0, 2);
  int hour = 0;
  int minute = 0;
  if ((half != "AM" && half != "PM") || !TwoDigits(text.substr(3, 2), hour) ||
      !TwoDigits(text.substr(6, 2), minute)) {
    return 0;
  }
  if (hour < 1 || hour > 12 || minute > 59) return 0;
  hour %= 12;
  if (half == "PM") hour += 12;
  return hour * 3600 + minute * 60;
}

void AutoPublish::Load(bool atStartAndExit, bool inWindow, std::string_view startText,
                       std::string_view endText) {
  atStartAndExit_ = atStartAndExit;
  inWindow_ = inWindow;
  start_ = ParsePublishTime(startText);
  end_ = ParsePublishTime(endText);
}

}  // namespace novalune::client
