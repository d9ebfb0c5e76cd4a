// What the two client message boxes share: the frame and the text field.
#pragma once

#include <QDialog>

class QBoxLayout;

namespace novalune::settings::detail {

// Caption, flags, size and the text field; returns the row for the buttons.
QBoxLayout* BuildMessageBox(QDialog* box, const QString& message);
// Centred on the parent, or on the screen when there is none, raised with the
// keyboard; the question sound.
void OnMessageBoxShown(QDialog* box);

}  // namespace novalune::settings::detail
