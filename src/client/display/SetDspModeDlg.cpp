#include "client/display/SetDspModeDlg.h"

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
#include <array>

#include "client/core/ClientSounds.h"
#include "client/display/DisplayFormat.h"
#include "client/display/DisplayTexts.h"
#include "common/Settings.h"
#include "qtsupport/SettingsBinding.h"
#include "qtsupport/WidgetText.h"

namespace novalune::display {

namespace {

namespace sys = keys::system;

constexpr int kAutoTimeDigits = 5;

const std::array<qtsupport::SettingField<DspModeValues>, 11> kDspModeFields{{
    {sys::kSection, sys::kAutoMin, &DspModeValues::autoMin},
    {sys::kSection, sys::kAutoTime, &DspModeValues::autoTime},
    {sys::kSection, sys::kAutoShow, &DspModeValues::autoShow},
    {sys::kSection, sys::kAutoBeep, &DspModeValues::autoBeep},
    {sys::kSection, sys::kAutoFile, &DspModeValues::autoFile},
    {sys::kSection, sys::kAutoSave, &DspModeValues::autoSave},
    {sys::kSection, sys::kInBeep, &DspModeValues::inBeep},
    {sys::kSection, sys::kOutBeep, &DspModeValues::outBeep},
    {sys::kSection, sys::kInFile, &DspModeValues::inFile},
    {sys::kSection, sys::kOutFile, &DspModeValues::outFile},
    {sys::kSection, sys::kNoWhisperNotice, &DspModeValues::noWhisperNotice},
}};

using qtsupport::Ui;

QString LocalPath(const std::string& sjis) { return FromSjis(sjis); }

QPushButton* Button(const char* caption, QWidget* parent) { return new QPushButton(Ui(caption), parent); }

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
  qtsupport::LoadSettingFields(values, kDspModeFields);
  return values;
}

void WriteDspModeValues(const DspModeValues& values) { qtsupport::SaveSettingFields(values, kDspModeFields); }

TSetDspModeDlg::TSetDspModeDlg(QWidget* parent, PlayHandler play, FileChooser chooser)
    : QDialog(parent), play_(std::move(play)), chooser_(std::move(chooser)) {
  setWindowTitle(Ui(text::kOptionsCaption));
  Pages = new QTabWidget(this);
  Pages->addTab(DisplayPage(), Ui(text::kPageDisplay));
  Pages->addTab(InOutPage(), Ui(text::kPageInOut));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(Ui(text::kOk), QDialogButtonBox::AcceptRole);
  buttons->addButton(Ui(text::kCancel), QDialogButtonBox::RejectRole);
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
  WhisperNoticeCheck->setChecked(!values.noWhisperNotice);
  InBeepCheck->setChecked(values.inBeep);
  OutBeepCheck->setChecked(values.outBeep);
  autoFile_ = values.autoFile;
  inFile_ = values.inFile;
  outFile_ = values.outFile;
  UpdateAutoTimeColor();
}

QWidget* TSetDspModeDlg::DisplayPage() {
  auto* page = new QWidget(this);
  auto* quiet = new QGroupBox(Ui(text::kGroupQuiet), page);
  AutoMinCheck = new QCheckBox(Ui(text::kAutoMin), quiet);
  AutoTimeEdit = new QLineEdit(quiet);
  AutoTimeEdit->setMaxLength(kAutoTimeDigits);
  AutoTimeEdit->setValidator(new QIntValidator(0, 99999, AutoTimeEdit));
  connect(AutoMinCheck, &QCheckBox::toggled, this, &TSetDspModeDlg::UpdateAutoTimeColor);
  auto* quietRow = new QHBoxLayout(quiet);
  quietRow->addWidget(AutoMinCheck);
  quietRow->addWidget(AutoTimeEdit);
  quietRow->addWidget(new QLabel(Ui(text::kSecondsLater), quiet));

  auto* start = new QGroupBox(Ui(text::kGroupStart), page);
  AutoShowCheck = new QCheckBox(Ui(text::kAutoShow), start);
  AutoBeepCheck = new QCheckBox(Ui(text::kBeep), start);
  AutoFileBtn = Button(text::kBrowse, start);
  AutoPlayBtn = Button(text::kPlay, start);
  connect(AutoFileBtn, &QPushButton::clicked, this, &TSetDspModeDlg::AutoFileBtnClick);
  connect(AutoPlayBtn, &QPushButton::clicked, this, [this] { PlayClick(autoFile_); });
  auto* startColumn = new QVBoxLayout(start);
  startColumn->addWidget(AutoShowCheck);
  startColumn->addLayout(SoundRow(AutoBeepCheck, AutoFileBtn, AutoPlayBtn));

  auto* exit = new QGroupBox(Ui(text::kGroupExit), page);
  AutoSaveCheck = new QCheckBox(Ui(text::kAutoSave), exit);
  (new QVBoxLayout(exit))->addWidget(AutoSaveCheck);

  // Beyond the original options: whispers on the desktop while the program is in the background.
  WhisperNoticeCheck = new QCheckBox(Ui(text::kWhisperNotice), page);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(quiet);
  layout->addWidget(start);
  layout->addWidget(exit);
  layout->addWidget(WhisperNoticeCheck);
  layout->addStretch();
  return page;
}

QWidget* TSetDspModeDlg::InOutPage() {
  auto* page = new QWidget(this);
  auto* in = new QGroupBox(Ui(text::kGroupIn), page);
  InBeepCheck = new QCheckBox(Ui(text::kBeep), in);
  InFileBtn = Button(text::kBrowse, in);
  InPlayBtn = Button(text::kPlay, in);
  in->setLayout(SoundRow(InBeepCheck, InFileBtn, InPlayBtn));
  connect(InFileBtn, &QPushButton::clicked, this, &TSetDspModeDlg::InFileBtnClick);
  connect(InPlayBtn, &QPushButton::clicked, this, [this] { PlayClick(inFile_); });

  auto* out = new QGroupBox(Ui(text::kGroupOut), page);
  OutBeepCheck = new QCheckBox(Ui(text::kBeep), out);
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
  values.noWhisperNotice = !WhisperNoticeCheck->isChecked();
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
  setup.title = Ui(text::kSoundTitle);
  setup.filters = QtFilters(Ui(text::kSoundFilter));
  setup.defaultSuffix = QStringLiteral("wav");
  if (startInSoundFolder) {
    const std::vector<std::string> folders = client::LoadSoundFolders();
    if (!folders.empty()) setup.directory = LocalPath(folders.front());
  }
  // The file dialog opens over this one: hiding a dialog that runs modally would end it.
  const std::optional<QString> chosen = chooser_ ? chooser_(setup) : RunFileDialog(this, setup);
  if (chosen) file = ToSjis(QFileInfo(*chosen).absoluteFilePath());
}

}  // namespace novalune::display
