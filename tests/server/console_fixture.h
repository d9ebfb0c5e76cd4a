// Test support for the console: engine, adapter and console all on the test's
// main thread (as in the program), with blocking loopback clients running on a
// helper thread while the main thread serves.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/console/ServerForm.h"
#include "server/console/ServerQuestion.h"
#include "server/core/ServerCore.h"
#include "server/net/ServerNet.h"
#include "support/TestClient.h"
#include "support/TestSupport.h"

namespace novalune::test {

// Answers the console's questions from a script (no answer left: "いいえ")
// and records every question in UTF-8.
class ScriptedQuestion : public server::ServerQuestion {
 public:
  bool Ask(QWidget* parent, const QString& question) override;
  std::deque<bool> answers;
  std::vector<std::string> asked;
  // Runs once while the next question is open (the event loop turns under a real one).
  std::function<void()> whileAsking;
};

// Runs `steps` on a helper thread while this thread keeps the event loop
// turning, then lets the console catch up with what happened.
void WhileServing(const std::function<void()>& steps);

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the server and its console; files in Home() are read now.
  void StartServer();
  std::string Home() const;
  void WriteHomeFile(const std::string& name, const std::string& bytes);
  std::string ReadHomeFile(const std::string& name) const;

  QTableWidget* Grid(const char* name) const;
  QString Cell(const char* grid, int row, int column) const;
  template <typename T>
  T* Child(const char* name) const {
    return FindChild<T>(*form, name);
  }
  void TriggerAction(const char* name) const;
  void EnterLine(const char* name, const QString& text) const;

  // Registers `nick` and, when `room` is not empty, joins it; drains the replies.
  void Join(TestClient& client, const std::string& nick, const std::string& room,
            const std::string& localAddress = "");

  std::unique_ptr<QTemporaryDir> home;
  std::unique_ptr<server::ServerNet> net;
  std::unique_ptr<server::ServerCore> core;
  std::unique_ptr<server::TServerForm> form;
  ScriptedQuestion question;
  std::vector<std::pair<QString, QStringList>> started;  // client copies
  std::uint16_t userPort = 0;                            // 0: any free port
  bool trayAvailable = false;
  std::string firstArg;
  int ended = 0;
};

}  // namespace novalune::test
