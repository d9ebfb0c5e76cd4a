// The publication's rules without a network: the records as they are sent,
// the script table file, the answer marker and the time-of-day text.
#include <gtest/gtest.h>

#include <algorithm>

#include "client/core/Publication.h"
#include "common/SjisText.h"
#include "support/ProgramFolder.h"

namespace novalune::client {
namespace {

std::string Sjis(std::string_view utf8) { return Utf8ToSjis(utf8); }

PublicationValues Abc() {
  PublicationValues values;
  values.name = "abc";
  values.password = "p";
  return values;
}

TEST(PublicationRecord, StartStopAndDeleteRecordsHaveTheirFieldsInOrder) {
  EXPECT_EQ(BuildRecord(RecordKind::kStart, Abc(), "192.168.0.2", "s"),
            "s<>ON<>abc<>p<>192.168.0.2<><><><><><>");
  PublicationValues values = Abc();
  values.homePage = "http://h/";
  values.mail = "m@x";
  values.room = Sjis("ロビー");
  values.startMessage = Sjis("一行目\r\n二行目");
  values.stopMessage = "bye";
  values.staticIP = "10.0.0.9";
  // The fixed address goes out only while its switch is on.
  EXPECT_EQ(BuildRecord(RecordKind::kStart, values, "1.2.3.4", ""),
            Sjis("<>ON<>abc<>p<>1.2.3.4<>http://h/<>m@x<>一行目<BR>二行目<>ロビー<><>"));
  values.useStaticIP = true;
  EXPECT_EQ(BuildRecord(RecordKind::kStop, values, "1.2.3.4", "s"),
            Sjis("s<>OF<>abc<>p<>1.2.3.4<>http://h/<>m@x<>bye<>ロビー<>10.0.0.9<>"));
  EXPECT_EQ(BuildRecord(RecordKind::kDelete, values, "1.2.3.4", "s"), "s<>DEL<>abc<>p<>1.2.3.4<><><><><>");
}

TEST(PublicationRecord, FormDecodingTurnsPlusAndHexEscapesIntoBytesOrLeavesTheRecordWhole) {
  EXPECT_EQ(DecodeFormRecord("a+b%41%e3%2B<>"), "a bA\xE3+<>");
  EXPECT_EQ(DecodeFormRecord("a+b%4"), "a+b%4");
  EXPECT_EQ(DecodeFormRecord("%41+100%<>"), "%41+100%<>");
  EXPECT_EQ(DecodeFormRecord("%zz+"), "%zz+");
}

TEST(PublicationRecord, OnlyRowsWithAnAddressArePostedEachWithItsOwnPassword) {
  CgiTable table;
  table[0] = {"http://a/", "s1"};
  table[1] = {"", "ignored"};
  table[4] = {"http://b/", ""};
  PublicationValues values = Abc();
  values.startMessage = "x+y";
  EXPECT_EQ(PublishPosts(RecordKind::kStart, values, table, "h"),
            (std::vector<PublishPost>{{"http://a/", "s1<>ON<>abc<>p<>h<><><>x y<><><>"},
                                      {"http://b/", "<>ON<>abc<>p<>h<><><>x y<><><>"}}));
  EXPECT_EQ(DeletePosts(values, table, 4, "h"),
            (std::vector<PublishPost>{{"http://b/", "<>DEL<>abc<>p<>h<><><><><>"}}));
  EXPECT_TRUE(DeletePosts(values, table, 1, "h").empty());
  EXPECT_TRUE(DeletePosts(values, table, 9, "h").empty());
}

TEST(PublicationRecord, ButtonCheckWantsANameThenAPassword) {
  PublicationValues values;
  values.password = "p";
  EXPECT_EQ(CheckPublication(values), Sjis("名前が入力されていません"));
  values = Abc();
  values.password.clear();
  EXPECT_EQ(CheckPublication(values), Sjis("パスワードが入力されていません"));
  EXPECT_EQ(CheckPublication(Abc()), std::nullopt);
}

TEST(PublicationAnswer, TheTwoCharactersAfterTheFirstMarkerChooseTheNotice) {
  EXPECT_EQ(AnswerNotice("ok\nmes_str<..>ON"), Sjis("起動登録しました"));
  EXPECT_EQ(AnswerNotice("mes_str<..>OFF"), Sjis("停止登録しました"));
  EXPECT_EQ(AnswerNotice("mes_str<..>DE\n"), Sjis("削除しました"));
  EXPECT_EQ(AnswerNotice("mes_str<..>1"), Sjis("この名前は既に使用されているか、パスワードが一致しません"));
  EXPECT_EQ(AnswerNotice("mes_str<..>02"), Sjis("ＣＧＩパスワードが一致しません"));
  EXPECT_EQ(AnswerNotice("mes_str<..>DEmes_str<..>ON"), Sjis("削除しました"));
  for (const char* none : {"", "no marker ON", "mes_str<..>", "mes_str<..>3", "mes_str<..>1x",
                           "mes_str<..>on", "mes_str<.>ON", "mes_str<..>-1"}) {
    EXPECT_EQ(AnswerNotice(none), std::nullopt) << none;
  }
}

TEST(PublicationTime, TextsReadAsTimesOfDayAndShowAsAmPm) {
  constexpr int kH = 3600;
  EXPECT_EQ(ParseTimeOfDay("PM 11:30"), 23 * kH + 30 * 60);
  EXPECT_EQ(ParseTimeOfDay("AM 12:15"), 15 * 60);
  EXPECT_EQ(ParseTimeOfDay("PM 12:00"), 12 * kH);
  EXPECT_EQ(ParseTimeOfDay("  9:05 pm "), 21 * kH + 5 * 60);
  EXPECT_EQ(ParseTimeOfDay("21:05:07"), 21 * kH + 5 * 60 + 7);
  EXPECT_EQ(ParseTimeOfDay("1,0:3,0"), 10 * kH + 30 * 60);
  for (const char* zero :
       {"", "   ", "25:00", "10:60", "PM 13:00", "abc", "10", "10:00:00:00", "AM", "1:2:x"}) {
    EXPECT_EQ(ParseTimeOfDay(zero), 0) << zero;
  }
  EXPECT_EQ(FormatTimeOfDay(23 * kH + 30 * 60), "PM 11:30");
  EXPECT_EQ(FormatTimeOfDay(15 * 60), "AM 12:15");
  EXPECT_EQ(FormatTimeOfDay(12 * kH + 59), "PM 12:00");
  EXPECT_EQ(FormatTimeOfDay(9 * kH + 5 * 60), "AM 09:05");
}

class PublicationFiles : public test::ProgramFolderTest {};

TEST_F(PublicationFiles, ScriptTableReadsNineRowsAndWritesOnlyRowsWithAnAddress) {
  std::string file;
  for (int i = 1; i <= 11; ++i) file += "http://s" + std::to_string(i) + "/#pw#" + std::to_string(i) + "\r\n";
  file.replace(file.find("http://s2/#pw#2"), 15, "no hash here");
  WriteBytes("ZKWCSvr.txt", file);
  CgiTable table = LoadCgiTable();
  EXPECT_EQ(table[0], (CgiRow{"http://s1/", "pw#1"}));
  EXPECT_EQ(table[1], CgiRow{});
  EXPECT_EQ(table[8], (CgiRow{"http://s9/", "pw#9"}));
  table[2] = {" http://t/ ", "\tq "};
  TrimCgiTable(table);
  table[3].address.clear();
  SaveCgiTable(table);
  const std::string written = ReadBytes("ZKWCSvr.txt");
  EXPECT_TRUE(written.starts_with("http://s1/#pw#1\r\nhttp://t/#q\r\nhttp://s5/#pw#5\r\n")) << written;
  EXPECT_EQ(written.find("http://s10/"), std::string::npos);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 7);
}

TEST_F(PublicationFiles, ValuesAndMessagesRoundTripThroughTheSettingsAndFiles) {
  EXPECT_EQ(LoadPublicationValues(), PublicationValues{});
  WriteBytes("htmlmsg1.txt", "one\ntwo\rthree");
  EXPECT_EQ(LoadPublicationValues().startMessage, "one\r\ntwo\r\nthree");
  PublicationValues values = Abc();
  values.room = Sjis("部屋");
  values.autoTime = true;
  values.autoStrTime = "PM 10:00";
  values.useStaticIP = true;
  values.staticIP = "1.2.3.4";
  values.startMessage = "a\r\nb";
  values.stopMessage = "c";
  SavePublicationValues(values);
  EXPECT_EQ(LoadPublicationValues(), values);
  EXPECT_EQ(ReadBytes("htmlmsg1.txt"), "a\r\nb");
  EXPECT_NE(ReadBytes("NOVALUNE.INI").find("AUTOSTRTIME=PM 10:00"), std::string::npos);
}

}  // namespace
}  // namespace novalune::client
