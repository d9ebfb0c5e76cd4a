// What the console's and the client's question boxes share: "はい" gives 1,
// "いいえ", Escape and the close button give 2. Each box keeps its own frame.
#pragma once

#include <QDialog>

class QBoxLayout;

namespace novalune::qtsupport {

inline constexpr const char* kYesCaption = "はい";
inline constexpr const char* kNoCaption = "いいえ";

class YesNoDialog : public QDialog {
  Q_OBJECT
 public:
  enum Result { kYes = 1, kNo = 2 };
  void reject() override;

 protected:
  explicit YesNoDialog(QWidget* parent);
  // Appends "YesBtn" (the default button) and "NoBtn" to `row`.
  void AddAnswerButtons(QBoxLayout* row);
};

}  // namespace novalune::qtsupport
