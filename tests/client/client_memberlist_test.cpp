#include "client/core/MemberList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/SjisText.h"

namespace novalune::client {
namespace {

// Records the notifications in order as short words.
class Recorder : public MemberListObserver {
 public:
  void MemberInserted(std::size_t row) override { log.push_back("insert " + std::to_string(row)); }
  void MemberRemoving(std::size_t row) override { log.push_back("remove " + std::to_string(row)); }
  void MemberRenamed(std::size_t row) override { log.push_back("rename " + std::to_string(row)); }
  void ShowPrivateBox(std::size_t row) override { log.push_back("show " + std::to_string(row)); }
  void PrivateMessage(std::size_t row, int style, const std::string& text) override {
    log.push_back("private " + std::to_string(row) + " " + std::to_string(style) + " " + text);
  }
  std::vector<std::string> log;
};

std::vector<std::string> Nicks(const MemberList& list) {
  std::vector<std::string> nicks;
  for (const auto& row : list.Rows()) nicks.push_back(row.nick);
  return nicks;
}

TEST(ClientMemberList, NicksMatchWithoutRegardToAsciiCase) {
  MemberList list;
  list.AddMember("Taro");
  list.AddMember("TARO");
  list.AddMember("taro");
  list.AddMember("");
  EXPECT_EQ(Nicks(list), std::vector<std::string>{"Taro"});
  list.SetMemberMode("tArO", "+o");
  EXPECT_EQ(list.GetMemberMode("TARO"), "o");
  EXPECT_EQ(list.GetMemberMode("taro"), "o");
  EXPECT_EQ(list.GetMemberMode("hanako"), "");
  // Only ASCII letters fold: a Shift-JIS nick must match byte for byte.
  list.AddMember("\x82\xa0");
  list.AddMember("\x82\xa1");
  EXPECT_EQ(list.Count(), 3u);
}

TEST(ClientMemberList, FirstRowAddedIsSelectedAndLaterAdditionsKeepTheSelection) {
  MemberList list;
  EXPECT_EQ(list.GetSelectedNick(), "");
  list.AddMember("taro");
  EXPECT_EQ(list.GetSelectedNick(), "taro");
  list.AddMember("hanako");
  list.Select(1);
  list.AddMember("jiro");
  EXPECT_EQ(list.GetSelectedNick(), "hanako");
  list.Select(7);
  EXPECT_EQ(list.GetSelectedNick(), "");
}

TEST(ClientMemberList, DeletingARowMovesTheRowsBelowUpAndTheSelectionWithThem) {
  Recorder rec;
  MemberList list(&rec);
  for (const char* nick : {"a", "b", "c", "d"}) list.AddMember(nick);
  list.Select(3);
  list.DeleteMember("B");
  EXPECT_EQ(Nicks(list), (std::vector<std::string>{"a", "c", "d"}));
  EXPECT_EQ(rec.log.back(), "remove 1");
  EXPECT_EQ(list.GetSelectedNick(), "d");
  list.DeleteMember("d");
  EXPECT_EQ(list.GetSelectedNick(), "");
  list.DeleteMember("zz");
  list.DeleteMember("");
  EXPECT_EQ(list.Count(), 2u);
}

TEST(ClientMemberList, ClearRemovesFromTheLastRowToTheFirst) {
  Recorder rec;
  MemberList list(&rec);
  list.AddMember("a");
  list.AddMember("b");
  list.AddMember("c");
  rec.log.clear();
  list.ClearMembers();
  EXPECT_EQ(rec.log, (std::vector<std::string>{"remove 2", "remove 1", "remove 0"}));
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.GetSelectedNick(), "");
}

TEST(ClientMemberList, RenameChangesEveryMatchingRowAndDoesNotCheckTheNewNick) {
  Recorder rec;
  MemberList list(&rec);
  list.AddMember("taro");
  list.AddMember("hanako");
  list.SetMemberMode("hanako", "+a");
  list.RenameMember("TARO", "hanako");  // now two rows named hanako
  EXPECT_EQ(Nicks(list), (std::vector<std::string>{"hanako", "hanako"}));
  EXPECT_EQ(rec.log.back(), "rename 0");
  // Mode reads take the last match, writes the first.
  EXPECT_EQ(list.GetMemberMode("hanako"), "a");
  list.SetMemberMode("hanako", "+o");
  EXPECT_EQ(list.Row(0).mode, "o");
  EXPECT_EQ(list.Row(1).mode, "a");
  list.RenameMember("HANAKO", "jiro");
  EXPECT_EQ(Nicks(list), (std::vector<std::string>{"jiro", "jiro"}));
  list.RenameMember("", "x");
  EXPECT_EQ(Nicks(list), (std::vector<std::string>{"jiro", "jiro"}));
}

TEST(ClientMemberList, ModeChangesKeepEachLetterOnceInTheOrderSet) {
  MemberList list;
  list.AddMember("taro");
  list.SetMemberMode("taro", "+a");
  list.SetMemberMode("taro", "+o");
  list.SetMemberMode("taro", "+o");
  EXPECT_EQ(list.GetMemberMode("taro"), "ao");
  list.SetMemberMode("taro", "-a");
  EXPECT_EQ(list.GetMemberMode("taro"), "o");
  list.SetMemberMode("taro", "-o+a");  // "-o" and "+a" in one change
  EXPECT_EQ(list.GetMemberMode("taro"), "a");
  list.SetMemberMode("taro", "+o-a");
  EXPECT_EQ(list.GetMemberMode("taro"), "o");
  list.SetMemberMode("taro", "+x");  // unknown letters change nothing
  EXPECT_EQ(list.GetMemberMode("taro"), "o");
  list.SetMemberMode("taro", "+a");
  list.SetMemberMode("taro", "");
  EXPECT_EQ(list.GetMemberMode("taro"), "");
}

TEST(ClientMemberList, MarksAndLabelsFollowModeUnreadAndBlinkPhase) {
  MemberList list;
  list.AddMember("host");
  list.AddMember("plain");
  list.SetMemberMode("host", "+o");
  EXPECT_STREQ(list.SmallMark(0), kMarkHost);
  EXPECT_STREQ(list.SmallMark(1), kMarkMember);
  EXPECT_TRUE(list.LabelFrameRed(0));
  EXPECT_FALSE(list.LabelFrameRed(1));
  list.SetMemberMode("host", "+a");  // away wins over host in small mode
  EXPECT_STREQ(list.SmallMark(0), kMarkAway);
  EXPECT_TRUE(list.LabelFrameRed(0));

  list.AddPrivateMessage("plain", 3, "hi");
  EXPECT_FALSE(list.BlinkPhase());
  EXPECT_STREQ(list.SmallMark(1), kMarkMember);
  list.BlinkTick();
  EXPECT_STREQ(list.SmallMark(1), kMarkBlink);
  EXPECT_TRUE(list.LabelHidden(1));
  EXPECT_STREQ(list.SmallMark(0), kMarkAway);  // not unread: unchanged
  list.BlinkTick();
  EXPECT_STREQ(list.SmallMark(1), kMarkMember);
  list.BlinkTick();
  list.MarkRead(1);
  EXPECT_STREQ(list.SmallMark(1), kMarkMember);
  EXPECT_FALSE(list.LabelHidden(1));
}

TEST(ClientMemberList, PrivateMessagesGoToTheFirstMatchingRowOnly) {
  Recorder rec;
  MemberList list(&rec);
  list.AddMember("taro");
  list.AddMember("hanako");
  rec.log.clear();
  list.AddPrivateMessage("nobody", 3, "lost");
  list.ShowPendingPrivateBox(1);  // not unread yet
  EXPECT_TRUE(rec.log.empty());
  list.AddPrivateMessage("HANAKO", 3, "hello there");
  list.ShowPendingPrivateBox(0);
  list.ShowPendingPrivateBox(1);
  list.ShowPendingPrivateBox(9);
  list.ShowPrivateBox("Taro");
  EXPECT_EQ(rec.log, (std::vector<std::string>{"private 1 3 hello there", "show 1", "show 0"}));
  EXPECT_TRUE(list.Row(1).unread);
}

TEST(ClientMemberList, IconsAndIconModeBelongToTheRows) {
  MemberList list;
  list.AddMember("taro");
  list.SetMemberIcon("TARO", kPictureAway);
  list.SetMemberIcon("nobody", kPictureDefault);
  list.SetMemberIcon("", kPictureDefault);
  EXPECT_EQ(list.Row(0).picture, kPictureAway);
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.RowHeight(), 20);
  list.SetIconMode(true);
  EXPECT_EQ(list.RowHeight(), 32);
  list.SetIconMode(false);
  EXPECT_EQ(list.RowHeight(), 20);
}

}  // namespace
}  // namespace novalune::client

