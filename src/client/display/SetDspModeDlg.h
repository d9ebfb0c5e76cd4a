// The display options dialog "表示オプション" and its settings.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "client/display/LogFiles.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace novalune::display {

// The working copies the main window keeps; paths are Shift-JIS.
struct DspModeValues {
  bool autoMin = false;
  int autoTime = 0;  // seconds
  bool autoShow = false;
  bool autoBeep = false;
  std::string autoFile;
  bool autoSave = false;
  bool inBeep = false;
  bool outBeep = false;
  std::string inFile;
  std::string outFile;
  bool noWhisperNotice = false;

  bool operator==(const DspModeValues&) const = default;
};

// "AutoMin" .. "OutFile" and "NoWhisperNotice" of section "System".
DspModeValues ReadDspModeValues();
void WriteDspModeValues(const DspModeValues& values);

class TSetDspModeDlg : public QDialog {
  Q_OBJECT

 public:
  // Plays a sound file (Shift-JIS path) that exists, the way the sound button does.
  using PlayHandler = std::function<void(const std::string& path)>;

  // Reads the keys. `chooser` shows the sound file dialog (the program's
  // own when empty).
  explicit TSetDspModeDlg(QWidget* parent = nullptr, PlayHandler play = {}, FileChooser chooser = {});

  // The values the controls show now.
  DspModeValues Values() const;
  // OK: writes the keys, then closes with Accepted.
  void accept() override;

  QTabWidget* Pages = nullptr;
  QCheckBox* AutoMinCheck = nullptr;
  QLineEdit* AutoTimeEdit = nullptr;
  QCheckBox* AutoShowCheck = nullptr;
  QCheckBox* AutoBeepCheck = nullptr;
  QPushButton* AutoFileBtn = nullptr;
  QPushButton* AutoPlayBtn = nullptr;
  QCheckBox* AutoSaveCheck = nullptr;
  QCheckBox* WhisperNoticeCheck = nullptr;
  QCheckBox* InBeepCheck = nullptr;
  QPushButton* InFileBtn = nullptr;
  QPushButton* InPlayBtn = nullptr;
  QCheckBox* OutBeepCheck = nullptr;
  QPushButton* OutFileBtn = nullptr;
  QPushButton* OutPlayBtn = nullptr;

  void AutoFileBtnClick();
  void InFileBtnClick();
  void OutFileBtnClick();
  void PlayClick(const std::string& path);

 private:
  QWidget* DisplayPage();
  QWidget* InOutPage();
  void UpdateAutoTimeColor();
  // Asks for a sound file; a cancelled choice keeps the old one.
  void BrowseSound(std::string& file, bool startInSoundFolder);

  PlayHandler play_;
  FileChooser chooser_;
  std::string autoFile_;
  std::string inFile_;
  std::string outFile_;
};

}  // namespace novalune::display
