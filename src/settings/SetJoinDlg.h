// The connect dialog "Chatの接続" with the pages "接続" and "個人情報".
// Created, it reads the address book "Address.adr" (its names fill the partner
// box), "Room.adr", the keys "JoinMe", "ServerName", "ServerIP", "RoomName",
// "Nick", "HomePage", "Mail" and "RoomTopic.txt" when it exists.
//
// For the main window:
//   Start-up: LoadJoinSettings() (ConnectionSettings.h) gives the same values
//   without a window; the description is used as RemoveLineBreaks(topic).
//   Creating this dialog also refreshes EditMyIP (GetMyAddress): the caller
//   does that right after construction.
//   Connect command (MenuJoinClick):
//     TSetJoinDlg d(ClientNotice(this), this);
//     d.SetServerIP(core.ServerAddress()); d.SetRoomName(core.RoomName());
//     d.SetTopic(core.RoomTopic()); d.SetNick(core.MyNick());
//     d.SetHomePage(...); d.SetMail(...); d.ShowPage(JoinPage::kConnect);
//     if (d.exec() == QDialog::Accepted) core.MenuJoin({d.JoinMe(), d.ServerIP(),
//         d.RoomName(), d.RoomPass(), d.Topic(), d.Nick(), d.HomePage(), d.Mail()});
// OK checks the fields in order; at the first failure it switches to the page
// of that field, shows the notice and stays open. When all pass it stores the
// address book entry, the room name, the seven keys and the description.
#pragma once

#include <string>
#include <vector>

#include "settings/ClientMessage.h"
#include "settings/ConnectionSettings.h"
#include "settings/DialogRules.h"
#include "settings/TopMostDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace novalune::settings {

class TSetJoinDlg : public TopMostDialog {
  Q_OBJECT
 public:
  explicit TSetJoinDlg(NoticeFn notice = {}, QWidget* parent = nullptr);

  bool JoinMe() const;
  std::string ServerName() const;
  std::string ServerIP() const;
  std::string RoomName() const;
  std::string RoomPass() const;
  // The description field, lines joined by LF.
  std::string Topic() const;
  std::string Nick() const;
  std::string HomePage() const;
  std::string Mail() const;

  void SetJoinMe(bool on);
  void SetServerName(const std::string& name);
  void SetServerIP(const std::string& address);
  void SetRoomName(const std::string& room);
  void SetRoomPass(const std::string& password);
  void SetTopic(const std::string& text);
  void SetNick(const std::string& nick);
  void SetHomePage(const std::string& address);
  void SetMail(const std::string& address);

  JoinPage CurrentPage() const;
  void ShowPage(JoinPage page);

  void OKBtnClick();
  // Applies the check box's state to the partner fields and the description.
  void JoinMeCheckBtnClick();
  // Puts the address of the partner named in the box into the address field.
  void ServerNameBoxChange();

 private:
  void BuildLayout();
  void LoadStored();
  void Store();

  NoticeFn notice_;
  std::vector<std::string> addressLines_;  // the address book as read, line by line
  QTabWidget* pages_;
  QComboBox* roomNameBox_;
  QLineEdit* passEdit_;
  QPlainTextEdit* topic_;
  QComboBox* serverNameBox_;
  QLineEdit* serverIPEdit_;
  QCheckBox* joinMeCheckBtn_;
  QLineEdit* nickEdit_;
  QLineEdit* hpEdit_;
  QLineEdit* mailEdit_;
};

}  // namespace novalune::settings
