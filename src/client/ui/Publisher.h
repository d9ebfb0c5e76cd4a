// The web side of the server publication: posts the records of the
// publication dialog and of AutoOnProc/AutoOffProc through the program's one
// web client, one script after another, and ends at the first failure.
//
// For the main window (made right after http_):
//   publisher_ = new client::Publisher(*http_, httpGate_, [this] { return
//   qtsupport::ToSjis(EditMyIP->text()); },
//                                      [this](const std::string& line) { DspMessage(2, line); }, this);
//   AutoOnProc:  publication_.Published(); publisher_->PublishStartAuto();
//   AutoOffProc: publication_.Withdrawn(); publisher_->PublishStopAuto();
//   FormClose, step 3: publisher_->Abort(); then, with AUTOONOF, AutoOffProc(); publisher_->Wait();
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/core/Publication.h"
#include "client/net/HttpClient.h"
#include "settings/ConnectionSettings.h"
#include "settings/SetServerDlg.h"

namespace novalune::client {

class Publisher : public QObject {
  Q_OBJECT
 public:
  using OwnAddress = std::function<std::string()>;           // the main window's address field, Shift-JIS
  using ShowLine = std::function<void(const std::string&)>;  // display kind 2, Shift-JIS
  using Done = std::function<void(std::optional<std::string> lastBody)>;

  Publisher(HttpClient& http, settings::HttpAccessGate& gate, OwnAddress ownAddress, ShowLine show,
            QObject* parent = nullptr);
  ~Publisher() override;

  // Posts each record in order. `done` gets the last answer's body when all
  // were made, nothing at the first failure; it does not run after Abort.
  void Post(std::vector<PublishPost> posts, Done done);
  void Abort();
  bool Running() const { return running_; }
  // Turns the event loop until the running operation ends: the withdrawal
  // at exit must reach the scripts before the program goes.
  void Wait();

  // AutoOnProc and AutoOffProc: from the stored values, every script, the
  // display line when all posts were made; the answers are not read.
  void PublishStartAuto();
  void PublishStopAuto();

  // What the publication dialog uses of this.
  settings::PublicationWeb Web();
  std::string OwnAddressText() const { return ownAddress_ ? ownAddress_() : std::string(); }
  // UrlView and "表示": hands a Shift-JIS address to the desktop's browser.
  static void OpenInBrowser(const std::string& address);

 signals:
  void Finished();

 private:
  void PostNext(unsigned generation);
  void End(std::optional<std::string> lastBody);
  void RunAuto(RecordKind kind, const char* line, bool honourNotOut);

  // The main window may take its web client down first.
  QPointer<HttpClient> http_;
  settings::HttpAccessGate& gate_;
  OwnAddress ownAddress_;
  ShowLine show_;
  std::vector<PublishPost> posts_;
  std::size_t next_ = 0;
  Done done_;
  bool running_ = false;
  unsigned generation_ = 0;
};

}  // namespace novalune::client
