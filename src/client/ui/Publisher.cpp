#include "client/ui/Publisher.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QUrl>

#include "client/core/PublicationTexts.h"
#include "client/net/HttpClient.h"
#include "common/SjisText.h"
#include "settings/SettingsTexts.h"

namespace novalune::client {

namespace {

const QString kKind = QStringLiteral("publication");
// The scripts read the record's Shift-JIS bytes as they are.
const QString kContentType = QStringLiteral("text/plain; charset=Shift_JIS");

// Addresses are typed by the user in Shift-JIS; a URL wants them as Unicode.
QUrl UrlOf(const std::string& address) { return QUrl(QString::fromStdString(SjisToUtf8(address))); }

}  // namespace

Publisher::Publisher(HttpClient& http, settings::HttpAccessGate& gate, OwnAddress ownAddress, ShowLine show,
                     QObject* parent)
    : QObject(parent),
      http_(&http),
      gate_(gate),
      ownAddress_(std::move(ownAddress)),
      show_(std::move(show)) {}

Publisher::~Publisher() { Abort(); }

void Publisher::Post(std::vector<PublishPost> posts, Done done) {
  Abort();
  posts_ = std::move(posts);
  next_ = 0;
  done_ = std::move(done);
  running_ = true;
  PostNext(++generation_);
}

void Publisher::PostNext(unsigned generation) {
  if (next_ >= posts_.size()) {
    End(std::string());
    return;
  }
  const PublishPost& post = posts_[next_++];
  const QUrl url = UrlOf(post.address);
  // Scripts are web pages; anything else (a local file, a typo) fails the round.
  if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
    End(std::nullopt);
    return;
  }
  const bool last = next_ == posts_.size();
  if (http_ == nullptr) return End(std::nullopt);
  http_->Post(kKind, url, QByteArray::fromStdString(post.body), kContentType,
              [this, generation, last](const HttpResult& result) {
                if (generation != generation_) return;
                if (!result.Ok()) return End(std::nullopt);
                if (last) return End(result.body.toStdString());
                PostNext(generation);
              });
}

void Publisher::End(std::optional<std::string> lastBody) {
  running_ = false;
  posts_.clear();
  Done done = std::move(done_);
  done_ = nullptr;
  if (done) done(std::move(lastBody));
  emit Finished();
}

void Publisher::Abort() {
  ++generation_;
  if (http_ != nullptr) http_->Abort(kKind);
  if (!running_) return;
  running_ = false;
  posts_.clear();
  done_ = nullptr;
  emit Finished();
}

void Publisher::Wait() {
  if (!running_) return;
  QEventLoop loop;
  connect(this, &Publisher::Finished, &loop, &QEventLoop::quit);
  loop.exec();
}

void Publisher::PublishStartAuto() { RunAuto(RecordKind::kStart, publication_text::kAutoStarted, true); }

// The withdrawal goes out even with "外部へは接続しない" on.
void Publisher::PublishStopAuto() { RunAuto(RecordKind::kStop, publication_text::kAutoStopped, false); }

void Publisher::RunAuto(RecordKind kind, const char* line, bool honourNotOut) {
  const PublicationValues values = LoadPublicationValues();
  if (CheckPublication(values)) return;
  const std::string& question = SysText(settings::text::kHttpAskUrl);
  if (!(honourNotOut ? gate_.MayAccessOutside(question) : gate_.ConfirmHttpAccess(question))) return;
  Post(PublishPosts(kind, values, LoadCgiTable(), OwnAddressText()),
       [this, line](const std::optional<std::string>& body) {
         if (body && show_) show_(SysText(line));
       });
}

settings::PublicationWeb Publisher::Web() {
  settings::PublicationWeb web;
  web.post = [this](std::vector<PublishPost> posts, Done done) { Post(std::move(posts), std::move(done)); };
  web.abort = [this] { Abort(); };
  web.open = &Publisher::OpenInBrowser;
  return web;
}

void Publisher::OpenInBrowser(const std::string& address) { QDesktopServices::openUrl(UrlOf(address)); }

}  // namespace novalune::client
