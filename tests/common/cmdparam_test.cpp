// The two tokenisers shared by server and client.
#include "common/CmdParam.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace novalune {
namespace {

// The ten fields as a vector, so a whole split is checked in one assertion.
std::vector<std::string> Fields(const CmdParam& param) { return {param.begin(), param.end()}; }

std::vector<std::string> Expect(std::vector<std::string> first) {
  first.resize(10);
  return first;
}

CmdParam Dirty() {
  CmdParam param;
  for (auto& field : param) field = "old";
  return param;
}

std::vector<std::string> Cut(std::string_view text) {
  CmdParam param = Dirty();
  CommandCut(text, param);
  return Fields(param);
}

std::vector<std::string> CutNo(std::string_view text, int n) {
  CmdParam param = Dirty();
  CommandCutNo(text, param, n);
  return Fields(param);
}

TEST(CommandCutTest, TextWithoutBlankIsTheFirstFieldAndClearsTheRest) {
  EXPECT_EQ(Cut("PING"), Expect({"PING"}));
  EXPECT_EQ(Cut(""), Expect({}));
  // A tab is no blank.
  EXPECT_EQ(Cut("a\tb"), Expect({"a\tb"}));
}

TEST(CommandCutTest, SplitsAtEveryBlank) {
  EXPECT_EQ(Cut("MODE #ROOM +o taro"), Expect({"MODE", "#ROOM", "+o", "taro"}));
}

TEST(CommandCutTest, ConsecutiveLeadingAndTrailingBlanksGiveEmptyFields) {
  EXPECT_EQ(Cut("a  b"), Expect({"a", "", "b"}));
  EXPECT_EQ(Cut(" a"), Expect({"", "a"}));
  EXPECT_EQ(Cut("a "), Expect({"a", ""}));
  EXPECT_EQ(Cut(" "), Expect({"", ""}));
}

TEST(CommandCutTest, ColonIsNotSpecial) {
  EXPECT_EQ(Cut("PRIVMSG #ROOM :hello world"), Expect({"PRIVMSG", "#ROOM", ":hello", "world"}));
}

TEST(CommandCutTest, TextAfterTheTenthBlankIsDropped) {
  EXPECT_EQ(Cut("0 1 2 3 4 5 6 7 8 9"), Expect({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
  EXPECT_EQ(Cut("0 1 2 3 4 5 6 7 8 9 10 11"), Expect({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
  // The tenth word is cut at its own next blank.
  EXPECT_EQ(Cut("0 1 2 3 4 5 6 7 8 nine ten"), Expect({"0", "1", "2", "3", "4", "5", "6", "7", "8", "nine"}));
  EXPECT_EQ(Cut("0 1 2 3 4 5 6 7 8 9 "), Expect({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST(CommandCutTest, FullWidthSpaceIsNoBlank) {
  // あ, full-width space, い: one word.
  const std::string word = "\x82\xA0\x81\x40\x82\xA2";
  EXPECT_EQ(Cut(word + " x"), Expect({word, "x"}));
}

TEST(CommandCutNoTest, TextWithoutBlankIsTheFirstFieldWhateverN) {
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(CutNo("PING", n), Expect({"PING"})) << n;
}

TEST(CommandCutNoTest, TwoGivesTheWordAndTheRest) {
  EXPECT_EQ(CutNo("PRIVMSG #ROOM :hello world", 2), Expect({"PRIVMSG", "#ROOM :hello world"}));
  // The handler's second cut of the argument text.
  EXPECT_EQ(CutNo("#ROOM :hello world", 2), Expect({"#ROOM", ":hello world"}));
  EXPECT_EQ(CutNo("#ROOM :a b c", 2), Expect({"#ROOM", ":a b c"}));
  EXPECT_EQ(CutNo("NICK ", 2), Expect({"NICK", ""}));
}

TEST(CommandCutNoTest, RestAlwaysLandsInTheLastFieldWhenWordsRunOut) {
  EXPECT_EQ(CutNo("a b", 3), Expect({"a", "", "b"}));
  EXPECT_EQ(CutNo("a b", 5), Expect({"a", "", "", "", "b"}));
  EXPECT_EQ(CutNo(":nick!x@x PING", 3), Expect({":nick!x@x", "", "PING"}));
}

TEST(CommandCutNoTest, RestKeepsItsBlanks) {
  EXPECT_EQ(CutNo("a b c d", 3), Expect({"a", "b", "c d"}));
  EXPECT_EQ(CutNo("taro file.txt 1234 extra  words", 3), Expect({"taro", "file.txt", "1234 extra  words"}));
  EXPECT_EQ(CutNo("a  b c", 3), Expect({"a", "", "b c"}));
  EXPECT_EQ(CutNo(":s 322 me #R 3 :a topic", 6), Expect({":s", "322", "me", "#R", "3", ":a topic"}));
}

TEST(CommandCutNoTest, TenFillsEveryField) {
  EXPECT_EQ(CutNo("0 1 2 3 4 5 6 7 8 9 10 11", 10),
            Expect({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9 10 11"}));
}

TEST(CommandCutNoTest, OneKeepsTheWholeText) { EXPECT_EQ(CutNo("a b c", 1), Expect({"a b c"})); }

TEST(CommandCutNoTest, OutOfRangeNIsClamped) {
  EXPECT_EQ(CutNo("a b c", 0), Expect({"a b c"}));
  EXPECT_EQ(CutNo("a b c", -3), Expect({"a b c"}));
  EXPECT_EQ(CutNo("0 1 2 3 4 5 6 7 8 9 10", 11),
            Expect({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9 10"}));
}

TEST(CommandCutNoTest, ShiftJisBytesAreNeverBlanks) {
  // 部屋 (0x95 0x94, 0x89 0xAE) with a full-width space inside the topic.
  const std::string topic = ":\x95\x94\x81\x40\x89\xAE";
  EXPECT_EQ(CutNo("TOPIC #R " + topic, 3), Expect({"TOPIC", "#R", topic}));
}

// The viewing tokenisers must cut exactly like the owning ones: the client's
// handlers moved to them, so any difference would change what a line means.
TEST(CmdViewTest, AgreesWithTheOwningTokenisersOnEveryLine) {
  const std::string kanji = "\x95\x94\x81\x40\x89\xAE";
  const std::vector<std::string> lines = {
      "",
      "PING",
      "PING :127.0.0.1",
      " ",
      "  a  b  ",
      "a\tb c",
      ":taro!x@x PRIVMSG #lobby :hello world",
      ":taro!x@x PRIVMSG taro :\x01"
      "DCC SEND file.txt 3232235777 1234 99\x01",
      ":s 353 taro = #lobby :@hana taro  jiro ",
      ":s 352 taro #R user 10.0.0.1 host nick H@ :0 full name",
      "0 1 2 3 4 5 6 7 8 9 10 11",
      "TOPIC #R :" + kanji + " " + kanji,
  };
  for (const std::string& line : lines) {
    CmdParam owned = Dirty();
    CmdView viewed;
    viewed.fill("old");
    CommandCut(line, owned);
    CommandCut(line, viewed);
    EXPECT_EQ(Fields(owned), std::vector<std::string>(viewed.begin(), viewed.end())) << line;
    for (int n = -1; n <= 11; ++n) {
      owned = Dirty();
      viewed.fill("old");
      CommandCutNo(line, owned, n);
      CommandCutNo(line, viewed, n);
      EXPECT_EQ(Fields(owned), std::vector<std::string>(viewed.begin(), viewed.end())) << line << " n=" << n;
    }
  }
}

TEST(CmdViewTest, FieldsPointIntoTheCutText) {
  const std::string line = ":taro!x@x JOIN :#lobby";
  CmdView fields;
  CommandCutNo(line, fields, 3);
  EXPECT_EQ(fields[2].data(), line.data() + 15);
  EXPECT_EQ(fields[2], ":#lobby");
}

}  // namespace
}  // namespace novalune
