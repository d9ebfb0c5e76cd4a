// The message board: once per connection the notice page named in the
// connection settings ("お知らせのアドレス") is fetched and the text between
// its first "[MESSTR]" and first "[MESEND]" goes into the status bar. With no
// address set nothing is fetched and the status bar keeps its first text.
//
// For the main window:
//   board_ = new TMessageBoard(http_, httpGate_, StatusText, this);
//   NovaluneMessage(): board_->NovaluneMessage(GetViewStatusBar());
#pragma once

#include <QByteArray>
#include <QObject>
#include <optional>
#include <string>

#include "client/net/HttpClient.h"
#include "settings/ConnectionSettings.h"

class QLabel;

namespace novalune::ui {

// The notice of a page (Shift-JIS bytes as the page holds them), if it has both marks in that order.
std::optional<std::string> ExtractNotice(const QByteArray& body);

// The web client's options from the connection settings.
client::HttpOptions HttpOptionsFrom(const settings::HttpSettings& values);

class TMessageBoard : public QObject {
  Q_OBJECT
 public:
  static constexpr qint64 kMaxPageBytes = qint64{256} * 1024;
  static inline const QString kKind = QStringLiteral("message");
  // The status bar's text until a notice arrives.
  static constexpr const char* kInitialText = "Novaluneからのメッセージ";

  TMessageBoard(client::HttpClient& http, settings::HttpAccessGate& gate, QLabel* statusText,
                QObject* parent = nullptr);

  void NovaluneMessage(bool statusBarShown);

 private:
  client::HttpClient& http_;
  settings::HttpAccessGate& gate_;
  QLabel* statusText_;
};

}  // namespace novalune::ui
