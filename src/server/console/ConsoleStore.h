// What the console keeps across runs: the refuse list and the "PassHost" option.
#pragma once

#include <string>
#include <vector>

namespace novalune::server {

class ServerCore;

// "RefList.txt" in the program folder; blank lines are skipped. Missing file: empty.
std::vector<std::string> LoadRefList();
// Throws std::system_error when the file cannot be written.
void SaveRefList(const std::vector<std::string>& entries);

// Section "Server", key "PassHost"; missing reads as false.
bool ReadPassHost();
void WritePassHost(bool hostOnly);

// Puts the saved refuse list and "PassHost" into the engine, each on its own: a part that
// cannot be read stays as it was. At every start, with or without the console, and on reload.
void LoadConsoleState(ServerCore& core);

}  // namespace novalune::server
