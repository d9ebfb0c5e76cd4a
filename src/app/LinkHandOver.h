// A "ZKWC2://" link opened on the desktop goes to the client that already
// runs there for this user instead of starting a second client. The running
// client listens on a local socket; a starting copy that holds a link hands
// it over and ends.
#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <string_view>

class QLocalServer;
class QLocalSocket;

namespace novalune::app {

// The running client's side: takes a link handed over by another copy.
class LinkReceiver {
 public:
  virtual ~LinkReceiver() = default;
  // `link` as the other copy got it on its command line (the desktop's encoding).
  virtual void ConnectFromLink(const std::string& link) = 0;
};

// True for a room link ("ZKWC2://" in any case; browsers lower-case the scheme).
bool IsChatLink(std::string_view argument);

// The per-user socket path: in $XDG_RUNTIME_DIR when there is one, otherwise
// in the temporary folder with the user id in its name.
QString LinkHandOverName();

// Sends `link` to the client listening on `name` and waits for its receipt.
// False when no client listens or none answered in time: then the caller
// starts a client itself. Needs no Qt application object.
bool HandOverLink(const std::string& link, const QString& name = LinkHandOverName());

// Listens on `name` for the lifetime of the object and passes each link
// received to `receiver`. Another client's live socket is left alone (then
// Listening() is false); a stale one from a killed client is replaced.
class LinkHandOverServer : public QObject {
  Q_OBJECT
 public:
  explicit LinkHandOverServer(LinkReceiver& receiver, const QString& name = LinkHandOverName(),
                              QObject* parent = nullptr);
  bool Listening() const;

 private:
  void Accept();
  void ReadLink(QLocalSocket* socket);

  LinkReceiver& receiver_;
  QLocalServer* server_;
};

}  // namespace novalune::app
