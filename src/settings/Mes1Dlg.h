// The client's notice box: caption "NOVALUNEクライアントメッセージ", the text in
// a borderless read-only field, one button "了解". Centred, fixed size, always
// on top; it sounds the question sound when it shows. Its result is always 1.
#pragma once

#include <QDialog>

namespace novalune::settings {

class TMes1Dlg : public QDialog {
  Q_OBJECT
 public:
  enum Result { kUnderstood = 1 };
  explicit TMes1Dlg(const QString& message, QWidget* parent = nullptr);
  // Escape and the close button close it with the same result as "了解".
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace novalune::settings
