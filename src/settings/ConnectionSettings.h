// The values the client's dialogs keep in NOVALUNE.INI, as plain records, and
// the one question before web access. No widgets here: the main window uses
// the Load functions at start-up (the dialogs read the same way when they are
// created) and keeps one HttpAccessGate for the whole run.
#pragma once

#include <functional>
#include <string>

namespace novalune::settings {

// Section "ICON", web access. `timeSeconds` is what the connection-settings
// dialog shows: a stored 0 reads as 30. A value typed as 0 stays 0 until the
// next start.
struct HttpSettings {
  bool httpNotOut = false;
  bool mesConect = false;
  int timeSeconds = 30;
  bool useProxy = false;
  std::string proxyHost{};
  int proxyPort = 0;
  // The notice page of the status bar; empty (the default) fetches nothing.
  std::string messageUrl{};

  // The time-out of every web request in milliseconds (held within int).
  int TimeoutMs() const;
  bool operator==(const HttpSettings&) const = default;
};

HttpSettings LoadHttpSettings();
void SaveHttpSettings(const HttpSettings& values);

// ConfirmHttpAccess: asks once per program run, while "接続時に問い合わせを
// する" is on, before the first web access. A no asks again next time; a yes
// holds until the program ends.
class HttpAccessGate {
 public:
  // Shows the question (the yes/no box) and returns true for yes.
  using Ask = std::function<bool(const std::string& question)>;

  explicit HttpAccessGate(Ask ask) : ask_(std::move(ask)) {}

  // Working copies; the connection-settings dialog's OK replaces them.
  void SetSettings(const HttpSettings& values) { settings_ = values; }
  const HttpSettings& Settings() const { return settings_; }
  bool Confirmed() const { return confirmed_; }

  // The question only; `question` is one of the kHttpAsk* texts (Shift-JIS).
  bool ConfirmHttpAccess(const std::string& question);
  // For the accesses that honour "外部へは接続しない": false while it is on,
  // otherwise ConfirmHttpAccess.
  bool MayAccessOutside(const std::string& question);

 private:
  Ask ask_;
  HttpSettings settings_{};
  bool confirmed_ = false;
};

// The connect dialog's seven keys of section "System" and "RoomTopic.txt".
struct JoinSettings {
  bool joinMe = false;
  std::string serverName{};
  std::string serverIP{};
  std::string roomName{};
  std::string nick{};
  std::string homePage{};
  std::string mail{};
  // The description as the field holds it (lines joined by LF); callers that
  // use it take RemoveLineBreaks of it.
  std::string topic{};

  bool operator==(const JoinSettings&) const = default;
};

JoinSettings LoadJoinSettings();
// The seven keys only; the description is saved with SaveRoomTopic.
void SaveJoinKeys(const JoinSettings& values);

// Section "Message": the away button's texts.
struct AwayMessages {
  std::string away{};
  std::string back{};
};

AwayMessages LoadAwayMessages();
void SaveAwayMessages(const AwayMessages& values);

}  // namespace novalune::settings
