// Publication over real sockets: the records on the wire, the answers and
// their notices, a script that never answers, the consent paths, and the
// whole round against the real novalune-list program on a free port.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

#include "client/net/HttpClient.h"
#include "client/ui/Publisher.h"
#include "common/Settings.h"
#include "common/SettingsFile.h"
#include "settings/SetServerDlg.h"
#include "support/HttpTestServer.h"
#include "support/ListProgram.h"
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"

namespace novalune::client {
namespace {

using test::Sjis;
namespace pub = keys::server;

class PublishNet : public test::ProgramFolderTest {
 protected:
  void SetUp() override {
    test::ProgramFolderTest::SetUp();
    test::TestApp();
    WriteSettingString(pub::kSection, pub::kName, Sjis("雑談鯖"));
    WriteSettingString(pub::kSection, pub::kPass, "pw");
    WriteSettingString(pub::kSection, pub::kRoom, Sjis("ロビー"));
    publisher_ = std::make_unique<Publisher>(
        http_, gate_, [] { return std::string("127.0.0.1"); },
        [this](const std::string& line) { lines_.push_back(line); });
  }

  void Scripts(const std::vector<std::string>& lines) { SaveListFile(files::kZKWCSvr, lines); }
  bool Finish() {
    return test::ServeUntil([this] { return !publisher_->Running(); }, std::chrono::seconds(10));
  }
  std::string Get(const std::string& url) {
    std::string body = "<none>";
    http_.Get({}, QUrl(QString::fromStdString(url)),
              [&](const HttpResult& r) { body = r.body.toStdString(); });
    test::ServeUntil([&] { return body != "<none>"; });
    return body;
  }
  std::unique_ptr<settings::TSetServerDlg> Dialog() {
    return std::make_unique<settings::TSetServerDlg>(publisher_->Web(), gate_, "127.0.0.1",
                                                     [this](const std::string& n) { notices_.push_back(n); });
  }

