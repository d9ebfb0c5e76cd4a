// PRIVMSG: room statements, whispers and the 0x01-framed payloads.
#include <stdexcept>

#include "client/core/ClientCore.h"
#include "client/core/ClientTexts.h"
#include "client/core/ClientUtil.h"
#include "common/sjistext.h"

namespace novalune::client {

namespace {

constexpr std::string_view kSilent = "<Chr>";
constexpr std::string_view kSoundWord = "\x01SOUND";
constexpr std::string_view kAwayWord = "\x01" "AWAY";
constexpr std::string_view kAwayAlone = "\x01" "AWAY\x01";
constexpr std::string_view kDccWord = "\x01" "DCC";

}  // namespace

void ClientCore::Command_PRIVMSG(std::string_view line) {
  CommandCutNo(line, cmdParam_, 4);
  if (!HasBang(cmdParam_[0])) return;
  const std::string sender = NickOfPrefix(cmdParam_[0]);
  const std::string target = cmdParam_[2];
  if (EqualsNoCase(target, roomName_)) {
    RoomPrivmsg(sender, RemoveFirst(cmdParam_[3], ':'));
  } else if (EqualsNoCase(target, myNick_)) {
    PrivatePrivmsg(sender, line);
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
  CommandCutNo(text, cmdParam_, 2);
  const std::string word = cmdParam_[0];
  const std::string rest = RemoveFirst(cmdParam_[1], '\x01');
  if (word == kSoundWord) {
    view_.DspMessage(kStyleComment, Fmt(text::kSoundLine, {sender, rest}));
    view_.BeepON(rest);
    view_.ActiveTimerStart();
    return;
  }
  if (word != kAwayWord && word != kAwayAlone) return;
  if (!rest.empty()) {
    view_.DspMessage(kStyleComment, SysFmt(text::kAway, {sender}));
    view_.DspMessage(kStyleOthers, rest);
    members_.SetMemberMode(sender, "+a");
    if (showIcon_) members_.SetMemberIcon(sender, kPictureAway);
  } else {
    view_.DspMessage(kStyleComment, SysFmt(text::kBack, {sender}));
    members_.SetMemberMode(sender, "-a");
  }
  view_.ActiveTimerStart();
}

void ClientCore::PrivatePrivmsg(const std::string& sender, std::string_view line) {
  const std::string text = cmdParam_[3];
  CommandCutNo(text, cmdParam_, 6);
  if (RemoveFirst(cmdParam_[0], ':') == kDccWord) {
    FileOfferReceived(sender);
    return;
  }
  CommandCutNo(line, cmdParam_, 4);
  const std::string message = RemoveFirst(cmdParam_[3], ':');
  CommandCutNo(message, cmdParam_, 2);
  if (cmdParam_[0] == kSoundWord) {
    const std::string name = RemoveFirst(cmdParam_[1], '\x01');
    members_.AddPrivateMessage(sender, kStyleComment, Fmt(text::kSoundLine, {sender, name}));
    view_.BeepON(name);
    view_.ActiveTimerStart();
    return;
  }
  members_.AddPrivateMessage(sender, kStyleOthers, message);
  view_.URLListAdd(sender, message);
  view_.ActiveTimerStart();
}

void ClientCore::FileOfferReceived(const std::string& sender) {
  if (AsciiUpper(cmdParam_[1]) != "SEND" || view_.IsReceivingFile()) return;
  const CmdParam words = cmdParam_;
  const auto address = ParseInt64(words[3]);
  if (!address) throw std::runtime_error(SysFmt(text::kNotInteger, {words[3]}));
  FileOffer offer;
  offer.nick = sender;
  offer.address = DottedAddress(*address);
  offer.port = ParseInt32Def(words[4]);
  offer.fileName = words[2];
  offer.size = ParseInt64Def(RemoveFirst(words[5], '\x01'));
  view_.ReceiveFileOffer(offer);
}

}  // namespace novalune::client
