// The conversation display's commands for the main window (TZKWChatForm).
//
// Wiring, once at start:
//   Memo    = new TChatDisplay(this);                 // the display
//   LogView = new TLogViewForm(this);                 // hidden until used
//   MemoWin = new TMemoForm(this);                    // hidden until MemoBtn
//   MemoWin->SetSendHandler([&](const std::string& t) { return core.MemoSend(t); });
//   Memo->SetAddressHandler(MemoURLClick);            // HTTPNOTOUT, consent, open
//   LogView->Memo->SetAddressHandler(MemoURLClick);
//   display = new DisplayCommands(*Memo, *LogView, {.askYesNo = <yes/no box>,
//                                                  .playSound = <sound of a path>});
//   ClientView::DspMessage(kind, text)  ->  Memo->DspMessage(kind, text)
//
// SystemRead / SystemWrite: Memo->SetFontSetting(kind, font) /
// GetFontSetting(kind) for "MemoFont1".."MemoFont4", Memo->SetBackColor(c) /
// BackColor() for "BackColor". SetEditFont: ApplyFontSetting(*Edit, font4) and
// FontPixelHeight(font4) + 6 for the lower tool bar (DisplayFormat.h).
//
// Menu commands:
//   MenuSetFontClick(kind)   "フォント" › style 1..4. On OK the display has the
//                            new style; pass the result to the member tree,
//                            and for kind 4 run SetEditFont.
//   MenuSetBackColorClick()  "背景色": the display takes the colour; pass it to
//                            the member tree and ApplyBackColor(*Edit, c).
//   MenuShowOptionClick()    "オプション" (stop the sound first): the ten
//                            values for the working copies, nullopt on cancel.
//   MenuClsClick()           "ログの消去": asks, then clears.
//   MenuSaveClick()          "ログの保存".
//   ExitLogQuestion(AutoSave) step 4 of closing: false when the user cancelled
//                            the save dialog and the window must stay open.
//   MenuOpenClick()          "ログを開く": hands the chosen file to the desktop,
//                            with a notice when nothing there opens it.
//   LogViewBtnClick()        "ログビューア": the snapshot appears after the
//                            current event (WMViewLog).
//   MemoBtnClick             MemoWin->show() (the main window's own one-liner).
//   MemoCopyMenuClick        Memo->MemoCopyMenuClick() (also the context menu).
//
// File errors are thrown (std::system_error) to the program's error handler.
// Every interaction goes through DisplayHooks so that tests can answer it.
#pragma once

#include <QDateTime>
#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "client/display/ChatDisplay.h"
#include "client/display/LogFiles.h"
#include "client/display/LogViewForm.h"
#include "client/display/SetDspModeDlg.h"

namespace novalune::display {

struct DisplayHooks {
  // The yes/no box (Shift-JIS question); true for yes. Default: a QMessageBox.
  std::function<bool(const std::string& question)> askYesNo;
  // The save and open dialogs. Default: RunFileDialog.
  FileChooser chooseFile;
  // Hands a file to the desktop's default application; false when none took
  // it. Default: QDesktopServices.
  std::function<bool(const QString& path)> openFile;
  // A notice (Shift-JIS text). Default: a QMessageBox.
  std::function<void(const std::string& text)> notice;
  // The font dialog and the colour dialog. Default: ChooseFontSetting, ChooseBackColor.
  std::function<std::optional<FontSetting>(const FontSetting&)> chooseFont;
  std::function<std::optional<int>(int color)> chooseColor;
  // The options dialog. Default: TSetDspModeDlg with `playSound`.
  std::function<std::optional<DspModeValues>()> showOptions;
  TSetDspModeDlg::PlayHandler playSound;
  // The clock of the proposed log name. Default: local time now.
  std::function<QDateTime()> now;
};

// The notice for a file or an address that nothing on the desktop opens.
std::string NoOpenerNotice(const QString& target);

class DisplayCommands : public QObject {
  Q_OBJECT

 public:
  DisplayCommands(TChatDisplay& display, TLogViewForm& viewer, DisplayHooks hooks = {});

  std::optional<FontSetting> MenuSetFontClick(int kind);
  std::optional<int> MenuSetBackColorClick();
  std::optional<DspModeValues> MenuShowOptionClick();
  void MenuClsClick();
  // True when a log was written.
  bool MenuSaveClick();
  // True when closing goes on.
  bool ExitLogQuestion(bool autoSave);
  // A whisper window's text when its member goes: with auto-save on, asks
  // whether to keep it, then the save dialog ("<nick>_yymmdd_hhmm", the type
  // from "DefaultExt"). True when a file was written.
  bool WMPrivateSave(const std::string& partner, const std::vector<LogParagraph>& text, bool autoSave);
  const DisplayHooks& Hooks() const { return hooks_; }
  void MenuOpenClick();
  void LogViewBtnClick();
  void WMViewLog();

 private:
  QWidget* Parent() const;

  TChatDisplay& display_;
  TLogViewForm& viewer_;
  DisplayHooks hooks_;
};

}  // namespace novalune::display
