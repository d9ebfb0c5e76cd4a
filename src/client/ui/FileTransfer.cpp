#include "client/ui/FileTransfer.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QWidget>

#include "client/core/ClientCore.h"
#include "client/core/ClientUtil.h"
#include "client/ui/FileTransferDlg.h"
#include "client/ui/FileTransferTexts.h"
#include "common/Settings.h"
#include "qtsupport/WidgetText.h"

namespace novalune::ui {

namespace {

using qtsupport::FromSjis;
using qtsupport::ToSjis;
using qtsupport::Ui;

constexpr const char* kWorkFile = "RECEIVE.TMP";

QString DownloadFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  return folder;
}

// A failure the user should hear of; one ended from this side says nothing.
bool WorthTelling(const client::TransferEnd& end) { return !end.complete && !end.reason.isEmpty(); }

}  // namespace

TFileTransfer::TFileTransfer(QWidget* parent, FileTransferHooks hooks, FileTransferOptions options)
    : QObject(parent),
      parent_(parent),
      hooks_(std::move(hooks)),
      options_(std::move(options)),
      listener_(options_.filePort) {
  connect(&listener_, &client::FileServerSocket::Accepted, this, &TFileTransfer::Accepted);
}

TFileTransfer::~TFileTransfer() {
  delete sendWindow_;
  delete receiveWindow_;
}

FileTransferHooks TFileTransfer::EngineHooks(client::ClientCore& core, client::ClientView& view) {
  FileTransferHooks hooks;
  hooks.commandSend = [&core](const std::string& line) { core.CommandSend(line); };
  hooks.myNick = [&core] { return core.MyNick(); };
  hooks.myAddress = [&view] { return view.GetMyAddress(); };
  hooks.notice = [&view](const QString& text) { view.ShowClientMessage(ToSjis(text), client::kNotice); };
  return hooks;
}

std::uint64_t TFileTransfer::SendAheadSetting() {
  const auto value = client::ParseInt64(ReadSettingString(client::kTransferSection, client::kSendAheadKey));
  if (!value || *value < 0) return client::kDefaultSendAhead;
  return static_cast<std::uint64_t>(*value);
}

bool TFileTransfer::IsReceivingFile() const { return receiveBusy_; }

bool TFileTransfer::MaySend(const std::string& nick) const {
  return !nick.empty() && nick != hooks_.myNick() && !Sending();
}

QString TFileTransfer::ChooseSendFile() {
  if (hooks_.chooseSendFile) return hooks_.chooseSendFile();
  return QFileDialog::getOpenFileName(parent_, Ui(text::kSendOpenTitle), options_.programDir,
                                      Ui(text::kSendOpenFilter) + " (*)");
}

// One file at a time: a second one asked for meanwhile is refused aloud.
std::optional<QFileInfo> TFileTransfer::PickFileFor(const std::string& nick) {
  if (Sending()) {
    hooks_.notice(Ui(text::kStillSending));
    return std::nullopt;
  }
  if (!MaySend(nick)) return std::nullopt;
  const QString path = ChooseSendFile();
  if (path.isEmpty()) return std::nullopt;
  sendPath_ = path;
  return QFileInfo(path);
}

void TFileTransfer::MenuSendClick(const std::string& nick) {
  const auto info = PickFileFor(nick);
  if (!info) return;
  const std::string ownAddress = hooks_.myAddress();
  const auto address = client::OfferAddressNumber(ownAddress);
  if (!address) return hooks_.notice(Ui(text::kNoAddress).arg(FromSjis(ownAddress)));
  const std::uint16_t port = listener_.Listen();
  if (port == 0) return hooks_.notice(Ui(text::kNoPort));
  offerPending_ = true;
  relayRequested_ = false;
  hooks_.commandSend(client::DccOfferLine(nick, client::OfferNameToken(ToSjis(info->fileName())), *address,
                                          port, static_cast<std::uint64_t>(info->size())));
}

void TFileTransfer::MenuSendRelayClick(const std::string& nick) {
  const auto info = PickFileFor(nick);
  if (!info) return;
  relayRequested_ = true;
  hooks_.commandSend(client::RelaySendLine(nick, client::OfferNameToken(ToSjis(info->fileName())),
                                           static_cast<std::uint64_t>(info->size())));
}

void TFileTransfer::StartRelaySend(const std::string& host, bool, std::int32_t port) {
  // A go-ahead that answers no request of ours, or comes while a transfer
  // runs, would send a file nobody asked to send now.
  if (!relayRequested_ || Sending() || port <= 0 || port > 65535) return;
  relayRequested_ = false;
  auto* socket = new QTcpSocket(this);
  relaySocket_ = socket;
  connect(socket, &QTcpSocket::connected, this, [this, socket] {
    socket->disconnect(this);
    StartSending(socket);
  });
  connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
    if (relaySocket_ != socket || sendChannel_) return;
    const QString reason = socket->errorString();
    socket->deleteLater();
    relaySocket_ = nullptr;
    EndSending({false, 0, reason});
  });
  socket->connectToHost(FromSjis(host), static_cast<quint16>(port));
}

void TFileTransfer::Accepted(QTcpSocket* socket) {
  // A second connection, or one with no offer out, is closed unanswered.
  if (Sending() || !offerPending_) {
    socket->abort();
    socket->deleteLater();
    return;
  }
  StartSending(socket);
}

