// The connection-settings dialog "接続設定": proxy server and web access.
// Created, it reads the seven keys of section "ICON" (a stored time-out of 0
// shows as 30). OK writes the six keys and closes with Accepted; number fields
// that do not hold a number count as 0. "お知らせのアドレス" is the notice page
// of the status bar, empty by default: the maker's page is not ours to name.
//
// For the main window (MenuProxyClick, menu "接続設定"):
//   TProxySetDlg d(ClientNotice(this), this);
//   if (d.exec() == QDialog::Accepted) httpGate.SetSettings(d.Values());
// and the web client takes Values().TimeoutMs(), useProxy, proxyHost, proxyPort.
// At start-up the main window takes LoadHttpSettings() instead of creating it.
//
// The ICQ registration dialog of the Windows version has no counterpart here:
// there is no ICQ registry to write into.
#pragma once

#include "settings/ClientMessage.h"
#include "settings/ConnectionSettings.h"
#include "settings/TopMostDialog.h"

class QCheckBox;
class QLineEdit;

namespace novalune::controls {
class IntEdit;
}

namespace novalune::settings {

class TProxySetDlg : public TopMostDialog {
  Q_OBJECT
 public:
  explicit TProxySetDlg(NoticeFn notice = {}, QWidget* parent = nullptr);

  HttpSettings Values() const;
  void SetValues(const HttpSettings& values);

  void OKBtnClick();
  // The proxy fields are usable only while "プロキシサーバーを使う" is on.
  void UseProxyClick();
  // The question switch and the time-out are usable only while
  // "外部へは接続しない" is off.
  void HttpNotOutClick();

 private:
  NoticeFn notice_;
  QCheckBox* useProxy_;
  QLineEdit* hostEdit_;
  controls::IntEdit* portEdit_;
  QCheckBox* httpNotOut_;
  QCheckBox* mesConect_;
  controls::IntEdit* httpTime_;
  QLineEdit* messageUrl_;
};

}  // namespace novalune::settings
