// The display's menu commands, log files, log viewer and options, for the
// main window. The main window owns a TChatDisplay ("Memo"), a TLogViewForm
// and a TMemoForm and one DisplayCommands over them, and calls:
//
//   MenuSetFontClick(kind)   "フォント" › style 1..4. On OK the display has the
//                            new style; the result goes to the member tree,
//                            and for kind 4 to SetEditFont (ApplyFontSetting,
//                            FontPixelHeight in DisplayFormat.h).
//   MenuSetBackColorClick()  "背景色": the display takes the colour; the result
//                            goes to the member tree and the input line.
//   MenuShowOptionClick()    "オプション" (stop the sound first): the ten
//                            values for the working copies, nullopt on cancel.
//   MenuClsClick()           "ログの消去": asks, then clears.
//   MenuSaveClick()          "ログの保存".
//   ExitLogQuestion(autoSave) closing: false when the user cancelled the save
//                            dialog and the window must stay open.
//   MenuOpenClick()          "ログを開く": hands the chosen file to the desktop.
//   LogViewBtnClick()        "ログビューア": the snapshot appears after the
//                            current event (WMViewLog).
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
#include "client/display/DspModeDlg.h"
#include "client/display/LogFiles.h"
#include "client/display/LogViewForm.h"

namespace novalune::display {

struct DisplayHooks {
  // The yes/no box (Shift-JIS question); true for yes. Default: a QMessageBox.
  std::function<bool(const std::string& question)> askYesNo;
  // The save and open dialogs. Default: RunFileDialog.
  FileChooser chooseFile;
  // Hands a file to the desktop's default application. Default: QDesktopServices.
  std::function<void(const QString& path)> openFile;
  // The font dialog and the colour dialog. Default: ChooseFontSetting, ChooseBackColor.
  std::function<std::optional<FontSetting>(const FontSetting&)> chooseFont;
  std::function<std::optional<int>(int color)> chooseColor;
  // The options dialog. Default: TSetDspModeDlg with `playSound`.
  std::function<std::optional<DspModeValues>()> showOptions;
  TSetDspModeDlg::PlayHandler playSound;
  // The clock of the proposed log name. Default: local time now.
  std::function<QDateTime()> now;
};

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
