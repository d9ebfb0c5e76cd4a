// Waiting for the server copy that "自分がサ－バ－になる" has just started: it
// needs a moment before it listens, and connecting at once would fail.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace novalune::ui {

class OwnServerWait : public QObject {
  Q_OBJECT

 public:
  static constexpr int kProbeMs = 200;
  static constexpr int kLimitMs = 10000;

  explicit OwnServerWait(QObject* parent = nullptr);

  // Probes host:port without blocking the event loop until it accepts a
  // connection or the limit has passed, then calls `ready` once, either way:
  // a server that never came up is reported by the real connection.
  void Start(const QString& host, quint16 port, std::function<void()> ready);
  bool Waiting() const { return static_cast<bool>(ready_); }
  // Forgets the wait; `ready` is not called.
  void Cancel();

 private:
  void Probe();
  void Finish();

  QString host_;
  quint16 port_ = 0;
  std::function<void()> ready_;
  QTimer deadline_;
};

}  // namespace novalune::ui
