// Finding a sound by name: the sender plays its own copy and sends only the
// name, each receiver plays the copy in its own sound folders.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace novalune::client {

// A sound name from a peer is a bare file name: no folder may be reached through it.
bool IsBareSoundName(std::string_view name);

// BeepON's lookup: the folders are tried in the order of the sound folder
// list, each with or without its closing separator; the first that holds the
// name wins. `isFile` answers for a Shift-JIS path. Nothing for a name that
// is not bare.
std::optional<std::string> FindSoundFile(std::string_view name, const std::vector<std::string>& folders,
                                         const std::function<bool(const std::string& path)>& isFile);

// The freedesktop sound folders that exist, the user's own first:
// $XDG_DATA_HOME/sounds (default ~/.local/share/sounds), then /usr/share/sounds.
// Paths in Shift-JIS, like every path the program keeps.
std::vector<std::string> StandardSoundFolders();

// The sound folder list: "WavDir.txt" in the program folder, or the standard
// folders when that file is missing or lists nothing.
std::vector<std::string> LoadSoundFolders();

}  // namespace novalune::client
