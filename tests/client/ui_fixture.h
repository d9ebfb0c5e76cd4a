// Shared by the main-window tests: a fresh program folder per test and a
// window whose message boxes and log dialogs are answered by the test, on the
// real network layer or on the engine tests' fake one.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QHostAddress>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/net/QtClientNet.h"
#include "client/ui/ChatForm.h"
#include "client_fake.h"
#include "common/Settings.h"
#include "support/TestSupport.h"

namespace novalune::ui::testing {

using test::Sjis;
using test::TestApp;

// The fake layer, also telling what had been written when the window asked it to flush.
class FlushRecordingNet : public client::testing::FakeNet {
 public:
  void Flush() override {
    writtenAtFlush.push_back(written);
    closesAtFlush = closes;
  }
  std::vector<std::string> writtenAtFlush;
  int closesAtFlush = 0;
};

enum class Network { kReal, kFake };

// What the program start assembles: the network layer, the window and the
// engine with the window as its view. The engine goes first.
struct ClientParts {
  ClientParts(ChatFormSetup setup, Network network) {
    if (network == Network::kFake) {
      auto fake = std::make_unique<FlushRecordingNet>();
      fakeNet = fake.get();
      net = std::move(fake);
    } else {
      auto real = std::make_unique<client::QtClientNet>();
      if (!setup.localAddress.empty())
        real->SetLocalAddress(QHostAddress(QString::fromStdString(setup.localAddress)));
      qtNet = real.get();
      net = std::move(real);
    }
    const client::ClientPorts ports = setup.ports;
    form = std::make_unique<TZKWChatForm>(*net, std::move(setup));
    core = std::make_unique<client::ClientCore>(*net, *form, ports);
    if (qtNet) qtNet->SetEvents(core.get());
    form->AttachEngine(*core);
  }
  ~ClientParts() {
    if (qtNet) qtNet->SetEvents(nullptr);
    core.reset();
    form.reset();
  }

  std::unique_ptr<client::ClientNet> net;
  client::QtClientNet* qtNet = nullptr;
  FlushRecordingNet* fakeNet = nullptr;
  std::unique_ptr<TZKWChatForm> form;
  std::unique_ptr<client::ClientCore> core;
};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    char pattern[] = "/tmp/novalune-ui-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(::setenv("NOVALUNE_HOME", dir_.c_str(), 1), 0);
  }
  void TearDown() override {
    parts.reset();
    ::unsetenv("NOVALUNE_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // The window with every question answered here: message boxes are recorded
  // and answered with `messageAnswer`, the log question with `saveLog`, the
  // save dialog with `savePath` (nullopt: cancelled).
  TZKWChatForm& MakeForm(ChatFormSetup setup = {}, Network network = Network::kReal) {
    setup.messageBox = [this](const std::string& text, int kind) {
      messages.push_back(text);
      return kind == 2 ? messageAnswer : 1;
    };
    if (!setup.notifyWhisper)
      setup.notifyWhisper = [](const std::string&, const std::string&, const std::function<void()>&) {};
    setup.displayHooks.askYesNo = [this](const std::string& question) {
      questions.push_back(question);
      if (onQuestion) onQuestion();
      return saveLog;
    };
    setup.displayHooks.chooseFile = [this](const display::FileDialogSetup&) -> std::optional<QString> {
      ++fileDialogs;
      return savePath;
    };
    parts.reset();
    parts = std::make_unique<ClientParts>(std::move(setup), network);
    return *parts->form;
  }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
  bool SettingsFileExists() const { return std::filesystem::exists(PathOf("NOVALUNE.INI")); }

  std::string dir_;
  std::unique_ptr<ClientParts> parts;
  std::vector<std::string> messages;
  int messageAnswer = 1;
  std::vector<std::string> questions;
  std::function<void()> onQuestion;
  bool saveLog = false;
  int fileDialogs = 0;
  std::optional<QString> savePath;
};

}  // namespace novalune::ui::testing
