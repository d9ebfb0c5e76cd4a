// The server-list service as its own process on a free port, for the tests
// that publish against it. NOVALUNE_LIST_PROGRAM names the built program.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

namespace novalune::test {

class ListProgram {
 public:
  explicit ListProgram(const QString& scriptPassword) {
    QStringList arguments = {"--port", "0", "--data", data_.path()};
    if (!scriptPassword.isEmpty()) arguments << "--script-password" << scriptPassword;
    process_.start(QStringLiteral(NOVALUNE_LIST_PROGRAM), arguments);
    if (!process_.waitForStarted() || !process_.waitForReadyRead(10000)) return;
    const QString first = QString::fromUtf8(process_.readLine()).trimmed();
    if (first.startsWith(QStringLiteral("listening on "))) port_ = first.mid(13).toUInt();
  }
  ~ListProgram() {
    process_.terminate();
    process_.waitForFinished(10000);
  }
  unsigned Port() const { return port_; }
  std::string Url(const char* path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  QTemporaryDir data_;
  QProcess process_;
  unsigned port_ = 0;
};

}  // namespace novalune::test
