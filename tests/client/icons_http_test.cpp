// The web client and the GIF download against a real web server on loopback
// (and a real tinyproxy): time-out, size cap, redirects, abort of the previous
// request of a kind, form posts, the proxy switch, the checks on a picture,
// its temporary file and the web access question.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <filesystem>

#include "client/net/HttpClient.h"
#include "client/ui/IconFetcher.h"
#include "settings/ConnectionSettings.h"
#include "support/HttpTestServer.h"
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"
#include "support/TinyProxy.h"

namespace novalune::ui {
namespace {

using client::HttpClient;
using client::HttpResult;
using test::HttpAnswer;
using test::HttpTestServer;
using test::MakeGif;
using test::ServeUntil;

class HttpFixture : public test::ProgramFolderTest {
 protected:
  // One GET; the result once it came.
  std::optional<HttpResult> Get(const std::string& path, qint64 maxBody = HttpClient::kDefaultMaxBody) {
    std::optional<HttpResult> got;
    http.Get(
        {}, QUrl(QString::fromStdString(server.Url(path))), [&got](const HttpResult& r) { got = r; },
        maxBody);
    ServeUntil([&got] { return got.has_value(); }, std::chrono::seconds(10));
    return got;
  }

  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      names.push_back(entry.path().filename());
    return names;
  }

  // The application exists before the sockets below.
  bool appMade_ = (test::TestApp(), true);
  HttpTestServer server;
  HttpClient http;
};

TEST_F(HttpFixture, GetFollowsRedirectsWithinTheLimitAndCapsTheBody) {
  server.Serve("/a.gif", {200, "GIF89a-body"});
  server.Serve("/moved", {302, {}, "/a.gif"});
  server.Serve("/loop", {302, {}, "/loop"});
  server.Serve("/big", {200, QByteArray(5000, 'x')});
  server.Serve("/gone", {404, "no"});

  auto result = Get("/moved");
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->Ok()) << result->error.toStdString();
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->body, "GIF89a-body");

  result = Get("/loop");
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->Ok());
  EXPECT_TRUE(result->body.isEmpty());

  result = Get("/big", 1000);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->error, "body too large");
  EXPECT_TRUE(result->body.isEmpty());
  result = Get("/big", 5000);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body.size(), 5000);

  result = Get("/gone");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 404);
  EXPECT_FALSE(result->Ok());
  // The loop was followed the allowed number of times and then given up.
  int loops = 0;
  for (const auto& seen : server.Requests()) loops += seen.target == "/loop";
  EXPECT_EQ(loops, HttpClient::kMaxRedirects + 1);
}

TEST_F(HttpFixture, ASilentServerIsCutOffByTheTimeOut) {
  server.Serve("/slow.gif", {200, {}, {}, true});
  http.SetOptions({300});
  const auto started = std::chrono::steady_clock::now();
  const auto result = Get("/slow.gif");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->error, "time-out");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(HttpFixture, ANewRequestOfAKindAbortsTheRunningOneAndOthersRunOn) {
  server.Serve("/slow.gif", {200, {}, {}, true});
  server.Serve("/a.gif", {200, "second"});
  int firstAnswers = 0;
  std::optional<HttpResult> second;
  std::optional<HttpResult> other;
  const QUrl slow(QString::fromStdString(server.Url("/slow.gif")));
  http.Get("bar", slow, [&firstAnswers](const HttpResult&) { ++firstAnswers; });
  ASSERT_TRUE(ServeUntil([this] { return server.Requests().size() == 1; }));
  http.Get("bar", QUrl(QString::fromStdString(server.Url("/a.gif"))),
           [&second](const HttpResult& r) { second = r; });
  EXPECT_FALSE(http.Running("preview"));
  http.Get("preview", slow, [&other](const HttpResult& r) { other = r; });
  ASSERT_TRUE(ServeUntil([&second] { return second.has_value(); }));
  EXPECT_EQ(second->body, "second");
  EXPECT_TRUE(ServeUntil([this] { return server.SilentClosed() == 1; }));
  EXPECT_FALSE(http.Running("bar"));
  EXPECT_TRUE(http.Running("preview"));
  ASSERT_TRUE(ServeUntil([this] { return server.Requests().size() == 3; }));
  http.Abort("preview");
  EXPECT_FALSE(http.Running("preview"));
  EXPECT_TRUE(ServeUntil([this] { return server.SilentClosed() == 2; }));
  EXPECT_EQ(firstAnswers, 0);
  EXPECT_FALSE(other.has_value());
}

TEST_F(HttpFixture, FormPostSendsTheBytesPercentEncoded) {
  server.Serve("/script.cgi", {200, "OK"});
  std::optional<HttpResult> got;
  http.PostForm({}, QUrl(QString::fromStdString(server.Url("/script.cgi"))),
                {{"name", "a b&c"}, {"text", test::Sjis("あ")}}, [&got](const HttpResult& r) { got = r; });
  ASSERT_TRUE(ServeUntil([&got] { return got.has_value(); }));
  EXPECT_EQ(got->body, "OK");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].method, "POST");
  EXPECT_EQ(server.Requests()[0].body, "name=a%20b%26c&text=%82%A0");
  EXPECT_TRUE(server.Requests()[0].headers.contains("Content-Type: application/x-www-form-urlencoded"));
}

