// The log viewer: a snapshot of the display in a window of its own.
#pragma once

#include <QWidget>

#include "client/display/ChatDisplay.h"

class QPushButton;
class QTextDocumentFragment;

namespace novalune::display {

class TLogViewForm : public QWidget {
  Q_OBJECT

 public:
  explicit TLogViewForm(QWidget* parent = nullptr);

  // Replaces the text with the fragment and shows the window (non-modal).
  void ShowSnapshot(const QTextDocumentFragment& fragment);
  // OkBtnClick ("閉じる"): hides the window.
  void OkBtnClick();

  TRichView* Memo = nullptr;
  QPushButton* OkBtn = nullptr;
};

}  // namespace novalune::display
