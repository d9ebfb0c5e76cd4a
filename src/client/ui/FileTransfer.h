// The main window's file transfers, direct and through the server: the menu
// entries, the offer and its question, the sockets and the progress windows.
// The window builds one TFileTransfer and forwards the engine's calls to it.
#pragma once

#include <QFileInfo>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "client/core/ClientView.h"
#include "client/core/FileTransfer.h"
#include "client/net/FileTransferNet.h"
#include "client/ui/FileTransferDlg.h"

class QTcpSocket;
class QWidget;

namespace novalune::client {
class ClientCore;
}

namespace novalune::ui {

class TReceiveFileDlg;

// What the transfers need from the window. Lines and nicks are Shift-JIS.
struct FileTransferHooks {
  std::function<void(const std::string&)> commandSend;
  std::function<std::string()> myNick;
  std::function<std::string()> myAddress;  // the text of EditMyIP
  std::function<void(const QString&)> notice;
  // Empty ones use the desktop's dialogs (tests put their own answers here).
  std::function<QString()> chooseSendFile;
  std::function<QString(const QString& proposedPath)> chooseSavePath;
  std::function<bool(TReceiveFileDlg&)> askReceive;
};

struct FileTransferOptions {
  QString programDir;  // where "RECEIVE.TMP" is written
  std::uint16_t filePort = client::kFilePort;
  std::uint64_t sendAhead = client::kDefaultSendAhead;
  QString saveFolder;  // empty: the desktop's download folder
};

class TFileTransfer : public QObject {
  Q_OBJECT
 public:
  TFileTransfer(QWidget* parent, FileTransferHooks hooks, FileTransferOptions options);
  ~TFileTransfer() override;

  // Hooks that send through the engine and ask through the window's view.
  static FileTransferHooks EngineHooks(client::ClientCore& core, client::ClientView& view);
  // "SendAhead" of the settings file in bytes; missing or junk gives the default.
  static std::uint64_t SendAheadSetting();

  // The engine's calls.
  bool IsReceivingFile() const;
  void ReceiveFileOffer(const client::FileOffer& offer);
  void StartRelaySend(const std::string& host, bool numeric, std::int32_t port);
  // "ファイル送信（直接）" and "ファイル送信（経由）" for the selected nick.
  void MenuSendClick(const std::string& nick);
  void MenuSendRelayClick(const std::string& nick);

  bool Sending() const { return sendChannel_ || relaySocket_; }
  std::uint16_t FilePort() const { return listener_.Port(); }
  TFileMessageDlg* SendWindow() const { return sendWindow_; }
  TFileMessageDlg* ReceiveWindow() const { return receiveWindow_; }

 signals:
  void SendEnded(const novalune::client::TransferEnd& end);
  // `savedPath` is where the file was kept, empty when it was not.
  void ReceiveEnded(const novalune::client::TransferEnd& end, const QString& savedPath);

 private:
  bool MaySend(const std::string& nick) const;
  QString ChooseSendFile();
  // The file the user picks to send to `nick`, when a send may start now.
  std::optional<QFileInfo> PickFileFor(const std::string& nick);
  void Accepted(QTcpSocket* socket);
  void StartSending(QTcpSocket* socket);
  void EndSending(const client::TransferEnd& end);
  bool StartReceiving(const client::FileOffer& offer, const QString& name, std::uint64_t size);
  void EndReceiving(const client::TransferEnd& end);
  QString ReceiveFileWrite();
  QString WorkPath() const;

  QWidget* parent_;
  FileTransferHooks hooks_;
  FileTransferOptions options_;
  client::FileServerSocket listener_;

  QString sendPath_;
  bool offerPending_ = false;
  bool relayRequested_ = false;
  QPointer<QTcpSocket> relaySocket_;
  QPointer<client::FileSendChannel> sendChannel_;
  QPointer<TFileMessageDlg> sendWindow_;

  QString receiveName_;
  std::uint64_t receiveSize_ = 0;
  bool receiveBusy_ = false;  // from the question until the file is kept or dropped
  QPointer<client::FileReceiveChannel> receiveChannel_;
  QPointer<TFileMessageDlg> receiveWindow_;
};

}  // namespace novalune::ui
