#include "client/ui/IconFetcher.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>

#include "common/ProgramDir.h"
#include "common/SjisText.h"
#include "qtsupport/WidgetText.h"
#include "settings/SettingsTexts.h"

namespace novalune::ui {

std::optional<QString> GifFileName(const std::string& url) {
  const std::size_t slash = url.rfind('/');
  if (slash == std::string::npos) return std::nullopt;
  const QString segment = qtsupport::FromSjis(std::string_view(url).substr(slash + 1));
  if (!segment.toUpper().endsWith(QStringLiteral(".GIF"))) return std::nullopt;
  const QString scheme = QUrl(qtsupport::FromSjis(url)).scheme().toLower();
  if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https")) return std::nullopt;
  return segment;
}

bool LooksLikeGif(const QByteArray& body) { return body.startsWith("GIF"); }

IconFetcher::IconFetcher(client::HttpClient& http, Consent consent, QObject* parent)
    : QObject(parent), http_(http), consent_(std::move(consent)) {}

bool IconFetcher::MayFetch() { return consent_ && consent_(SysText(settings::text::kHttpAskIcon)); }

void IconFetcher::Answer(Done done, GifResult result) {
  QTimer::singleShot(0, this, [done = std::move(done), result = std::move(result)] { done(result); });
}

void IconFetcher::FetchGif(const QString& kind, const std::string& url, Done done) {
  const std::optional<QString> name = GifFileName(url);
  if (!name || !MayFetch()) {
    Answer(std::move(done), {});
    return;
  }
  if (kind.isEmpty() && http_.RunningCount() >= kMaxMemberDownloads) {
    Answer(std::move(done), {GifOutcome::kFailed, {}});
    return;
  }
  // The random part keeps two downloads of the same name apart.
  const QString fileName = QString::number(QRandomGenerator::global()->bounded(65535)) + *name;
  http_.Get(
      kind, QUrl(qtsupport::FromSjis(url)),
      [done = std::move(done), fileName](const client::HttpResult& result) {
        if (!result.Ok()) {
          done({GifOutcome::kFailed, {}});
          return;
        }
        done(ThroughTempFile(fileName, result.body));
      },
      kMaxGifBytes);
}

// Stored in the program folder, read back and removed in every case; only a
// body that begins with "GIF" counts as a picture.
GifResult IconFetcher::ThroughTempFile(const QString& fileName, const QByteArray& body) {
  QFile file(QString::fromStdString(ProgramDir()) + fileName);
  GifResult result;
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(body) == body.size()) {
    file.close();
    if (file.open(QIODevice::ReadOnly)) result.gif = file.readAll();
  } else {
    result.outcome = GifOutcome::kFailed;
  }
  file.close();
  file.remove();
  if (result.outcome == GifOutcome::kFailed) return result;
  if (LooksLikeGif(result.gif)) {
    result.outcome = GifOutcome::kPicture;
  } else {
    result.gif.clear();
  }
  return result;
}

settings::IconPreviewSource IconPreviewOf(IconFetcher& fetcher) {
  settings::IconPreviewSource source;
  source.fetch = [&fetcher](const std::string& url, std::function<void(const QByteArray&)> done) {
    fetcher.FetchGif(IconFetcher::kPreview, url,
                     [done = std::move(done)](const GifResult& result) { done(result.gif); });
  };
  source.abort = [&fetcher] { fetcher.Abort(IconFetcher::kPreview); };
  return source;
}

}  // namespace novalune::ui
