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

namespace novalune::display {

namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TFontDlg::TFontDlg(const FontSetting& font, QWidget* parent)
    : QDialog(parent), face_(font.name), color_(font.color) {
  setWindowTitle(Utf8(text::kFontCaption));
  FaceBox = new QFontComboBox(this);
  if (!font.name.empty()) FaceBox->setCurrentFont(QFont(FromSjis(font.name)));
  SizeBox = new QSpinBox(this);
  SizeBox->setRange(1, 1638);
  SizeBox->setValue(ShownPointSize(font.size));
  BoldCheck = new QCheckBox(Utf8(text::kBold), this);
  ItalicCheck = new QCheckBox(Utf8(text::kItalic), this);
  UnderlineCheck = new QCheckBox(Utf8(text::kUnderline), this);
  StrikeoutCheck = new QCheckBox(Utf8(text::kStrikeout), this);
  BoldCheck->setChecked(font.bold);
  ItalicCheck->setChecked(font.italic);
  UnderlineCheck->setChecked(font.underline);
  StrikeoutCheck->setChecked(font.strikeout);
  ColorBtn = new QPushButton(Utf8(text::kColor), this);
  Sample = new QLabel(Utf8(text::kSample), this);
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
  form->addRow(Utf8(text::kFontFace), FaceBox);
  form->addRow(Utf8(text::kFontSize), SizeBox);
  auto* styles = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{BoldCheck, ItalicCheck, UnderlineCheck, StrikeoutCheck, ColorBtn}) {
    styles->addWidget(w);
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(Utf8(text::kOk), QDialogButtonBox::AcceptRole);
  buttons->addButton(Utf8(text::kCancel), QDialogButtonBox::RejectRole);
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
  const QColor chosen = QColorDialog::getColor(ColorFromSetting(color_), this, Utf8(text::kColor));
  if (chosen.isValid()) SetColor(SettingFromColor(chosen));
}

void TFontDlg::UpdateSample() { ApplyFontSetting(*Sample, Setting()); }

std::optional<FontSetting> ChooseFontSetting(QWidget* parent, const FontSetting& font) {
  TFontDlg dialog(font, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Setting();
}

std::optional<int> ChooseBackColor(QWidget* parent, int color) {
  const QColor chosen = QColorDialog::getColor(ColorFromSetting(color), parent, Utf8(text::kBackColorCaption));
  if (!chosen.isValid()) return std::nullopt;
  return SettingFromColor(chosen);
}

}  // namespace novalune::display
