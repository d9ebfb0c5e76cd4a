#include "client/ui/ClientMain.h"

#include <QApplication>
#include <QIcon>
#include <exception>

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

int RunClientProgram(int argc, char** argv, const ClientProgram& program) {
  ClientApplication app(argc, argv);
  // A desktop without an icon theme of its own (or a bare X server) still
  // finds the tool bar pictures in Debian's default theme.
  QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
  ChatFormSetup setup;
  // The command line comes in the desktop's encoding; the engine holds Shift-JIS.
  setup.firstArgument = qtsupport::ToSjis(QString::fromLocal8Bit(program.firstArgument));
  setup.localServerRunning = program.localServerRunning;
  setup.startServerCopy = program.startServerCopy;
  // The network layer and the engine are built here and handed to the
  // window, which is the engine's view.
  client::QtClientNet net;
  TZKWChatForm form(net, std::move(setup));
  client::ClientCore core(net, form);
  net.SetEvents(&core);
  form.AttachEngine(core);
  form.show();
  return QApplication::exec();
}

}  // namespace novalune::ui
