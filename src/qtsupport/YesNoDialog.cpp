#include "qtsupport/YesNoDialog.h"

#include <QBoxLayout>
#include <QPushButton>

#include "qtsupport/WidgetText.h"

namespace novalune::qtsupport {

YesNoDialog::YesNoDialog(QWidget* parent) : QDialog(parent) {}

void YesNoDialog::reject() { done(kNo); }

void YesNoDialog::AddAnswerButtons(QBoxLayout* row) {
  auto* yes = new QPushButton(Ui(kYesCaption), this);
  yes->setObjectName("YesBtn");
  yes->setDefault(true);
  auto* no = new QPushButton(Ui(kNoCaption), this);
  no->setObjectName("NoBtn");
  connect(yes, &QPushButton::clicked, this, [this] { done(kYes); });
  connect(no, &QPushButton::clicked, this, [this] { done(kNo); });
  row->addWidget(yes);
  row->addWidget(no);
}

}  // namespace novalune::qtsupport
