// TPrivateBoxForm: the whisper window of one member, created hidden with the
// member's row and destroyed with it. It never talks to the server: what the
// user does here reaches the main window through PrivateBoxHooks, run after
// the current event with the partner's nick and the text copied, so a hook
// still works when the window has gone meanwhile.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "client/core/MemberList.h"
#include "client/display/LogFiles.h"
#include "client/display/LogWriter.h"
#include "common/Settings.h"

class QLineEdit;
class QToolButton;

namespace novalune::display {
class TChatDisplay;
}

namespace novalune::ui {

struct PrivateBoxHooks {
  // Receiver of the posted hooks; they are dropped if it is gone.
  QObject* mainWindow = nullptr;
  // Enter in the input line (WMPrivateMsg) and the sound button (WMPrivateBeep).
  std::function<void(const std::string& partner, const std::string& text)> send;
  std::function<void(const std::string& partner)> beep;
  // The window goes with its row while holding text and auto-save is on (WMPrivateSave).
  std::function<void(const std::string& partner, const std::vector<display::LogParagraph>& text)> save;
  // The pointer went over the text or the input line: the message has been seen.
  std::function<void(const std::string& partner)> seen;
  // The save button's dialog and the clock of its proposed name.
  display::FileChooser chooseFile;
  std::function<QDateTime()> now;
  // A file that cannot be written.
  std::function<void(const std::string& text)> notice;
};

class TPrivateBoxForm : public QWidget {
  Q_OBJECT

 public:
  TPrivateBoxForm(PrivateBoxHooks hooks, QWidget* parent = nullptr);

  // The member tree's templates, copied at creation; later changes one field at a time.
  void SetTemplates(const client::PrivateTemplates& templates);
  void ApplyTemplate(client::TemplateField field, const client::PrivateTemplates& templates);
  void SetMyNick(const std::string& nick) { myNick_ = nick; }
  // PartnerNick and the caption "<nick>とのささやきBox".
  void SetPartner(const std::string& nick);
  const std::string& PartnerNick() const { return partner_; }

  // Appends Shift-JIS text in font `style` (1..4); the line-break escape
  // makes one indented line per line.
  void AppendText(int style, const std::string& text);
  bool HasText() const;
  std::vector<display::LogParagraph> Content() const;

  // Shows the window on top of every other window.
  void FormShow();
  void EditKeyPress();
  void BeepBtnClick();
  void SaveBtnClick();
  // The row goes: with auto-save on, a window holding text hands it over.
  void FormDestroy();

  display::TChatDisplay* Memo = nullptr;
  QWidget* ToolBar = nullptr;
  QToolButton* BeepBtn = nullptr;
  QLineEdit* Edit = nullptr;
  QToolButton* SaveBtn = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ApplyEditFont();
  void Post(std::function<void()> action);

  PrivateBoxHooks hooks_;
  std::string myNick_;
  std::string partner_;
  bool autoSave_ = false;
  std::string defaultExt_;
  std::string beepFile_;
};

}  // namespace novalune::ui
