#include "client/display/FontDlg.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "client/display/DisplayFormat.h"
#include "client/display/DisplayTexts.h"
#include "qtsupport/WidgetText.h"

namespace novalune::display {

namespace {

using qtsupport::Ui;

}  // namespace

TFontDlg::TFontDlg(const FontSetting& font, QWidget* parent)
    : QDialog(parent), face_(font.name), color_(font.color) {
  setWindowTitle(Ui(text::kFontCaption));
  FaceBox = new QFontComboBox(this);
  if (!font.name.empty()) FaceBox->setCurrentFont(QFont(FromSjis(font.name)));
  SizeBox = new QSpinBox(this);
  SizeBox->setRange(1, 1638);
  SizeBox->setValue(ShownPointSize(font.size));
  BoldCheck = new QCheckBox(Ui(text::kBold), this);
  ItalicCheck = new QCheckBox(Ui(text::kItalic), this);
  UnderlineCheck = new QCheckBox(Ui(text::kUnderline), this);
  StrikeoutCheck = new QCheckBox(Ui(text::kStrikeout), this);
  BoldCheck->setChecked(font.bold);
  ItalicCheck->setChecked(font.italic);
  UnderlineCheck->setChecked(font.underline);
  StrikeoutCheck->setChecked(font.strikeout);
  ColorBtn = new QPushButton(Ui(text::kColor), this);
  Sample = new QLabel(Ui(text::kSample), this);
  Sample->setMinimumHeight(48);

  connect(FaceBox, &QFontComboBox::currentFontChanged, this, [this] {
    faceChanged_ = true;
    UpdateSample();
  });
  connect(SizeBox, &QSpinBox::valueChanged, this, &TFontDlg::UpdateSample);
  for (QCheckBox* box : {BoldCheck, ItalicCheck, UnderlineCheck, StrikeoutCheck}) {
    connect(box, &QCheckBox::toggled, this, &TFontDlg::UpdateSample);
  }
  connect(ColorBtn, &QPushButton::clicked, this, &TFontDlg::ColorBtnClick);

  auto* form = new QFormLayout;
  form->addRow(Ui(text::kFontFace), FaceBox);
  form->addRow(Ui(text::kFontSize), SizeBox);
  auto* styles = new QHBoxLayout;
  for (QWidget* w :
       std::initializer_list<QWidget*>{BoldCheck, ItalicCheck, UnderlineCheck, StrikeoutCheck, ColorBtn}) {
    styles->addWidget(w);
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(Ui(text::kOk), QDialogButtonBox::AcceptRole);
  buttons->addButton(Ui(text::kCancel), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(styles);
  layout->addWidget(Sample);
  layout->addWidget(buttons);
  faceChanged_ = false;
  UpdateSample();
}

FontSetting TFontDlg::Setting() const {
  FontSetting font;
  font.name = faceChanged_ ? ToSjis(FaceBox->currentFont().family()) : face_;
  font.size = SizeBox->value();
  font.bold = BoldCheck->isChecked();
  font.italic = ItalicCheck->isChecked();
  font.underline = UnderlineCheck->isChecked();
  font.strikeout = StrikeoutCheck->isChecked();
  font.color = color_;
  return font;
}

void TFontDlg::SetColor(int color) {
  color_ = color;
  UpdateSample();
}

void TFontDlg::ColorBtnClick() {
  const QColor chosen = QColorDialog::getColor(ColorFromSetting(color_), this, Ui(text::kColor));
  if (chosen.isValid()) SetColor(SettingFromColor(chosen));
}

void TFontDlg::UpdateSample() { ApplyFontSetting(*Sample, Setting()); }

std::optional<FontSetting> ChooseFontSetting(QWidget* parent, const FontSetting& font) {
  TFontDlg dialog(font, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Setting();
}

std::optional<int> ChooseBackColor(QWidget* parent, int color) {
  const QColor chosen = QColorDialog::getColor(ColorFromSetting(color), parent, Ui(text::kBackColorCaption));
  if (!chosen.isValid()) return std::nullopt;
  return SettingFromColor(chosen);
}

}  // namespace novalune::display
