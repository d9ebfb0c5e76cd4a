// Downloaded pictures on screen: the member tree in icon mode, the icon bar,
// the icon dialog and the message board, each fed by a real web server on
// loopback.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "client/net/HttpClient.h"
#include "client/ui/ChatTreeView.h"
#include "client/ui/IconBar.h"
#include "client/ui/IconFetcher.h"
#include "client/ui/MessageBoard.h"
#include "client_fake.h"
#include "common/Settings.h"
#include "settings/ProxySetDlg.h"
#include "settings/SetIconDlg.h"
#include "support/HttpTestServer.h"
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"

namespace novalune::ui {
namespace {

using test::FindChild;
using test::HttpAnswer;
using test::MakeGif;
using test::ServeUntil;
using test::Sjis;

constexpr unsigned kRed = 0xFF0000;
constexpr unsigned kBlue = 0x0000FF;

class IconScreens : public test::ProgramFolderTest {
 protected:
  // The application exists before the sockets below.
  bool appMade_ = (test::TestApp(), true);

  settings::HttpAccessGate gate{[](const std::string&) { return true; }};
  test::HttpTestServer server;
  client::HttpClient http;
  IconFetcher fetcher{http, [this](const std::string& q) { return gate.MayAccessOutside(q); }};
};

// --- Member tree ------------------------------------------------------------

// The window's part: the tree follows the member list.
struct TreeFollower : client::MemberListObserver {
  void MemberIconChanged(std::size_t row) override { tree->RowChanged(row); }
  void IconModeChanged() override { tree->RowsChanged(); }
  void MemberInserted(std::size_t) override { tree->RowsChanged(); }
  void MemberRemoving(std::size_t) override { tree->RowsChanged(); }
  TChatTreeView* tree = nullptr;
};

TEST_F(IconScreens, TheTreeShowsDownloadedPicturesInIconModeAndAnimatesOnlyWhenSeen) {
  server.Serve("/red.gif", {200, MakeGif(32, 32, {kRed})});
  server.Serve("/anim.gif", {200, MakeGif(32, 32, {kBlue, kRed}, 5)});
  TreeFollower follower;
  client::MemberList members(&follower);
  TChatTreeView tree(members);
  follower.tree = &tree;
  tree.resize(200, 200);
  tree.show();
  members.AddMember("taro");
  members.AddMember("hanako");
  members.AddMember("jiro");
  members.SetIconMode(true);

  // As the window answers FetchMemberIcon.
  std::map<std::string, std::string> names;
  for (const auto& [nick, path] :
       {std::pair<std::string, std::string>{"taro", "/red.gif"}, {"hanako", "/anim.gif"}}) {
    fetcher.FetchGif({}, server.Url(path), [&, nick = nick](const GifResult& result) {
      ASSERT_EQ(result.outcome, GifOutcome::kPicture);
      names[nick] = tree.Pictures().Add(result.gif);
      members.SetMemberIcon(nick, names[nick]);
    });
  }
  ASSERT_TRUE(ServeUntil([&names] { return names.size() == 2; }));
  members.SetMemberIcon("jiro", client::kPictureDefault);
  test::Settle();

  const QImage shot = tree.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(shot.pixelColor(28, 28), QColor(Qt::red));
  EXPECT_NE(shot.pixelColor(16, 64 + 16), QColor(Qt::red));  // jiro: the peach
  EXPECT_NE(shot.pixelColor(16, 64 + 16), QColor(Qt::white));
  EXPECT_TRUE(tree.Animating(names["hanako"]));

  // The animation moves the row's picture between blue and red.
  std::set<QRgb> seen;
  ServeUntil([&] {
    seen.insert(tree.viewport()->grab().toImage().pixel(5, 32 + 5) & 0xFFFFFF);
    return seen.size() >= 2;
  });
  EXPECT_EQ(seen, (std::set<QRgb>{kRed, kBlue}));

  tree.SetAnimationAllowed(false);  // the window is minimised
  EXPECT_FALSE(tree.Animating(names["hanako"]));
  tree.SetAnimationAllowed(true);
  EXPECT_TRUE(tree.Animating(names["hanako"]));
  members.SetIconMode(false);
  test::Settle();
  EXPECT_FALSE(tree.Animating(names["hanako"]));
  tree.resize(200, 30);  // only the first row in sight
  members.SetIconMode(true);
  test::Settle();
  EXPECT_FALSE(tree.Animating(names["hanako"]));

  // A new picture replaces the old one, which is let go.
  members.SetMemberIcon("hanako", client::kPictureAway);
  members.DeleteMember("taro");
  test::Settle();
  EXPECT_EQ(tree.Pictures().Count(), 0u);
}

// --- Icon bar ---------------------------------------------------------------

TEST_F(IconScreens, TheIconBarLoadsAtMostTenEntriesAndStopsAtAFailedRequest) {
  std::vector<std::string> entries;
  for (int n = 0; n < 12; ++n) {
    const QByteArray path = "/" + QByteArray::number(n) + ".gif";
    server.Serve(path, {200, MakeGif(32, 32, {kRed, kBlue})});
    entries.push_back(server.Url(path.toStdString()));
  }
  server.Serve("/3.gif", {200, "not a picture"});
  entries[5] = "no-address.gif";
  TIconBar bar(fetcher);
  bar.show();
  EXPECT_EQ(bar.findChildren<TGIFButton*>().size(), 10);

  bar.SetIconList(entries, true);
  ASSERT_TRUE(ServeUntil([&bar] { return !bar.Loading(); }));
  for (std::size_t n = 0; n < TIconBar::kButtons; ++n) {
    EXPECT_EQ(bar.Button(n)->HasPicture(), n != 3 && n != 5) << n;
  }
  EXPECT_EQ(server.Requests().size(), 9u);
  EXPECT_EQ(bar.findChildren<TGIFButton*>().size(), 10);

  // The mouse-over picture runs only while the pointer is over the button.
  TGIFButton* button = bar.Button(0);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(button, &enter);
  EXPECT_TRUE(button->Animating());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(button, &leave);
  EXPECT_FALSE(button->Animating());

  // A silent server: the reload ends there, the earlier buttons keep their pictures.
  server.Serve("/2.gif", {200, {}, {}, true});
  http.SetOptions({300});
  bar.SetIconList(entries, true);
  EXPECT_FALSE(bar.Button(0)->HasPicture());  // emptied first
  ASSERT_TRUE(ServeUntil([&bar] { return !bar.Loading(); }));
  EXPECT_TRUE(bar.Button(0)->HasPicture());
  EXPECT_TRUE(bar.Button(1)->HasPicture());
  for (std::size_t n = 2; n < TIconBar::kButtons; ++n) EXPECT_FALSE(bar.Button(n)->HasPicture()) << n;
  EXPECT_EQ(server.Requests().size(), 12u);

  // Never connecting outside leaves the bar as it is.
  settings::HttpSettings values;
  values.httpNotOut = true;
  gate.SetSettings(values);
  bar.SetIconList(entries, true);
  EXPECT_TRUE(bar.Button(0)->HasPicture());
  EXPECT_FALSE(bar.Loading());
}

TEST_F(IconScreens, ClickingAnIconButtonSendsIconAndChgicon) {
  client::testing::ClientFixture client;
  client.view.iconList = {"http://a/0.gif", "http://a/1.gif"};
  client.JoinRoom("#lobby");
  TIconBar bar(fetcher);
  QObject::connect(&bar, &TIconBar::iconClicked,
                   [&client](std::size_t n) { client.core.SpeedButtonClick(n); });
  bar.show();
  QTest::mouseClick(bar.Button(7), Qt::LeftButton);
  QTest::mouseClick(bar.Button(1), Qt::LeftButton);
  EXPECT_EQ(client.net.TakeLines(), (std::vector<std::string>{"ICON http://a/1.gif", "CHGICON taro"}));
}

// --- Icon dialog ------------------------------------------------------------

TEST_F(IconScreens, TheIconDialogEditsOrdersAndSavesTheListWithItsSelection) {
  server.Serve("/b.gif", {200, MakeGif(32, 32, {kRed})});
  const std::string a = server.Url("/a.gif");
  const std::string b = server.Url("/b.gif");
  const std::string c = server.Url("/c.gif");
  SaveListFile(files::kIconList, {a, b, c});
  WriteSettingString("ICON", "URL", b);
  WriteSettingInt("ICON", "SelectNo", 1);
  std::vector<std::string> applied;
  settings::TSetIconDlg dialog(IconPreviewOf(fetcher),
                               [&applied](const std::string& url) { applied.push_back(url); });
  dialog.show();
  auto* list = FindChild<QListWidget>(dialog, "ListBox");
  auto* edit = FindChild<QLineEdit>(dialog, "IconEdit");
  auto* add = FindChild<QPushButton>(dialog, "AddBtn");
  auto* del = FindChild<QPushButton>(dialog, "DelBtn");
  EXPECT_EQ(dialog.SelectedIndex(), 1);
  EXPECT_TRUE(del->isEnabled());
  EXPECT_FALSE(add->isEnabled());  // the address is in the list already
  ASSERT_TRUE(ServeUntil([&dialog] { return dialog.PreviewShown(); }));

  // Another letter case is another address; it goes before the selection.
  const std::string upper = server.Url("/B.gif");
  edit->setText(QString::fromStdString("  " + upper + " "));
  EXPECT_TRUE(add->isEnabled());
  add->click();
  EXPECT_EQ(edit->text().toStdString(), upper);
  EXPECT_FALSE(add->isEnabled());
  EXPECT_EQ(dialog.Entries(), (std::vector<std::string>{a, upper, b, c}));
  ASSERT_TRUE(ServeUntil([this] { return server.Requests().size() == 2; }));
  EXPECT_FALSE(dialog.PreviewShown());  // 404: the preview stays empty

  // Dragging the first entry down to the third place.
  QWidget* viewport = list->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
  QMouseEvent move(QEvent::MouseMove, list->visualItemRect(list->item(2)).center(),
                   viewport->mapToGlobal(list->visualItemRect(list->item(2)).center()), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &move);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
  EXPECT_EQ(dialog.Entries(), (std::vector<std::string>{upper, b, a, c}));
  EXPECT_EQ(dialog.SelectedIndex(), 2);

  FindChild<QPushButton>(dialog, "SetBtn")->click();
  EXPECT_EQ(applied, (std::vector<std::string>{upper}));
  EXPECT_EQ(LoadListFile(files::kIconList), (std::vector<std::string>{a, b, c}));  // nothing saved yet

  del->click();
  EXPECT_EQ(dialog.SelectedIndex(), -1);
  EXPECT_FALSE(del->isEnabled());
  EXPECT_TRUE(edit->text().isEmpty());
  list->setCurrentRow(1);
  edit->setText(QString::fromStdString(c));
  FindChild<QPushButton>(dialog, "OKBtn")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.IconName(), c);
  EXPECT_EQ(ReadBytes("ICONLIST.TXT"), upper + "\r\n" + b + "\r\n" + c + "\r\n");
  EXPECT_EQ(ReadSettingString("ICON", "URL"), c);
  EXPECT_EQ(ReadSettingInt("ICON", "SelectNo"), 1);
}

// --- Message board ----------------------------------------------------------

TEST_F(IconScreens, TheMessageBoardShowsTheNoticeOfTheConfiguredPageOnly) {
  server.Serve(
      "/novalune/message.html",
      {200, "<html>[MESSTR]" + QByteArray::fromStdString(Sjis("今日は晴れ")) + "[MESEND][MESSTR]x</html>"});
  QLabel status;
  TMessageBoard board(http, gate, &status);
  const QString initial = QString::fromUtf8("Novaluneからのメッセージ");
  EXPECT_EQ(status.text(), initial);

  board.NovaluneMessage(true);  // no address: nothing fetched
  settings::HttpSettings values;
  values.messageUrl = server.Url("/novalune/message.html");
  values.httpNotOut = true;
  gate.SetSettings(values);
  board.NovaluneMessage(true);
  values.httpNotOut = false;
  gate.SetSettings(values);
  board.NovaluneMessage(false);  // status bar hidden
  EXPECT_EQ(status.text(), initial);

  board.NovaluneMessage(true);
  EXPECT_TRUE(status.text().isEmpty());
  ASSERT_TRUE(ServeUntil([&status] { return !status.text().isEmpty(); }));
  EXPECT_EQ(status.text(), QString::fromUtf8("今日は晴れ"));
  EXPECT_EQ(server.Requests().size(), 1u);

  EXPECT_EQ(ExtractNotice("[MESEND]a[MESSTR]b"), std::nullopt);
  EXPECT_EQ(ExtractNotice("[MESSTR]only"), std::nullopt);
  EXPECT_EQ(ExtractNotice("x[MESSTR][MESEND]"), "");
}

TEST_F(IconScreens, TheConnectionSettingsKeepTheNoticeAddressEmptyByDefault) {
  settings::TProxySetDlg dialog([](const std::string&) {});
  auto* edit = FindChild<QLineEdit>(dialog, "MessageUrlEdit");
  EXPECT_TRUE(edit->text().isEmpty());
  EXPECT_EQ(settings::LoadHttpSettings().messageUrl, "");
  edit->setText(QStringLiteral(" http://news.example/novalune/message.html "));
  dialog.OKBtnClick();
  EXPECT_EQ(ReadSettingString("ICON", "MESSAGEURL"), "http://news.example/novalune/message.html");
  EXPECT_EQ(settings::TProxySetDlg([](const std::string&) {}).Values().messageUrl,
            "http://news.example/novalune/message.html");
}

}  // namespace
}  // namespace novalune::ui
