// What the widget tests share: Shift-JIS literals, one QApplication for the
// whole test program, child lookups that fail the test instead of crashing
// it, and an event loop that turns until something holds.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QObject>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/SjisText.h"

namespace novalune::test {

// Shift-JIS of a UTF-8 literal, as the program holds text.
inline std::string Sjis(std::string_view utf8) { return Utf8ToSjis(utf8); }

// A file's bytes as written; empty when it cannot be read.
inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Made on first use and never destroyed: widgets that tests keep in statics
// must not outlive it.
inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "novalune_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The child named `name`. A missing one fails the test and leaves it through
// an exception (which the test runner reports) rather than a null pointer.
template <typename T>
T* FindChild(const QObject& owner, const char* name) {
  T* child = owner.findChild<T*>(name);
  if (child == nullptr) {
    ADD_FAILURE() << "no child named " << name;
    throw std::runtime_error(std::string("no child named ") + name);
  }
  return child;
}

// Handles everything already posted (adapter signals, coalesced redraws, late deletes).
inline void Settle() {
  for (int i = 0; i < 4; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

// Keeps the event loop turning until `done` holds or `wait` runs out; returns `done()`.
inline bool ServeUntil(const std::function<bool()>& done,
                       std::chrono::milliseconds wait = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return done();
}

}  // namespace novalune::test
