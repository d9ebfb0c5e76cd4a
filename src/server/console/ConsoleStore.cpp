#include "server/console/ConsoleStore.h"

#include <exception>

#include "common/Settings.h"
#include "server/core/ServerCore.h"

namespace novalune::server {

std::vector<std::string> LoadRefList() {
  std::vector<std::string> entries;
  for (std::string& line : LoadListFile(files::kRefList)) {
    if (!line.empty()) entries.push_back(std::move(line));
  }
  return entries;
}

void SaveRefList(const std::vector<std::string>& entries) { SaveListFile(files::kRefList, entries); }

bool ReadPassHost() { return ReadSettingFlag(keys::server::kSection, keys::server::kPassHost); }

void WritePassHost(bool hostOnly) {
  WriteSettingFlag(keys::server::kSection, keys::server::kPassHost, hostOnly);
}

void LoadConsoleState(ServerCore& core) {
  // Unreadable settings are no reason to stop serving.
  try {
    core.SetPassCheck(ReadPassHost());
  } catch (const std::exception&) {
  }
  try {
    core.SetRefList(LoadRefList());
  } catch (const std::exception&) {
  }
}

}  // namespace novalune::server
