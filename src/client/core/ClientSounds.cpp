#include "client/core/ClientSounds.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "common/SjisText.h"

namespace novalune::client {

namespace {

// A separator outside double-byte characters: the trail byte of ソ or 表 is
// 0x5C and no folder break.
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool HasSeparator(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsSjisPair(name, i)) {
      ++i;
    } else if (name[i] == '/' || name[i] == '\\') {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsBareSoundName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && !HasSeparator(name);
}

std::optional<std::string> FindSoundFile(std::string_view name, const std::vector<std::string>& folders,
                                         const std::function<bool(const std::string& path)>& isFile) {
  if (!IsBareSoundName(name)) return std::nullopt;
  for (std::string path : folders) {
    if (path.empty()) continue;
    if (path.back() != '/' && path.back() != '\\') path += '/';
    path += name;
    if (isFile(path)) return path;
  }
  return std::nullopt;
}

std::vector<std::string> StandardSoundFolders() {
  std::string user = Environment("XDG_DATA_HOME");
  if (user.empty() && !Environment("HOME").empty()) user = Environment("HOME") + "/.local/share";
  std::vector<std::string> folders;
  for (const std::string& data : {user, std::string("/usr/share")}) {
    if (data.empty()) continue;
    const std::string folder = data + "/sounds";
    std::error_code ignored;
    if (std::filesystem::is_directory(folder, ignored)) folders.push_back(Utf8ToSjis(folder));
  }
  return folders;
}

std::vector<std::string> LoadSoundFolders() {
  std::vector<std::string> folders = LoadListFile(files::kWavDir);
  std::erase(folders, std::string());
  return folders.empty() ? StandardSoundFolders() : folders;
}

}  // namespace novalune::client
