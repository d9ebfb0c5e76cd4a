// FetchGif: the download that member icons, the icon bar and the icon
// dialog's preview share. A picture is a GIF named "*.gif" on an http(s)
// address; its body must start with "GIF" and stay within 2 MiB. The body
// passes through a temporary file in the program folder, which is gone again
// before the answer comes, whether the download succeeded or not.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "client/net/HttpClient.h"
#include "settings/SetIconDlg.h"

namespace novalune::ui {

enum class GifOutcome {
  kPicture,    // a GIF arrived
  kNoPicture,  // nothing to fetch, access refused, or the body is no GIF
  kFailed,     // the request failed (error, time-out, too large, bad status)
};

struct GifResult {
  GifOutcome outcome = GifOutcome::kNoPicture;
  QByteArray gif{};
};

// The address's last path segment when the address is one to fetch: it
// holds a "/", is http or https, and the segment ends in ".GIF" in any case.
std::optional<QString> GifFileName(const std::string& url);
bool LooksLikeGif(const QByteArray& body);

class IconFetcher : public QObject {
  Q_OBJECT
 public:
  // Decides each access (HttpAccessGate::MayAccessOutside with the question).
  using Consent = std::function<bool(const std::string& question)>;
  using Done = std::function<void(const GifResult&)>;

  static constexpr qint64 kMaxGifBytes = qint64{2} * 1024 * 1024;
  // Member icons side by side at most: a server that announces icons
  // without end gets default pictures instead of unbounded downloads.
  static constexpr std::size_t kMaxMemberDownloads = 16;
  // Download kinds: one icon-bar download and one preview at a time.
  static inline const QString kIconBar = QStringLiteral("iconbar");
  static inline const QString kPreview = QStringLiteral("preview");

  IconFetcher(client::HttpClient& http, Consent consent, QObject* parent = nullptr);

  // `done` always comes later, after the current event (URL sjis bytes).
  // `kind` empty: member icons, which run side by side.
  void FetchGif(const QString& kind, const std::string& url, Done done);
  void Abort(const QString& kind) { http_.Abort(kind); }
  // The web access rule with the icon question, for callers that ask once
  // before a series of downloads.
  bool MayFetch();

 private:
  void Answer(Done done, GifResult result);
  static GifResult ThroughTempFile(const QString& fileName, const QByteArray& body);

  client::HttpClient& http_;
  Consent consent_;
};

// The icon dialog's preview through `fetcher`, one at a time.
settings::IconPreviewSource IconPreviewOf(IconFetcher& fetcher);

}  // namespace novalune::ui
