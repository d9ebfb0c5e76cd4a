// The memo window: composes a multi-line statement. It does not send: the
// send handler (the engine's MemoSend) gets the text with CR LF line breaks
// and returns the text the field keeps.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace novalune::display {

class TMemoForm : public QWidget {
  Q_OBJECT

 public:
  // Shift-JIS text in, Shift-JIS text out.
  using SendHandler = std::function<std::string(const std::string& text)>;

  explicit TMemoForm(QWidget* parent = nullptr);
  void SetSendHandler(SendHandler handler) { send_ = std::move(handler); }

  // The field's text as Shift-JIS with CR LF line breaks, and back.
  std::string Text() const;
  void SetText(const std::string& text);

  void SendBtnClick();
  // Posted after a send by Shift+Enter.
  void WMMultiCls();
  void CloseBtnClick();

  QPlainTextEdit* MultiMemo = nullptr;
  QLabel* HintLabel = nullptr;
  QPushButton* SendBtn = nullptr;
  QPushButton* CloseBtn = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // MultiMemoKeyDown: true when the key was Shift+Enter and has been handled.
  bool MultiMemoKeyDown(int key, Qt::KeyboardModifiers modifiers);

  SendHandler send_;
  bool lastSendEmptied_ = false;
};

}  // namespace novalune::display