namespace novalune::client {
namespace {

// The lookups against a plain scan of the rows, over a long random mix of
// operations with colliding nicks.
TEST(ClientMemberList, LookupsAgreeWithAPlainScanAfterAnyMixOfOperations) {
  MemberList list;
  const char* nicks[] = {"a", "A", "b", "B", "c", "dd", "Dd", "e"};
  std::uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int step = 0; step < 5000; ++step) {
    const std::string nick = nicks[next() % 8];
    const std::string other = nicks[next() % 8];
    switch (next() % 6) {
      case 0:
      case 1: list.AddMember(nick); break;
      case 2: list.DeleteMember(nick); break;
      case 3: list.RenameMember(nick, other); break;
      case 4: list.SetMemberMode(nick, next() % 2 ? "+o" : "+a"); break;
      case 5:
        if (next() % 10 == 0) list.ClearMembers();
        break;
    }
    for (const char* probe : nicks) {
      std::optional<std::size_t> first;
      std::string lastMode;
      for (std::size_t i = 0; i < list.Count(); ++i) {
        if (AsciiUpper(list.Row(i).nick) != AsciiUpper(probe)) continue;
        if (!first) first = i;
        lastMode = list.Row(i).mode;
      }
      ASSERT_EQ(list.FindFirst(probe), first) << "step " << step << " nick " << probe;
      ASSERT_EQ(list.GetMemberMode(probe), lastMode) << "step " << step << " nick " << probe;
    }
  }
}

}  // namespace
}  // namespace novalune::client

