// Shared set-up of the display widget tests: one QApplication, a fresh
// program folder per test, Shift-JIS helpers.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "common/sjistext.h"

namespace novalune::test {

inline QApplication& DisplayApp() {
  static int argc = 1;
  static char name[] = "display_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

inline std::string Sjis(const char* utf8) { return Utf8ToSjis(utf8); }

inline void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

inline std::string FileBytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DisplayApp();
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
