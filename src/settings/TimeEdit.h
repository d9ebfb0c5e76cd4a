// TTimeEdit: a time-of-day field. Whatever is typed reads as a time (or
// midnight when it does not parse) and shows in the one format the settings
// store, "AM/PM hh:mm", whenever the field is entered or left.
#pragma once

#include <QLineEdit>

namespace novalune::settings {

class TTimeEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TTimeEdit(QWidget* parent = nullptr);

  // Seconds of the day.
  int GetValue() const;
  void SetValue(int seconds);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Reformat() { SetValue(GetValue()); }
};

}  // namespace novalune::settings
