// The list service on a QTcpServer: one request per connection, a time limit
// for slow peers, and the entries kept in a data file that survives restarts.
#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>
#include <cstdint>
#include <functional>

#include "listservice/ListService.h"

class QTcpSocket;
class QTimer;

namespace novalune::listservice {

struct ListServerOptions {
  QString dataDir;
  ServiceOptions service;
  int requestTimeoutMs = 10000;
  int maxConnections = 64;
  // Seconds since the epoch; tests set their own.
  std::function<std::int64_t()> clock;
};

class ListServer : public QObject {
  Q_OBJECT
 public:
  explicit ListServer(ListServerOptions options, QObject* parent = nullptr);

  // Reads the data file, then listens on every address; port 0 picks a free one.
  bool Start(quint16 port);
  quint16 Port() const { return server_.serverPort(); }
  QString DataFile() const;

 private:
  void Accept();
  void Finish(QTcpSocket* socket, QTimer* timer, const std::string& bytes);
  void Load();
  void Save();

  ListServerOptions options_;
  ListService service_;
  QTcpServer server_;
  int open_ = 0;
};

}  // namespace novalune::listservice
