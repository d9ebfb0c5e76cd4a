#include "client/display/LogViewForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

#include "client/display/DisplayTexts.h"

namespace novalune::display {

TLogViewForm::TLogViewForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QString::fromUtf8(text::kLogViewCaption));
  Memo = new TRichView(this);
  OkBtn = new QPushButton(QString::fromUtf8(text::kClose), this);
  connect(OkBtn, &QPushButton::clicked, this, &TLogViewForm::OkBtnClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo);
  layout->addLayout(buttons);
  resize(560, 400);
}

void TLogViewForm::ShowSnapshot(const QTextDocumentFragment& fragment) {
  Memo->clear();
  QTextCursor cursor(Memo->document());
  cursor.insertFragment(fragment);
  show();
  raise();
}

void TLogViewForm::OkBtnClick() { hide(); }

}  // namespace novalune::display
