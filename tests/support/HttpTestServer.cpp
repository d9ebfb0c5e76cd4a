#include "support/HttpTestServer.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace novalune::test {

namespace {

// The answer table knows paths: a proxy's full URL and a query are cut off.
QByteArray PathOf(QByteArray target) {
  if (target.startsWith("http://")) {
    const qsizetype slash = target.indexOf('/', 7);
    target = slash < 0 ? QByteArray("/") : target.mid(slash);
  }
  const qsizetype query = target.indexOf('?');
  return query < 0 ? target : target.left(query);
}

qsizetype ContentLength(const QByteArray& headers) {
  for (const QByteArray& line : headers.split('\n')) {
    if (line.toLower().startsWith("content-length:")) return line.mid(15).trimmed().toLongLong();
  }
  return 0;
}

void Put(QByteArray& out, quint16 value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

}  // namespace

HttpTestServer::HttpTestServer() {
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
      connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        pending_.erase(socket);
        if (socket->property("silent").toBool()) ++silentClosed_;
        socket->deleteLater();
      });
    }
  });
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

void HttpTestServer::Answer(QTcpSocket* socket) {
  QByteArray& pending = pending_[socket];
  pending += socket->readAll();
  const qsizetype end = pending.indexOf("\r\n\r\n");
  if (end < 0) return;
  const QByteArray head = pending.left(end);
  if (pending.size() < end + 4 + ContentLength(head)) return;
  HttpRequestSeen seen;
  const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
  seen.method = words.value(0);
  seen.target = words.value(1);
  seen.headers = head.mid(head.indexOf("\r\n") + 2);
  seen.body = pending.mid(end + 4);
  pending_.erase(socket);
  requests_.push_back(seen);

  const auto found = answers_.find(PathOf(seen.target));
  const HttpAnswer answer = found != answers_.end() ? found->second : HttpAnswer{404, "not here"};
  if (answer.silent) {
    socket->setProperty("silent", true);
    return;
  }
  QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n";
  if (!answer.location.isEmpty()) out += "Location: " + answer.location + "\r\n";
  out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\nConnection: close\r\n\r\n";
  out += answer.body;
  socket->write(out);
  socket->disconnectFromHost();
}

// Colour i of the table is frame i's colour. The picture data is LZW with
// 7-bit roots and a clear code every 100 codes, so every code stays 8 bits
// wide and is written as one byte.
QByteArray MakeGif(int width, int height, const std::vector<unsigned>& frameColors, int delayCs) {
  constexpr int kRootBits = 7;
  constexpr char kClear = static_cast<char>(1 << kRootBits);
  constexpr char kEnd = static_cast<char>((1 << kRootBits) + 1);
  QByteArray gif = "GIF89a";
  Put(gif, static_cast<quint16>(width));
  Put(gif, static_cast<quint16>(height));
  gif += static_cast<char>(0xF0 | (kRootBits - 1));  // global table of 128 colours
  gif += '\0';
  gif += '\0';
  for (int i = 0; i < (1 << kRootBits); ++i) {
    const unsigned rgb =
        i < static_cast<int>(frameColors.size()) ? frameColors[static_cast<std::size_t>(i)] : 0;
    gif += static_cast<char>((rgb >> 16) & 0xFF);
    gif += static_cast<char>((rgb >> 8) & 0xFF);
    gif += static_cast<char>(rgb & 0xFF);
  }
  if (frameColors.size() > 1) gif += QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (std::size_t frame = 0; frame < frameColors.size(); ++frame) {
    gif += QByteArray("\x21\xF9\x04\x00", 4);
    Put(gif, static_cast<quint16>(delayCs));
    gif += QByteArray("\x00\x00", 2);
    gif += ',';
    Put(gif, 0);
    Put(gif, 0);
    Put(gif, static_cast<quint16>(width));
    Put(gif, static_cast<quint16>(height));
    gif += '\0';
    gif += static_cast<char>(kRootBits);
    QByteArray codes;
    for (int pixel = 0; pixel < width * height; ++pixel) {
      if (pixel % 100 == 0) codes += kClear;
      codes += static_cast<char>(frame);
    }
    codes += kEnd;
    for (qsizetype at = 0; at < codes.size(); at += 255) {
      const QByteArray block = codes.mid(at, 255);
      gif += static_cast<char>(block.size());
      gif += block;
    }
    gif += '\0';
  }
  gif += ';';
  return gif;
}

}  // namespace novalune::test