TEST_F(HttpFixture, RequestsGoThroughTheProxyOnlyWhileItIsSwitchedOn) {
  if (!test::TinyProxy::Available())
    GTEST_SKIP() << "tinyproxy is not installed (scripts/install-deps.sh ci)";
  test::TinyProxy proxy;
  ASSERT_TRUE(proxy.Start());
  server.Serve("/a.gif", {200, "picture"});

  http.SetOptions({30000, true, "127.0.0.1", proxy.Port()});
  auto result = Get("/a.gif");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body, "picture") << result->error.toStdString();
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(server.Requests()[0].headers.contains("tinyproxy"))
      << server.Requests()[0].headers.toStdString();

  http.SetOptions({30000, false, "127.0.0.1", proxy.Port()});
  result = Get("/a.gif");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body, "picture");
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_FALSE(server.Requests()[1].headers.contains("tinyproxy"));

  // A proxy that is down fails the request rather than going direct.
  QTcpServer closed;
  closed.listen(QHostAddress::LocalHost, 0);
  const quint16 deadPort = closed.serverPort();
  closed.close();
  http.SetOptions({30000, true, "127.0.0.1", deadPort});
  result = Get("/a.gif");
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->Ok());
  EXPECT_EQ(server.Requests().size(), 2u);
}

// --- FetchGif ---------------------------------------------------------------

class GifFetchTest : public HttpFixture {
 protected:
  GifResult Fetch(const std::string& url) {
    std::optional<GifResult> got;
    fetcher.FetchGif({}, url, [&got](const GifResult& r) { got = r; });
    EXPECT_TRUE(ServeUntil([&got] { return got.has_value(); }, std::chrono::seconds(10)));
    return got.value_or(GifResult{GifOutcome::kFailed, "no answer"});
  }

  settings::HttpAccessGate gate{[this](const std::string& question) {
    questions.push_back(question);
    return answer;
  }};
  std::vector<std::string> questions;
  bool answer = true;
  IconFetcher fetcher{http, [this](const std::string& q) { return gate.MayAccessOutside(q); }};
};

TEST_F(GifFetchTest, OnlyAGifBodyWithinTwoMebibytesIsAPictureAndNoTemporaryFileStays) {
  const QByteArray gif = MakeGif(32, 32, {0xFF0000, 0x0000FF});
  server.Serve("/anim.gif", {200, gif});
  server.Serve("/page.gif", {200, "<html>not a picture</html>"});
  server.Serve("/huge.gif", {200, "GIF89a" + QByteArray(IconFetcher::kMaxGifBytes, '\0')});
  server.Serve("/limit.gif", {200, "GIF89a" + QByteArray(IconFetcher::kMaxGifBytes - 6, '\0')});
  server.Serve("/slow.GIF", {200, {}, {}, true});
  http.SetOptions({500});

  GifResult result = Fetch(server.Url("/anim.gif"));
  EXPECT_EQ(result.outcome, GifOutcome::kPicture);
  EXPECT_EQ(result.gif, gif);
  EXPECT_EQ(Fetch(server.Url("/page.gif")).outcome, GifOutcome::kNoPicture);
  EXPECT_EQ(Fetch(server.Url("/huge.gif")).outcome, GifOutcome::kFailed);
  EXPECT_EQ(Fetch(server.Url("/limit.gif")).outcome, GifOutcome::kPicture);
  EXPECT_EQ(Fetch(server.Url("/slow.GIF")).outcome, GifOutcome::kFailed);
  EXPECT_EQ(Fetch(server.Url("/missing.gif")).outcome, GifOutcome::kFailed);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{});
}

TEST_F(GifFetchTest, MemberIconsDownloadAtMostSixteenAtATime) {
  server.Serve("/slow.gif", {200, {}, {}, true});
  std::vector<GifOutcome> outcomes;
  for (std::size_t n = 0; n <= IconFetcher::kMaxMemberDownloads; ++n) {
    fetcher.FetchGif({}, server.Url("/slow.gif"),
                     [&outcomes](const GifResult& r) { outcomes.push_back(r.outcome); });
  }
  ASSERT_TRUE(ServeUntil([&outcomes] { return !outcomes.empty(); }));
  EXPECT_EQ(outcomes, std::vector<GifOutcome>{GifOutcome::kFailed});
  EXPECT_EQ(http.RunningCount(), IconFetcher::kMaxMemberDownloads);
}

TEST_F(GifFetchTest, AddressesThatAreNoGifOnTheWebAreNeverRequested) {
  for (const std::string& url : {std::string(), std::string("picture.gif"), server.Url("/a.png"),
                                 server.Url("/a.gif?x=1"), std::string("file:///etc/a.gif")}) {
    EXPECT_EQ(Fetch(url).outcome, GifOutcome::kNoPicture) << url;
  }
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_EQ(GifFileName(server.Url("/dir/Me.GiF")), QStringLiteral("Me.GiF"));
}

TEST_F(GifFetchTest, NeverConnectOutsideBlocksAndTheQuestionComesOncePerRun) {
  server.Serve("/a.gif", {200, MakeGif(2, 2, {0x00FF00})});
  settings::HttpSettings values;
  values.httpNotOut = true;
  values.mesConect = true;
  gate.SetSettings(values);
  EXPECT_EQ(Fetch(server.Url("/a.gif")).outcome, GifOutcome::kNoPicture);
  EXPECT_TRUE(questions.empty());

  values.httpNotOut = false;
  gate.SetSettings(values);
  answer = false;
  EXPECT_EQ(Fetch(server.Url("/a.gif")).outcome, GifOutcome::kNoPicture);
  EXPECT_TRUE(server.Requests().empty());
  answer = true;
  EXPECT_EQ(Fetch(server.Url("/a.gif")).outcome, GifOutcome::kPicture);
  EXPECT_EQ(Fetch(server.Url("/a.gif")).outcome, GifOutcome::kPicture);
  EXPECT_EQ(questions, (std::vector<std::string>(2, test::Sjis("HTTP接続します(ICON)"))));
  EXPECT_EQ(server.Requests().size(), 2u);
}

}  // namespace
}  // namespace novalune::ui
