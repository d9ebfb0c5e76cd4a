// A fresh, empty program folder for each test (NOVALUNE_HOME points there),
// and the raw bytes of its files. Standard C++ only, so the engine tests use
// it as well as the widget tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace novalune::test {

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/novalune-dir-XXXXXX";
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

  std::string dir_;
};

}  // namespace novalune::test
