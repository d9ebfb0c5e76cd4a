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
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"

namespace novalune::settings::testing {

// Every test runs in its own empty program folder. Widget tests call TestApp() too.
class ProgramFolderTest : public test::ProgramFolderTest {
 protected:
  // Records every notice instead of showing it.
  NoticeFn Recorder() {
    return [this](const std::string& text) { notices_.push_back(text); };
  }

  std::vector<std::string> notices_;
};

}  // namespace novalune::settings::testing
