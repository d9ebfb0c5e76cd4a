#include "common/ProgramDir.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace novalune {
namespace {

namespace fs = std::filesystem;

// A scratch tree with a program folder and a config base; the environment
// names the config base and never overrides.
class ProgramDirChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/novalune-choice-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
    ::chmod(root_.c_str(), 0755);
    fs::create_directories(programDir());
    fs::create_directories(config());
    ::chmod(config().c_str(), 0777);  // the unprivileged child below creates its folder here
    ::unsetenv("NOVALUNE_HOME");
    ::setenv("XDG_CONFIG_HOME", config().c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::chmod(programDir().c_str(), 0755);
    fs::remove_all(root_);
  }
  std::string programDir() const { return root_ + "/bin/"; }
  std::string config() const { return root_ + "/config"; }
  std::string userFolder() const { return config() + "/novalune/"; }

  std::string root_;
};

TEST_F(ProgramDirChoice, WritableProgramFolderKeepsTheFilesBesideTheProgram) {
  EXPECT_EQ(ChooseProgramDir(programDir(), "/usr/bin"), programDir());
  EXPECT_FALSE(fs::exists(userFolder()));
}

TEST_F(ProgramDirChoice, InstalledProgramUsesTheUserConfigFolderMadeOnFirstUse) {
  // Root may write to the installed folder; settings still go to the user's folder.
  EXPECT_EQ(ChooseProgramDir(programDir(), root_ + "/bin"), userFolder());
  EXPECT_TRUE(fs::is_directory(userFolder()));
  ::unsetenv("XDG_CONFIG_HOME");
  const std::string oldHome = ::getenv("HOME") ? ::getenv("HOME") : "";
  ::setenv("HOME", root_.c_str(), 1);
  EXPECT_EQ(ChooseProgramDir(programDir(), root_ + "/bin/"), root_ + "/.config/novalune/");
  ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  EXPECT_EQ(ChooseProgramDir(programDir(), root_ + "/bin/"), root_ + "/.config/novalune/");
  ::setenv("HOME", oldHome.c_str(), 1);
}

TEST_F(ProgramDirChoice, ReadOnlyProgramFolderUsesTheUserConfigFolder) {
  ASSERT_EQ(::chmod(programDir().c_str(), 0555), 0);
  // Root writes anywhere, so the check runs as an unprivileged user in a child.
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
    ::_exit(ChooseProgramDir(programDir(), "/usr/bin") == userFolder() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::is_directory(userFolder()));
}

TEST_F(ProgramDirChoice, NovaluneHomeOverridesBothChoices) {
  ::setenv("NOVALUNE_HOME", (root_ + "/portable").c_str(), 1);
  EXPECT_EQ(ChooseProgramDir(programDir(), "/usr/bin"), root_ + "/portable/");
  EXPECT_EQ(ChooseProgramDir(programDir(), root_ + "/bin"), root_ + "/portable/");
  EXPECT_EQ(ProgramPath("NOVALUNE.INI"), root_ + "/portable/NOVALUNE.INI");
  EXPECT_FALSE(fs::exists(userFolder()));
  ::unsetenv("NOVALUNE_HOME");
}

}  // namespace
}  // namespace novalune
