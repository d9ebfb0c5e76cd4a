#include "client/ui/ClientMain.h"

#include <QApplication>
#include <QIcon>
#include <QUrl>
#include <exception>

#include "app/LinkHandOver.h"
#include "client/core/ClientCore.h"
#include "client/display/DisplayFormat.h"
#include "client/net/QtClientNet.h"
#include "client/ui/ChatForm.h"
#include "qtsupport/WidgetText.h"
#include "settings/ClientMessage.h"

namespace novalune::ui {

namespace {

// An error that no handler caught is shown in a notice and the program
// carries on with the next event.
class ClientApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      settings::ShowClientMessage(activeWindow(), error.what(), 1);
    } catch (...) {
      settings::ShowClientMessage(activeWindow(), "error", 1);
    }
    return false;
  }
};

}  // namespace

std::string CommandLineArgument(const std::string& raw) {
  const QByteArray bytes = QByteArray::fromStdString(raw);
  return qtsupport::ToSjis(app::IsChatLink(raw) ? QUrl::fromPercentEncoding(bytes)
                                                : QString::fromLocal8Bit(bytes));
}

int RunClientProgram(int argc, char** argv, const ClientProgram& program) {
  ClientApplication app(argc, argv);
  // A desktop without an icon theme of its own (or a bare X server) still
  // finds the tool bar pictures in Debian's default theme.
  QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
  ChatFormSetup setup;
  setup.firstArgument = CommandLineArgument(program.firstArgument);
  setup.localServerRunning = program.localServerRunning;
  setup.startServerCopy = program.startServerCopy;
  // The network layer and the engine are built here and handed to the
  // window, which is the engine's view.
  client::QtClientNet net;
  TZKWChatForm form(net, std::move(setup));
  client::ClientCore core(net, form);
  net.SetEvents(&core);
  form.AttachEngine(core);
  // Links opened on this desktop from now on come to this window.
  app::LinkHandOverServer links(form);
  form.show();
  return QApplication::exec();
}

}  // namespace novalune::ui
