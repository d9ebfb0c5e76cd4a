#include "settings/ConnectionSettings.h"

#include <climits>

#include "common/settings.h"
#include "settings/AddressBook.h"

namespace novalune::settings {

namespace icon = keys::icon;
namespace sys = keys::system;
namespace msg = keys::message;

int HttpSettings::TimeoutMs() const {
  const long long ms = static_cast<long long>(timeSeconds) * 1000;
  if (ms > INT_MAX) return INT_MAX;
  if (ms < 0) return 0;
  return static_cast<int>(ms);
}

HttpSettings LoadHttpSettings() {
  HttpSettings values;
  values.httpNotOut = ReadSettingFlag(icon::kSection, icon::kHttpNotOut);
  values.mesConect = ReadSettingFlag(icon::kSection, icon::kMesConect);
  values.timeSeconds = ReadSettingInt(icon::kSection, icon::kHttpTime);
  if (values.timeSeconds == 0) values.timeSeconds = icon::kDefaultHttpTime;
  values.useProxy = ReadSettingFlag(icon::kSection, icon::kUseProxy);
  values.proxyHost = ReadSettingString(icon::kSection, icon::kProxyHost);
  values.proxyPort = ReadSettingInt(icon::kSection, icon::kProxyPort);
  return values;
}

void SaveHttpSettings(const HttpSettings& values) {
  WriteSettingFlag(icon::kSection, icon::kHttpNotOut, values.httpNotOut);
  WriteSettingFlag(icon::kSection, icon::kMesConect, values.mesConect);
  WriteSettingInt(icon::kSection, icon::kHttpTime, values.timeSeconds);
  WriteSettingFlag(icon::kSection, icon::kUseProxy, values.useProxy);
  WriteSettingString(icon::kSection, icon::kProxyHost, values.proxyHost);
  WriteSettingInt(icon::kSection, icon::kProxyPort, values.proxyPort);
}

bool HttpAccessGate::ConfirmHttpAccess(const std::string& question) {
  if (settings_.mesConect && !confirmed_) {
    if (!ask_ || !ask_(question)) return false;
    confirmed_ = true;
  }
  return true;
}

bool HttpAccessGate::MayAccessOutside(const std::string& question) {
  if (settings_.httpNotOut) return false;
  return ConfirmHttpAccess(question);
}

JoinSettings LoadJoinSettings() {
  JoinSettings values;
  values.joinMe = ReadSettingFlag(sys::kSection, sys::kJoinMe);
  values.serverName = ReadSettingString(sys::kSection, sys::kServerName);
  values.serverIP = ReadSettingString(sys::kSection, sys::kServerIP);
  values.roomName = ReadSettingString(sys::kSection, sys::kRoomName);
  values.nick = ReadSettingString(sys::kSection, sys::kNick);
  values.homePage = ReadSettingString(sys::kSection, sys::kHomePage);
  values.mail = ReadSettingString(sys::kSection, sys::kMail);
  values.topic = LoadRoomTopic().value_or(std::string());
  return values;
}

void SaveJoinKeys(const JoinSettings& values) {
  WriteSettingFlag(sys::kSection, sys::kJoinMe, values.joinMe);
  WriteSettingString(sys::kSection, sys::kServerName, values.serverName);
  WriteSettingString(sys::kSection, sys::kServerIP, values.serverIP);
  WriteSettingString(sys::kSection, sys::kRoomName, values.roomName);
  WriteSettingString(sys::kSection, sys::kNick, values.nick);
  WriteSettingString(sys::kSection, sys::kHomePage, values.homePage);
  WriteSettingString(sys::kSection, sys::kMail, values.mail);
}

AwayMessages LoadAwayMessages() {
  return {ReadSettingString(msg::kSection, msg::kAway), ReadSettingString(msg::kSection, msg::kBack)};
}

void SaveAwayMessages(const AwayMessages& values) {
  WriteSettingString(msg::kSection, msg::kAway, values.away);
  WriteSettingString(msg::kSection, msg::kBack, values.back);
}

}  // namespace novalune::settings
