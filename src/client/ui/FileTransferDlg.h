// The two windows of a file transfer: the receive question and the progress
// window with its speed and the "中止" button. They show what they are given;
// the transfer itself is run by TFileTransfer.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace novalune::ui {

// Modal question "ファイルの受信": accepted with "受信", rejected with "拒否".
// The file name and size can be edited; what they hold on acceptance counts.
class TReceiveFileDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TReceiveFileDlg(QWidget* parent = nullptr);

  void SetUserName(const QString& nick);
  void SetUserIP(const QString& address);
  void SetFileName(const QString& name);
  QString GetFileName() const;
  void SetFileSize(std::uint64_t size);
  // The size field as typed (digits only); the caller validates its range.
  QString GetFileSize() const;

 private:
  QLineEdit* EditName;
  QLineEdit* EditIP;
  QLineEdit* EditFile;
  QLineEdit* EditSize;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
};

// Non-modal progress window "ファイル転送", one per running transfer.
class TFileMessageDlg : public QDialog {
  Q_OBJECT
 public:
  TFileMessageDlg(bool outgoing, QWidget* parent = nullptr);

  bool Outgoing() const { return outgoing_; }
  void SetTransferName(const QString& name);
  void StartProgress(std::uint64_t total);
  void SetProgress(std::uint64_t position);
  // Once a second: the average speed over the seconds in which bytes moved.
  void TimerTimer();

 signals:
  // "中止" or the window's close button: the user ends the transfer.
  void CancelRequested();

 protected:
  void reject() override;

 private:
  void ShowCounts();

  bool outgoing_;
  std::uint64_t totalSize_ = 0;
  std::uint64_t position_ = 0;
  std::uint64_t lastShown_ = 0;
  std::uint64_t tickCount_ = 0;
  QTimer timer_;
  QElapsedTimer countsShown_;
  QLineEdit* EditFile;
  QLineEdit* EditSize;
  QProgressBar* ProgressBar;
  QLabel* SpeedLabel;
  QPushButton* CancelBtn;
};

}  // namespace novalune::ui
