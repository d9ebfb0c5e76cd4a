// The URL list and user history dialogs offscreen: what they show, which
// address "表示" hands on, and the bytes their file gets.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "client/ui/HistoryDialogs.h"
#include "common/Settings.h"
#include "controls/IntEdit.h"
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"

namespace novalune::ui {
namespace {

using test::FindChild;
using test::Sjis;

class HistoryDialogTest : public test::ProgramFolderTest {
 protected:
  void SetUp() override {
    test::TestApp();
    ProgramFolderTest::SetUp();
  }
};

// The view takes a double click only on the entry the first click pressed.
void DoubleClickRow(QListWidget& list, int row) {
  test::Settle();
  const QPoint at = list.visualItemRect(list.item(row)).center();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
}

TEST_F(HistoryDialogTest, DisplayNeedsASelectionAndHandsOnTheAddressUpToTheFirstBlank) {
  WriteBytes("NOVALUNE.INI", "[SYSTEM]\r\nURLLEN=5\r\n");
  std::vector<std::string> opened;
  TURLListDlg dialog([&](const std::string& url) { opened.push_back(url); });
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("URLリスト"));
  auto* list = FindChild<QListWidget>(dialog, "ListBox");
  auto* show = FindChild<QPushButton>(dialog, "DspBtn");
  EXPECT_EQ(show->text(), QString::fromUtf8("表示"));
  EXPECT_EQ(FindChild<QPushButton>(dialog, "DelBtn")->text(), QString::fromUtf8("削除"));
  EXPECT_EQ(FindChild<QPushButton>(dialog, "OKBtn")->text(), QString::fromUtf8("閉じる"));
  EXPECT_FALSE(show->isEnabled());

  dialog.URLListAdd(Sjis("花子"), Sjis("ほら") + "ftp://f.example/a http://h.example/b?c=1 " + Sjis("です"),
                    client::LocalTime{2024, 12, 31, 23, 59});
  dialog.URLListAdd(Sjis("花子"), Sjis("アドレスなし"), client::LocalTime{2024, 12, 31, 23, 59});
  dialog.AddURLEntry("mailto:a@b.example   [x   2025/01/01 00:00]");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("http://h.example/b?c=1   [花子   2024/12/31 23:59]"));
  EXPECT_FALSE(show->isEnabled());

  list->item(1)->setSelected(true);
  list->setCurrentRow(1, QItemSelectionModel::Select);
  EXPECT_TRUE(show->isEnabled());
  show->click();
  DoubleClickRow(*list, 0);
  EXPECT_EQ(opened, (std::vector<std::string>{"http://h.example/b?c=1", "mailto:a@b.example"}));

  list->selectAll();
  FindChild<QPushButton>(dialog, "DelBtn")->click();
  EXPECT_EQ(list->count(), 0);
  EXPECT_FALSE(show->isEnabled());
  EXPECT_EQ(ReadBytes("URLList.txt"), "");
}

TEST_F(HistoryDialogTest, DeleteRewritesTheFileAndExitAddsOnlyWhatWasNotDeleted) {
  WriteBytes("NOVALUNE.INI", "[SYSTEM]\r\nUSERHISTORYLEN=3\r\n");
  WriteBytes("UserHistory.txt", Sjis("2024/01/01 10:00 入室 [一郎]") + "\r\n");
  TUserHistoryDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ユーザー入退室リスト"));
  EXPECT_EQ(FindChild<QLabel>(dialog, "LenLabel")->text(), QString::fromUtf8("履歴保存数"));
  auto* list = FindChild<QListWidget>(dialog, "ListBox");
  auto* len = FindChild<controls::IntEdit>(dialog, "Len");
  EXPECT_EQ(len->Value(), 3);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);

  dialog.AddHistoryEntry(Sjis("2024/01/01 10:05 退室 [一郎]"));
  dialog.AddHistoryEntry(Sjis("2024/01/01 10:06 切断 [二郎]"));
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("2024/01/01 10:06 切断 [二郎]"));
  list->item(0)->setSelected(true);
  FindChild<QPushButton>(dialog, "DelBtn")->click();
  const std::string written =
      Sjis("2024/01/01 10:05 退室 [一郎]") + "\r\n" + Sjis("2024/01/01 10:00 入室 [一郎]") + "\r\n";
  EXPECT_EQ(ReadBytes("UserHistory.txt"), written);

  len->setText("2");
  dialog.SaveHistory();
  EXPECT_EQ(ReadBytes("UserHistory.txt"), written);
  EXPECT_EQ(ReadSettingInt("SYSTEM", "USERHISTORYLEN"), 2);
}

}  // namespace
}  // namespace novalune::ui
