// A small web server on loopback for the web client's tests: a plain
// QTcpServer that reads one request per connection and answers from a table
// of paths. It runs on the test's own thread, so tests turn the event loop
// (test::ServeUntil) while they wait.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <string>
#include <vector>

namespace novalune::test {

struct HttpAnswer {
  int status = 200;
  QByteArray body{};
  QByteArray location{};  // for 3xx
  bool silent = false;    // read the request and never answer
};

struct HttpRequestSeen {
  QByteArray method;
  QByteArray target;   // as sent: a path, or a full URL through a proxy
  QByteArray headers;  // the header lines as they came
  QByteArray body;
};

class HttpTestServer : public QObject {
  Q_OBJECT
 public:
  HttpTestServer();
  quint16 Port() const { return server_.serverPort(); }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;

  void Serve(const QByteArray& path, HttpAnswer answer) { answers_[path] = std::move(answer); }
  const std::vector<HttpRequestSeen>& Requests() const { return requests_; }
  // Connections left unanswered that the client has closed (aborted requests).
  int SilentClosed() const { return silentClosed_; }

 private:
  void Answer(QTcpSocket* socket);

  QTcpServer server_;
  std::map<QByteArray, HttpAnswer> answers_;
  std::vector<HttpRequestSeen> requests_;
  std::map<QTcpSocket*, QByteArray> pending_;
  int silentClosed_ = 0;
};

// GIF files for the tests: solid frames of the given colours (0xRRGGBB);
// more than one frame makes an endless animation with `delayCs` per frame.
QByteArray MakeGif(int width, int height, const std::vector<unsigned>& frameColors, int delayCs = 10);

}  // namespace novalune::test
