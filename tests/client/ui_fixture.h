// Shared by the main-window tests: one QApplication, a fresh program folder
// per test, and a window whose message boxes and log dialogs are answered by
// the test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/ui/ChatForm.h"
#include "common/settings.h"
#include "common/sjistext.h"

namespace novalune::ui::testing {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "client_ui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

inline std::string S(const char* utf8) { return Utf8ToSjis(utf8); }

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    char pattern[] = "/tmp/novalune-ui-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(::setenv("NOVALUNE_HOME", dir_.c_str(), 1), 0);
  }
  void TearDown() override {
    form.reset();
    ::unsetenv("NOVALUNE_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // The window with every question answered here: message boxes are recorded
  // and answered with `messageAnswer`, the log question with `saveLog`, the
  // save dialog with `savePath` (nullopt: cancelled).
  TZKWChatForm& MakeForm(ChatFormSetup setup = {}) {
    setup.messageBox = [this](const std::string& text, int kind) {
      messages.push_back(text);
      return kind == 2 ? messageAnswer : 1;
    };
    setup.displayHooks.askYesNo = [this](const std::string& question) {
      questions.push_back(question);
      if (onQuestion) onQuestion();
      return saveLog;
    };
    setup.displayHooks.chooseFile = [this](const display::FileDialogSetup&) -> std::optional<QString> {
      ++fileDialogs;
      return savePath;
    };
    form = std::make_unique<TZKWChatForm>(std::move(setup));
    return *form;
  }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
  bool SettingsFileExists() const { return std::filesystem::exists(PathOf("NOVALUNE.INI")); }

  std::string dir_;
  std::unique_ptr<TZKWChatForm> form;
  std::vector<std::string> messages;
  int messageAnswer = 1;
  std::vector<std::string> questions;
  std::function<void()> onQuestion;
  bool saveLog = false;
  int fileDialogs = 0;
  std::optional<QString> savePath;
};

}  // namespace novalune::ui::testing
