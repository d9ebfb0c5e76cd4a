#include "settings/MesDsp2Dlg.h"

#include <QBoxLayout>
#include <QPushButton>

#include "settings/MessageBoxParts.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

TMes2Dlg::TMes2Dlg(const QString& message, QWidget* parent) : QDialog(parent) {
  setObjectName("Mes2Dlg");
  QBoxLayout* buttons = detail::BuildMessageBox(this, message);
  auto* yes = new QPushButton(QString::fromUtf8(text::kYes), this);
  yes->setObjectName("YesBtn");
  yes->setDefault(true);
  auto* no = new QPushButton(QString::fromUtf8(text::kNo), this);
  no->setObjectName("NoBtn");
  connect(yes, &QPushButton::clicked, this, [this] { done(kYes); });
  connect(no, &QPushButton::clicked, this, [this] { done(kNo); });
  buttons->addWidget(yes);
  buttons->addWidget(no);
  buttons->addStretch();
}

void TMes2Dlg::reject() { done(kNo); }

void TMes2Dlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  detail::OnMessageBoxShown(this);
}

}  // namespace novalune::settings