namespace novalune::client {
namespace {

class TemplateRecorder : public MemberListObserver {
 public:
  void TemplateChanged(TemplateField field) override { fields.push_back(field); }
  std::vector<TemplateField> fields;
};

TEST(ClientMemberList, TemplateChangesAreCopiedOnRequestOnly) {
  TemplateRecorder rec;
  MemberList list(&rec);
  PrivateTemplates next = list.Templates();
  next.autoSave = true;
  next.fonts[3].name = "Mincho";
  next.listColor = 0xFFFFFF;
  next.beepFile = "bell.wav";
  next.defaultExt = "txt";
  EXPECT_TRUE(rec.fields.empty());
  list.SetTemplates(next);
  EXPECT_EQ(rec.fields, (std::vector<TemplateField>{TemplateField::ListColor, TemplateField::AutoSave,
                                                    TemplateField::BeepFile, TemplateField::Font4}))
      << "\"DefaultExt\" reaches new windows only";
  EXPECT_EQ(list.Templates(), next);

  // The same options again copy nothing; one changed font copies that font.
  rec.fields.clear();
  list.SetTemplates(next);
  EXPECT_TRUE(rec.fields.empty());
  next.fonts[0].size = 12;
  list.SetTemplates(next);
  EXPECT_EQ(rec.fields, std::vector<TemplateField>{TemplateField::Font1});
}

}  // namespace
}  // namespace novalune::client
