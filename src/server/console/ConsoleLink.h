// Wires the console to the network adapter's notifications.
#pragma once

namespace novalune::server {

class ServerNet;
class TServerForm;

// VIEW shows the console, a closing host link runs its rules, table changes redraw.
void AttachConsole(TServerForm& form, ServerNet& net);

}  // namespace novalune::server
