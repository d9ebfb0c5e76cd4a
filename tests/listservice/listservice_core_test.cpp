// The list service's rules, fed whole requests and a clock of the test's own.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "common/SjisText.h"
#include "listservice/HttpRequest.h"
#include "listservice/ListService.h"

namespace novalune::listservice {
namespace {

constexpr std::int64_t kStart = 1'000'000;

std::string BodyOf(const std::string& response) { return response.substr(response.find("\r\n\r\n") + 4); }
std::string StatusLineOf(const std::string& response) { return response.substr(0, response.find("\r\n")); }

// The record as the client sends it, from UTF-8 fields.
std::string Record(std::initializer_list<std::string_view> fields) {
  std::string record;
  for (std::string_view field : fields) record += Utf8ToSjis(field) + "<>";
  return record;
}

std::string StartRecord(std::string_view name, std::string_view password, std::string_view script = "s") {
  return Record({script, "ON", name, password, "192.168.0.2", "", "", "", "", ""});
}

struct Service {
  explicit Service(ServiceOptions options = {}) : service(std::move(options)) {}
  std::string Post(const std::string& body, std::int64_t now = kStart) {
    return service.Handle({"POST", "/register", body}, now).bytes;
  }
  std::string Get(const std::string& target, std::int64_t now = kStart) {
    return BodyOf(service.Handle({"GET", target, ""}, now).bytes);
  }
  ListService service;
};

// The table rows of the page, each as its cells' inner HTML.
std::vector<std::vector<std::string>> RowsOf(const std::string& page) {
  std::vector<std::vector<std::string>> rows;
  const std::regex row(R"(<tr>(<td>[\s\S]*?)</tr>)"), cell(R"(<td>([\s\S]*?)</td>)");
  for (std::sregex_iterator r(page.begin(), page.end(), row), end; r != end; ++r) {
    const std::string cells = (*r)[1];
    rows.emplace_back();
    for (std::sregex_iterator c(cells.begin(), cells.end(), cell); c != end; ++c)
      rows.back().push_back((*c)[1]);
  }
  return rows;
}

TEST(ListServiceTest, PublishedRecordShowsOnThePageWithEveryFieldEscaped) {
  Service list;
  const std::string answer =
      list.Post(Record({"", "ON", "<b>雑談&\"鯖'</b>", "pass-秘密", "10.0.0.5", "http://example.jp/?a=1&b=2",
                        "m@example.jp", "ようこそ<BR><script>x</script>", "部屋\"1", ""}));
  EXPECT_EQ(BodyOf(answer), "起動登録しました\nmes_str<..>ON");
  const std::string page = list.Get("/");
  EXPECT_NE(page.find("<title>公開サーバー一覧</title>"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  const auto rows = RowsOf(page);
  ASSERT_EQ(rows.size(), 1u);
  const std::vector<std::string> expected = {
      "&lt;b&gt;雑談&amp;&quot;鯖&#39;&lt;/b&gt;",
      "部屋&quot;1",
      "<a href=\"http://example.jp/?a=1&amp;b=2\">http://example.jp/?a=1&amp;b=2</a>",
      "ようこそ<br>&lt;script&gt;x&lt;/script&gt;",
      "公開中",
      "<a href=\"ZKWC2://10.0.0.5/部屋&quot;1\">ZKWC2://10.0.0.5/部屋&quot;1</a>"};
  EXPECT_EQ(rows[0], expected);
  EXPECT_EQ(page.find("m@example.jp"), std::string::npos);  // mail is not published on the page
  EXPECT_EQ(page.find("pass-"), std::string::npos);
  EXPECT_EQ(list.Get("/list.txt").find("pass-"), std::string::npos);
}

TEST(ListServiceTest, FixedAddressWinsAndStopKeepsTheEntryWithoutLink) {
  Service list;
  list.Post(
      Record({"", "ON", "鯖", "p", "192.168.0.2", "javascript:alert(1)", "", "", "雑談", "203.0.113.7"}));
  EXPECT_EQ(list.Get("/list.txt"), "鯖\t203.0.113.7\t雑談\n");
  EXPECT_EQ(RowsOf(list.Get("/"))[0][2], "javascript:alert(1)");  // not a link
  EXPECT_EQ(BodyOf(list.Post(Record({"", "OF", "鯖", "p", "192.168.0.2", "", "", "また明日", "雑談", ""}))),
            "停止登録しました\nmes_str<..>OF");
  const auto rows = RowsOf(list.Get("/"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][3], "また明日");
  EXPECT_EQ(rows[0][4], "停止中");
  EXPECT_EQ(rows[0][5], "");
  EXPECT_EQ(list.Get("/list.txt"), "鯖\t192.168.0.2\t雑談\n");
}

TEST(ListServiceTest, AnswersEachStatusAndHoldsTheNameForItsPassword) {
  Service list;
  const auto marker = [](const std::string& response) {
    return response.substr(response.find("mes_str<..>"));
  };
  EXPECT_EQ(marker(list.Post("s<>ON<>abc<>p<>192.168.0.2<><><><><><>")), "mes_str<..>ON");
  EXPECT_EQ(marker(list.Post(StartRecord("abc", "pp"))), "mes_str<..>1");  // the right one as a prefix
  EXPECT_EQ(marker(list.Post(StartRecord("abc", "P"))), "mes_str<..>1");
  EXPECT_EQ(marker(list.Post("s<>DEL<>abc<>wrong<>192.168.0.2<><><><><>")), "mes_str<..>1");
  EXPECT_EQ(list.Get("/list.txt"), "abc\t192.168.0.2\t\n");
  EXPECT_EQ(marker(list.Post("s<>DEL<>abc<>p<>192.168.0.2<><><><><>")), "mes_str<..>DE");
  EXPECT_EQ(list.Get("/list.txt"), "");
  EXPECT_EQ(marker(list.Post(StartRecord("abc", "other"))), "mes_str<..>ON");  // the name is free again
  EXPECT_EQ(BodyOf(list.Post(StartRecord("abc", "p"))),
            "この名前は既に使用されているか、パスワードが一致しません\nmes_str<..>1");
}

TEST(ListServiceTest, ScriptPasswordMustMatchWhenOneIsSet) {
  Service list(ServiceOptions{Utf8ToSjis("秘密"), 3600});
  for (std::string_view wrong : {"", "秘", "秘密2", "s"}) {
    const std::string answer = list.Post(StartRecord("abc", "p", wrong));
    EXPECT_EQ(StatusLineOf(answer), "HTTP/1.1 200 OK");
    EXPECT_EQ(BodyOf(answer), "ＣＧＩパスワードが一致しません\nmes_str<..>2") << wrong;
  }
  EXPECT_EQ(list.Get("/list.txt"), "");
  EXPECT_TRUE(BodyOf(list.Post(StartRecord("abc", "p", "秘密"))).ends_with("mes_str<..>ON"));
  EXPECT_EQ(list.Get("/list.txt"), "abc\t192.168.0.2\t\n");
}

TEST(ListServiceTest, MalformedRecordsAndWrongRequestsAreRefusedWithoutMarker) {
  Service list;
  for (std::string body :
       {std::string(""), std::string("s<>ON<>abc"), std::string("s<>ON<>abc<>"), std::string("s<>ON<><>p<>"),
        std::string("s<>XX<>abc<>p<>"), std::string("s<>on<>abc<>p<>"), std::string("<><><><><><><><><><><>"),
        std::string("s\0<>ON", 6)}) {
    const std::string answer = list.Post(body);
    EXPECT_EQ(StatusLineOf(answer), "HTTP/1.1 400 Bad Request") << body;
    EXPECT_EQ(answer.find("mes_str"), std::string::npos) << body;
  }
  EXPECT_EQ(list.Get("/list.txt"), "");
  EXPECT_EQ(StatusLineOf(list.service.Handle({"GET", "/register", ""}, kStart).bytes),
            "HTTP/1.1 405 Method Not Allowed");
  EXPECT_EQ(StatusLineOf(list.service.Handle({"POST", "/", "x"}, kStart).bytes),
            "HTTP/1.1 405 Method Not Allowed");
  EXPECT_EQ(StatusLineOf(list.service.Handle({"GET", "/etc/passwd", ""}, kStart).bytes),
            "HTTP/1.1 404 Not Found");
}

TEST(ListServiceTest, EntriesNotRefreshedExpire) {
  Service list(ServiceOptions{std::nullopt, 600});
  list.Post(StartRecord("old", "p"), kStart);
  list.Post(StartRecord("new", "p"), kStart + 100);
  EXPECT_EQ(list.Get("/list.txt", kStart + 599), "new\t192.168.0.2\t\nold\t192.168.0.2\t\n");
  list.Post(StartRecord("new", "p"), kStart + 500);  // refreshed
  const ServiceReply expired = list.service.Handle({"GET", "/list.txt", ""}, kStart + 600);
  EXPECT_TRUE(expired.storeChanged);
  EXPECT_EQ(BodyOf(expired.bytes), "new\t192.168.0.2\t\n");
  EXPECT_EQ(list.Get("/list.txt", kStart + 1099), "new\t192.168.0.2\t\n");
  EXPECT_EQ(list.Get("/list.txt", kStart + 1100), "");
  // An expired name is free for anyone.
  EXPECT_TRUE(BodyOf(list.Post(StartRecord("old", "q"), kStart + 1100)).ends_with("mes_str<..>ON"));
}

TEST(ListServiceTest, StoreFileRoundTripsAwkwardFieldsAndSkipsBrokenLines) {
  Service list;
  list.Post(Record({"", "ON", "a\tb%09", "p\nq", "1.2.3.4", "", "", "x\r\ny%", "雑談", ""}));
  list.Post(StartRecord("second", "p2"), kStart + 1);
  const std::string file = list.service.Store().Serialize();
  Service reloaded;
  reloaded.service.Store().Load(file + "garbage line\n12\t1\tonly three\n");
  EXPECT_EQ(reloaded.service.Store().Serialize(), file);
  EXPECT_EQ(RowsOf(reloaded.Get("/"))[1][0], "a\tb%09");
  EXPECT_TRUE(reloaded.Post(StartRecord("second", "other")).ends_with("mes_str<..>1"));

  Service foreign;
  foreign.service.Store().Load("some other file\n" + file.substr(file.find('\n') + 1));
  EXPECT_EQ(foreign.Get("/list.txt"), "");
}

TEST(ListServiceTest, NewNamesAreRefusedWhenTheListIsFull) {
  Service list;
  for (std::size_t i = 0; i < kMaxEntries; ++i) list.Post(StartRecord("n" + std::to_string(i), "p"));
  const std::string refused = list.Post(StartRecord("one more", "p"));
  EXPECT_EQ(StatusLineOf(refused), "HTTP/1.1 503 Service Unavailable");
  EXPECT_EQ(refused.find("mes_str"), std::string::npos);
  EXPECT_TRUE(list.Post(StartRecord("n0", "p")).ends_with("mes_str<..>ON"));  // known names still refresh
}

// The request reader, fed in one piece or byte by byte.
ParseState FeedAll(HttpRequestParser& parser, const std::string& bytes, bool byteWise) {
  if (!byteWise) return parser.Feed(bytes);
  for (char c : bytes) parser.Feed(std::string_view(&c, 1));
  return parser.State();
}

TEST(HttpRequestParserTest, ReadsARequestWholeOrByteByByte) {
  const std::string body = "s<>ON<>abc<>p<>";
  const std::string request =
      "POST /register?x=1 HTTP/1.1\r\nHost: h\r\ncontent-length:  " + std::to_string(body.size()) +
      " \r\n\r\n" + body + "TRAILING";
  for (bool byteWise : {false, true}) {
    HttpRequestParser parser;
    EXPECT_EQ(FeedAll(parser, request, byteWise), ParseState::Done);
    EXPECT_EQ(parser.Request().method, "POST");
    EXPECT_EQ(parser.Request().target, "/register");
    EXPECT_EQ(parser.Request().body, body);
  }
  HttpRequestParser get;
  EXPECT_EQ(get.Feed("GET / HTTP/1.0\r\n\r\n"), ParseState::Done);
  EXPECT_EQ(get.Request().body, "");
}

TEST(HttpRequestParserTest, RefusesOversizedAndMalformedRequests) {
  const std::string limit = std::to_string(kMaxBodyBytes);
  const std::string over = std::to_string(kMaxBodyBytes + 1);
  const struct {
    std::string request;
    int status;
  } cases[] = {
      {"POST /register HTTP/1.1\r\nContent-Length: " + over + "\r\n\r\n", 413},
      {"POST /register HTTP/1.1\r\nContent-Length: 99999999999999999999999999\r\n\r\n", 413},
      {"GET / HTTP/1.1\r\nX: " + std::string(kMaxHeaderBytes, 'a') + "\r\n\r\n", 431},
      {"GET / HTTP/1.1\r\nX: " + std::string(kMaxHeaderBytes * 3, 'a'), 431},
      {"POST /register HTTP/1.1\r\n\r\nbody", 411},
      {"POST /register HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nbody\r\n0\r\n\r\n", 501},
      {"POST /register HTTP/1.1\r\nContent-Length: 4\r\nContent-Length: 5\r\n\r\nbody", 400},
      {"POST /register HTTP/1.1\r\nContent-Length: -4\r\n\r\n", 400},
      {"POST /register HTTP/1.1\r\nContent-Length 4\r\n\r\n", 400},
      {"GET /\r\n\r\n", 400},
      {"GET http://x/ HTTP/1.1\r\n\r\n", 400},
      {"GET / SPDY/3\r\n\r\n", 400},
      {"\r\n\r\n", 400},
  };
  for (const auto& [request, status] : cases) {
    for (bool byteWise : {false, true}) {
      HttpRequestParser parser;
      EXPECT_EQ(FeedAll(parser, request, byteWise), ParseState::Failed) << request.substr(0, 60);
      EXPECT_EQ(parser.FailureStatus(), status) << request.substr(0, 60);
    }
  }
  HttpRequestParser atLimit;
  atLimit.Feed("POST /register HTTP/1.1\r\nContent-Length: " + limit + "\r\n\r\n");
  EXPECT_EQ(atLimit.Feed(std::string(kMaxBodyBytes, 'x')), ParseState::Done);
}

TEST(HttpRequestParserTest, RefusalsNameTheirStatusAndCloseTheConnection) {
  EXPECT_EQ(
      ListService::Refusal(413),
      "HTTP/1.1 413 Content Too Large\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Length: 30\r\n"
      "Connection: close\r\n\r\nデータが大きすぎます");
}

}  // namespace
}  // namespace novalune::listservice
