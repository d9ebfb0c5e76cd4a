#include "settings/TimeEdit.h"

#include "client/core/Publication.h"
#include "settings/DialogParts.h"

namespace novalune::settings {

TTimeEdit::TTimeEdit(QWidget* parent) : QLineEdit(parent) {}

int TTimeEdit::GetValue() const { return client::ParseTimeOfDay(detail::ToSjis(text())); }

void TTimeEdit::SetValue(int seconds) { setText(QString::fromStdString(client::FormatTimeOfDay(seconds))); }

void TTimeEdit::focusInEvent(QFocusEvent* event) {
  Reformat();
  QLineEdit::focusInEvent(event);
}

void TTimeEdit::focusOutEvent(QFocusEvent* event) {
  Reformat();
  QLineEdit::focusOutEvent(event);
}

}  // namespace novalune::settings
