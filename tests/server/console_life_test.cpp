// The console's life: first showing, the host link's requests and ending,
// Exit with its questions, and what is kept across runs.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include "common/Settings.h"
#include "console_fixture.h"
#include "server/console/ServerQuestion.h"
#include "server/net/PosixSocket.h"

namespace novalune::test {
namespace {

const std::string kAskExit = "NOVALUNEサーバーを終了します";
const std::string kAskExitWithUsers = "現在接続されているユーザーは切断されます";

TEST_F(ConsoleTest, FirstShowHidesIntoTheTrayAndStartsTheClientCopy) {
  trayAvailable = true;
  StartServer();
  form->FirstShow();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->findChild<QLabel*>("UserPortNotice"), nullptr) << "no notice while the port is open";
  ASSERT_NE(form->TrayIcon(), nullptr);
  EXPECT_TRUE(form->TrayIcon()->isVisible());
  EXPECT_EQ(form->TrayIcon()->toolTip(), QString::fromUtf8("NOVALUNEサーバー"));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].first, "/opt/novalune/novalune");
  EXPECT_EQ(started[0].second, QStringList{});

  // The tray's menu and its double click.
  QMenu* menu = form->TrayIcon()->contextMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8("サーバーWindowを表示する"));
  EXPECT_EQ(menu->actions()[1]->text(), QString::fromUtf8("サーバーの終了"));
  menu->actions()[0]->trigger();
  EXPECT_TRUE(form->isVisible());
  Child<QPushButton>("CloseBtn")->click();
  EXPECT_FALSE(form->isVisible());
  emit form->TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(form->isVisible());
  TriggerAction("MenuClose");
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(ended, 0) << "closing the window never ends the server";
}

TEST_F(ConsoleTest, WithoutATrayTheConsoleStaysReachableMinimised) {
  StartServer();
  form->FirstShow();
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->isMinimized());
  Child<QPushButton>("CloseBtn")->click();
  EXPECT_TRUE(form->isVisible()) << "hidden without a tray, it could never be reached";
  EXPECT_TRUE(form->isMinimized());
  ASSERT_EQ(started.size(), 1u);
}

TEST_F(ConsoleTest, ServerOnlyStartsNoClientCopy) {
  trayAvailable = true;
  firstArg = "/SONLY";
  StartServer();
  form->FirstShow();
  EXPECT_TRUE(started.empty());
  EXPECT_FALSE(form->isVisible());
}

TEST_F(ConsoleTest, ATakenChatPortIsSaidPlainlyInTheConsoleThatShowsItself) {
  server::net::Fd holder = server::net::BindTcp("0.0.0.0", 0);
  ASSERT_TRUE(holder.Valid() && server::net::Listen(holder.Get()));
  userPort = server::net::LocalPort(holder.Get());
  trayAvailable = true;
  StartServer();
  ASSERT_FALSE(net->UserListening());
  form->FirstShow();
  EXPECT_TRUE(form->isVisible()) << "shown, not hidden in the tray";
  auto* notice = Child<QLabel>("UserPortNotice");
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_EQ(notice->text(),
            QString::fromUtf8("チャット用のポートを開けませんでした。このサーバーには接続できません"));
  EXPECT_EQ(started.size(), 1u) << "the client copy still starts";
}

TEST_F(ConsoleTest, ReloadReadsTheRefuseListAndPassHostAgain) {
  WriteHomeFile("RefList.txt", "127.0.0.7\r\n");
  StartServer();
  Child<QCheckBox>("ServerLock")->setChecked(true);
  WriteHomeFile("RefList.txt", "127.0.0.9\r\n127.0.0.8\r\n");
  WriteHomeFile("NOVALUNE.INI", "[Server]\r\nPassHost=1\r\n");
  form->ReloadState();
  auto* list = Child<QListWidget>("RefList");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "127.0.0.8");
  EXPECT_EQ(core->RefList(), (std::vector<std::string>{"127.0.0.8", "127.0.0.9"}));
  EXPECT_TRUE(Child<QCheckBox>("PassCheck")->isChecked());
  EXPECT_TRUE(core->PassCheck());
  EXPECT_TRUE(core->ServerLock()) << "the lock is no saved state";
}

