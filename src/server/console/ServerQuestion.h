// The server's yes/no question box, behind an interface so that tests can answer it.
#pragma once

#include <QDialog>
#include <QString>

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
class TSMesDsp2Dlg : public QDialog {
  Q_OBJECT
 public:
  enum Result { kYes = 1, kNo = 2 };
  explicit TSMesDsp2Dlg(const QString& question, QWidget* parent = nullptr);
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
};

class DialogQuestion : public ServerQuestion {
 public:
  bool Ask(QWidget* parent, const QString& question) override;
};

}  // namespace novalune::server
