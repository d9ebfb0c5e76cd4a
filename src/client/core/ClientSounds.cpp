#include "client/core/ClientSounds.h"

#include "common/SjisText.h"

namespace novalune::client {

namespace {

// A separator outside double-byte characters: the trail byte of ソ or 表 is
// 0x5C and no folder break.
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

}  // namespace novalune::client
