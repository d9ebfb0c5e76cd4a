#include "settings/Mes2Dlg.h"

#include <QBoxLayout>

#include "settings/MessageBoxParts.h"

namespace novalune::settings {

TMes2Dlg::TMes2Dlg(const QString& message, QWidget* parent) : YesNoDialog(parent) {
  setObjectName("Mes2Dlg");
  QBoxLayout* buttons = detail::BuildMessageBox(this, message);
  AddAnswerButtons(buttons);
  buttons->addStretch();
}

void TMes2Dlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  detail::OnMessageBoxShown(this);
}

}  // namespace novalune::settings
