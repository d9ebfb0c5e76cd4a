// The away-message dialog "メッセージ設定": "席を離れる時" and "席に戻った時",
// read from "AWAY" and "BACK" of section "Message" when created; OK writes
// both keys.
//
// For the main window: on Accepted,
//   core.SetAwayMessages(d.Messages().away, d.Messages().back);
#pragma once

#include "settings/ClientMessage.h"
#include "settings/ConnectionSettings.h"
#include "settings/TopMostDialog.h"

class QLineEdit;

namespace novalune::settings {

class TSetMessageDlg : public TopMostDialog {
  Q_OBJECT
 public:
  explicit TSetMessageDlg(NoticeFn notice = {}, QWidget* parent = nullptr);

  AwayMessages Messages() const;
  void SetMessages(const AwayMessages& messages);

  void OKBtnClick();

 private:
  NoticeFn notice_;
  QLineEdit* awayEdit_;
  QLineEdit* backEdit_;
};

}  // namespace novalune::settings
