// The engine's start-up values and working copies, read from the settings
// store the way the window's start-up reads them.
#pragma once

#include <string>
#include <vector>

#include "client/core/ClientCore.h"

namespace novalune::client {

// Connection keys, "RoomTopic.txt" without its line breaks, the away and back
// texts and the own icon.
StartupValues ReadStartupValues();
// "InBeep", "InFile", "OutBeep", "OutFile".
EventSounds ReadEventSounds();
// The entries of "ICONLIST.TXT".
std::vector<std::string> ReadIconList();

}  // namespace novalune::client
