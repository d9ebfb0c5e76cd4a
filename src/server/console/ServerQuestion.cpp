#include "server/console/ServerQuestion.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "server/console/ConsoleTexts.h"

namespace novalune::server {

namespace text = console_text;

TSMesDsp2Dlg::TSMesDsp2Dlg(const QString& question, QWidget* parent) : YesNoDialog(parent) {
  setObjectName("SMesDsp2Dlg");
  setWindowTitle(QString::fromUtf8(text::kQuestionTitle));
  setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
  setModal(true);

  auto* message = new QPlainTextEdit(question, this);
  message->setObjectName("Memo");
  message->setReadOnly(true);
  message->setFocusPolicy(Qt::NoFocus);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddAnswerButtons(buttons);
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

bool DialogQuestion::Ask(QWidget* parent, const QString& question) {
  TSMesDsp2Dlg dialog(question, parent);
  return dialog.exec() == TSMesDsp2Dlg::kYes;
}

}  // namespace novalune::server
