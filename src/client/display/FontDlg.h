// The font dialog of the four display styles (face, size, style and colour
// together) and the background colour dialog.
#pragma once

#include <QDialog>
#include <optional>

#include "common/Settings.h"

class QCheckBox;
class QFontComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace novalune::display {

class TFontDlg : public QDialog {
  Q_OBJECT

 public:
  // Preset with the style's face, size, style and colour; no size limits
  // beyond what a font can show.
  explicit TFontDlg(const FontSetting& font, QWidget* parent = nullptr);

  FontSetting Setting() const;
  void SetColor(int color);

  QFontComboBox* FaceBox = nullptr;
  QSpinBox* SizeBox = nullptr;
  QCheckBox* BoldCheck = nullptr;
  QCheckBox* ItalicCheck = nullptr;
  QCheckBox* UnderlineCheck = nullptr;
  QCheckBox* StrikeoutCheck = nullptr;
  QPushButton* ColorBtn = nullptr;
  QLabel* Sample = nullptr;

 private:
  void ColorBtnClick();
  void UpdateSample();

  std::string face_;  // kept as it was unless the user picks another face
  bool faceChanged_ = false;
  int color_ = 0;
};

// The font dialog; nullopt on cancel.
std::optional<FontSetting> ChooseFontSetting(QWidget* parent, const FontSetting& font);
// The colour dialog (solid colours, any colour) preset with `color`; nullopt on cancel.
std::optional<int> ChooseBackColor(QWidget* parent, int color);

}  // namespace novalune::display
