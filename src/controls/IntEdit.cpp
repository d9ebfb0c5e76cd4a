#include "controls/IntEdit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "controls/ControlRules.h"

namespace novalune::controls {

namespace {
// Ten digits would already overflow an int on some values; nine never do.
constexpr int kMaxDigits = 9;
}  // namespace

IntEdit::IntEdit(QWidget* parent) : QLineEdit(parent), validator_(new QRegularExpressionValidator(this)) {
  setMaxLength(kMaxDigits + 1);
  UpdateValidator();
  setValidator(validator_);
}

int IntEdit::Value() const { return ParseIntOrZero(text().toStdString()); }

void IntEdit::SetValue(int value) { setText(QString::number(value)); }

void IntEdit::SetAllowNegative(bool allow) {
  allowNegative_ = allow;
  UpdateValidator();
}

void IntEdit::UpdateValidator() {
  const QString pattern = allowNegative_ ? QStringLiteral("-?[0-9]{0,%1}") : QStringLiteral("[0-9]{0,%1}");
  validator_->setRegularExpression(QRegularExpression(pattern.arg(kMaxDigits)));
}

}  // namespace novalune::controls
