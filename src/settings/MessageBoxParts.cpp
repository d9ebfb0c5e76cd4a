#include "settings/MessageBoxParts.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFrame>
#include <QPlainTextEdit>
#include <QScreen>

#include "settings/SettingsTexts.h"
#include "settings/TopMostDialog.h"

namespace novalune::settings::detail {

namespace {
constexpr int kWidth = 360;
constexpr int kHeight = 170;
}  // namespace

QBoxLayout* BuildMessageBox(QDialog* box, const QString& message) {
  box->setWindowTitle(QString::fromUtf8(text::kMessageCaption));
  box->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                      Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
  box->setModal(true);

  auto* memo = new QPlainTextEdit(message, box);
  memo->setObjectName("Memo");
  memo->setReadOnly(true);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setFocusPolicy(Qt::NoFocus);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->viewport()->setAutoFillBackground(false);
  memo->setStyleSheet("QPlainTextEdit { background: transparent; }");

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(memo);
  layout->addLayout(buttons);
  box->setFixedSize(kWidth, kHeight);
  return buttons;
}

void OnMessageBoxShown(QDialog* box) {
  const QWidget* parent = box->parentWidget();
  const QRect area = parent != nullptr
                         ? parent->window()->frameGeometry()
                         : (box->screen() != nullptr ? box->screen()->availableGeometry() : QRect());
  if (area.isValid()) box->move(area.center() - QPoint(box->width() / 2, box->height() / 2));
  // Also without the main window's watch over every window (the error handler).
  StackWindow(*box);
  QApplication::beep();
}

}  // namespace novalune::settings::detail
