#include "common/ProgramDir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace novalune {

namespace {

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// The program file does not move while it runs, so its folder is looked up once.
const std::string& ExecutableDir() {
  static const std::string dir = [] {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.empty()) exe = std::filesystem::current_path(error) / "novalune";
    return WithTrailingSlash(exe.parent_path().string());
  }();
  return dir;
}

}  // namespace

std::string ProgramDir() {
  const char* home = std::getenv("NOVALUNE_HOME");
  if (home != nullptr && *home != '\0') return WithTrailingSlash(home);
  return ExecutableDir();
}

std::string ProgramPath(std::string_view fileName) { return ProgramDir() + std::string(fileName); }

}  // namespace novalune
