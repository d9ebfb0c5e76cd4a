// The main window among the program's other windows and the desktop: modal
// dialogs above the top-most lists, minimising and restoring the program as a
// whole, the member list's menu, keys typed anywhere, things the desktop
// cannot open, and connecting to an own server that is still starting.
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <map>

#include "client/display/LogViewForm.h"
#include "client/ui/ChatTreeView.h"
#include "settings/ListWindows.h"
#include "ui_fixture.h"

namespace novalune::ui::testing {
namespace {

namespace sys = keys::system;

class WindowStacking : public FormTest {
 protected:
  // Opens a modal window with `open` and tells how it stood once shown.
  std::string StandingOf(const std::function<void()>& open) {
    std::string standing = "never shown";
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr) return;
      const bool onTop = dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
      const bool active = QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; }, 2000);
      const bool focused =
          QApplication::focusWidget() != nullptr && QApplication::focusWidget()->window() == dialog;
      standing =
          std::string(onTop ? "on top" : "under") + (active && focused ? ", with the keyboard" : ", without");
      static_cast<QDialog*>(dialog)->reject();
    });
    open();
    return standing;
  }
};

TEST_F(WindowStacking, ModalWindowsOpenAboveTheTopMostRoomListAndTakeTheKeyboard) {
  TZKWChatForm& w = MakeForm();
  w.show();
  w.RoomList->ShowList();
  ASSERT_TRUE(w.RoomList->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  const std::string expected = "on top, with the keyboard";
  EXPECT_EQ(StandingOf([&] { w.MenuRoomTopicClick(); }), expected) << "ルーム説明, a dialog of our own";
  EXPECT_EQ(StandingOf([&] { w.MenuHelplAboutClick(); }), expected) << "the version box, a plain Qt box";
}

TEST_F(WindowStacking, SecondaryWindowsFollowTheOnTopOption) {
  TZKWChatForm& w = MakeForm();
  w.show();
  w.SetViewOnTop(true);
  w.LogView->show();
  EXPECT_TRUE(w.LogView->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  w.SetViewOnTop(false);
  EXPECT_TRUE(w.LogView->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "an open window keeps it";
  w.LogView->hide();
  w.LogView->show();
  EXPECT_FALSE(w.LogView->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(w.RoomList->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "the lists always are";
}

class MinimiseAndRestore : public FormTest {};

TEST_F(MinimiseAndRestore, TheListsGoAndComeBackWithTheMaximisedWindow) {
  WriteSettingFlag(sys::kSection, sys::kAutoShow, true);
  TZKWChatForm& w = MakeForm();
  w.showMaximized();
  w.RoomList->ShowList();
  w.UserList->ShowList();

  QTest::keyClick(w.Memo, Qt::Key_Escape);
  ASSERT_TRUE(w.Minimized());
  EXPECT_FALSE(w.RoomList->isVisible());
  EXPECT_FALSE(w.UserList->isVisible());

  w.ActiveTimerStart();  // a statement while minimised
  EXPECT_FALSE(w.Minimized());
  EXPECT_TRUE(w.isMaximized());
  EXPECT_TRUE(w.RoomList->isVisible());
  EXPECT_TRUE(w.UserList->isVisible());

  w.ActiveTimerTimer();  // the countdown's end
  ASSERT_TRUE(w.Minimized());
  EXPECT_FALSE(w.RoomList->isVisible());
  w.RestoreApplication();
  EXPECT_TRUE(w.isMaximized());
  EXPECT_TRUE(w.RoomList->isVisible());
  EXPECT_FALSE(w.LogView->isVisible()) << "only what was shown comes back";
}

class MouseAndKeys : public FormTest {};

TEST_F(MouseAndKeys, RightClickOnAnEmptyMemberListOpensTheMenu) {
  TZKWChatForm& w = MakeForm();
  w.show();
  ASSERT_EQ(w.Core().Members().Count(), 0u);
  QTest::mousePress(w.ListView->viewport(), Qt::RightButton, {}, QPoint(20, 20));
  EXPECT_TRUE(w.PopupMenu->isVisible());
  w.PopupMenu->close();
}

TEST_F(MouseAndKeys, EnterAndBackspaceTypedInTheDisplayActOnTheInputLine) {
  TZKWChatForm& w = MakeForm();
  w.show();
  QTest::keyClicks(w.Memo, "abc");
  QTest::keyClick(w.Memo, Qt::Key_Backspace);
  EXPECT_EQ(w.Edit->text(), QStringLiteral("ab"));
  QTest::keyClick(w.ListView->viewport(), Qt::Key_Return);
  const auto paragraphs = w.Memo->LogParagraphs();
  ASSERT_FALSE(paragraphs.empty()) << "Enter spoke as in the input line";
  ASSERT_FALSE(paragraphs.back().runs.empty());
  EXPECT_EQ(paragraphs.back().runs[0].text, Sjis("サーバーに接続されていません"));
}

class NothingOpensIt : public FormTest {};

// The offscreen desktop has no default applications at all.
TEST_F(NothingOpensIt, AClickedAddressAndAnOpenedLogSaySo) {
  TZKWChatForm& w = MakeForm();
  w.show();
  messageAnswer = 1;  // yes to the web access question
  emit w.Memo->anchorClicked(QUrl(QStringLiteral("http://example.com/")));
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), Sjis("http://example.com/を開くことのできるアプリケーションがありません"));

  savePath = QString::fromStdString(PathOf("old.RTF"));
  for (QAction* action : w.menuBar()->findChildren<QAction*>()) {
    if (action->text() == QString::fromUtf8("ログを開く")) action->trigger();
  }
  EXPECT_EQ(messages.back(),
            Sjis(PathOf("old.RTF").c_str()) + Sjis("を開くことのできるアプリケーションがありません"));
}

class OwnServer : public FormTest {};

TEST_F(OwnServer, TheConnectionWaitsUntilTheServerJustStartedListens) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  const quint16 port = server.serverPort();
  server.close();

  int copies = 0;
  bool running = false;
  ChatFormSetup setup;
  setup.ports = {port, port};
  setup.localAddress = "127.0.0.1";
  setup.localServerRunning = [&] { return running; };
  setup.startServerCopy = [&] {
    ++copies;
    QTimer::singleShot(1500, [&] { running = server.listen(QHostAddress::LocalHost, port); });
  };
  TZKWChatForm& w = MakeForm(std::move(setup));
  w.show();
  client::ConnectRequest request;
  request.joinMe = true;
  request.nick = "taro";
  w.MenuJoinConfirmed(request);
  EXPECT_FALSE(w.JoinBtn->isEnabled()) << "no second connection while waiting";

  // Probes come and go; the client's own connection registers.
  std::map<QTcpSocket*, QByteArray> received;
  const bool registered = QTest::qWaitFor(
      [&] {
        while (server.hasPendingConnections()) received[server.nextPendingConnection()];
        for (auto& [peer, bytes] : received) {
          bytes += peer->readAll();
          if (bytes.contains("NICK taro\r\n")) return true;
        }
        return false;
      },
      8000);
  ASSERT_TRUE(running);
  EXPECT_TRUE(registered);
  EXPECT_EQ(copies, 1);
}

}  // namespace
}  // namespace novalune::ui::testing
