#include "listservice/ListServer.h"

#include <sys/socket.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace novalune::listservice {

namespace {

constexpr qint64 kReadChunk = qint64{16} * 1024;
const char* const kAnsweredProperty = "answered";

std::int64_t SystemSeconds() { return QDateTime::currentSecsSinceEpoch(); }

}  // namespace

ListServer::ListServer(ListServerOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), service_(options_.service) {
  if (!options_.clock) options_.clock = SystemSeconds;
  connect(&server_, &QTcpServer::newConnection, this, &ListServer::Accept);
}

QString ListServer::DataFile() const {
  return QDir(options_.dataDir).filePath(QStringLiteral("entries.txt"));
}

bool ListServer::Start(quint16 port) {
  if (!QDir().mkpath(options_.dataDir)) return false;
  Load();
  return server_.listen(QHostAddress::Any, port);
}

void ListServer::Load() {
  QFile file(DataFile());
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.read(static_cast<qint64>(kMaxEntries) * (kMaxBodyBytes + 1024));
  service_.Store().Load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void ListServer::Save() {
  // QSaveFile writes a temporary file and renames it over the old one on commit.
  QSaveFile file(DataFile());
  const std::string bytes = service_.Store().Serialize();
  const bool saved =
      file.open(QIODevice::WriteOnly) &&
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
      file.commit();
  if (!saved) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(DataFile()));
    return;
  }
  // The file holds the publishers' passwords.
  QFile::setPermissions(DataFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void ListServer::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    if (open_ >= options_.maxConnections) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    ++open_;
    auto parser = std::make_shared<HttpRequestParser>();
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, [this, socket, timer] {
      // A peer that never finishes its request is told so; one that then
      // does not take its answer either is cut off after one more period.
      if (!socket->property(kAnsweredProperty).toBool()) {
        Finish(socket, timer, ListService::Refusal(408));
        return;
      }
      socket->abort();
      socket->deleteLater();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, timer, parser] {
      if (socket->property(kAnsweredProperty).toBool()) {
        socket->readAll();  // one request per connection: the rest is dropped
        return;
      }
      while (parser->State() == ParseState::NeedMore && socket->bytesAvailable() > 0) {
        const QByteArray bytes = socket->read(kReadChunk);
        parser->Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      }
      if (parser->State() == ParseState::Done) {
        const ServiceReply reply = service_.Handle(parser->Request(), options_.clock());
        if (reply.storeChanged) Save();
        Finish(socket, timer, reply.bytes);
      } else if (parser->State() == ParseState::Failed) {
        Finish(socket, timer, ListService::Refusal(parser->FailureStatus()));
      }
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this] { --open_; });
    timer->start(options_.requestTimeoutMs);
  }
}

void ListServer::Finish(QTcpSocket* socket, QTimer* timer, const std::string& bytes) {
  if (socket->property(kAnsweredProperty).toBool()) return;
  socket->setProperty(kAnsweredProperty, true);
  socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
  // Closing while the peer still sends (a refused large body) would reset the
  // connection and could lose the answer on its side. So the answer is
  // followed by a half-close, and what still comes is read and dropped until
  // the peer closes or the time limit runs out once more.
  connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
    if (socket->bytesToWrite() == 0) ::shutdown(static_cast<int>(socket->socketDescriptor()), SHUT_WR);
  });
  timer->start();
}

}  // namespace novalune::listservice
