#include "server/console/ConsoleLink.h"

#include "server/console/ServerForm.h"
#include "server/net/ServerNet.h"

namespace novalune::server {

void AttachConsole(TServerForm& form, ServerNet& net) {
  QObject::connect(&net, &ServerNet::ConsoleRequested, &form, &TServerForm::ShowConsole);
  QObject::connect(&net, &ServerNet::HostLinkEnded, &form, &TServerForm::HostLinkClosed);
  QObject::connect(&net, &ServerNet::TablesUpdated, &form, &TServerForm::TablesChanged);
}

}  // namespace novalune::server
