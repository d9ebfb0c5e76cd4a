#include "client/core/ClientSettings.h"

#include "common/Settings.h"

namespace novalune::client {

StartupValues ReadStartupValues() {
  namespace sys = keys::system;
  StartupValues values;
  values.serverAddress = ReadSettingString(sys::kSection, sys::kServerIP);
  values.roomName = ReadSettingString(sys::kSection, sys::kRoomName);
  for (const std::string& line : LoadListFile(files::kRoomTopic)) values.roomTopic += line;
  values.nick = ReadSettingString(sys::kSection, sys::kNick);
  values.homePage = ReadSettingString(sys::kSection, sys::kHomePage);
  values.mail = ReadSettingString(sys::kSection, sys::kMail);
  values.awayMessage = ReadSettingString(keys::message::kSection, keys::message::kAway);
  values.backMessage = ReadSettingString(keys::message::kSection, keys::message::kBack);
  values.iconName = ReadSettingString(keys::icon::kSection, keys::icon::kUrl);
  return values;
}

EventSounds ReadEventSounds() {
  namespace sys = keys::system;
  EventSounds sounds;
  sounds.inBeep = ReadSettingFlag(sys::kSection, sys::kInBeep);
  sounds.inFile = ReadSettingString(sys::kSection, sys::kInFile);
  sounds.outBeep = ReadSettingFlag(sys::kSection, sys::kOutBeep);
  sounds.outFile = ReadSettingString(sys::kSection, sys::kOutFile);
  return sounds;
}

std::vector<std::string> ReadIconList() { return LoadListFile(files::kIconList); }

}  // namespace novalune::client
