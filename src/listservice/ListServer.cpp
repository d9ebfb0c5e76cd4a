#include "listservice/ListServer.h"

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

constexpr qint64 kReadChunk = 16 * 1024;
const char* const kAnsweredProperty = "answered";

std::int64_t SystemSeconds() { return QDateTime::currentSecsSinceEpoch(); }

}  // namespace

ListServer::ListServer(ListServerOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), service_(options_.service) {
  if (!options_.clock) options_.clock = SystemSeconds;
  connect(&server_, &QTcpServer::newConnection, this, &ListServer::Accept);
}

QString ListServer::DataFile() const { return QDir(options_.dataDir).filePath(QStringLiteral("entries.txt")); }

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
  const bool saved = file.open(QIODevice::WriteOnly) &&
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
    connect(timer, &QTimer::timeout, socket, [this, socket, parser] {
      // A peer that never finishes its request, or never takes its answer.
      if (parser->State() == ParseState::NeedMore) Finish(socket, ListService::Refusal(408));
      socket->abort();
      socket->deleteLater();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, parser] {
      while (parser->State() == ParseState::NeedMore && socket->bytesAvailable() > 0) {
        const QByteArray bytes = socket->read(kReadChunk);
        parser->Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      }
      if (parser->State() == ParseState::Done) {
        const ServiceReply reply = service_.Handle(parser->Request(), options_.clock());
        if (reply.storeChanged) Save();
        Finish(socket, reply.bytes);
      } else if (parser->State() == ParseState::Failed) {
        Finish(socket, ListService::Refusal(parser->FailureStatus()));
      }
      socket->readAll();  // whatever follows one request is not read
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this] { --open_; });
    timer->start(options_.requestTimeoutMs);
  }
}

void ListServer::Finish(QTcpSocket* socket, const std::string& bytes) {
  if (socket->property(kAnsweredProperty).toBool()) return;
  socket->setProperty(kAnsweredProperty, true);
  socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
  socket->disconnectFromHost();
}

}  // namespace novalune::listservice