TEST_F(ConsoleTest, ViewOnTheHostLinkShowsTheConsole) {
  trayAvailable = true;
  StartServer();
  form->FirstShow();
  TestClient link, user;
  ASSERT_TRUE(link.Connect(net->HostPort()));
  // The START notice for a later user proves the link is registered.
  ASSERT_TRUE(user.Connect(net->UserPort()));
  WhileServing([&] { EXPECT_TRUE(link.Expect("START  127.0.0.1")); });
  EXPECT_FALSE(form->isVisible());
  // The host link and the user port share one event loop: a user's PONG
  // comes after what the link sent before it has been read.
  WhileServing([&] {
    EXPECT_TRUE(link.SendRaw("VI"));
    EXPECT_TRUE(user.Sync().has_value());
    EXPECT_TRUE(link.SendRaw("EW"));
    EXPECT_TRUE(user.Sync().has_value());
    EXPECT_TRUE(link.SendRaw("VIEW\r\n"));
    EXPECT_TRUE(user.Sync().has_value());
  });
  Settle();
  EXPECT_FALSE(form->isVisible()) << "only the four bytes in one block ask for the console";
  WhileServing([&] {
    EXPECT_TRUE(link.SendRaw("VIEW"));
    EXPECT_TRUE(user.Sync().has_value());
  });
  Settle();
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(question.asked.empty());
}

// Wherever it was left, the console comes back whole on the screen.
TEST_F(ConsoleTest, TheConsoleShownFromTheTrayLiesWhollyOnTheScreen) {
  trayAvailable = true;
  StartServer();
  form->FirstShow();
  const QRect area = form->screen()->availableGeometry();
  form->move(area.right() - 50, area.bottom() - 20);
  form->ShowConsole();
  Settle();
  ASSERT_TRUE(form->isVisible());
  EXPECT_TRUE(area.contains(form->frameGeometry()))
      << "frame " << form->frameGeometry().x() << "," << form->frameGeometry().y();
}

TEST_F(ConsoleTest, LastHostLinkClosingOnAnIdleServerAsksToExit) {
  trayAvailable = true;
  StartServer();
  form->FirstShow();
  TestClient first, second, user;
  ASSERT_TRUE(first.Connect(net->HostPort()));
  ASSERT_TRUE(second.Connect(net->HostPort()));
  ASSERT_TRUE(user.Connect(net->UserPort()));
  WhileServing([&] {
    EXPECT_TRUE(first.Expect("START  127.0.0.1"));
    EXPECT_TRUE(second.Expect("START  127.0.0.1"));
  });
  user.Disconnect();
  WhileServing([&] { EXPECT_TRUE(first.Expect("END  127.0.0.1")); });

  // One link of two closes: nothing yet. The last one: the question.
  question.answers = {false};
  first.Disconnect();
  second.Disconnect();
  // The first link's end was handled before the second's: one question in all.
  ASSERT_TRUE(ServeUntil([&] { return !question.asked.empty(); }));
  Settle();
  EXPECT_EQ(question.asked, std::vector<std::string>{kAskExit});
  EXPECT_TRUE(form->isVisible()) << "an operator who said no gets the console";
  EXPECT_EQ(ended, 0);
}

TEST_F(ConsoleTest, LastHostLinkClosingWithUsersShowsTheConsole) {
  trayAvailable = true;
  StartServer();
  form->FirstShow();
  TestClient link, user;
  ASSERT_TRUE(link.Connect(net->HostPort()));
  Join(user, "taro", "#A");
  WhileServing([&] { EXPECT_TRUE(link.Expect("START  127.0.0.1")); });
  link.Disconnect();
  WhileServing([&] { EXPECT_TRUE(user.Sync().has_value()); });
  Settle();
  EXPECT_TRUE(question.asked.empty());
  EXPECT_TRUE(form->isVisible());
}

TEST_F(ConsoleTest, LastHostLinkClosingOnAnIdleServerEndsItOnYes) {
  trayAvailable = true;
  StartServer();
  form->FirstShow();
  TestClient link, user;
  ASSERT_TRUE(link.Connect(net->HostPort()));
  ASSERT_TRUE(user.Connect(net->UserPort()));
  WhileServing([&] { EXPECT_TRUE(link.Expect("START  127.0.0.1")); });
  user.Disconnect();
  WhileServing([&] { EXPECT_TRUE(link.Expect("END  127.0.0.1")); });
  question.answers = {true};
  link.Disconnect();
  ASSERT_TRUE(ServeUntil([&] { return ended > 0; }));
  Settle();
  EXPECT_EQ(question.asked, std::vector<std::string>{kAskExit});
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(ReadHomeFile("RefList.txt"), "");
}

TEST_F(ConsoleTest, ExitWithUsersAsksAndNoKeepsEverythingRunning) {
  StartServer();
  TestClient taro;
  Join(taro, "taro", "#A");
  question.answers = {false, false};
  Child<QPushButton>("ExitBtn")->click();
  TriggerAction("MenuEnd");
  EXPECT_EQ(question.asked, (std::vector<std::string>{kAskExitWithUsers, kAskExitWithUsers}));
  EXPECT_EQ(ended, 0);
  WhileServing([&] { EXPECT_TRUE(taro.Sync().has_value()); });
  EXPECT_EQ(ReadHomeFile("RefList.txt"), "(missing)");
  EXPECT_EQ(ReadHomeFile("NOVALUNE.INI"), "(missing)");
}

