// tinyproxy on an ephemeral loopback port, started for one test and stopped
// with it. Available() is false when the program is not installed.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

namespace novalune::test {

class TinyProxy {
 public:
  static bool Available();
  // Starts it and waits until it accepts connections; false on failure.
  bool Start();
  ~TinyProxy();
  quint16 Port() const { return port_; }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  quint16 port_ = 0;
};

}  // namespace novalune::test
