// Saving and opening conversation logs: the file dialogs' setup, the choice
// between rich text and plain text, and writing the file.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/display/LogWriter.h"

class QWidget;

namespace novalune::display {

// What a file dialog is opened with. Filters are Qt filters ("text (*.RTF)").
struct FileDialogSetup {
  bool save = false;
  QString title;
  QString directory;
  QString proposedName;  // save only
  QStringList filters;
  int selectedFilter = 0;
  QString defaultSuffix;
};

// Shows the dialog; nullopt when the user cancels.
using FileChooser = std::function<std::optional<QString>(const FileDialogSetup&)>;

// The program's file dialog (asks before overwriting in save mode).
std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogSetup& setup);

// A filter list of the form "text|pattern|text|pattern" as Qt filters; the
// text is shown unchanged, the patterns (any case) are matched.
QStringList QtFilters(const QString& windowsFilter);

// The save dialog: rich text first, text preselected when "DefaultExt" is
// exactly "TXT", the name "yymmdd_hhmm" of `now`, in the program folder.
FileDialogSetup LogSaveSetup(const QDateTime& now);
// The save dialog of a whisper: the name "<prefix>yymmdd_hhmm", text
// preselected when `defaultExt` is exactly "TXT".
FileDialogSetup PrivateSaveSetup(const QDateTime& now, const QString& prefix, const std::string& defaultExt);
// The open dialog: all logs, rich text, text; in the program folder.
FileDialogSetup LogOpenSetup();

// Writes the log to `path`: rich text when the name ends in .RTF (any case),
// plain text otherwise, and records the choice in "DefaultExt" when
// `recordChoice`. Throws std::system_error when the file cannot be written.
void SaveLogFile(const QString& path, const std::vector<LogParagraph>& paragraphs, bool recordChoice = true);

}  // namespace novalune::display
