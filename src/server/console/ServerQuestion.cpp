#include "server/console/ServerQuestion.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "server/console/ConsoleTexts.h"

namespace novalune::server {

namespace text = console_text;

TSMesDsp2Dlg::TSMesDsp2Dlg(const QString& question, QWidget* parent) : QDialog(parent) {
  setObjectName("SMesDsp2Dlg");
  setWindowTitle(QString::fromUtf8(text::kQuestionTitle));
  setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
  setModal(true);

  auto* message = new QPlainTextEdit(question, this);
  message->setObjectName("Memo");
  message->setReadOnly(true);
  message->setFocusPolicy(Qt::NoFocus);

  auto* yes = new QPushButton(QString::fromUtf8(text::kYes), this);
  yes->setObjectName("YesBtn");
  yes->setDefault(true);
  auto* no = new QPushButton(QString::fromUtf8(text::kNo), this);
  no->setObjectName("NoBtn");
  connect(yes, &QPushButton::clicked, this, [this] { done(kYes); });
  connect(no, &QPushButton::clicked, this, [this] { done(kNo); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(yes);
  buttons->addWidget(no);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message);
  layout->addLayout(buttons);
  resize(360, 160);
}

void TSMesDsp2Dlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QApplication::beep();
}

// Escape and the window's close button answer "いいえ".
void TSMesDsp2Dlg::reject() { done(kNo); }

bool DialogQuestion::Ask(QWidget* parent, const QString& question) {
  TSMesDsp2Dlg dialog(question, parent);
  return dialog.exec() == TSMesDsp2Dlg::kYes;
}

}  // namespace novalune::server
