// The room description dialog "ルーム説明": a multi-line field loaded from
// "RoomTopic.txt" when the file exists; OK saves the field to that file.
//
// For the main window (MenuRoomTopicClick):
//   TRoomTopicDlg dialog(ClientNotice(this), this);
//   if (dialog.exec() == QDialog::Accepted) core.MenuRoomTopic(dialog.TopicLine());
#pragma once

#include <string>

#include "settings/ClientMessage.h"
#include "settings/TopMostDialog.h"

class QPlainTextEdit;

namespace novalune::settings {

class TRoomTopicDlg : public TopMostDialog {
  Q_OBJECT
 public:
  explicit TRoomTopicDlg(NoticeFn notice = {}, QWidget* parent = nullptr);

  // The field as it stands, lines joined by LF.
  std::string Topic() const;
  void SetTopic(const std::string& text);
  // The description as it is kept and sent: every CR and LF removed.
  std::string TopicLine() const;

  void OKBtnClick();

 private:
  NoticeFn notice_;
  QPlainTextEdit* topic_;
};

}  // namespace novalune::settings