void TFileTransfer::StartSending(QTcpSocket* socket) {
  const QFileInfo info(sendPath_);
  auto* channel = new client::FileSendChannel(socket, sendPath_, options_.sendAhead, this);
  sendChannel_ = channel;
  sendWindow_ = new TFileMessageDlg(true, parent_);
  sendWindow_->SetTransferName(info.fileName());
  sendWindow_->StartProgress(static_cast<std::uint64_t>(info.size()));
  connect(channel, &client::FileSendChannel::Progress, sendWindow_, &TFileMessageDlg::SetProgress);
  connect(channel, &client::FileSendChannel::Finished, this, &TFileTransfer::EndSending);
  connect(sendWindow_, &TFileMessageDlg::CancelRequested, channel, &client::FileSendChannel::Cancel);
  sendWindow_->show();
  QString error;
  if (!channel->Start(error)) {
    hooks_.notice(Ui(text::kOpenFailed).arg(info.fileName(), error));
    EndSending({false, 0, {}});
  }
}

void TFileTransfer::EndSending(const client::TransferEnd& end) {
  const QFileInfo info(sendPath_);
  if (sendWindow_) sendWindow_->deleteLater();
  if (sendChannel_) sendChannel_->deleteLater();
  if (relaySocket_ && !sendChannel_) relaySocket_->deleteLater();
  sendWindow_ = nullptr;
  sendChannel_ = nullptr;
  relaySocket_ = nullptr;
  listener_.Stop();
  offerPending_ = false;
  if (WorthTelling(end)) {
    hooks_.notice(Ui(text::kSendFailed).arg(info.fileName()).arg(end.bytes).arg(info.size()).arg(end.reason));
  }
  emit SendEnded(end);
}

void TFileTransfer::ReceiveFileOffer(const client::FileOffer& offer) {
  if (IsReceivingFile()) return;
  const QString nick = FromSjis(offer.nick);
  const auto offered = client::ParseOfferSize(offer.sizeWord);
  if (!offered) return hooks_.notice(Ui(text::kBadSize).arg(FromSjis(offer.sizeWord), nick));
  if (offer.port <= 0 || offer.port > 65535) {
    return hooks_.notice(Ui(text::kBadPort).arg(offer.port).arg(nick));
  }
  receiveBusy_ = true;
  TReceiveFileDlg dialog(parent_);
  dialog.SetUserName(nick);
  dialog.SetUserIP(QString::fromStdString(offer.address));
  dialog.SetFileName(FromSjis(offer.fileName));
  dialog.SetFileSize(*offered);
  const bool accepted = hooks_.askReceive ? hooks_.askReceive(dialog) : dialog.exec() == QDialog::Accepted;
  if (!accepted) {
    receiveBusy_ = false;
    return;
  }
  const auto size = client::ParseOfferSize(ToSjis(dialog.GetFileSize()));
  if (!size) {
    receiveBusy_ = false;
    return hooks_.notice(Ui(text::kBadSize).arg(dialog.GetFileSize(), nick));
  }
  receiveBusy_ = StartReceiving(offer, dialog.GetFileName(), *size);
}

bool TFileTransfer::StartReceiving(const client::FileOffer& offer, const QString& name, std::uint64_t size) {
  receiveName_ = name;
  receiveSize_ = size;
  auto* channel = new client::FileReceiveChannel(WorkPath(), size, this);
  receiveChannel_ = channel;
  connect(channel, &client::FileReceiveChannel::Connected, this, [this, channel, size] {
    receiveWindow_ = new TFileMessageDlg(false, parent_);
    receiveWindow_->SetTransferName(receiveName_);
    receiveWindow_->StartProgress(size);
    connect(channel, &client::FileReceiveChannel::Progress, receiveWindow_, &TFileMessageDlg::SetProgress);
    connect(receiveWindow_, &TFileMessageDlg::CancelRequested, channel, &client::FileReceiveChannel::Cancel);
    receiveWindow_->show();
  });
  connect(channel, &client::FileReceiveChannel::Finished, this, &TFileTransfer::EndReceiving);
  QString error;
  if (channel->Start(QString::fromStdString(offer.address), static_cast<std::uint16_t>(offer.port), error)) {
    return true;
  }
  channel->deleteLater();
  receiveChannel_ = nullptr;
  hooks_.notice(Ui(text::kOpenFailed).arg(WorkPath(), error));
  return false;
}

void TFileTransfer::EndReceiving(const client::TransferEnd& end) {
  if (receiveWindow_) receiveWindow_->deleteLater();
  if (receiveChannel_) receiveChannel_->deleteLater();
  receiveWindow_ = nullptr;
  receiveChannel_ = nullptr;
  QString saved;
  if (end.complete) {
    saved = ReceiveFileWrite();
  } else if (WorthTelling(end)) {
    hooks_.notice(
        Ui(text::kReceiveFailed).arg(receiveName_).arg(end.bytes).arg(receiveSize_).arg(end.reason));
  }
  QFile::remove(WorkPath());
  receiveBusy_ = false;
  emit ReceiveEnded(end, saved);
}

QString TFileTransfer::ReceiveFileWrite() {
  const QString proposed = FromSjis(client::ReduceFileName(client::OfferNameShown(ToSjis(receiveName_))));
  const QString folder = options_.saveFolder.isEmpty() ? DownloadFolder() : options_.saveFolder;
  const QString proposedPath = QDir(folder).filePath(proposed);
  // The desktop's save dialog asks before it overwrites an existing file.
  QString target = hooks_.chooseSavePath ? hooks_.chooseSavePath(proposedPath)
                                         : QFileDialog::getSaveFileName(parent_, QString(), proposedPath);
  if (target.isEmpty()) return {};
  if (QFile::exists(target)) QFile::remove(target);
  QFile work(WorkPath());
  if (!work.rename(target)) {
    hooks_.notice(Ui(text::kSaveFailed).arg(target, work.errorString()));
    return {};
  }
  return target;
}

QString TFileTransfer::WorkPath() const { return QDir(options_.programDir).filePath(kWorkFile); }

}  // namespace novalune::ui
