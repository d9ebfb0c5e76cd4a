#include "common/ProgramDir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef NOVALUNE_INSTALLED_BINDIR
#define NOVALUNE_INSTALLED_BINDIR "/usr/bin"
#endif

namespace novalune {

namespace {

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
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

std::string HomeDir() {
  std::string home = Environment("HOME");
  if (home.empty()) {
    const passwd* entry = ::getpwuid(::getuid());
    if (entry != nullptr && entry->pw_dir != nullptr) home = entry->pw_dir;
  }
  return home.empty() ? "/tmp" : home;
}

// The base directory rules: a relative XDG_CONFIG_HOME is invalid and ignored.
std::string UserConfigDir() {
  const std::string xdg = Environment("XDG_CONFIG_HOME");
  const std::string base =
      !xdg.empty() && xdg.front() == '/' ? xdg : WithTrailingSlash(HomeDir()) + ".config";
  std::string dir = WithTrailingSlash(base) + "novalune/";
  std::error_code ignored;  // a folder that cannot be made shows up when its files cannot be written
  std::filesystem::create_directories(dir, ignored);
  return dir;
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  return WithTrailingSlash(a) == WithTrailingSlash(b);
}

}  // namespace

std::string ChooseProgramDir(const std::string& executableDir, const std::string& installedDir) {
  const std::string home = Environment("NOVALUNE_HOME");
  if (!home.empty()) return WithTrailingSlash(home);
  if (!SameFolder(executableDir, installedDir) && ::access(executableDir.c_str(), W_OK) == 0)
    return WithTrailingSlash(executableDir);
  return UserConfigDir();
}

std::string ProgramDir() { return ChooseProgramDir(ExecutableDir(), NOVALUNE_INSTALLED_BINDIR); }

std::string ProgramPath(std::string_view fileName) { return ProgramDir() + std::string(fileName); }

}  // namespace novalune
