// novalune-list: the server list that a group runs for its published servers.
//   novalune-list --port PORT --data DIR [--script-password PW] [--expire-minutes N]
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "common/SjisText.h"
#include "listservice/ListServer.h"

namespace {

using novalune::listservice::ListServerOptions;

int Usage() {
  std::fprintf(stderr,
               "usage: novalune-list --port PORT --data DIR [--script-password PW] [--expire-minutes N]\n");
  return 2;
}

bool ReadNumber(const QString& text, long long lowest, long long highest, long long& number) {
  bool ok = false;
  number = text.toLongLong(&ok);
  return ok && number >= lowest && number <= highest;
}

// Fills the options from the command line; false on anything it does not know.
bool ReadArguments(const QStringList& arguments, ListServerOptions& options, quint16& port) {
  bool portGiven = false;
  for (qsizetype i = 1; i < arguments.size(); i += 2) {
    if (i + 1 >= arguments.size()) return false;
    const QString& name = arguments[i];
    const QString& value = arguments[i + 1];
    long long number = 0;
    if (name == QLatin1String("--port") && ReadNumber(value, 0, 65535, number)) {
      port = static_cast<quint16>(number);
      portGiven = true;
    } else if (name == QLatin1String("--data") && !value.isEmpty()) {
      options.dataDir = value;
    } else if (name == QLatin1String("--script-password")) {
      // Records carry Shift-JIS; the command line is UTF-8.
      options.service.scriptPassword = novalune::Utf8ToSjis(value.toStdString());
    } else if (name == QLatin1String("--expire-minutes") && ReadNumber(value, 1, 10'000'000, number)) {
      options.service.expireSeconds = number * 60;
    } else {
      return false;
    }
  }
  return portGiven && !options.dataDir.isEmpty();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ListServerOptions options;
  quint16 port = 0;
  if (!ReadArguments(QCoreApplication::arguments(), options, port)) return Usage();
  novalune::listservice::ListServer server(options);
  if (!server.Start(port)) {
    std::fprintf(stderr, "novalune-list: cannot listen on port %u or use %s\n", port,
                 qPrintable(options.dataDir));
    return 1;
  }
  std::printf("listening on %u\n", server.Port());
  std::fflush(stdout);
  return QCoreApplication::exec();
}
