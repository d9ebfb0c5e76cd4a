#include "client/display/DisplayCommands.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QUrl>

#include "client/display/DisplayFormat.h"
#include "client/display/DisplayTexts.h"
#include "client/display/FontDlg.h"
#include "common/Settings.h"
#include "common/SjisText.h"

namespace novalune::display {

std::string NoOpenerNotice(const QString& target) {
  std::string notice = SysText(text::kNoOpener);
  notice.replace(notice.find("%s"), 2, ToSjis(target));
  return notice;
}

DisplayCommands::DisplayCommands(TChatDisplay& display, TLogViewForm& viewer, DisplayHooks hooks)
    : QObject(&display), display_(display), viewer_(viewer), hooks_(std::move(hooks)) {
  if (!hooks_.askYesNo) {
    hooks_.askYesNo = [this](const std::string& question) {
      return QMessageBox::question(Parent(), QString(), FromSjis(question)) == QMessageBox::Yes;
    };
  }
  if (!hooks_.chooseFile) {
    hooks_.chooseFile = [this](const FileDialogSetup& setup) { return RunFileDialog(Parent(), setup); };
  }
  if (!hooks_.openFile) {
    hooks_.openFile = [](const QString& path) {
      return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
  }
  if (!hooks_.notice) {
    hooks_.notice = [this](const std::string& text) {
      QMessageBox::information(Parent(), QString(), FromSjis(text));
    };
  }
  if (!hooks_.chooseFont) {
    hooks_.chooseFont = [this](const FontSetting& font) { return ChooseFontSetting(Parent(), font); };
  }
  if (!hooks_.chooseColor) {
    hooks_.chooseColor = [this](int color) { return ChooseBackColor(Parent(), color); };
  }
  if (!hooks_.showOptions) {
    hooks_.showOptions = [this]() -> std::optional<DspModeValues> {
      TSetDspModeDlg dialog(Parent(), hooks_.playSound);
      if (dialog.exec() != QDialog::Accepted) return std::nullopt;
      return dialog.Values();
    };
  }
  if (!hooks_.now) hooks_.now = [] { return QDateTime::currentDateTime(); };
}

QWidget* DisplayCommands::Parent() const { return display_.window(); }

std::optional<FontSetting> DisplayCommands::MenuSetFontClick(int kind) {
  if (kind < 1 || kind > kStyleCount) return std::nullopt;
  std::optional<FontSetting> chosen = hooks_.chooseFont(display_.GetFontSetting(kind));
  if (chosen) display_.SetFontSetting(kind, *chosen);
  return chosen;
}

std::optional<int> DisplayCommands::MenuSetBackColorClick() {
  const std::optional<int> chosen = hooks_.chooseColor(display_.BackColor());
  if (chosen) display_.SetBackColor(*chosen);
  return chosen;
}

std::optional<DspModeValues> DisplayCommands::MenuShowOptionClick() { return hooks_.showOptions(); }

void DisplayCommands::MenuClsClick() {
  if (hooks_.askYesNo(SysText(text::kClearQuestion))) display_.ClearLog();
}

bool DisplayCommands::MenuSaveClick() {
  const std::optional<QString> chosen = hooks_.chooseFile(LogSaveSetup(hooks_.now()));
  if (!chosen) return false;
  SaveLogFile(*chosen, display_.LogParagraphs());
  return true;
}

bool DisplayCommands::ExitLogQuestion(bool autoSave) {
  if (!autoSave) return true;
  if (!hooks_.askYesNo(SysText(text::kSaveQuestion))) return true;
  return MenuSaveClick();
}

bool DisplayCommands::WMPrivateSave(const std::string& partner, const std::vector<LogParagraph>& text,
                                    bool autoSave) {
  if (!autoSave) return false;
  std::string question = SysText(text::kPrivateSaveQuestion);
  question.replace(question.find("%s"), 2, partner);
  if (!hooks_.askYesNo(question)) return false;
  const std::string defaultExt = ReadSettingString(keys::system::kSection, keys::system::kDefaultExt);
  const QString prefix = FromSjis(partner) + QLatin1Char('_');
  const std::optional<QString> chosen = hooks_.chooseFile(PrivateSaveSetup(hooks_.now(), prefix, defaultExt));
  if (!chosen) return false;
  SaveLogFile(*chosen, text);
  return true;
}

void DisplayCommands::MenuOpenClick() {
  const std::optional<QString> chosen = hooks_.chooseFile(LogOpenSetup());
  if (chosen && !hooks_.openFile(*chosen)) hooks_.notice(NoOpenerNotice(*chosen));
}

void DisplayCommands::LogViewBtnClick() {
  viewer_.Memo->clear();
  display_.selectAll();
  QMetaObject::invokeMethod(this, &DisplayCommands::WMViewLog, Qt::QueuedConnection);
}

void DisplayCommands::WMViewLog() {
  QTextCursor cursor = display_.textCursor();
  // The colours of the text were chosen against the display's background.
  viewer_.Memo->SetBackColor(display_.BackColor());
  viewer_.ShowSnapshot(cursor.selection());
  cursor.clearSelection();
  cursor.movePosition(QTextCursor::End);
  display_.setTextCursor(cursor);
}

}  // namespace novalune::display
