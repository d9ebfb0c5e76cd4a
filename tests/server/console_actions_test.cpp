// The operator's actions, carried out through the console's controls and
// observed on the wire by real loopback clients.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "console_fixture.h"

namespace novalune::test {
namespace {

const std::string kAskRefuse =
    "このユーザーのＩＰアドレスを拒絶リストへ追加します。以後このＩＰアドレスからは接続できなくなります";
const std::string kAskKill = "このユーザーを切断します";

void DrainAll(std::initializer_list<TestClient*> clients) {
  WhileServing([&] {
    for (TestClient* client : clients) EXPECT_TRUE(client->Sync().has_value());
  });
}

TEST_F(ConsoleTest, TablesFollowTheServer) {
  StartServer();
  EXPECT_EQ(Grid("UserGrid")->rowCount(), 0);
  EXPECT_EQ(Grid("RoomGrid")->rowCount(), 1) << "one blank room row when there is no room";
  EXPECT_EQ(Cell("RoomGrid", 0, 0), "");
  EXPECT_EQ(Grid("UserGrid")->horizontalHeaderItem(8)->text(), "Buffer");
  EXPECT_EQ(Grid("RoomGrid")->horizontalHeaderItem(4)->text(), "Topic");

  TestClient taro, hanako;
  Join(taro, "taro", "#A");
  Join(hanako, "hanako", Sj("#部屋"));
  ASSERT_EQ(Grid("UserGrid")->rowCount(), 2);
  EXPECT_EQ(Cell("UserGrid", 0, 0), "    1");
  EXPECT_EQ(Cell("UserGrid", 0, 1), "taro");
  EXPECT_EQ(Cell("UserGrid", 0, 2), "taro * * :taro");
  EXPECT_EQ(Cell("UserGrid", 0, 3), "#A");
  EXPECT_EQ(Cell("UserGrid", 0, 4), "o");
  EXPECT_EQ(Cell("UserGrid", 0, 5), "127.0.0.1");
  EXPECT_EQ(Cell("UserGrid", 0, 6), "  0");
  EXPECT_EQ(Cell("UserGrid", 1, 3), QString::fromUtf8("#部屋"));
  ASSERT_EQ(Grid("RoomGrid")->rowCount(), 2);
  EXPECT_EQ(Cell("RoomGrid", 0, 0), "#A");
  EXPECT_EQ(Cell("RoomGrid", 0, 1), "    1");
  EXPECT_EQ(Cell("RoomGrid", 1, 0), QString::fromUtf8("#部屋"));

  // A partial line shows in the Buffer column.
  WhileServing([&] {
    EXPECT_TRUE(hanako.SendRaw("PRIV"));
    EXPECT_TRUE(taro.Sync().has_value());
  });
  EXPECT_EQ(Cell("UserGrid", 1, 8), "PRIV");

  taro.Disconnect();
  WhileServing([&] {
    EXPECT_TRUE(hanako.SendRaw("MSG\r\n"));
    EXPECT_TRUE(hanako.Sync().has_value());
  });
  ASSERT_EQ(Grid("UserGrid")->rowCount(), 1);
  EXPECT_EQ(Cell("UserGrid", 0, 1), "hanako");
  EXPECT_EQ(Cell("UserGrid", 0, 8), "");
  ASSERT_EQ(Grid("RoomGrid")->rowCount(), 1);
  EXPECT_EQ(Cell("RoomGrid", 0, 0), QString::fromUtf8("#部屋"));

  hanako.Disconnect();
  TestClient probe;
  Join(probe, "probe", "");
  EXPECT_EQ(Grid("UserGrid")->rowCount(), 1);
  EXPECT_EQ(Grid("RoomGrid")->rowCount(), 1);
  EXPECT_EQ(Cell("RoomGrid", 0, 0), "");
}

TEST_F(ConsoleTest, WithdrawAndMakeHostTellTheSelectedUsersRoom) {
  StartServer();
  TestClient taro, hanako, jiro;
  Join(taro, "taro", "#A");
  Join(hanako, "hanako", "#a");
  Join(jiro, "jiro", "#B");
  DrainAll({&taro, &hanako, &jiro});

  Grid("UserGrid")->selectRow(1);
  TriggerAction("MenuUserNoHost");
  WhileServing([&] {
    EXPECT_TRUE(taro.Expect(":taro!x@x MODE #a -o hanako"));
    EXPECT_TRUE(hanako.Expect(":hanako!x@x MODE #a -o hanako"));
    EXPECT_TRUE(jiro.ExpectQuiet());
  });
  EXPECT_EQ(Cell("UserGrid", 1, 4), "");

  // Withdrawing again still tells the room.
  TriggerAction("MenuUserNoHost");
  TriggerAction("MenuUserHost");
  WhileServing([&] {
    EXPECT_TRUE(taro.ExpectLines({":taro!x@x MODE #a -o hanako", ":taro!x@x MODE #a +o hanako"}));
    EXPECT_TRUE(hanako.ExpectLines({":hanako!x@x MODE #a -o hanako", ":hanako!x@x MODE #a +o hanako"}));
  });
  EXPECT_EQ(Cell("UserGrid", 1, 4), "o");
  TriggerAction("MenuUserHost");
  WhileServing([&] { EXPECT_TRUE(hanako.Expect(":hanako!x@x MODE #a +o hanako")); });
  EXPECT_EQ(Cell("UserGrid", 1, 4), "o") << "no second o";
  EXPECT_TRUE(question.asked.empty());
}

TEST_F(ConsoleTest, RefuseAsksAddsTheAddressOnceAndRefusesItsNextConnection) {
  StartServer();
  TestClient local, remote;
  Join(local, "local", "#A");
  Join(remote, "remote", "#A", "127.0.0.2");
  DrainAll({&local, &remote});

  Grid("UserGrid")->selectRow(1);
  question.answers = {false};
  Child<QPushButton>("RefBtn")->click();
  ASSERT_EQ(question.asked.size(), 1u);
  EXPECT_EQ(question.asked[0], kAskRefuse);
  EXPECT_EQ(Child<QListWidget>("RefList")->count(), 0);

  question.answers = {true, true};
  Child<QPushButton>("RefBtn")->click();
  TriggerAction("MenuUserListUo");
  EXPECT_EQ(question.asked.size(), 3u);
  ASSERT_EQ(Child<QListWidget>("RefList")->count(), 1);
  EXPECT_EQ(Child<QListWidget>("RefList")->item(0)->text(), "127.0.0.2");

  TestClient again, other;
  ASSERT_TRUE(again.Connect(net->UserPort(), "127.0.0.2"));
  ASSERT_TRUE(other.Connect(net->UserPort(), "127.0.0.3"));
  WhileServing([&] {
    EXPECT_TRUE(again.WaitClosed());
    EXPECT_TRUE(remote.Sync().has_value()) << "the refused user stays connected";
    EXPECT_TRUE(other.Register("other"));
  });
}

TEST_F(ConsoleTest, RefuseAndDisconnectWithoutUsersDoNothing) {
  StartServer();
  question.answers = {true, true};
  Child<QPushButton>("RefBtn")->click();
  Child<QPushButton>("KillBtn")->click();
  EXPECT_EQ(question.asked, (std::vector<std::string>{kAskRefuse, kAskKill}));
  TriggerAction("MenuUserHost");
  TriggerAction("MenuUserNoHost");
  EnterLine("MesEdit", "hello");
  EnterLine("RMesEdit", "hello");
  EnterLine("PassEdit", "pw");
  EnterLine("TopicEdit", "topic");
  EXPECT_EQ(Child<QListWidget>("RefList")->count(), 0);
  EXPECT_EQ(Child<QLineEdit>("MesEdit")->text(), "hello") << "nothing was sent";
  TestClient late;
  Join(late, "late", "#A");
  EXPECT_EQ(Cell("RoomGrid", 0, 3), "");
  EXPECT_EQ(Cell("RoomGrid", 0, 4), "");
}

TEST_F(ConsoleTest, DisconnectAsksAndDropsTheSelectedUser) {
  StartServer();
  TestClient taro, hanako;
  Join(taro, "taro", "#A");
  Join(hanako, "hanako", "#A");
  DrainAll({&taro, &hanako});

  Grid("UserGrid")->selectRow(0);
  question.answers = {false};
  TriggerAction("MunuUserKill");
  EXPECT_EQ(question.asked, std::vector<std::string>{kAskKill});
  WhileServing([&] { EXPECT_TRUE(taro.ExpectQuiet()); });

  question.answers = {true};
  Child<QPushButton>("KillBtn")->click();
  WhileServing([&] {
    EXPECT_TRUE(taro.WaitClosed());
    EXPECT_TRUE(hanako.Expect(":taro! QUIT #A"));
  });
  ASSERT_EQ(Grid("UserGrid")->rowCount(), 1);
  EXPECT_EQ(Cell("UserGrid", 0, 1), "hanako");
}

TEST_F(ConsoleTest, AnsweredActionsGoToTheUserChosenBeforeTheQuestion) {
  StartServer();
  TestClient taro, hanako, jiro;
  Join(taro, "taro", "#A");
  Join(hanako, "hanako", "#A", "127.0.0.2");
  Join(jiro, "jiro", "#A", "127.0.0.3");
  DrainAll({&taro, &hanako, &jiro});

  // hanako is chosen; while the question is open taro leaves and jiro's row moves up into hers.
  Grid("UserGrid")->selectRow(1);
  question.whileAsking = [&] {
    taro.Disconnect();
    ServeUntil([&] { return core->Users().size() == 2; });
  };
  question.answers = {true};
  Child<QPushButton>("KillBtn")->click();
  WhileServing([&] {
    EXPECT_TRUE(hanako.WaitClosed());
    EXPECT_TRUE(jiro.ExpectLines({":taro! QUIT #A", ":hanako! QUIT #A"}));
    EXPECT_TRUE(jiro.ExpectQuiet()) << "jiro stays";
  });

  // The chosen user leaves and a newcomer gets its ID: the answer refuses nobody.
  TestClient shiro, goro;
  Join(shiro, "shiro", "#A", "127.0.0.4");
  ASSERT_EQ(Cell("UserGrid", 1, 0), "    1");
  Grid("UserGrid")->selectRow(1);
  question.whileAsking = [&] {
    shiro.Disconnect();
    ServeUntil([&] { return core->Users().size() == 1; });
    Join(goro, "goro", "#A", "127.0.0.5");
  };
  question.answers = {true};
  TriggerAction("MenuUserListUo");
  ASSERT_EQ(Cell("UserGrid", 1, 1), "goro");
  EXPECT_EQ(Cell("UserGrid", 1, 0), "    1");
  EXPECT_EQ(core->RefList(), std::vector<std::string>{});
}

TEST_F(ConsoleTest, MessageToTheSelectedUserOnly) {
  StartServer();
  TestClient taro, hanako;
  Join(taro, "taro", "#A");
  Join(hanako, "hanako", "#A");
  DrainAll({&taro, &hanako});

  Grid("UserGrid")->selectRow(1);
  EnterLine("MesEdit", "");
  EnterLine("MesEdit", QString::fromUtf8("こんにちは、管理者です"));
  EXPECT_EQ(Child<QLineEdit>("MesEdit")->text(), "");
  WhileServing([&] {
    EXPECT_TRUE(hanako.Expect(":Server_Message!x@x PRIVMSG #A :" + Sj("こんにちは、管理者です")));
    EXPECT_TRUE(hanako.ExpectQuiet()) << "the empty line sent nothing";
    EXPECT_TRUE(taro.ExpectQuiet());
  });
}

TEST_F(ConsoleTest, MessageToTheSelectedRoom) {
  StartServer();
  TestClient taro, hanako, jiro;
  Join(taro, "taro", "#A");
  Join(jiro, "jiro", "#B");
  Join(hanako, "hanako", "#a");
  DrainAll({&taro, &hanako, &jiro});

  Grid("RoomGrid")->selectRow(0);
  EnterLine("RMesEdit", QString::fromUtf8("まもなく再起動します"));
  EXPECT_EQ(Child<QLineEdit>("RMesEdit")->text(), "");
  const std::string line = ":Server_Message!x@x PRIVMSG #a :" + Sj("まもなく再起動します");
  WhileServing([&] {
    EXPECT_TRUE(taro.Expect(line)) << "the room's name as the latest joiner wrote it";
    EXPECT_TRUE(hanako.Expect(line));
    EXPECT_TRUE(jiro.ExpectQuiet());
  });
}

TEST_F(ConsoleTest, RoomPasswordAndTopicFromTheRoomPage) {
  StartServer();
  TestClient taro, jiro;
  Join(jiro, "jiro", "#B");
  Join(taro, "taro", "#A");
  DrainAll({&taro, &jiro});

  Grid("RoomGrid")->selectRow(1);
  EXPECT_EQ(Child<QLineEdit>("PassEdit")->text(), "");
  EnterLine("PassEdit", "secret");
  EnterLine("TopicEdit", QString::fromUtf8("雑談の部屋"));
  Settle();
  EXPECT_EQ(Cell("RoomGrid", 1, 3), "secret");
  EXPECT_EQ(Cell("RoomGrid", 1, 4), QString::fromUtf8("雑談の部屋"));
  WhileServing([&] {
    EXPECT_TRUE(taro.ExpectQuiet()) << "nobody is told";
    EXPECT_TRUE(jiro.SendLine("LIST"));
    EXPECT_TRUE(
        jiro.ExpectLines({":ZKWChatServer214 321 jiro Channel :Users  Name",
                          ":ZKWChatServer214 322 jiro #B 1 :", ":ZKWChatServer214 323 jiro :End of /LIST"}));
  });

  // Selecting shows the stored values; an empty password removes it.
  Grid("RoomGrid")->selectRow(0);
  Grid("RoomGrid")->selectRow(1);
  EXPECT_EQ(Child<QLineEdit>("PassEdit")->text(), "secret");
  EXPECT_EQ(Child<QLineEdit>("TopicEdit")->text(), QString::fromUtf8("雑談の部屋"));
  EnterLine("PassEdit", "");
  WhileServing([&] {
    EXPECT_TRUE(jiro.SendLine("LIST"));
    EXPECT_TRUE(jiro.ExpectLines(
        {":ZKWChatServer214 321 jiro Channel :Users  Name",
         ":ZKWChatServer214 322 jiro #B 1 :", ":ZKWChatServer214 322 jiro #A 1 :" + Sj("雑談の部屋"),
         ":ZKWChatServer214 323 jiro :End of /LIST"}));
  });
}

TEST_F(ConsoleTest, RoomFieldsAlwaysShowTheSelectedRow) {
  StartServer();
  auto* grid = Grid("RoomGrid");
  auto fields = [&] {
    return Child<QLineEdit>("PassEdit")->text() + "|" + Child<QLineEdit>("TopicEdit")->text();
  };
  EXPECT_EQ(grid->currentRow(), -1) << "no room, no selected row";
  EXPECT_TRUE(grid->selectedItems().isEmpty());

  TestClient taro, jiro;
  Join(taro, "taro", "#A pwa");
  WhileServing([&] {
    EXPECT_TRUE(taro.SendLine("TOPIC #A :" + Sj("雑談")));
    EXPECT_TRUE(taro.Sync().has_value());
  });
  EXPECT_EQ(grid->currentRow(), 0) << "the first room shown selected";
  EXPECT_EQ(fields(), QString::fromUtf8("pwa|雑談"));

  Join(jiro, "jiro", "#B pwb");
  EXPECT_EQ(grid->currentRow(), 0);
  EXPECT_EQ(fields(), QString::fromUtf8("pwa|雑談"));
  grid->selectRow(1);
  EXPECT_EQ(fields(), "pwb|");

  // #A goes: #B moves up and stays the selected room.
  taro.Disconnect();
  ASSERT_TRUE(ServeUntil([&] { return grid->rowCount() == 1 && Cell("RoomGrid", 0, 0) == "#B"; }));
  EXPECT_EQ(grid->currentRow(), 0);
  EXPECT_EQ(fields(), "pwb|");

  jiro.Disconnect();
  ASSERT_TRUE(ServeUntil([&] { return Cell("RoomGrid", 0, 0).isEmpty(); }));
  EXPECT_EQ(grid->currentRow(), -1);
  EXPECT_TRUE(grid->selectedItems().isEmpty());
  EXPECT_EQ(fields(), "|");
}

TEST_F(ConsoleTest, ServerLockClosesEveryNewConnection) {
  StartServer();
  TestClient taro;
  Join(taro, "taro", "#A");
  Child<QCheckBox>("ServerLock")->setChecked(true);
  TestClient local, remote;
  ASSERT_TRUE(local.Connect(net->UserPort()));
  ASSERT_TRUE(remote.Connect(net->UserPort(), "127.0.0.2"));
  WhileServing([&] {
    EXPECT_TRUE(local.WaitClosed());
    EXPECT_TRUE(remote.WaitClosed());
    EXPECT_TRUE(taro.Sync().has_value());
  });
  EXPECT_EQ(Grid("UserGrid")->rowCount(), 1);

  Child<QCheckBox>("ServerLock")->setChecked(false);
  TestClient after;
  Join(after, "after", "");
  EXPECT_EQ(Grid("UserGrid")->rowCount(), 2);
}

TEST_F(ConsoleTest, PassCheckKeepsRemoteUsersFromSettingPasswords) {
  StartServer();
  TestClient remote;
  Join(remote, "remote", "#A", "127.0.0.2");
  Child<QCheckBox>("PassCheck")->setChecked(true);
  WhileServing([&] {
    EXPECT_TRUE(remote.SendLine("JOIN #A pw1"));
    EXPECT_TRUE(remote.ExpectQuiet());
  });
  EXPECT_EQ(Cell("RoomGrid", 0, 3), "");

  Child<QCheckBox>("PassCheck")->setChecked(false);
  WhileServing([&] {
    EXPECT_TRUE(remote.SendLine("JOIN #A pw2"));
    EXPECT_TRUE(remote.Expect(":remote!x@x PRIVMSG #A :" + Sj("部屋のパスワードをpw2に設定しました")));
  });
  EXPECT_EQ(Cell("RoomGrid", 0, 3), "pw2");
}

TEST_F(ConsoleTest, DeleteRemovesEverySelectedRefusedAddress) {
  WriteHomeFile("RefList.txt", "127.0.0.9\r\n127.0.0.2\r\n10.1.2.3\r\n127.0.0.5\r\n");
  StartServer();
  auto* list = Child<QListWidget>("RefList");
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->item(0)->text(), "10.1.2.3") << "sorted";
  list->item(1)->setSelected(true);
  list->item(3)->setSelected(true);
  Child<QPushButton>("ListDelBtn")->click();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "10.1.2.3");
  EXPECT_EQ(list->item(1)->text(), "127.0.0.5");
  TriggerAction("MenuListDel");  // nothing selected: nothing removed
  EXPECT_EQ(list->count(), 2);

