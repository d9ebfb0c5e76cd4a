// The program's one web client: every GET and form POST goes through here
// with the time-out and proxy of the connection settings. A request of a
// "kind" replaces the running request of the same kind (a new icon-bar reload
// aborts the old one); an empty kind never aborts anything. Bodies are capped
// so that a hostile server cannot fill the memory, and the time-out covers the
// whole request, redirects included.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace novalune::client {

struct HttpOptions {
  int timeoutMs = 30000;  // 0 or less: the default 30 s, so nothing waits forever
  bool useProxy = false;
  std::string proxyHost{};
  int proxyPort = 0;
};

struct HttpResult {
  int status = 0;     // HTTP status of the last response, 0 when none came
  QByteArray body{};  // empty on error
  QString error{};    // empty when a 2xx response arrived whole
  bool Ok() const { return error.isEmpty(); }
};

class HttpClient : public QObject {
  Q_OBJECT
 public:
  using Done = std::function<void(const HttpResult&)>;
  using Form = std::vector<std::pair<std::string, std::string>>;  // raw bytes, sent percent-encoded

  static constexpr qint64 kDefaultMaxBody = qint64{2} * 1024 * 1024;
  static constexpr int kMaxRedirects = 5;

  explicit HttpClient(QObject* parent = nullptr);
  ~HttpClient() override;

  void SetOptions(const HttpOptions& options);
  const HttpOptions& Options() const { return options_; }

  // `done` runs once when the request ends, unless the request is aborted
  // (by Abort, by a newer request of its kind or by the client's end).
  void Get(const QString& kind, const QUrl& url, Done done, qint64 maxBody = kDefaultMaxBody);
  void PostForm(const QString& kind, const QUrl& url, const Form& form, Done done,
                qint64 maxBody = kDefaultMaxBody);
  // The body as it is: for peers that read the bytes themselves, not a form.
  void Post(const QString& kind, const QUrl& url, const QByteArray& body, const QString& contentType,
            Done done, qint64 maxBody = kDefaultMaxBody);
  void Abort(const QString& kind);
  bool Running(const QString& kind) const { return running_.count(kind) != 0; }
  // Requests on their way, of every kind.
  std::size_t RunningCount() const { return inFlight_.size(); }

  static QByteArray EncodeForm(const Form& form);

 private:
  QNetworkRequest MakeRequest(const QUrl& url) const;
  void Track(const QString& kind, QNetworkReply* reply, Done done, qint64 maxBody);
  void Forget(const QString& kind, QNetworkReply* reply);

  QNetworkAccessManager* manager_;
  HttpOptions options_{};
  std::map<QString, QNetworkReply*> running_;
  std::set<QNetworkReply*> inFlight_;
};

}  // namespace novalune::client
