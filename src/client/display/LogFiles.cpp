#include "client/display/LogFiles.h"

#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>

#include "client/display/DisplayText.h"
#include "client/display/DisplayTexts.h"
#include "common/Settings.h"
#include "common/SettingsFile.h"

namespace novalune::display {

namespace {

QString ProgramFolder() { return QFile::decodeName(QByteArray::fromStdString(ProgramDir())); }

// "*.RTF;*.TXT" -> "*.RTF *.rtf *.TXT *.txt": file names here are case sensitive.
QString PatternsAnyCase(const QString& patterns) {
  QStringList out;
  for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
    out << pattern.trimmed();
    if (pattern.trimmed().toLower() != pattern.trimmed()) out << pattern.trimmed().toLower();
  }
  return out.join(' ');
}

// The suffix a filter's first pattern gives, "TXT" for "*.TXT".
QString SuffixOfFilter(const QString& filter) {
  const qsizetype open = filter.lastIndexOf('(');
  const qsizetype dot = filter.indexOf('.', open);
  if (open < 0 || dot < 0) return {};
  QString suffix = filter.mid(dot + 1);
  const qsizetype stop = suffix.indexOf(QRegularExpression(QStringLiteral("[ );*]")));
  return stop < 0 ? suffix : suffix.left(stop);
}

}  // namespace

QStringList QtFilters(const QString& windowsFilter) {
  const QStringList parts = windowsFilter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters << parts[i] + QStringLiteral(" (") + PatternsAnyCase(parts[i + 1]) + QLatin1Char(')');
  }
  return filters;
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogSetup& setup) {
  QFileDialog dialog(parent, setup.title, setup.directory);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(setup.filters);
  if (setup.selectedFilter >= 0 && setup.selectedFilter < setup.filters.size()) {
    dialog.selectNameFilter(setup.filters[setup.selectedFilter]);
  }
  dialog.setDefaultSuffix(setup.defaultSuffix);
  if (setup.save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(setup.proposedName);
    // A name typed without extension takes the extension of the chosen type.
    if (setup.selectedFilter >= 0 && setup.selectedFilter < setup.filters.size()) {
      dialog.setDefaultSuffix(SuffixOfFilter(setup.filters[setup.selectedFilter]));
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOfFilter(filter)); });
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

FileDialogSetup LogSaveSetup(const QDateTime& now) {
  FileDialogSetup setup;
  setup.save = true;
  setup.title = QString::fromUtf8(text::kSaveTitle);
  setup.directory = ProgramFolder();
  const QDate date = now.date();
  const QTime time = now.time();
  setup.proposedName =
      QString::fromStdString(LogFileStem(date.year(), date.month(), date.day(), time.hour(), time.minute()));
  setup.filters = QtFilters(QString::fromUtf8(text::kSaveFilter));
  const bool text = ReadSettingString(keys::system::kSection, keys::system::kDefaultExt) == "TXT";
  setup.selectedFilter = text ? 1 : 0;
  setup.defaultSuffix = QStringLiteral("RTF");
  return setup;
}

FileDialogSetup PrivateSaveSetup(const QDateTime& now, const QString& prefix, const std::string& defaultExt) {
  FileDialogSetup setup = LogSaveSetup(now);
  setup.proposedName.prepend(prefix);
  setup.selectedFilter = defaultExt == "TXT" ? 1 : 0;
  return setup;
}

FileDialogSetup LogOpenSetup() {
  FileDialogSetup setup;
  setup.title = QString::fromUtf8(text::kOpenTitle);
  setup.directory = ProgramFolder();
  setup.filters = QtFilters(QString::fromUtf8(text::kOpenFilter));
  setup.defaultSuffix = QStringLiteral("RTF");
  return setup;
}

void SaveLogFile(const QString& path, const std::vector<LogParagraph>& paragraphs, bool recordChoice) {
  const bool rich = IsRtfLogName(path.toStdString());
  if (recordChoice)
    WriteSettingString(keys::system::kSection, keys::system::kDefaultExt, rich ? "RTF" : "TXT");
  const std::string bytes = rich ? WriteRtfLog(paragraphs) : WriteTextLog(paragraphs);
  WriteFileAtomically(QFile::encodeName(path).toStdString(), bytes);
}

}  // namespace novalune::display
