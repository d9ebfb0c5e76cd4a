#include "client/net/HttpClient.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>

namespace novalune::client {

namespace {

constexpr int kDefaultTimeoutMs = 30000;

// What one request gathers on its way.
struct Transfer {
  QByteArray body;
  QString failure;
  qint64 maxBody = 0;
};

void Fail(QNetworkReply* reply, Transfer& transfer, const QString& why) {
  if (transfer.failure.isEmpty()) transfer.failure = why;
  reply->abort();
}

// Reads what arrived, cutting the request off once it passes the cap.
void Gather(QNetworkReply* reply, Transfer& transfer) {
  if (!transfer.failure.isEmpty()) return;
  transfer.body += reply->read(transfer.maxBody + 1 - transfer.body.size());
  if (transfer.body.size() > transfer.maxBody) Fail(reply, transfer, QStringLiteral("body too large"));
}

HttpResult ResultOf(QNetworkReply* reply, const Transfer& transfer) {
  HttpResult result;
  result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  result.error = transfer.failure;
  if (result.error.isEmpty() && reply->error() != QNetworkReply::NoError) result.error = reply->errorString();
  if (result.error.isEmpty() && (result.status < 200 || result.status > 299)) {
    result.error = QStringLiteral("HTTP status %1").arg(result.status);
  }
  if (result.error.isEmpty()) result.body = transfer.body;
  return result;
}

}  // namespace

HttpClient::HttpClient(QObject* parent) : QObject(parent), manager_(new QNetworkAccessManager(this)) {
  manager_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
  SetOptions(options_);
}

// Replies still running end without calling anyone back.
HttpClient::~HttpClient() {
  for (QNetworkReply* reply : manager_->findChildren<QNetworkReply*>()) {
    reply->disconnect(this);
    reply->abort();
  }
}

void HttpClient::SetOptions(const HttpOptions& options) {
  options_ = options;
  if (options.useProxy) {
    manager_->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QString::fromStdString(options.proxyHost),
                                     static_cast<quint16>(options.proxyPort)));
  } else {
    manager_->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  }
  // A kept-alive connection would still go the old way.
  manager_->clearConnectionCache();
}

QByteArray HttpClient::EncodeForm(const Form& form) {
  QByteArray encoded;
  for (const auto& [name, value] : form) {
    if (!encoded.isEmpty()) encoded += '&';
    encoded += QByteArray::fromStdString(name).toPercentEncoding();
    encoded += '=';
    encoded += QByteArray::fromStdString(value).toPercentEncoding();
  }
  return encoded;
}

QNetworkRequest HttpClient::MakeRequest(const QUrl& url) const {
  QNetworkRequest request(url);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  return request;
}

void HttpClient::Get(const QString& kind, const QUrl& url, Done done, qint64 maxBody) {
  Abort(kind);
  Track(kind, manager_->get(MakeRequest(url)), std::move(done), maxBody);
}

void HttpClient::PostForm(const QString& kind, const QUrl& url, const Form& form, Done done, qint64 maxBody) {
  Post(kind, url, EncodeForm(form), QStringLiteral("application/x-www-form-urlencoded"), std::move(done),
       maxBody);
}

void HttpClient::Post(const QString& kind, const QUrl& url, const QByteArray& body,
                      const QString& contentType, Done done, qint64 maxBody) {
  Abort(kind);
  QNetworkRequest request = MakeRequest(url);
  request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
  Track(kind, manager_->post(request, body), std::move(done), maxBody);
}

void HttpClient::Abort(const QString& kind) {
  const auto found = running_.find(kind);
  if (found == running_.end()) return;
  QNetworkReply* reply = found->second;
  running_.erase(found);
  inFlight_.erase(reply);
  reply->disconnect(this);
  reply->abort();
  reply->deleteLater();
}

void HttpClient::Track(const QString& kind, QNetworkReply* reply, Done done, qint64 maxBody) {
  if (!kind.isEmpty()) running_[kind] = reply;
  inFlight_.insert(reply);
  auto transfer = std::make_shared<Transfer>();
  transfer->maxBody = maxBody;
  auto* timer = new QTimer(reply);
  timer->setSingleShot(true);
  connect(timer, &QTimer::timeout, this,
          [reply, transfer] { Fail(reply, *transfer, QStringLiteral("time-out")); });
  timer->start(options_.timeoutMs > 0 ? options_.timeoutMs : kDefaultTimeoutMs);
  connect(reply, &QNetworkReply::metaDataChanged, this, [reply, transfer] {
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > transfer->maxBody) {
      Fail(reply, *transfer, QStringLiteral("body too large"));
    }
  });
  connect(reply, &QNetworkReply::readyRead, this, [reply, transfer] { Gather(reply, *transfer); });
  connect(reply, &QNetworkReply::finished, this, [this, kind, reply, transfer, done = std::move(done)] {
    Gather(reply, *transfer);
    Forget(kind, reply);
    reply->deleteLater();
    if (done) done(ResultOf(reply, *transfer));
  });
}

void HttpClient::Forget(const QString& kind, QNetworkReply* reply) {
  inFlight_.erase(reply);
  if (kind.isEmpty()) return;
  const auto found = running_.find(kind);
  if (found != running_.end() && found->second == reply) running_.erase(found);
}

}  // namespace novalune::client
