// Shared by the dialog tests: a fresh program folder per test, file bytes,
// and a notice recorder that stands in for the message box.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "settings/ClientMessage.h"
#include "support/TestSupport.h"

namespace novalune::settings::testing {

// Every test runs in its own empty program folder. Widget tests call TestApp() too.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/novalune-dlg-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(::setenv("NOVALUNE_HOME", dir_.c_str(), 1), 0);
  }
  void TearDown() override {
    ::unsetenv("NOVALUNE_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
  bool Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

  std::string ReadBytes(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteBytes(const std::string& name, const std::string& bytes) const {
    std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  // Records every notice instead of showing it.
  NoticeFn Recorder() {
    return [this](const std::string& text) { notices_.push_back(text); };
  }

  std::string dir_;
  std::vector<std::string> notices_;
};

}  // namespace novalune::settings::testing
