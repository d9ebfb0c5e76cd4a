// The server's yes/no question box, behind an interface so that tests can answer it.
#pragma once

#include <QString>

#include "qtsupport/YesNoDialog.h"

class QPlainTextEdit;

namespace novalune::server {

class ServerQuestion {
 public:
  virtual ~ServerQuestion() = default;
  // True only when the operator answered "はい".
  virtual bool Ask(QWidget* parent, const QString& question) = 0;
};

// The dialog: always on top, the question in a read-only text area, "はい"
// gives 1 and "いいえ" (or Escape) gives 2. It beeps when it opens.
class TSMesDsp2Dlg : public qtsupport::YesNoDialog {
  Q_OBJECT
 public:
  explicit TSMesDsp2Dlg(const QString& question, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

class DialogQuestion : public ServerQuestion {
 public:
  bool Ask(QWidget* parent, const QString& question) override;
};

}  // namespace novalune::server
