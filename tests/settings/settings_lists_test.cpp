// The room list and user list windows: rows, header-click sorting, buttons.
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "settings/ListWindows.h"
#include "settings/settings_fixture.h"

namespace novalune::settings {
namespace {

using test::FindChild;
using test::Sjis;
using test::TestApp;

std::vector<std::string> ColumnOf(const controls::StrSortGrid& grid, int column) {
  std::vector<std::string> cells;
  for (int row = 0; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(row, column));
  return cells;
}

QStringList Headers(const controls::StrSortGrid& grid) {
  QStringList texts;
  for (int c = 0; c < grid.model()->columnCount(); ++c) {
    texts << grid.model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  }
  return texts;
}

// A real click on the header cell, as the user makes it.
void ClickHeader(controls::StrSortGrid& grid, int column) {
  QHeaderView* header = grid.horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

std::string JoinedRoom(TGridListDlg& window) {
  QSignalSpy spy(&window, &TGridListDlg::JoinRequested);
  FindChild<QPushButton>(window, "OKBtn")->click();
  EXPECT_EQ(spy.count(), 1);
  return spy.isEmpty() ? std::string("<none>") : spy.takeFirst().at(0).value<std::string>();
}

class ListWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
};

TEST_F(ListWindowTest, RoomListLooksAsDescribed) {
  TRoomListDlg window;
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("ルーム一覧"));
  EXPECT_FALSE(window.isModal());
  EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(Headers(*window.Grid()),
            (QStringList{QString::fromUtf8("部屋名"), QString::fromUtf8("人数"), QString::fromUtf8("説明")}));
  EXPECT_EQ(FindChild<QPushButton>(window, "OKBtn")->text(), QString::fromUtf8("参加する"));
  EXPECT_EQ(FindChild<QPushButton>(window, "ListBtn")->text(), QString::fromUtf8("一覧更新"));
  EXPECT_EQ(FindChild<QPushButton>(window, "CancelBtn")->text(), QString::fromUtf8("閉じる"));
  EXPECT_EQ(window.Grid()->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(window.Grid()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

TEST_F(ListWindowTest, AnEmptyListShowsOneEmptyRowAndJoinsAnEmptyName) {
  TRoomListDlg window;
  window.ShowList();
  EXPECT_EQ(window.Grid()->RowCount(), 0);
  EXPECT_EQ(window.Grid()->model()->rowCount(), 1);
  EXPECT_EQ(window.Grid()->model()->data(window.Grid()->model()->index(0, 0)).toString(), QString());
  EXPECT_EQ(JoinedRoom(window), "");

  window.AddRoomRow("#a", 3, "x");
  window.AddRoomRow("#b", 4, "y");
  EXPECT_EQ(window.Grid()->model()->rowCount(), 2);
  window.ClearRoomRows();
  EXPECT_EQ(window.Grid()->RowCount(), 0);
  EXPECT_EQ(window.Grid()->model()->rowCount(), 1);
  EXPECT_EQ(JoinedRoom(window), "");
}

TEST_F(ListWindowTest, RoomRowsShowTheCountRightAlignedInFourPlaces) {
  TRoomListDlg window;
  window.AddRoomRow(Sjis("#雑談"), 7, Sjis("ようこそ"));
  EXPECT_EQ(window.Grid()->Cell(0, 0), Sjis("#雑談"));
  EXPECT_EQ(window.Grid()->Cell(0, 1), "   7");
  EXPECT_EQ(window.Grid()->Cell(0, 2), Sjis("ようこそ"));
  const QAbstractItemModel* model = window.Grid()->model();
  EXPECT_EQ(model->data(model->index(0, 0)).toString(), QString::fromUtf8("#雑談"));
  EXPECT_TRUE(model->data(model->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
}

TEST_F(ListWindowTest, HeaderClicksSortDescendingFirstThenFlip) {
  TRoomListDlg window;
  window.resize(600, 300);
  window.ShowList();
  window.AddRoomRow("#b", 9, "");
  window.AddRoomRow("#a", 10, "");
  window.AddRoomRow("#c", 100, "");
  window.AddRoomRow("#d", 2, "");

  ClickHeader(*window.Grid(), TRoomListDlg::kUsers);
  EXPECT_TRUE(window.Grid()->Descending());
  EXPECT_EQ(window.Grid()->SortColumn(), TRoomListDlg::kUsers);
  EXPECT_EQ(ColumnOf(*window.Grid(), 0), (std::vector<std::string>{"#c", "#a", "#b", "#d"}));

  ClickHeader(*window.Grid(), TRoomListDlg::kUsers);
  EXPECT_EQ(ColumnOf(*window.Grid(), 0), (std::vector<std::string>{"#d", "#b", "#a", "#c"}));

  // One flag for all columns: the next click, on another column, is descending again.
  ClickHeader(*window.Grid(), TRoomListDlg::kRoomName);
  EXPECT_EQ(ColumnOf(*window.Grid(), 0), (std::vector<std::string>{"#d", "#c", "#b", "#a"}));
}

TEST_F(ListWindowTest, NamesDifferingInAsciiCaseSortTogether) {
  TUserListDlg window;
  window.AddUserRow("bob", "", "", "#x");
  window.AddUserRow("alice", "", "", "#x");
  window.AddUserRow("BOB", "", "", "#x");
  window.AddUserRow("Carol", "", "", "#x");
  window.Grid()->SortByColumn(TUserListDlg::kName);  // descending
  const auto names = ColumnOf(*window.Grid(), TUserListDlg::kName);
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0], "Carol");
  EXPECT_EQ(AsciiUpper(names[1]), "BOB");
  EXPECT_EQ(AsciiUpper(names[2]), "BOB");
  EXPECT_EQ(names[3], "alice");
}

TEST_F(ListWindowTest, JoinTakesTheSelectedRowsRoom) {
  TRoomListDlg rooms;
  rooms.AddRoomRow("#first", 1, "");
  rooms.AddRoomRow("#second", 2, "");
  EXPECT_EQ(JoinedRoom(rooms), "#first");  // the first row is selected from the start
  rooms.Grid()->SetCurrentRow(1);
  EXPECT_EQ(JoinedRoom(rooms), "#second");

  TUserListDlg users;
  EXPECT_EQ(users.windowTitle(), QString::fromUtf8("ユーザーの一覧"));
  EXPECT_EQ(Headers(*users.Grid()), (QStringList{QString::fromUtf8("名前"), QString::fromUtf8("個人情報"),
                                                 QString::fromUtf8("本名"), QString::fromUtf8("部屋名")}));
  users.AddUserRow(Sjis("太郎"), "http://t.example/", Sjis("山田太郎"), Sjis("#部屋"));
  users.AddUserRow("jiro", "", "", "#other");
  users.ShowList();
  // A click on a cell of the second row selects it.
  const QRect cell = users.Grid()->visualRect(users.Grid()->model()->index(1, 1));
  QTest::mouseClick(users.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(users.Grid()->CurrentRow(), 1);
  EXPECT_EQ(JoinedRoom(users), "#other");
  users.Grid()->SetCurrentRow(0);
  EXPECT_EQ(JoinedRoom(users), Sjis("#部屋"));
}

TEST_F(ListWindowTest, RefreshAsksForTheListAndCloseOnlyHides) {
  TRoomListDlg window;
  QSignalSpy refresh(&window, &TGridListDlg::RefreshRequested);
  window.ShowList();
  window.AddRoomRow("#kept", 1, "");
  FindChild<QPushButton>(window, "ListBtn")->click();
  EXPECT_EQ(refresh.count(), 1);
  EXPECT_TRUE(window.isVisible());

  FindChild<QPushButton>(window, "CancelBtn")->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.Grid()->Cell(0, 0), "#kept");
  window.ShowList();
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.Grid()->RowCount(), 1);
}

}  // namespace
}  // namespace novalune::settings
