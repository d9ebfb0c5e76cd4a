// The URL list and user history model: address recognition, the length
// limit, deletion and the merge with the file at exit, on real files.
#include "client/core/HistoryList.h"

#include <gtest/gtest.h>

#include "client_fake.h"
#include "common/Settings.h"
#include "support/ProgramFolder.h"

namespace novalune::client::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(FindFirstUrl, EndsAtTheFirstByteOutsidePrintableAscii) {
  EXPECT_EQ(FindFirstUrl("see http://a.example/x?q=1 and more"), "http://a.example/x?q=1");
  EXPECT_EQ(FindFirstUrl("http://a.example/" + S("です")), "http://a.example/");
  EXPECT_EQ(FindFirstUrl("x mailto:me@a.example\tnext"), "mailto:me@a.example");
  EXPECT_EQ(FindFirstUrl("end http:"), "http:");
  EXPECT_EQ(FindFirstUrl("http://a\x7f"
                         "b"),
            "http://a");
}

TEST(FindFirstUrl, PrefixOrderWinsOverPositionInTheText) {
  EXPECT_EQ(FindFirstUrl("ftp://f.example/ then http://h.example/"), "http://h.example/");
  EXPECT_EQ(FindFirstUrl("mailto:m@x ftp://f.example/"), "ftp://f.example/");
  // The first occurrence of the winning prefix, not a later one.
  EXPECT_EQ(FindFirstUrl("http://one http://two"), "http://one");
}

TEST(FindFirstUrl, NothingWithoutAPrefix) {
  EXPECT_EQ(FindFirstUrl(""), "");
  EXPECT_EQ(FindFirstUrl("www.example.com HTTP://upper.example"), "");
  EXPECT_EQ(UrlListEntry("nick", S("こんにちは"), LocalTime{2024, 1, 2, 3, 4}), "");
}

TEST(FindFirstUrl, TrailByteIsNoStartOfAnAddress) {
  // 0x82 0x66 is one character whose trail byte is the letter 'f'.
  EXPECT_EQ(FindFirstUrl("\x82"
                         "ftp://no"),
            "");
}

TEST(UrlListEntry, UrlNickAndTimeInTheirFrame) {
  EXPECT_EQ(
      UrlListEntry(S("太郎"), S("見て") + "http://a.example/ " + S("です"), LocalTime{2024, 3, 5, 7, 9}),
      "http://a.example/   [" + S("太郎") + "   2024/03/05 07:09]");
}

TEST(HistoryList, LenCutsTheVisibleListButKeepsEveryUnsavedEntry) {
  HistoryList list;
  list.Load({"c", "b", "a"});
  list.SetLen(3);
  list.Add("d");
  EXPECT_EQ(list.Visible(), (Lines{"d", "c", "b"}));
  list.SetLen(0);
  list.Add("e");
  EXPECT_EQ(list.Visible(), Lines{});
  EXPECT_EQ(list.Unsaved(), (Lines{"e", "d"}));
  list.SetLen(-4);
  EXPECT_EQ(list.Len(), 0);
}

TEST(HistoryList, DeleteCancelsOneUnsavedCopyPerVisibleEntry) {
  HistoryList list;
  list.SetLen(10);
  list.Load({"old"});
  list.Add("A");
  list.Add("B");
  list.Add("A");  // visible A B A old, unsaved A B A
  list.Delete({1, 7});
  EXPECT_EQ(list.Visible(), (Lines{"A", "A", "old"}));
  EXPECT_EQ(list.Unsaved(), Lines{});
}

TEST(HistoryList, DeleteKeepsUnsavedEntriesAlreadyCutFromTheVisibleList) {
  HistoryList list;
  list.SetLen(1);
  list.Add("first");
  list.Add("second");
  list.Delete({});
  EXPECT_EQ(list.Visible(), Lines{"second"});
  EXPECT_EQ(list.Unsaved(), Lines{"first"});
}

TEST(HistoryList, MergePutsThisRunOnTopOfTheFile) {
  HistoryList list;
  list.Load({"loaded"});
  list.SetLen(3);
  list.Add("run1");
  list.Add("run2");
  EXPECT_EQ(list.MergeForSave({"f1", "f2", "f3"}), (Lines{"run2", "run1", "f1"}));
  EXPECT_EQ(list.Unsaved(), Lines{});
}

using HistoryFiles = test::ProgramFolderTest;

TEST_F(HistoryFiles, MissingFileAndKeyGiveAnEmptyListOfLengthZero) {
  HistoryList list;
  LoadHistory(list, kUrlListStore);
  EXPECT_EQ(list.Visible(), Lines{});
  EXPECT_EQ(list.Len(), 0);
}

TEST_F(HistoryFiles, LenThreeWithAFourthEntryLeavesTheThreeNewestInTheFile) {
  WriteBytes("NOVALUNE.INI", "[SYSTEM]\r\nUSERHISTORYLEN=3\r\n");
  WriteBytes("UserHistory.txt", "c\r\nb\r\na\r\n");
  HistoryList list;
  LoadHistory(list, kUserHistoryStore);
  EXPECT_EQ(list.Visible(), (Lines{"c", "b", "a"}));
  list.Add(S("2024/01/02 03:04 入室 [太郎]"));
  EXPECT_EQ(list.Visible().size(), 3u);
  SaveHistoryAtExit(list, kUserHistoryStore);
  EXPECT_EQ(ReadBytes("UserHistory.txt"), S("2024/01/02 03:04 入室 [太郎]") + "\r\nc\r\nb\r\n");
  EXPECT_EQ(ReadSettingInt("SYSTEM", "USERHISTORYLEN"), 3);
}

TEST_F(HistoryFiles, ExitMergesWithWhatAnotherCopyWroteMeanwhile) {
  WriteBytes("URLList.txt", "mine\r\n");
  HistoryList list;
  LoadHistory(list, kUrlListStore);
  list.SetLen(4);
  list.Add("new1");
  list.Add("new2");
  WriteBytes("URLList.txt", "other2\r\nother1\r\nmine\r\n");
  SaveHistoryAtExit(list, kUrlListStore);
  EXPECT_EQ(ReadBytes("URLList.txt"), "new2\r\nnew1\r\nother2\r\nother1\r\n");
  EXPECT_EQ(ReadBytes("NOVALUNE.INI"), "[SYSTEM]\r\nURLLEN=4\r\n");
}

TEST_F(HistoryFiles, FirstRunWithoutAFileWritesEachEntryOnce) {
  HistoryList list;
  LoadHistory(list, kUrlListStore);
  list.SetLen(5);
  list.Add("one");
  list.Add("two");
  SaveHistoryAtExit(list, kUrlListStore);
  EXPECT_EQ(ReadBytes("URLList.txt"), "two\r\none\r\n");
}

TEST_F(HistoryFiles, DeletedEntryOfThisRunIsGoneForGood) {
  WriteBytes("URLList.txt", "kept\r\n");
  HistoryList list;
  LoadHistory(list, kUrlListStore);
  list.SetLen(5);
  list.Add("added");
  list.Add("gone");
  list.Delete({0});
  WriteHistoryFile(list, kUrlListStore);
  EXPECT_EQ(ReadBytes("URLList.txt"), "added\r\nkept\r\n");
  SaveHistoryAtExit(list, kUrlListStore);
  EXPECT_EQ(ReadBytes("URLList.txt"), "added\r\nkept\r\n");
}

}  // namespace
}  // namespace novalune::client::testing
