#include "client/display/DspModeDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "client/display/DisplayFormat.h"
#include "client/display/DisplayTexts.h"
#include "common/settings.h"

namespace novalune::display {

namespace {

namespace sys = keys::system;

constexpr int kAutoTimeDigits = 5;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

QString LocalPath(const std::string& sjis) { return FromSjis(sjis); }

QPushButton* Button(const char* caption, QWidget* parent) { return new QPushButton(Utf8(caption), parent); }

// One row "音で知らせる [参照] [再生]".
QHBoxLayout* SoundRow(QCheckBox* check, QPushButton* browse, QPushButton* play) {
  auto* row = new QHBoxLayout;
  row->addWidget(check);
  row->addStretch();
  row->addWidget(browse);
  row->addWidget(play);
  return row;
}

}  // namespace

DspModeValues ReadDspModeValues() {
  DspModeValues values;
  values.autoMin = ReadSettingFlag(sys::kSection, sys::kAutoMin);
  values.autoTime = ReadSettingInt(sys::kSection, sys::kAutoTime);
  values.autoShow = ReadSettingFlag(sys::kSection, sys::kAutoShow);
  values.autoBeep = ReadSettingFlag(sys::kSection, sys::kAutoBeep);
  values.autoFile = ReadSettingString(sys::kSection, sys::kAutoFile);
  values.autoSave = ReadSettingFlag(sys::kSection, sys::kAutoSave);
  values.inBeep = ReadSettingFlag(sys::kSection, sys::kInBeep);
  values.outBeep = ReadSettingFlag(sys::kSection, sys::kOutBeep);
  values.inFile = ReadSettingString(sys::kSection, sys::kInFile);
  values.outFile = ReadSettingString(sys::kSection, sys::kOutFile);
  return values;
}

void WriteDspModeValues(const DspModeValues& values) {
  WriteSettingFlag(sys::kSection, sys::kAutoMin, values.autoMin);
  WriteSettingInt(sys::kSection, sys::kAutoTime, values.autoTime);
  WriteSettingFlag(sys::kSection, sys::kAutoShow, values.autoShow);
  WriteSettingFlag(sys::kSection, sys::kAutoBeep, values.autoBeep);
  WriteSettingString(sys::kSection, sys::kAutoFile, values.autoFile);
  WriteSettingFlag(sys::kSection, sys::kAutoSave, values.autoSave);
  WriteSettingFlag(sys::kSection, sys::kInBeep, values.inBeep);
  WriteSettingFlag(sys::kSection, sys::kOutBeep, values.outBeep);
  WriteSettingString(sys::kSection, sys::kInFile, values.inFile);
  WriteSettingString(sys::kSection, sys::kOutFile, values.outFile);
}

TSetDspModeDlg::TSetDspModeDlg(QWidget* parent, PlayHandler play, FileChooser chooser)
    : QDialog(parent), play_(std::move(play)), chooser_(std::move(chooser)) {
  setWindowTitle(Utf8(text::kOptionsCaption));
  Pages = new QTabWidget(this);
  Pages->addTab(DisplayPage(), Utf8(text::kPageDisplay));
  Pages->addTab(InOutPage(), Utf8(text::kPageInOut));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(Utf8(text::kOk), QDialogButtonBox::AcceptRole);
  buttons->addButton(Utf8(text::kCancel), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &TSetDspModeDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TSetDspModeDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Pages);
  layout->addWidget(buttons);

  const DspModeValues values = ReadDspModeValues();
  AutoMinCheck->setChecked(values.autoMin);
  AutoTimeEdit->setText(QString::number(values.autoTime).left(kAutoTimeDigits));
  AutoShowCheck->setChecked(values.autoShow);
  AutoBeepCheck->setChecked(values.autoBeep);
  AutoSaveCheck->setChecked(values.autoSave);
  InBeepCheck->setChecked(values.inBeep);
  OutBeepCheck->setChecked(values.outBeep);
  autoFile_ = values.autoFile;
  inFile_ = values.inFile;
  outFile_ = values.outFile;
  UpdateAutoTimeColor();
}

QWidget* TSetDspModeDlg::DisplayPage() {
  auto* page = new QWidget(this);
  auto* quiet = new QGroupBox(Utf8(text::kGroupQuiet), page);
  AutoMinCheck = new QCheckBox(Utf8(text::kAutoMin), quiet);
  AutoTimeEdit = new QLineEdit(quiet);
  AutoTimeEdit->setMaxLength(kAutoTimeDigits);
  AutoTimeEdit->setValidator(new QIntValidator(0, 99999, AutoTimeEdit));
  connect(AutoMinCheck, &QCheckBox::toggled, this, &TSetDspModeDlg::UpdateAutoTimeColor);
  auto* quietRow = new QHBoxLayout(quiet);
  quietRow->addWidget(AutoMinCheck);
  quietRow->addWidget(AutoTimeEdit);
  quietRow->addWidget(new QLabel(Utf8(text::kSecondsLater), quiet));

  auto* start = new QGroupBox(Utf8(text::kGroupStart), page);
  AutoShowCheck = new QCheckBox(Utf8(text::kAutoShow), start);
  AutoBeepCheck = new QCheckBox(Utf8(text::kBeep), start);
  AutoFileBtn = Button(text::kBrowse, start);
  AutoPlayBtn = Button(text::kPlay, start);
  connect(AutoFileBtn, &QPushButton::clicked, this, &TSetDspModeDlg::AutoFileBtnClick);
  connect(AutoPlayBtn, &QPushButton::clicked, this, [this] { PlayClick(autoFile_); });
  auto* startColumn = new QVBoxLayout(start);
  startColumn->addWidget(AutoShowCheck);
  startColumn->addLayout(SoundRow(AutoBeepCheck, AutoFileBtn, AutoPlayBtn));

  auto* exit = new QGroupBox(Utf8(text::kGroupExit), page);
  AutoSaveCheck = new QCheckBox(Utf8(text::kAutoSave), exit);
  (new QVBoxLayout(exit))->addWidget(AutoSaveCheck);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(quiet);
  layout->addWidget(start);
  layout->addWidget(exit);
  layout->addStretch();
  return page;
}

QWidget* TSetDspModeDlg::InOutPage() {
  auto* page = new QWidget(this);
  auto* in = new QGroupBox(Utf8(text::kGroupIn), page);
  InBeepCheck = new QCheckBox(Utf8(text::kBeep), in);
  InFileBtn = Button(text::kBrowse, in);
  InPlayBtn = Button(text::kPlay, in);
  in->setLayout(SoundRow(InBeepCheck, InFileBtn, InPlayBtn));
  connect(InFileBtn, &QPushButton::clicked, this, &TSetDspModeDlg::InFileBtnClick);
  connect(InPlayBtn, &QPushButton::clicked, this, [this] { PlayClick(inFile_); });

  auto* out = new QGroupBox(Utf8(text::kGroupOut), page);
  OutBeepCheck = new QCheckBox(Utf8(text::kBeep), out);
  OutFileBtn = Button(text::kBrowse, out);
  OutPlayBtn = Button(text::kPlay, out);
  out->setLayout(SoundRow(OutBeepCheck, OutFileBtn, OutPlayBtn));
  connect(OutFileBtn, &QPushButton::clicked, this, &TSetDspModeDlg::OutFileBtnClick);
  connect(OutPlayBtn, &QPushButton::clicked, this, [this] { PlayClick(outFile_); });

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(in);
  layout->addWidget(out);
  layout->addStretch();
  return page;
}

// White while the time applies, grey while minimising is off.
void TSetDspModeDlg::UpdateAutoTimeColor() {
  QPalette palette = AutoTimeEdit->palette();
  palette.setColor(QPalette::Base, AutoMinCheck->isChecked() ? QColor(Qt::white) : QColor(Qt::lightGray));
  AutoTimeEdit->setPalette(palette);
}

DspModeValues TSetDspModeDlg::Values() const {
  DspModeValues values;
  values.autoMin = AutoMinCheck->isChecked();
  values.autoTime = AutoTimeEdit->text().toInt();
  values.autoShow = AutoShowCheck->isChecked();
  values.autoBeep = AutoBeepCheck->isChecked();
  values.autoFile = autoFile_;
  values.autoSave = AutoSaveCheck->isChecked();
  values.inBeep = InBeepCheck->isChecked();
  values.outBeep = OutBeepCheck->isChecked();
  values.inFile = inFile_;
  values.outFile = outFile_;
  return values;
}

void TSetDspModeDlg::accept() {
  WriteDspModeValues(Values());
  QDialog::accept();
}

void TSetDspModeDlg::AutoFileBtnClick() { BrowseSound(autoFile_, true); }
void TSetDspModeDlg::InFileBtnClick() { BrowseSound(inFile_, false); }
void TSetDspModeDlg::OutFileBtnClick() { BrowseSound(outFile_, false); }

void TSetDspModeDlg::PlayClick(const std::string& path) {
  if (path.empty() || !play_) return;
  if (!QFileInfo::exists(LocalPath(path))) return;
  play_(path);
}

void TSetDspModeDlg::BrowseSound(std::string& file, bool startInSoundFolder) {
  FileDialogSetup setup;
  setup.title = Utf8(text::kSoundTitle);
  setup.filters = QtFilters(Utf8(text::kSoundFilter));
  setup.defaultSuffix = QStringLiteral("wav");
  if (startInSoundFolder) {
    const std::vector<std::string> folders = LoadListFile(files::kWavDir);
    if (!folders.empty()) setup.directory = LocalPath(folders.front());
  }
  // The file dialog opens over this one: hiding a dialog that runs modally would end it.
  const std::optional<QString> chosen = chooser_ ? chooser_(setup) : RunFileDialog(this, setup);
  if (chosen) file = ToSjis(QFileInfo(*chosen).absoluteFilePath());
}

}  // namespace novalune::display
