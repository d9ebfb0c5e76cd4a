#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/LinkHandOver.h"
#include "app/QtTranslations.h"
#include "client/ui/HelpWindow.h"
#include "support/TestSupport.h"

namespace novalune::test {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// The real program with no display at all; the event loop keeps turning so
// that a receiver in this process can answer it.
ProgramRun RunProgram(const QStringList& arguments, const QProcessEnvironment& environment) {
  QProcess process;
  QProcessEnvironment headless = environment;
  headless.remove(QStringLiteral("DISPLAY"));
  headless.remove(QStringLiteral("WAYLAND_DISPLAY"));
  headless.remove(QStringLiteral("QT_QPA_PLATFORM"));
  process.setProcessEnvironment(headless);
  process.start(QStringLiteral(NOVALUNE_PROGRAM), arguments);
  EXPECT_TRUE(ServeUntil([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(20)));
  return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(ProgramOptions, HelpVersionAndUnknownOptionsAnswerWithoutADisplay) {
  TestApp();
  const auto environment = QProcessEnvironment::systemEnvironment();
  const ProgramRun version = RunProgram({QStringLiteral("--version")}, environment);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.toStdString(), "NOVALUNE Ver1.13 (novalune 1.13.0)\n");

  const ProgramRun help = RunProgram({QStringLiteral("/sonly"), QStringLiteral("--help")}, environment);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.startsWith("Usage: novalune [/SONLY | /CONLY | ADDRESS | ZKWC2://HOST/ROOM]\n"));
  EXPECT_TRUE(help.out.contains("--version")) << help.out.toStdString();

  const ProgramRun unknown = RunProgram({QStringLiteral("--server")}, environment);
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_TRUE(unknown.out.isEmpty());
  EXPECT_EQ(unknown.err.toStdString(), "novalune: unknown option '--server' (try --help)\n");
}

TEST(QtTexts, StandardButtonsSpeakJapanese) {
  ASSERT_TRUE(app::InstallQtTranslations(TestApp())) << "qt6-translations-l10n is not installed";
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
}

sockaddr_un HandOverAddress() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = app::LinkHandOverName().toStdString();
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

TEST(HelpWindow, OpensAtItsContentsAndFindsPagesByTheirWords) {
  TestApp();
  ui::THelpWindow window;
  auto* browser = FindChild<QTextBrowser>(window, "HelpBrowser");
  auto* contents = FindChild<QListWidget>(window, "HelpContents");
  EXPECT_EQ(browser->source().toString(), "qrc:/help/index.html");
  EXPECT_EQ(browser->documentTitle(), QString::fromUtf8("目次 - NOVALUNE ヘルプ"));
  ASSERT_EQ(contents->count(), 9);
  EXPECT_EQ(contents->item(0)->text(), QString::fromUtf8("はじめに"));

  contents->setCurrentRow(4);
  emit contents->itemActivated(contents->item(4));
  EXPECT_EQ(browser->source().toString(), "qrc:/help/files.html");
  EXPECT_TRUE(browser->toPlainText().contains("7033"));

  FindChild<QLineEdit>(window, "HelpSearch")->setText(QStringLiteral("reflist"));
  QStringList shown;
  for (int row = 0; row < contents->count(); ++row)
    if (!contents->item(row)->isHidden()) shown << contents->item(row)->data(Qt::UserRole).toString();
  EXPECT_EQ(shown, (QStringList{"server.html", "settings.html"}));

  window.ShowContents();
  EXPECT_EQ(browser->source().toString(), "qrc:/help/index.html");
  EXPECT_FALSE(contents->item(4)->isHidden());
}

class Receiver : public app::LinkReceiver {
 public:
  void ConnectFromLink(const std::string& link) override { links.push_back(link); }
  std::vector<std::string> links;
};

// Each test has its own runtime folder, so its socket name is its own.
class LinkHandOverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    char pattern[] = "/tmp/novalune-run-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    runtime_ = pattern;
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(runtime_);
  }
  std::string runtime_;
};

TEST_F(LinkHandOverTest, StartedCopyHandsTheLinkToTheRunningClientAndEnds) {
  Receiver receiver;
  app::LinkHandOverServer server(receiver);
  ASSERT_TRUE(server.Listening());
  EXPECT_EQ(app::LinkHandOverName().toStdString(), runtime_ + "/novalune-links");
  const std::string link =
      "zkwc2://127.0.0.1/\xE3\x83\xAD\xE3\x83\x93\xE3\x83\xBC";  // ロビー, as a browser passes it
  const ProgramRun run = RunProgram({QString::fromStdString(link)}, QProcessEnvironment::systemEnvironment());
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  ASSERT_TRUE(ServeUntil([&] { return !receiver.links.empty(); }));
  EXPECT_EQ(receiver.links, std::vector<std::string>{link});
}

TEST_F(LinkHandOverTest, WithoutARunningClientTheCopyStartsItsOwnClient) {
  // No receiver: the copy goes on to start a client, which here finds no display.
  const ProgramRun run =
      RunProgram({QStringLiteral("ZKWC2://chat.example/room")}, QProcessEnvironment::systemEnvironment());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.err.contains("needs a desktop")) << run.err.toStdString();
}

TEST_F(LinkHandOverTest, StaleSocketIsReplacedAndALiveOneLeftToItsClient) {
  // A killed client leaves its socket file behind.
  const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un address = HandOverAddress();
  ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(stale);

  Receiver first;
  app::LinkHandOverServer live(first);
  EXPECT_TRUE(live.Listening());
  Receiver second;
  app::LinkHandOverServer other(second);
  EXPECT_FALSE(other.Listening());

  std::jthread sender([] { EXPECT_TRUE(app::HandOverLink("ZKWC2://host/room")); });
  ASSERT_TRUE(ServeUntil([&] { return !first.links.empty(); }));
  EXPECT_EQ(first.links, std::vector<std::string>{"ZKWC2://host/room"});
  EXPECT_TRUE(second.links.empty());
}

TEST_F(LinkHandOverTest, OnlyLinksAreTakenAndLongLinesAreCutOff) {
  Receiver receiver;
  app::LinkHandOverServer server(receiver);
  EXPECT_FALSE(app::HandOverLink("http://host/room"));
  // A peer that sends a line that is not a link, and one that never ends its line.
  for (const std::string& bytes : {std::string("/SONLY\n"), std::string(4096, 'Z')}) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = HandOverAddress();
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    char reply = 0;
    bool closed = false;
    ASSERT_TRUE(ServeUntil([&] {
      const ssize_t got = ::recv(fd, &reply, 1, MSG_DONTWAIT);
      closed = got == 0 || (got < 0 && errno != EAGAIN);
      return closed || got > 0;
    }));
    EXPECT_TRUE(closed) << "answered " << reply;
    ::close(fd);
  }
  // The receiver still serves a real link afterwards.
  std::jthread sender([] { EXPECT_TRUE(app::HandOverLink("ZKWC2://host/")); });
  ASSERT_TRUE(ServeUntil([&] { return !receiver.links.empty(); }));
  EXPECT_EQ(receiver.links, std::vector<std::string>{"ZKWC2://host/"});
}

}  // namespace
}  // namespace novalune::test
