// Shared set-up of the display widget tests: a fresh program folder per
// test and file bytes.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "support/TestSupport.h"

namespace novalune::test {

inline std::string FileBytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    home_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(home_->isValid());
    ::setenv("NOVALUNE_HOME", home_->path().toStdString().c_str(), 1);
  }
  void TearDown() override {
    Settle();
    ::unsetenv("NOVALUNE_HOME");
  }
  QString Home() const { return home_->path(); }
  QString HomeFile(const char* name) const { return home_->filePath(QString::fromUtf8(name)); }

 private:
  std::unique_ptr<QTemporaryDir> home_;
};

}  // namespace novalune::test