  TestClient was, still;
  ASSERT_TRUE(was.Connect(net->UserPort(), "127.0.0.2"));
  ASSERT_TRUE(still.Connect(net->UserPort(), "127.0.0.5"));
  WhileServing([&] {
    EXPECT_TRUE(still.WaitClosed());
    EXPECT_TRUE(was.Register("was")) << "a deleted entry no longer refuses";
  });
}

TEST_F(ConsoleTest, EnterIsConsumedInEveryInputLine) {
  StartServer();
  for (const char* name : {"MesEdit", "RMesEdit", "PassEdit", "TopicEdit"}) {
    auto* line = Child<QLineEdit>(name);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
      QKeyEvent enter(QEvent::KeyPress, key, Qt::NoModifier);
      enter.ignore();
      QCoreApplication::sendEvent(line, &enter);
      EXPECT_TRUE(enter.isAccepted()) << name;
    }
  }
}

TEST_F(ConsoleTest, MenusShowTheirPages) {
  StartServer();
  auto* pages = Child<QTabWidget>("PageControl");
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->tabText(0), QString::fromUtf8("ユーザー情報"));
  EXPECT_EQ(pages->tabText(1), QString::fromUtf8("部屋情報"));
  EXPECT_EQ(pages->tabText(2), QString::fromUtf8("拒絶リスト"));
  TriggerAction("MenuRoomED");
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_EQ(Child<QPushButton>("ExitBtn")->text(), QString::fromUtf8("強制終了"));
  EXPECT_EQ(Child<QCheckBox>("ServerLock")->text(), QString::fromUtf8("このサーバーを完全にロックする"));
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("NOVALUNEサーバー"));
}

}  // namespace
}  // namespace novalune::test
