// The main window publishes its server on a real server list when it starts
// and withdraws it when it closes.
#include <QTest>

#include "client/net/HttpClient.h"
#include "support/ListProgram.h"
#include "ui_fixture.h"

namespace novalune::ui::testing {
namespace {

namespace pub = keys::server;

class PublishFromTheWindow : public FormTest {
 protected:
  std::string Get(const std::string& url) {
    std::string body = "<none>";
    http_.Get({}, QUrl(QString::fromStdString(url)),
              [&](const client::HttpResult& result) { body = result.body.toStdString(); });
    test::ServeUntil([&] { return body != "<none>"; });
    return body;
  }
  std::string LastShown(TZKWChatForm& w) {
    const auto paragraphs = w.Memo->LogParagraphs();
    if (paragraphs.empty()) return {};
    std::string text;
    for (const auto& run : paragraphs.back().runs) text += run.text;
    return text;
  }
  client::HttpClient http_;
};

TEST_F(PublishFromTheWindow, TheServerIsPublishedAtStartAndWithdrawnAtExit) {
  test::ListProgram list{QString()};
  ASSERT_NE(list.Port(), 0u);
  WriteSettingString(pub::kSection, pub::kName, Sjis("雑談鯖"));
  WriteSettingString(pub::kSection, pub::kPass, "pw");
  WriteSettingString(pub::kSection, pub::kRoom, Sjis("ロビー"));
  WriteSettingFlag(pub::kSection, pub::kAutoOnOf, true);
  SaveListFile(files::kZKWCSvr, {list.Url("/register") + "#"});
  ChatFormSetup setup;
  setup.localAddress = "127.0.0.1";
  TZKWChatForm& w = MakeForm(std::move(setup), Network::kFake);
  w.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return LastShown(w) == Sjis("サーバーを起動登録しました"); }, 10000));
  EXPECT_EQ(Get(list.Url("/list.txt")), "雑談鯖\t127.0.0.1\tロビー\n");

  ASSERT_TRUE(w.close());
  EXPECT_EQ(LastShown(w), Sjis("サーバーを停止登録しました")) << "closing waits for the withdrawal";
  EXPECT_NE(Get(list.Url("/")).find("停止中"), std::string::npos);
}

}  // namespace
}  // namespace novalune::ui::testing
