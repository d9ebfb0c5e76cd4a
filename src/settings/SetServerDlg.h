// The publication dialog "サーバーの公開登録": what is published, the script
// table CgiGrid ("ZKWCSvr.txt"), the automatic publication options, and the
// buttons that post start, stop and delete records. Every value is read when
// the dialog is made and stored back when it is destroyed, whether it was
// shown or not.
//
// For the main window (menu "サーバー公開", tool button OpSvBtn):
//   { TSetServerDlg d(publisher_->Web(), httpGate_, publisher_->OwnAddressText(), ClientNotice(this), this);
//     d.exec(); }
//   then the main window reloads its AUTOONOF/AUTOTIME working copies and re-applies AutoTimer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/core/Publication.h"
#include "settings/ClientMessage.h"
#include "settings/ConnectionSettings.h"
#include "settings/TopMostDialog.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace novalune::settings {

class TTimeEdit;

// The web operations the dialog needs; the main window's Publisher gives them.
struct PublicationWeb {
  // Posts in order; `done` gets the last answer's body when every post was
  // made, nothing at the first failure.
  std::function<void(std::vector<client::PublishPost>, std::function<void(std::optional<std::string>)>)> post;
  std::function<void()> abort;
  std::function<void(const std::string& address)> open;  // the desktop's browser
};

class TSetServerDlg : public TopMostDialog {
  Q_OBJECT
 public:
  TSetServerDlg(PublicationWeb web, HttpAccessGate& gate, std::string ownAddress, NoticeFn notice = {},
                QWidget* parent = nullptr);
  ~TSetServerDlg() override;

  client::PublicationValues Values() const;
  client::CgiTable Table() const;
  int SelectedRow() const { return selected_; }

  void ONBtnClick();
  void OffBtnClick();
  void DelBtnClick();
  void ViewBtnClick();
  void CloseBtnClick();
  void CgiGridClick(int row);
  void CgiGridExit();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* ContentsPage();
  QWidget* CgiPage();
  QWidget* OtherPage();
  void Load();
  void Store();
  void CgiListRead();
  void CgiListWrite();
  void FocusChanged(QWidget* from, QWidget* to);
  void AutoTimeCheckClick();
  void UseStaticIPClick();
  void MarkSelected();
  bool Checked(const client::PublicationValues& values);
  void Send(std::vector<client::PublishPost> posts);

  PublicationWeb web_;
  HttpAccessGate& gate_;
  std::string ownAddress_;
  NoticeFn notice_;
  QLineEdit* nameEdit_;
  QLineEdit* passEdit_;
  QLineEdit* urlEdit_;
  QLineEdit* mailEdit_;
  QLineEdit* roomEdit_;
  QPlainTextEdit* startMessage_;
  QPlainTextEdit* stopMessage_;
  QCheckBox* autoHTMLCheck_;
  QCheckBox* autoTimeCheck_;
  TTimeEdit* autoStrTime_;
  TTimeEdit* autoEndTime_;
  QTableWidget* cgiGrid_;
  QCheckBox* useStaticIP_;
  QLineEdit* staticIP_;
  int selected_ = 0;
};

}  // namespace novalune::settings