  HttpClient http_;
  std::vector<std::string> questions_;
  bool answer_ = true;
  settings::HttpAccessGate gate_{[this](const std::string& q) {
    questions_.push_back(q);
    return answer_;
  }};
  std::unique_ptr<Publisher> publisher_;
  std::vector<std::string> lines_;
  std::vector<std::string> notices_;
};

TEST_F(PublishNet, RecordsGoOutAsPostBodiesToEachScriptInRowOrder) {
  test::HttpTestServer web;
  web.Serve("/a", {200, "mes_str<..>ON"});
  web.Serve("/b", {200, "hello mes_str<..>1"});
  WriteFileAtomically(PathOf("htmlmsg1.txt"), Sjis("ようこそ\r\n1+1%3D2"));
  Scripts({web.Url("/a") + "#s", "", web.Url("/b") + "#"});
  auto dialog = Dialog();
  dialog->ONBtnClick();
  ASSERT_TRUE(Finish());
  ASSERT_EQ(web.Requests().size(), 2U);
  EXPECT_EQ(web.Requests()[0].method, "POST");
  EXPECT_EQ(web.Requests()[0].target, "/a");
  EXPECT_EQ(web.Requests()[0].body.toStdString(),
            Sjis("s<>ON<>雑談鯖<>pw<>127.0.0.1<><><>ようこそ<BR>1 1=2<>ロビー<><>"));
  EXPECT_EQ(web.Requests()[1].body.toStdString(),
            Sjis("<>ON<>雑談鯖<>pw<>127.0.0.1<><><>ようこそ<BR>1 1=2<>ロビー<><>"));
  // Only the last answer is read.
  EXPECT_EQ(notices_,
            std::vector<std::string>{Sjis("この名前は既に使用されているか、パスワードが一致しません")});
}

TEST_F(PublishNet, ButtonCheckAndAnAnswerWithoutMarkerShowNothingElse) {
  test::HttpTestServer web;
  web.Serve("/a", {200, "thanks"});
  Scripts({web.Url("/a") + "#s"});
  auto dialog = Dialog();
  dialog->findChild<QLineEdit*>("PassEdit")->clear();
  dialog->OffBtnClick();
  EXPECT_EQ(notices_, std::vector<std::string>{Sjis("パスワードが入力されていません")});
  EXPECT_FALSE(publisher_->Running());
  dialog->findChild<QLineEdit*>("PassEdit")->setText("pw");
  dialog->OffBtnClick();
  ASSERT_TRUE(Finish());
  EXPECT_EQ(web.Requests().size(), 1U);
  EXPECT_EQ(notices_.size(), 1U);
}

TEST_F(PublishNet, CheckOpensTheSelectedScriptAfterTheQuestion) {
  Scripts({"http://one/#a", "http://two/#b"});
  settings::HttpSettings settings;
  settings.mesConect = true;
  gate_.SetSettings(settings);
  std::vector<std::string> opened;
  settings::PublicationWeb web = publisher_->Web();
  web.open = [&](const std::string& address) { opened.push_back(address); };
  settings::TSetServerDlg dialog(web, gate_, "127.0.0.1");
  dialog.CgiGridClick(1);
  answer_ = false;
  dialog.ViewBtnClick();
  answer_ = true;
  dialog.ViewBtnClick();
  EXPECT_EQ(opened, std::vector<std::string>{"http://two/"});
  EXPECT_EQ(questions_.size(), 2U);
}

TEST_F(PublishNet, AScriptThatNeverAnswersEndsTheRoundSilentlyAtTheTimeOut) {
  test::HttpTestServer web;
  web.Serve("/silent", {200, {}, {}, true});
  web.Serve("/later", {200, "mes_str<..>ON"});
  http_.SetOptions({300});
  Scripts({web.Url("/silent") + "#", web.Url("/later") + "#"});
  publisher_->PublishStartAuto();
  ASSERT_TRUE(Finish());
  EXPECT_EQ(web.Requests().size(), 1U);
  EXPECT_TRUE(lines_.empty());
  EXPECT_TRUE(test::ServeUntil([&] { return web.SilentClosed() == 1; }));
  // A script address that is no web address fails the same way, before any post.
  Scripts({"file:///etc/hostname#", web.Url("/later") + "#"});
  publisher_->PublishStartAuto();
  EXPECT_FALSE(publisher_->Running());
  EXPECT_EQ(web.Requests().size(), 1U);
  EXPECT_TRUE(lines_.empty());
}

TEST_F(PublishNet, ConsentHttpNotOutStopsOnlyThePublicationAndTheQuestionComesOnce) {
  test::HttpTestServer web;
  web.Serve("/a", {200, "x"});
  Scripts({web.Url("/a") + "#"});
  settings::HttpSettings settings;
  settings.httpNotOut = true;
  settings.mesConect = true;
  gate_.SetSettings(settings);
  publisher_->PublishStartAuto();
  EXPECT_FALSE(publisher_->Running());
  EXPECT_TRUE(questions_.empty());
  // The withdrawal goes out all the same, after the question.
  answer_ = false;
  publisher_->PublishStopAuto();
  EXPECT_FALSE(publisher_->Running());
  answer_ = true;
  publisher_->PublishStopAuto();
  ASSERT_TRUE(Finish());
  publisher_->PublishStopAuto();
  ASSERT_TRUE(Finish());
  EXPECT_EQ(questions_, std::vector<std::string>(2, Sjis("HTTP接続します(URL)")));
  EXPECT_EQ(web.Requests().size(), 2U);
  EXPECT_EQ(lines_, std::vector<std::string>(2, Sjis("サーバーを停止登録しました")));
}

TEST_F(PublishNet, TheListServiceShowsTheServerFromStartToDelete) {
  test::ListProgram list(QStringLiteral("合言葉"));
  ASSERT_NE(list.Port(), 0U);
  Scripts({list.Url("/register") + "#" + Sjis("合言葉")});
  publisher_->PublishStartAuto();
  ASSERT_TRUE(Finish());
  EXPECT_EQ(lines_, std::vector<std::string>{Sjis("サーバーを起動登録しました")});
  EXPECT_EQ(Get(list.Url("/list.txt")), "雑談鯖\t127.0.0.1\tロビー\n");
  EXPECT_NE(Get(list.Url("/")).find("ZKWC2://127.0.0.1/ロビー"), std::string::npos);

  auto dialog = Dialog();
  for (auto click : {&settings::TSetServerDlg::OffBtnClick, &settings::TSetServerDlg::DelBtnClick}) {
    (dialog.get()->*click)();
    ASSERT_TRUE(Finish());
  }
  EXPECT_EQ(notices_, (std::vector<std::string>{Sjis("停止登録しました"), Sjis("削除しました")}));
  EXPECT_EQ(Get(list.Url("/list.txt")), "");

  dialog->findChild<QTableWidget*>("CgiGrid")->item(0, 2)->setText("wrong");
  dialog->ONBtnClick();
  ASSERT_TRUE(Finish());
  EXPECT_EQ(notices_.back(), Sjis("ＣＧＩパスワードが一致しません"));
}

TEST_F(PublishNet, TheDialogStoresEverythingWhenItGoesAndCloseAbortsAPost) {
  test::HttpTestServer web;
  web.Serve("/silent", {200, {}, {}, true});
  Scripts({"  " + web.Url("/silent") + " # p ", "no hash", "http://x/#y"});
  auto dialog = Dialog();
  auto* grid = dialog->findChild<QTableWidget*>("CgiGrid");
  EXPECT_EQ(grid->item(1, 1)->text(), QString());
  dialog->CgiGridClick(2);
  EXPECT_EQ(grid->item(2, 0)->text(), QStringLiteral("★"));
  EXPECT_EQ(grid->item(0, 0)->text(), QString());
  dialog->CgiGridClick(0);
  dialog->CgiGridExit();
  dialog->ONBtnClick();
  ASSERT_TRUE(test::ServeUntil([&] { return web.Requests().size() == 1; }));
  dialog->CloseBtnClick();
  EXPECT_FALSE(publisher_->Running());
  EXPECT_TRUE(test::ServeUntil([&] { return web.SilentClosed() == 1; }));
  dialog->findChild<QCheckBox*>("AutoTimeCheck")->setChecked(true);
  dialog->findChild<QLineEdit*>("AutoStrTime")->setText("PM 10:00");
  dialog->findChild<QPlainTextEdit*>("StopMessage")->setPlainText(QStringLiteral("また\nね"));
  dialog.reset();
  EXPECT_EQ(ReadBytes("ZKWCSvr.txt"), web.Url("/silent") + "#p\r\nhttp://x/#y\r\n");
  EXPECT_EQ(ReadBytes("htmlmsg2.txt"), Sjis("また\r\nね"));
  EXPECT_TRUE(ReadSettingFlag(pub::kSection, pub::kAutoTime));
  EXPECT_EQ(ReadSettingString(pub::kSection, pub::kAutoStrTime), "PM 10:00");
  EXPECT_TRUE(notices_.empty());
}

TEST_F(PublishNet, TheWithdrawalAtExitIsWaitedForAndClosingAbortsARunningPublication) {
  test::HttpTestServer web;
  web.Serve("/a", {200, "x"});
  web.Serve("/silent", {200, {}, {}, true});
  Scripts({web.Url("/a") + "#"});
  publisher_->PublishStopAuto();
  publisher_->Wait();
  EXPECT_EQ(lines_, std::vector<std::string>{Sjis("サーバーを停止登録しました")});
  Scripts({web.Url("/silent") + "#"});
  publisher_->PublishStartAuto();
  ASSERT_TRUE(test::ServeUntil([&] { return web.Requests().size() == 2; }));
  publisher_.reset();
  EXPECT_TRUE(test::ServeUntil([&] { return web.SilentClosed() == 1; }));
  EXPECT_EQ(lines_.size(), 1U);
}

}  // namespace
}  // namespace novalune::client
