// The rename dialog "名前の変更": one field "ニックネーム", read from "Nick"
// when created. OK checks the nick (a notice at the first failure, the dialog
// stays open), writes "Nick" and closes with Accepted; cancelling leaves
// "Nick" as it was.
//
// For the main window:
//   MenuReNameClick:  TReNameDlg d(ClientNotice(this), this);
//                     if (d.exec() == QDialog::Accepted) core.MenuReName(d.Nick());
//   AskNewNick(nick): the same dialog; on Accepted nick = d.Nick(), return true.
#pragma once

#include <string>

#include "settings/ClientMessage.h"
#include "settings/TopMostDialog.h"

class QLineEdit;

namespace novalune::settings {

class TReNameDlg : public TopMostDialog {
  Q_OBJECT
 public:
  explicit TReNameDlg(NoticeFn notice = {}, QWidget* parent = nullptr);

  std::string Nick() const;
  void SetNick(const std::string& nick);

  void OKBtnClick();

 private:
  NoticeFn notice_;
  QLineEdit* nickEdit_;
};

}  // namespace novalune::settings
