#include "settings/Mes1Dlg.h"

#include <QBoxLayout>
#include <QPushButton>

#include "settings/MessageBoxParts.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

TMes1Dlg::TMes1Dlg(const QString& message, QWidget* parent) : QDialog(parent) {
  setObjectName("Mes1Dlg");
  QBoxLayout* buttons = detail::BuildMessageBox(this, message);
  auto* ok = new QPushButton(QString::fromUtf8(text::kUnderstood), this);
  ok->setObjectName("OKBtn");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(kUnderstood); });
  buttons->addWidget(ok);
  buttons->addStretch();
}

void TMes1Dlg::reject() { done(kUnderstood); }

void TMes1Dlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  detail::OnMessageBoxShown(this);
}

}  // namespace novalune::settings
