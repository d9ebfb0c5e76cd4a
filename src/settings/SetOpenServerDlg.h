// "公開サーバーの表示": the user's list of public server list pages
// ("ServerList.txt", in the user's order), one address to show in the
// desktop's browser, and the last address and selection (section "OPENSERVER").
//
// For the main window (menu "公開サーバーの表示"):
//   TSetOpenServerDlg d(httpGate_, [](const std::string& url) {
//     QDesktopServices::openUrl(QUrl(qtsupport::FromSjis(url))); }, ClientNotice(this), this);
//   d.exec();
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/ClientMessage.h"
#include "settings/ConnectionSettings.h"
#include "settings/TopMostDialog.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace novalune::settings {

class OrderedListBox;

class TSetOpenServerDlg : public TopMostDialog {
  Q_OBJECT
 public:
  using Open = std::function<void(const std::string& address)>;  // the desktop's browser, Shift-JIS

  TSetOpenServerDlg(HttpAccessGate& gate, Open open, NoticeFn notice = {}, QWidget* parent = nullptr);

  std::vector<std::string> Entries() const;
  int SelectedIndex() const;

  void DspBtnClick();
  void OKBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  HttpAccessGate& gate_;
  Open open_;
  NoticeFn notice_;
  QListWidget* listBox_;
  QLineEdit* urlEdit_;
  OrderedListBox* list_;
};

}  // namespace novalune::settings
