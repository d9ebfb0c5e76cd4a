// The client's side of the loopback link to the server on this machine.
#include <exception>

#include "client/core/ClientCore.h"
#include "client/core/ClientMessages.h"
#include "client/core/ClientUtil.h"
#include "common/SjisText.h"
#include "common/jconvert.h"

namespace novalune::client {

void ClientCore::OpenHostLink() { net_.HostOpen(ports_.hostLink); }

void ClientCore::HostClientRead(std::string_view bytes) {
  hostRecvBuffer_.Append(bytes);
  try {
    while (const std::optional<std::string> line = hostRecvBuffer_.TakeLine()) HostCommand(JisToSjis(*line));
  } catch (const std::exception& error) {
    view_.ShowClientMessage(error.what(), kNotice);
  }
  if (hostRecvBuffer_.Pending() > kMaxPendingLine) {
    hostRecvBuffer_.Clear();
    net_.HostClose();
  }
}

void ClientCore::HostClientClosed() { hostRecvBuffer_.Clear(); }

void ClientCore::HostClientError(const std::string& message) { view_.ShowClientMessage(message, kNotice); }

void ClientCore::HostCommand(std::string_view rawLine) {
  CmdView notice;
  CommandCutNo(CutLineEnd(rawLine), notice, 3);
  const std::string_view word = notice[0];
  if (word == "START") {
    view_.DspMessage(kStyleSystem, shown::HostStart(notice[1], notice[2]));
  } else if (word == "END") {
    view_.DspMessage(kStyleSystem, shown::HostEnd(notice[1], notice[2]));
  } else if (word == "JOIN") {
    if (active_) {
      view_.DspMessage(kStyleSystem, shown::HostJoin(notice[2], notice[1]));
      if (sounds_.inBeep) view_.PlaySoundFile(sounds_.inFile);
      return;
    }
    roomName_ = notice[1];
    ConectHostAddress(view_.GetMyAddress());
    ClientActive(true);
  }
}

void ClientCore::ServerViewBtnClick() {
  if (net_.HostIsOpen()) net_.HostWrite(line::kView);
}

}  // namespace novalune::client
