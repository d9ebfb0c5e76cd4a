#include "client/ui/MessageBoard.h"

#include <QLabel>
#include <QUrl>

#include "common/SjisText.h"
#include "qtsupport/WidgetText.h"
#include "settings/SettingsTexts.h"

namespace novalune::ui {

std::optional<std::string> ExtractNotice(const QByteArray& body) {
  const qsizetype start = body.indexOf("[MESSTR]");
  const qsizetype end = body.indexOf("[MESEND]");
  if (start < 0 || end < 0) return std::nullopt;
  const qsizetype from = start + 8;
  if (end < from) return std::nullopt;
  return body.mid(from, end - from).toStdString();
}

client::HttpOptions HttpOptionsFrom(const settings::HttpSettings& values) {
  return {values.TimeoutMs(), values.useProxy, values.proxyHost, values.proxyPort};
}

TMessageBoard::TMessageBoard(client::HttpClient& http, settings::HttpAccessGate& gate, QLabel* statusText,
                             QObject* parent)
    : QObject(parent), http_(http), gate_(gate), statusText_(statusText) {
  statusText_->setText(qtsupport::Ui(kInitialText));
}

void TMessageBoard::NovaluneMessage(bool statusBarShown) {
  const std::string address = gate_.Settings().messageUrl;
  if (address.empty() || !statusBarShown) return;
  if (!gate_.MayAccessOutside(SysText(settings::text::kHttpAskMessage))) return;
  statusText_->clear();
  http_.Get(
      kKind, QUrl(qtsupport::FromSjis(address)),
      [this](const client::HttpResult& result) {
        if (!result.Ok()) return;
        if (const auto notice = ExtractNotice(result.body))
          statusText_->setText(qtsupport::FromSjis(*notice));
      },
      kMaxPageBytes);
}

}  // namespace novalune::ui
