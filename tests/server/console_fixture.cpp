#include "console_fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "server/console/ConsoleLink.h"

namespace novalune::test {

bool ScriptedQuestion::Ask(QWidget*, const QString& text) {
  asked.push_back(text.toStdString());
  if (whileAsking) std::exchange(whileAsking, nullptr)();
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void WhileServing(const std::function<void()>& steps) {
  std::atomic<bool> done{false};
  std::thread helper([&] {
    steps();
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  helper.join();
  Settle();
}

void ConsoleTest::SetUp() {
  TestApp();
  home = std::make_unique<QTemporaryDir>();
  ASSERT_TRUE(home->isValid());
  ::setenv("NOVALUNE_HOME", Home().c_str(), 1);
}

void ConsoleTest::TearDown() {
  form.reset();
  core.reset();
  net.reset();
  Settle();
  ::unsetenv("NOVALUNE_HOME");
}

void ConsoleTest::StartServer() {
  net = std::make_unique<server::ServerNet>(server::NetPorts{userPort, 0, 0, 0});
  core = std::make_unique<server::ServerCore>(*net, net->EnginePorts());
  net->Start(*core);
  server::ConsoleSetup setup;
  setup.firstArg = firstArg;
  setup.userPortOpen = net->UserListening();
  setup.programPath = "/opt/novalune/novalune";
  setup.question = &question;
  setup.trayAvailable = [this] { return trayAvailable; };
  setup.startClient = [this](const QString& program, const QStringList& args) {
    started.emplace_back(program, args);
    return true;
  };
  form = std::make_unique<server::TServerForm>(*core, std::move(setup));
  server::AttachConsole(*form, *net);
  QObject::connect(form.get(), &server::TServerForm::serverEnded, [this] { ++ended; });
}

std::string ConsoleTest::Home() const { return home->path().toStdString() + "/"; }

void ConsoleTest::WriteHomeFile(const std::string& name, const std::string& bytes) {
  QFile file(QString::fromStdString(Home() + name));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ConsoleTest::ReadHomeFile(const std::string& name) const {
  QFile file(QString::fromStdString(Home() + name));
  if (!file.open(QIODevice::ReadOnly)) return "(missing)";
  return file.readAll().toStdString();
}

QTableWidget* ConsoleTest::Grid(const char* name) const { return Child<QTableWidget>(name); }

QString ConsoleTest::Cell(const char* grid, int row, int column) const {
  const QTableWidgetItem* item = Grid(grid)->item(row, column);
  return item == nullptr ? QString() : item->text();
}

void ConsoleTest::TriggerAction(const char* name) const {
  QAction* action = Child<QAction>(name);
  ASSERT_NE(action, nullptr);
  action->trigger();
}

void ConsoleTest::EnterLine(const char* name, const QString& text) const {
  auto* line = Child<QLineEdit>(name);
  ASSERT_NE(line, nullptr);
  line->setText(text);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  enter.ignore();
  QCoreApplication::sendEvent(line, &enter);
  EXPECT_TRUE(enter.isAccepted()) << name << ": Enter must be consumed";
}

void ConsoleTest::Join(TestClient& client, const std::string& nick, const std::string& room,
                       const std::string& localAddress) {
  ASSERT_TRUE(client.Connect(net->UserPort(), localAddress));
  WhileServing([&] {
    EXPECT_TRUE(client.Register(nick));
    if (!room.empty()) {
      EXPECT_TRUE(client.SendLine("JOIN " + room));
    }
    EXPECT_TRUE(client.Sync().has_value());
  });
}

}  // namespace novalune::test
