// The client's question box: as the notice box, with "はい" (result 1) and
// "いいえ" (result 2); Escape and closing the box also give 2.
#pragma once

#include "qtsupport/YesNoDialog.h"

namespace novalune::settings {

class TMes2Dlg : public qtsupport::YesNoDialog {
  Q_OBJECT
 public:
  explicit TMes2Dlg(const QString& message, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace novalune::settings
