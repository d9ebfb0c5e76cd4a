#include "common/SettingsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

namespace novalune {

namespace {

[[noreturn]] void ThrowFileError(int error, const std::string& path) {
  throw std::system_error(error, std::generic_category(), path);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the result: a failing close may be a failed write.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// Exclusive advisory lock on a folder for the lifetime of the object. Where
// the file system has no locks the writes go on unlocked.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_.get() < 0) return;
    while (::flock(fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
  }

 private:
  FileDescriptor fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A fresh, exclusively created file beside `path`. A leftover from a process
// that died while writing only makes us pick the next name.
int CreateTemporary(const std::string& path, std::string& temporaryPath) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    temporaryPath = folder;
    temporaryPath += "/." + name;
    temporaryPath += "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void CopyPermissions(const std::string& from, int toFd) {
  struct stat info {};
  if (::stat(from.c_str(), &info) == 0) ::fchmod(toFd, info.st_mode & 07777);
}

// Makes the rename itself durable.
void SyncFolder(const std::string& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

void WriteTemporary(const std::string& path, const std::string& temporaryPath, int rawFd,
                    std::string_view bytes) {
  FileDescriptor fd(rawFd);
  CopyPermissions(path, fd.get());
  if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || fd.Close() != 0) {
    const int error = errno;
    ::unlink(temporaryPath.c_str());
    ThrowFileError(error, path);
  }
}

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  ssize_t got;
  do {
    got = ::read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

// Reads up to `limit` bytes; on failure returns nullopt and sets `error`
// (ENOENT for a missing file).
std::optional<FileBytes> ReadBytes(const std::string& path, std::size_t limit, int& error) {
  // O_NONBLOCK: a FIFO in place of the file must not block the program.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) {
    error = errno;
    return std::nullopt;
  }
  FileBytes result;
  char buffer[65536];
  while (result.bytes.size() < limit) {
    const ssize_t got = ReadSome(fd.get(), buffer, std::min(sizeof buffer, limit - result.bytes.size()));
    if (got < 0) {
      error = errno;
      return std::nullopt;
    }
    if (got == 0) return result;
    result.bytes.append(buffer, static_cast<std::size_t>(got));
  }
  char probe;
  result.truncated = ReadSome(fd.get(), &probe, 1) > 0;
  return result;
}

}  // namespace

std::optional<FileBytes> ReadFileBytes(const std::string& path, std::size_t limit) {
  int error = 0;
  return ReadBytes(path, limit, error);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::string temporaryPath;
  const int fd = CreateTemporary(path, temporaryPath);
  if (fd < 0) ThrowFileError(errno, path);
  WriteTemporary(path, temporaryPath, fd, bytes);
  if (::rename(temporaryPath.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporaryPath.c_str());
    ThrowFileError(error, path);
  }
  SyncFolder(FolderOf(path));
}

void UpdateFileAtomically(const std::string& path,
                          const std::function<std::string(const std::string&)>& change) {
  FolderLock lock(FolderOf(path));
  int error = 0;
  std::optional<FileBytes> current = ReadBytes(path, kMaxStoredFileBytes, error);
  // An unreadable file must not be replaced by one that holds only the change.
  if (!current && error != ENOENT) ThrowFileError(error, path);
  if (current && current->truncated) ThrowFileError(EFBIG, path);
  WriteFileAtomically(path, change(current ? current->bytes : std::string()));
}

}  // namespace novalune
