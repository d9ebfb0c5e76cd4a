// The list service over real loopback sockets: the adapter in this process
// with its data folder, and the program itself started on a free port.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <string>

#include "common/SjisText.h"
#include "listservice/ListServer.h"

namespace novalune::listservice {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "listservice_server_test";
  static char* argv[] = {name, nullptr};
  static auto* app = new QCoreApplication(argc, argv);
  return *app;
}

// Sends `request` and collects everything until the service closes the connection.
std::string Exchange(quint16 port, const std::string& request) {
  QTcpSocket socket;
  std::string received;
  QEventLoop loop;
  QObject::connect(&socket, &QTcpSocket::connected,
                   [&] { socket.write(request.data(), qint64(request.size())); });
  QObject::connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll().toStdString(); });
  QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  socket.connectToHost(QHostAddress::LocalHost, port);
  loop.exec();
  received += socket.readAll().toStdString();
  return received;
}

std::string PostRequest(const std::string& body) {
  return "POST /register HTTP/1.1\r\nHost: localhost\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

std::string GetRequest(const std::string& target) {
  return "GET " + target + " HTTP/1.1\r\nHost: localhost\r\n\r\n";
}

std::string BodyOf(const std::string& response) {
  const std::size_t end = response.find("\r\n\r\n");
  return end == std::string::npos ? "" : response.substr(end + 4);
}

const std::string kRecord = Utf8ToSjis("<>ON<>雑談鯖<>p<>127.0.0.1<><><><>ロビー<><>");

class ListServerTest : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
  std::unique_ptr<ListServer> StartServer(int timeoutMs = 10000) {
    ListServerOptions options;
    options.dataDir = folder.filePath(QStringLiteral("data"));
    options.requestTimeoutMs = timeoutMs;
    auto server = std::make_unique<ListServer>(options);
    EXPECT_TRUE(server->Start(0));
    return server;
  }
  QTemporaryDir folder;
};

TEST_F(ListServerTest, RestartKeepsEntriesInTheDataFile) {
  auto first = StartServer();
  EXPECT_TRUE(BodyOf(Exchange(first->Port(), PostRequest(kRecord))).ends_with("mes_str<..>ON"));
  first.reset();
  const QDir data(folder.filePath(QStringLiteral("data")));
  EXPECT_EQ(data.entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("entries.txt")});  // no temp file left

  auto second = StartServer();
  EXPECT_EQ(BodyOf(Exchange(second->Port(), GetRequest("/list.txt"))), "雑談鯖\t127.0.0.1\tロビー\n");
  const std::string other = Utf8ToSjis("<>ON<>雑談鯖<>q<>127.0.0.1<><><><><><>");
  EXPECT_TRUE(BodyOf(Exchange(second->Port(), PostRequest(other))).ends_with("mes_str<..>1"));
}

TEST_F(ListServerTest, SlowAndOversizedRequestsAreRefusedAndClosed) {
  auto server = StartServer(300);
  const std::string slow =
      Exchange(server->Port(), "POST /register HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc");
  EXPECT_TRUE(slow.starts_with("HTTP/1.1 408 Request Timeout\r\n")) << slow;

  const std::string huge =
      "POST /register HTTP/1.1\r\nContent-Length: 70000\r\n\r\n" + std::string(70000, 'x');
  const std::string refused = Exchange(server->Port(), huge);
  EXPECT_TRUE(refused.starts_with("HTTP/1.1 413 Content Too Large\r\n")) << refused.substr(0, 80);
  EXPECT_NE(refused.find("Connection: close\r\n"), std::string::npos);
  EXPECT_EQ(BodyOf(Exchange(server->Port(), GetRequest("/list.txt"))), "");
}

TEST_F(ListServerTest, TheProgramServesOnAFreePort) {
  QProcess program;
  program.start(QStringLiteral(NOVALUNE_LIST_PROGRAM),
                {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), folder.path(),
                 QStringLiteral("--script-password"), QStringLiteral("合言葉"),
                 QStringLiteral("--expire-minutes"), QStringLiteral("5")});
  ASSERT_TRUE(program.waitForStarted());
  ASSERT_TRUE(program.waitForReadyRead(10000));
  const QString first = QString::fromUtf8(program.readLine()).trimmed();
  ASSERT_TRUE(first.startsWith(QStringLiteral("listening on "))) << first.toStdString();
  const auto port = static_cast<quint16>(first.mid(13).toUInt());
  ASSERT_NE(port, 0);

  EXPECT_TRUE(BodyOf(Exchange(port, PostRequest(kRecord))).ends_with("mes_str<..>2"));
  EXPECT_TRUE(BodyOf(Exchange(port, PostRequest(Utf8ToSjis("合言葉") + kRecord))).ends_with("mes_str<..>ON"));
  const std::string page = Exchange(port, GetRequest("/"));
  EXPECT_TRUE(page.starts_with("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n"));
  EXPECT_NE(page.find("<a href=\"ZKWC2://127.0.0.1/ロビー\">"), std::string::npos);
  EXPECT_EQ(BodyOf(Exchange(port, GetRequest("/list.txt"))), "雑談鯖\t127.0.0.1\tロビー\n");
  program.terminate();
  EXPECT_TRUE(program.waitForFinished(10000));
}

}  // namespace
}  // namespace novalune::listservice
