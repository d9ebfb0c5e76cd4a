#include "client/display/MemoForm.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "client/display/DisplayFormat.h"
#include "client/display/DisplayTexts.h"

namespace novalune::display {

TMemoForm::TMemoForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QString::fromUtf8(text::kMemoCaption));
  MultiMemo = new QPlainTextEdit(this);
  MultiMemo->installEventFilter(this);
  HintLabel = new QLabel(QString::fromUtf8(text::kMemoHint), this);
  SendBtn = new QPushButton(QString::fromUtf8(text::kSend), this);
  CloseBtn = new QPushButton(QString::fromUtf8(text::kClose), this);
  connect(SendBtn, &QPushButton::clicked, this, &TMemoForm::SendBtnClick);
  connect(CloseBtn, &QPushButton::clicked, this, &TMemoForm::CloseBtnClick);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(HintLabel);
  buttons->addStretch();
  buttons->addWidget(SendBtn);
  buttons->addWidget(CloseBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MultiMemo);
  layout->addLayout(buttons);
  resize(420, 240);
}

std::string TMemoForm::Text() const {
  QString text = MultiMemo->toPlainText();
  text.replace(QChar('\n'), QStringLiteral("\r\n"));
  return ToSjis(text);
}

void TMemoForm::SetText(const std::string& text) {
  QString shown = FromSjis(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  MultiMemo->setPlainText(shown);
  MultiMemo->moveCursor(QTextCursor::End);
}

void TMemoForm::SendBtnClick() {
  if (!send_) return;
  const std::string kept = send_(Text());
  SetText(kept);
  lastSendEmptied_ = kept.empty();
}

// The key press itself never reaches the field, so there is no stray line
// break to remove; a text that could not be sent stays for another try.
void TMemoForm::WMMultiCls() {
  if (lastSendEmptied_) MultiMemo->clear();
}

void TMemoForm::CloseBtnClick() { hide(); }

bool TMemoForm::MultiMemoKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (!enter || !(modifiers & Qt::ShiftModifier)) return false;
  SendBtnClick();
  QMetaObject::invokeMethod(this, &TMemoForm::WMMultiCls, Qt::QueuedConnection);
  return true;
}

bool TMemoForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MultiMemo && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (MultiMemoKeyDown(key->key(), key->modifiers())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace novalune::display
