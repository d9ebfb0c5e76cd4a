// PRIVMSG: room statements, whispers and the 0x01-framed payloads.
#include <stdexcept>

#include "client/core/ClientCore.h"
#include "client/core/ClientMessages.h"
#include "client/core/ClientUtil.h"
#include "common/SjisText.h"

namespace novalune::client {

namespace {

constexpr std::string_view kSilent = "<Chr>";
constexpr std::string_view kSoundWord = "\x01SOUND";
constexpr std::string_view kAwayWord =
    "\x01"
    "AWAY";
constexpr std::string_view kAwayAlone =
    "\x01"
    "AWAY\x01";
constexpr std::string_view kDccWord =
    "\x01"
    "DCC";

}  // namespace

void ClientCore::Command_PRIVMSG(std::string_view line) {
  CmdView privmsg;
  CommandCutNo(line, privmsg, 4);
  if (!HasBang(privmsg[0])) return;
  const std::string sender = NickOfPrefix(privmsg[0]);
  const std::string_view target = privmsg[2];
  if (EqualsNoCase(target, roomName_)) {
    RoomPrivmsg(sender, RemoveFirst(privmsg[3], ':'));
  } else if (EqualsNoCase(target, myNick_)) {
    PrivatePrivmsg(sender, privmsg[3]);
  }
}

void ClientCore::RoomPrivmsg(const std::string& sender, const std::string& text) {
  if (text.empty() || text.front() != '\x01') {
    if (text != kSilent) {
      view_.DspMessage(kStyleComment, sender);
      view_.DspMessage(kStyleOthers, " " + text);
      view_.URLListAdd(sender, text);
    }
    view_.ActiveTimerStart();
    return;
  }
  CmdView payload;
  CommandCutNo(text, payload, 2);
  const std::string_view word = payload[0];
  const std::string rest = RemoveFirst(payload[1], '\x01');
  if (word == kSoundWord) {
    view_.DspMessage(kStyleComment, shown::SoundLine(sender, rest));
    view_.BeepON(rest);
    view_.ActiveTimerStart();
    return;
  }
  if (word != kAwayWord && word != kAwayAlone) return;
  if (!rest.empty()) {
    view_.DspMessage(kStyleComment, shown::Away(sender));
    view_.DspMessage(kStyleOthers, rest);
    members_.SetMemberMode(sender, "+a");
    if (showIcon_) members_.SetMemberIcon(sender, kPictureAway);
  } else {
    view_.DspMessage(kStyleComment, shown::Back(sender));
    members_.SetMemberMode(sender, "-a");
  }
  view_.ActiveTimerStart();
}

void ClientCore::PrivatePrivmsg(const std::string& sender, std::string_view text) {
  CmdView offer;
  CommandCutNo(text, offer, 6);
  if (RemoveFirst(offer[0], ':') == kDccWord) {
    FileOfferReceived(sender, offer);
    return;
  }
  const std::string message = RemoveFirst(text, ':');
  CmdView payload;
  CommandCutNo(message, payload, 2);
  if (payload[0] == kSoundWord) {
    const std::string name = RemoveFirst(payload[1], '\x01');
    members_.AddPrivateMessage(sender, kStyleComment, shown::SoundLine(sender, name));
    view_.BeepON(name);
    view_.ActiveTimerStart();
    return;
  }
  members_.AddPrivateMessage(sender, kStyleOthers, message);
  view_.URLListAdd(sender, message);
  view_.ActiveTimerStart();
}

void ClientCore::FileOfferReceived(const std::string& sender, const CmdView& words) {
  if (AsciiUpper(words[1]) != "SEND" || view_.IsReceivingFile()) return;
  const auto address = ParseInt64(words[3]);
  if (!address) throw std::runtime_error(shown::NotInteger(words[3]));
  FileOffer offer;
  offer.nick = sender;
  offer.address = DottedAddress(*address);
  offer.port = ParseInt32Def(words[4]);
  offer.fileName = words[2];
  offer.sizeWord = RemoveFirst(words[5], '\x01');
  offer.size = ParseInt64Def(offer.sizeWord);
  view_.ReceiveFileOffer(offer);
}

}  // namespace novalune::client
