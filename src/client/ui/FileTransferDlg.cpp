#include "client/ui/FileTransferDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <limits>

#include "client/ui/FileTransferTexts.h"
#include "qtsupport/WidgetText.h"

namespace novalune::ui {

namespace {

using qtsupport::Ui;

// The progress bar counts in int; large files are shown in proportion.
constexpr int kBarSteps = 10000;
bool FitsBar(std::uint64_t total) {
  return total <= static_cast<std::uint64_t>(std::numeric_limits<int>::max());
}

QLineEdit* Field(const char* name, bool readOnly, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(readOnly);
  return edit;
}

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(Ui(caption), parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

TReceiveFileDlg::TReceiveFileDlg(QWidget* parent)
    : QDialog(parent),
      EditName(Field("EditName", true, this)),
      EditIP(Field("EditIP", true, this)),
      EditFile(Field("EditFile", false, this)),
      EditSize(Field("EditSize", false, this)),
      OkBtn(Button(text::kReceiveOk, "OkBtn", this)),
      CancelBtn(Button(text::kReceiveReject, "CancelBtn", this)) {
  setWindowTitle(Ui(text::kReceiveCaption));
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setModal(true);
  EditSize->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,20}"), EditSize));
  auto* form = new QFormLayout;
  form->addRow(Ui(text::kReceiveName), EditName);
  form->addRow(Ui(text::kReceiveIP), EditIP);
  form->addRow(Ui(text::kReceiveFile), EditFile);
  form->addRow(Ui(text::kReceiveSize), EditSize);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  OkBtn->setDefault(true);
  connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  resize(360, sizeHint().height());
}

void TReceiveFileDlg::SetUserName(const QString& nick) { EditName->setText(nick); }
void TReceiveFileDlg::SetUserIP(const QString& address) { EditIP->setText(address); }
void TReceiveFileDlg::SetFileName(const QString& name) { EditFile->setText(name); }
QString TReceiveFileDlg::GetFileName() const { return EditFile->text(); }
void TReceiveFileDlg::SetFileSize(std::uint64_t size) { EditSize->setText(QString::number(size)); }
QString TReceiveFileDlg::GetFileSize() const { return EditSize->text(); }

TFileMessageDlg::TFileMessageDlg(bool outgoing, QWidget* parent)
    : QDialog(parent),
      outgoing_(outgoing),
      EditFile(Field("EditFile", true, this)),
      EditSize(Field("EditSize", true, this)),
      ProgressBar(new QProgressBar(this)),
      SpeedLabel(new QLabel(this)),
      CancelBtn(Button(text::kProgressCancel, "CancelBtn", this)) {
  setWindowTitle(Ui(text::kProgressCaption));
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  ProgressBar->setObjectName("ProgressBar");
  SpeedLabel->setObjectName("SpeedLabel");
  auto* form = new QFormLayout;
  form->addRow(Ui(text::kProgressFile), EditFile);
  form->addRow(Ui(text::kProgressSize), EditSize);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(SpeedLabel, 1);
  bottom->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(ProgressBar);
  layout->addLayout(bottom);
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &TFileMessageDlg::TimerTimer);
  connect(CancelBtn, &QPushButton::clicked, this, &TFileMessageDlg::reject);
  resize(380, sizeHint().height());
}

void TFileMessageDlg::SetTransferName(const QString& name) { EditFile->setText(name); }

void TFileMessageDlg::StartProgress(std::uint64_t total) {
  timer_.stop();
  totalSize_ = total;
  position_ = lastShown_ = tickCount_ = 0;
  countsShown_.invalidate();
  ProgressBar->setRange(0, FitsBar(total) ? static_cast<int>(total) : kBarSteps);
  ShowCounts();
}

void TFileMessageDlg::SetProgress(std::uint64_t position) {
  if (!timer_.isActive()) timer_.start();
  position_ = position;
  // A fast link reports thousands of pieces a second: the counts are redrawn
  // at most every 50 ms, and the second's tick shows the latest.
  if (countsShown_.isValid() && countsShown_.elapsed() < 50 && position_ < totalSize_) return;
  countsShown_.start();
  ShowCounts();
}

void TFileMessageDlg::ShowCounts() {
  EditSize->setText(Ui(text::kProgressBytes).arg(position_).arg(totalSize_));
  const std::uint64_t shown = std::min(position_, totalSize_);
  ProgressBar->setValue(FitsBar(totalSize_) ? static_cast<int>(shown)
                                            : static_cast<int>(shown / (totalSize_ / kBarSteps + 1)));
}

void TFileMessageDlg::TimerTimer() {
  if (position_ == lastShown_) return;
  ShowCounts();
  ++tickCount_;
  SpeedLabel->setText(Ui(text::kProgressSpeed).arg(position_ / tickCount_));
  lastShown_ = position_;
}

void TFileMessageDlg::reject() {
  timer_.stop();
  emit CancelRequested();
}

}  // namespace novalune::ui
