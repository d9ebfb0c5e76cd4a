// Whole-file access for the settings file and the list files: bounded reads
// and crash-safe replacement.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace novalune {

// Largest settings or list file that is read; anything beyond is ignored
// (and the settings file is not rewritten, see UpdateFileAtomically).
inline constexpr std::size_t kMaxStoredFileBytes = std::size_t{16} * 1024 * 1024;

struct FileBytes {
  std::string bytes;
  bool truncated = false;  // the file holds more than the limit
};

// The file's first `limit` bytes; nullopt when it does not exist or cannot be read.
std::optional<FileBytes> ReadFileBytes(const std::string& path, std::size_t limit = kMaxStoredFileBytes);

// Replaces the file with `bytes`: a new file is written in the same folder,
// flushed to disk and renamed over the old one, so readers and a crash at any
// moment see either the complete old or the complete new content. The old
// file's permissions carry over. Throws std::system_error on failure; the old
// file is then untouched and no temporary file is left behind.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Read-modify-write of one file under a lock on its folder, so that two
// processes (the server and the client both write the settings file) never
// lose each other's changes. `change` gets the current content (empty when
// the file is missing) and returns the new one. Throws std::system_error when
// the file cannot be written or is larger than kMaxStoredFileBytes.
void UpdateFileAtomically(const std::string& path,
                          const std::function<std::string(const std::string&)>& change);

}  // namespace novalune