TEST_F(ConsoleTest, ExitOnYesSavesTheListsAndDropsEveryUser) {
  WriteHomeFile("NOVALUNE.INI", "[System]\r\nNick=taro\r\n");
  StartServer();
  TestClient taro, remote;
  Join(taro, "taro", "#A");
  Join(remote, "remote", "#A", "127.0.0.2");
  Grid("UserGrid")->selectRow(1);
  question.answers = {true, true};
  Child<QPushButton>("RefBtn")->click();
  Child<QCheckBox>("PassCheck")->setChecked(true);

  Child<QPushButton>("ExitBtn")->click();
  EXPECT_EQ(question.asked.back(), kAskExitWithUsers);
  EXPECT_EQ(ended, 1);
  WhileServing([&] {
    EXPECT_TRUE(taro.WaitClosed());
    EXPECT_TRUE(remote.WaitClosed());
  });
  EXPECT_EQ(ReadHomeFile("RefList.txt"), "127.0.0.2\r\n");
  EXPECT_EQ(ReadHomeFile("NOVALUNE.INI"), "[System]\r\nNick=taro\r\n[Server]\r\nPassHost=1\r\n");
}

TEST_F(ConsoleTest, RefuseListAndPassHostSurviveARestart) {
  WriteHomeFile("RefList.txt", "127.0.0.7\r\n\r\n127.0.0.3\r\n");
  WriteHomeFile("NOVALUNE.INI", "[Server]\r\nPassHost=1\r\n");
  StartServer();
  EXPECT_TRUE(Child<QCheckBox>("PassCheck")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>("ServerLock")->isChecked());
  auto* list = Child<QListWidget>("RefList");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "127.0.0.3");
  TestClient refused;
  ASSERT_TRUE(refused.Connect(net->UserPort(), "127.0.0.7"));
  WhileServing([&] { EXPECT_TRUE(refused.WaitClosed()); });

  list->item(0)->setSelected(true);
  Child<QPushButton>("ListDelBtn")->click();
  Child<QCheckBox>("PassCheck")->setChecked(false);
  question.answers = {true};
  TriggerAction("MenuEnd");
  ASSERT_EQ(ended, 1);
  EXPECT_EQ(question.asked, std::vector<std::string>{kAskExit});
  EXPECT_EQ(ReadHomeFile("RefList.txt"), "127.0.0.7\r\n");
  EXPECT_EQ(ReadHomeFile("NOVALUNE.INI"), "[Server]\r\nPassHost=0\r\n");

  // The next run starts from what was saved.
  form.reset();
  core.reset();
  net.reset();
  StartServer();
  EXPECT_FALSE(Child<QCheckBox>("PassCheck")->isChecked());
  ASSERT_EQ(Child<QListWidget>("RefList")->count(), 1);
  TestClient allowed;
  ASSERT_TRUE(allowed.Connect(net->UserPort(), "127.0.0.3"));
  WhileServing([&] { EXPECT_TRUE(allowed.Register("allowed")); });
}

TEST(ServerQuestionTest, DialogLooksAndAnswersAsTheServerQuestionBox) {
  TestApp();

  server::TSMesDsp2Dlg dialog(QString::fromUtf8("このユーザーを切断します"));
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("NOVALUNEサーバーメッセージ"));
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
  auto* memo = dialog.findChild<QPlainTextEdit*>("Memo");
  ASSERT_NE(memo, nullptr);
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->toPlainText(), QString::fromUtf8("このユーザーを切断します"));
  auto* yes = dialog.findChild<QPushButton*>("YesBtn");
  auto* no = dialog.findChild<QPushButton*>("NoBtn");
  ASSERT_NE(yes, nullptr);
  ASSERT_NE(no, nullptr);
  EXPECT_EQ(yes->text(), QString::fromUtf8("はい"));
  EXPECT_EQ(no->text(), QString::fromUtf8("いいえ"));

  QTimer::singleShot(0, yes, &QPushButton::click);
  EXPECT_EQ(dialog.exec(), server::TSMesDsp2Dlg::kYes);
  QTimer::singleShot(0, no, &QPushButton::click);
  EXPECT_EQ(dialog.exec(), server::TSMesDsp2Dlg::kNo);
  QTimer::singleShot(0, &dialog, [&dialog] {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &escape);
  });
  EXPECT_EQ(dialog.exec(), server::TSMesDsp2Dlg::kNo);

  // Only "はい" counts as yes.
  server::DialogQuestion asker;
  QTimer::singleShot(0, [] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<server::TSMesDsp2Dlg*>(top); box && box->isVisible()) box->reject();
    }
  });
  EXPECT_FALSE(asker.Ask(nullptr, "?"));
}

}  // namespace
}  // namespace novalune::test
