// The client's question box: as the notice box, with "はい" (result 1) and
// "いいえ" (result 2); Escape and closing the box also give 2.
#pragma once

#include <QDialog>

namespace novalune::settings {

class TMes2Dlg : public QDialog {
  Q_OBJECT
 public:
  enum Result { kYes = 1, kNo = 2 };
  explicit TMes2Dlg(const QString& message, QWidget* parent = nullptr);
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace novalune::settings
