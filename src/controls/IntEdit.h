// A one-line field for a whole number. The user can type only digits (and a
// leading minus where negative values are allowed); Value() reads a field that
// does not hold a number as 0.
#pragma once

#include <QLineEdit>

class QRegularExpressionValidator;

namespace novalune::controls {

class IntEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit IntEdit(QWidget* parent = nullptr);

  int Value() const;
  void SetValue(int value);
  // Off by default: ports, seconds and counts are never negative.
  void SetAllowNegative(bool allow);

 private:
  void UpdateValidator();
  QRegularExpressionValidator* validator_ = nullptr;
  bool allowNegative_ = false;
};

}  // namespace novalune::controls
