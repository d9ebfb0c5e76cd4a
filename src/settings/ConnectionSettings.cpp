#include "settings/ConnectionSettings.h"

#include <array>
#include <climits>

#include "common/Settings.h"
#include "qtsupport/SettingsBinding.h"
#include "settings/AddressBook.h"

namespace novalune::settings {

namespace icon = keys::icon;
namespace sys = keys::system;
namespace msg = keys::message;

using qtsupport::LoadSettingFields;
using qtsupport::SaveSettingFields;
using qtsupport::SettingField;

namespace {

const std::array<SettingField<HttpSettings>, 7> kHttpFields{{
    {icon::kSection, icon::kHttpNotOut, &HttpSettings::httpNotOut},
    {icon::kSection, icon::kMesConect, &HttpSettings::mesConect},
    {icon::kSection, icon::kHttpTime, &HttpSettings::timeSeconds},
    {icon::kSection, icon::kUseProxy, &HttpSettings::useProxy},
    {icon::kSection, icon::kProxyHost, &HttpSettings::proxyHost},
    {icon::kSection, icon::kProxyPort, &HttpSettings::proxyPort},
    {icon::kSection, icon::kMessageUrl, &HttpSettings::messageUrl},
}};

// The topic lives in its own file, not among these keys.
const std::array<SettingField<JoinSettings>, 7> kJoinFields{{
    {sys::kSection, sys::kJoinMe, &JoinSettings::joinMe},
    {sys::kSection, sys::kServerName, &JoinSettings::serverName},
    {sys::kSection, sys::kServerIP, &JoinSettings::serverIP},
    {sys::kSection, sys::kRoomName, &JoinSettings::roomName},
    {sys::kSection, sys::kNick, &JoinSettings::nick},
    {sys::kSection, sys::kHomePage, &JoinSettings::homePage},
    {sys::kSection, sys::kMail, &JoinSettings::mail},
}};

const std::array<SettingField<AwayMessages>, 2> kAwayFields{{
    {msg::kSection, msg::kAway, &AwayMessages::away},
    {msg::kSection, msg::kBack, &AwayMessages::back},
}};

}  // namespace

int HttpSettings::TimeoutMs() const {
  const long long ms = static_cast<long long>(timeSeconds) * 1000;
  if (ms > INT_MAX) return INT_MAX;
  if (ms < 0) return 0;
  return static_cast<int>(ms);
}

HttpSettings LoadHttpSettings() {
  HttpSettings values;
  LoadSettingFields(values, kHttpFields);
  if (values.timeSeconds == 0) values.timeSeconds = icon::kDefaultHttpTime;
  return values;
}

void SaveHttpSettings(const HttpSettings& values) { SaveSettingFields(values, kHttpFields); }

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
  LoadSettingFields(values, kJoinFields);
  values.topic = LoadRoomTopic().value_or(std::string());
  return values;
}

void SaveJoinKeys(const JoinSettings& values) { SaveSettingFields(values, kJoinFields); }

AwayMessages LoadAwayMessages() {
  AwayMessages values;
  LoadSettingFields(values, kAwayFields);
  return values;
}

void SaveAwayMessages(const AwayMessages& values) { SaveSettingFields(values, kAwayFields); }

}  // namespace novalune::settings
