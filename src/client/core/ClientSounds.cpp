#include "client/core/ClientSounds.h"

namespace novalune::client {

bool IsBareSoundName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\\') == std::string_view::npos;
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

}  // namespace novalune::client
