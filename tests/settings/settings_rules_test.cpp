// The dialogs' rules without widgets: input checks and their messages, sort
// order of the list windows, the address book and room files, web access.
#include <gtest/gtest.h>

#include <climits>

#include "common/Settings.h"
#include "controls/ControlRules.h"
#include "settings/AddressBook.h"
#include "settings/ConnectionSettings.h"
#include "settings/DialogRules.h"
#include "settings/settings_fixture.h"

namespace novalune::settings {
namespace {

using controls::GridRow;
using test::Sjis;
using testing::ProgramFolderTest;

const std::string kFullWidthSpace = "\x81\x40";

// --- Input checks ------------------------------------------------------------

TEST(DialogRulesTest, BlanksAreFoundOnlyAsWholeCharacters) {
  EXPECT_TRUE(HasBlank("a b"));
  EXPECT_TRUE(HasBlank("ab" + kFullWidthSpace));
  EXPECT_TRUE(HasBlank(Sjis("山　田")));
  // メ is 0x83 0x81; followed by '@' the bytes 0x81 0x40 appear but are no space.
  EXPECT_FALSE(HasBlank(Sjis("メ@")));
  EXPECT_FALSE(HasBlank(Sjis("ニックネーム")));
  EXPECT_FALSE(HasBlank(""));
  // A lead byte without a trail byte does not hide the space after it.
  EXPECT_TRUE(HasBlank(std::string("\x83") + " x"));
}

TEST(DialogRulesTest, NickChecksRunInOrderWithTheirMessages) {
  EXPECT_EQ(CheckNick(""), Sjis("ニックネームが入力されていません"));
  EXPECT_EQ(CheckNick("a b"), Sjis("ニックネームに空白文字を入れないでください"));
  // A full-width space is a blank, even when "!" is there too.
  EXPECT_EQ(CheckNick("a" + kFullWidthSpace + "!"), Sjis("ニックネームに空白文字を入れないでください"));
  EXPECT_EQ(CheckNick("a!b"), Sjis("ニックネームに\"!\",\"#\",などの文字は使えません"));
  EXPECT_EQ(CheckNick("#a"), Sjis("ニックネームに\"!\",\"#\",などの文字は使えません"));
  EXPECT_EQ(CheckNick(Sjis("たろう")), std::nullopt);
  EXPECT_EQ(CheckNick(Sjis("メ@")), std::nullopt);
}

TEST(DialogRulesTest, ConnectChecksNameThePageOfTheFailingField) {
  auto failure = CheckJoinFields("", "a b", "c d");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->page, JoinPage::kPersonal);
  EXPECT_EQ(failure->message, Sjis("ニックネームが入力されていません"));

  failure = CheckJoinFields("nick", "a" + kFullWidthSpace + "b", "c d");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->page, JoinPage::kConnect);
  EXPECT_EQ(failure->message, Sjis("部屋名に空白文字を入れないでください"));

  failure = CheckJoinFields("nick", "room", "c d");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->page, JoinPage::kConnect);
  EXPECT_EQ(failure->message, Sjis("パスワードに空白文字を入れないでください"));

  // Empty room name and password pass.
  EXPECT_FALSE(CheckJoinFields("nick", "", ""));
}

TEST(DialogRulesTest, RoomDialogRefusesAnEmptyRoomName) {
  EXPECT_EQ(CheckRoomEntry("", "a b"), Sjis("部屋名が入力されていません"));
  EXPECT_EQ(CheckRoomEntry("a b", "c d"), Sjis("部屋名に空白文字を入れないでください"));
  EXPECT_EQ(CheckRoomEntry("room", "c" + kFullWidthSpace), Sjis("パスワードに空白文字を入れないでください"));
  EXPECT_EQ(CheckRoomEntry("room", ""), std::nullopt);
}

TEST(DialogRulesTest, DescriptionTextAndLines) {
  EXPECT_EQ(RemoveLineBreaks(std::string("a\r\nb\nc\rd\0e", 10)), "abcde");
  EXPECT_EQ(TextToLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(TextToLines("a\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(TextToLines("").empty());
  EXPECT_EQ(LinesToText({"a", "", "b"}), "a\n\nb");
  EXPECT_EQ(LinesToText(TextToLines("x\n\ny\n")), "x\n\ny\n");
}

// --- Sort order of the list windows -----------------------------------------

std::vector<std::string> Column(const std::vector<GridRow>& rows, std::size_t column) {
  std::vector<std::string> cells;
  for (const GridRow& row : rows) cells.push_back(row[column]);
  return cells;
}

TEST(GridSortTest, RoomCountsSortAsNumbersBelowTenThousand) {
  EXPECT_EQ(FormatRoomCount(9), "   9");
  EXPECT_EQ(FormatRoomCount(10), "  10");
  EXPECT_EQ(FormatRoomCount(9999), "9999");
  std::vector<GridRow> rows = {{"a", FormatRoomCount(10)},
                               {"b", FormatRoomCount(9)},
                               {"c", FormatRoomCount(120)},
                               {"d", FormatRoomCount(1)}};
  controls::SortRows(rows, 1, false);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"d", "b", "a", "c"}));
  controls::SortRows(rows, 1, true);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"c", "a", "b", "d"}));
}

TEST(GridSortTest, AsciiCaseIsFoldedAndBytesCompareUnsigned) {
  std::vector<GridRow> rows = {{"beta"}, {Sjis("日本")}, {"Alpha"}, {"ALPHA2"}, {"alpha"}, {"_x"}};
  controls::SortRows(rows, 0, false);
  // "ALPHA" == "ALPHA" < "ALPHA2" < "BETA" < "_X" (0x5F) < a double-byte name (0x93..).
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(controls::SortKey(rows[0][0]), "ALPHA");
  EXPECT_EQ(controls::SortKey(rows[1][0]), "ALPHA");
  EXPECT_EQ(rows[2][0], "ALPHA2");
  EXPECT_EQ(rows[3][0], "beta");
  EXPECT_EQ(rows[4][0], "_x");
  EXPECT_EQ(rows[5][0], Sjis("日本"));
  controls::SortRows(rows, 0, true);
  EXPECT_EQ(rows[0][0], Sjis("日本"));
  EXPECT_EQ(rows[5][0].size(), 5u);  // one of the two spellings of alpha
}

TEST(GridSortTest, TrailBytesAreNotLetters) {
  // ヂ is 0x83 0x61: its trail byte is 'a' but the key keeps it, so it does
  // not sort together with ア (0x83 0x41).
  EXPECT_EQ(controls::SortKey(Sjis("ヂa")), Sjis("ヂA"));
  EXPECT_NE(controls::SortKey(Sjis("ヂ")), controls::SortKey(Sjis("ア")));
}

TEST(GridSortTest, MissingCellsSortAsEmpty) {
  std::vector<GridRow> rows = {{"x", "b"}, {"y"}, {"z", "a"}};
  controls::SortRows(rows, 1, false);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"y", "z", "x"}));
}

TEST(GridSortTest, OneDirectionFlagFlipsBeforeEverySort) {
  controls::SortDirection direction;
  EXPECT_FALSE(direction.Descending());
  EXPECT_TRUE(direction.Flip());
  EXPECT_FALSE(direction.Flip());
  EXPECT_TRUE(direction.Flip());
}

TEST(NumberFieldTest, TextThatIsNoNumberCountsAsZero) {
  EXPECT_EQ(controls::ParseIntOrZero("8080"), 8080);
  EXPECT_EQ(controls::ParseIntOrZero("+7"), 7);
  EXPECT_EQ(controls::ParseIntOrZero("-5"), -5);
  EXPECT_EQ(controls::ParseIntOrZero(""), 0);
  EXPECT_EQ(controls::ParseIntOrZero("12a"), 0);
  EXPECT_EQ(controls::ParseIntOrZero("abc"), 0);
  EXPECT_EQ(controls::ParseIntOrZero("+-5"), 0);
  EXPECT_EQ(controls::ParseIntOrZero("99999999999"), 0);
}

// --- Address book and room names ---------------------------------------------

TEST(AddressBookTest, LinesAreCutAtTheEndMarkAndSplitAtFieldMarks) {
  EXPECT_EQ(ParseAddressLine("home\x02"
                             "192.168.0.5\x02\x03"),
            (AddressEntry{"home", "192.168.0.5"}));
  EXPECT_EQ(ParseAddressLine("home\x02"
                             "a\x02\x03garbage\x02x"),
            (AddressEntry{"home", "a"}));
  EXPECT_EQ(ParseAddressLine("home\x02"
                             "a"),
            AddressEntry{});  // no end mark
  EXPECT_EQ(ParseAddressLine("solo\x03"), (AddressEntry{"solo", ""}));
  EXPECT_EQ(ParseAddressLine(""), AddressEntry{});
  EXPECT_EQ(FormatAddressLine(Sjis("友達"), "host.example"), Sjis("友達") + "\x02host.example\x02\x03");
  // The framing bytes cannot get into a field and break the line.
  EXPECT_EQ(FormatAddressLine("a\x02"
                              "b\r\n",
                              "c\x03"),
            "ab\x02"
            "c\x02\x03");
}

TEST(AddressBookTest, StoringReplacesEqualNamesInPlaceAndAppendsNewOnes) {
  const std::vector<std::string> book = {
      "alpha\x02"
      "1.1.1.1\x02\x03",
      "broken line",
      "beta\x02"
      "2.2.2.2\x02\x03"};
  auto stored = StoreAddressEntry(book, "alpha", "9.9.9.9");
  EXPECT_EQ(stored, (std::vector<std::string>{"alpha\x02"
                                              "9.9.9.9\x02\x03",
                                              "broken line",
                                              "beta\x02"
                                              "2.2.2.2\x02\x03"}));
  // Another letter case is another partner.
  stored = StoreAddressEntry(book, "Alpha", "3.3.3.3");
  ASSERT_EQ(stored.size(), 4u);
  EXPECT_EQ(stored[0], book[0]);
  EXPECT_EQ(stored[3],
            "Alpha\x02"
            "3.3.3.3\x02\x03");
  // No name, nothing stored; a name of framing bytes only is no name either.
  EXPECT_EQ(StoreAddressEntry(book, "", "4.4.4.4"), book);
  EXPECT_EQ(StoreAddressEntry(book, "\x02\x03", "4.4.4.4"), book);
}

TEST(AddressBookTest, NamesForThePartnerBoxAndTheirAddresses) {
  const std::vector<std::string> book = {
      "zeta\x02"
      "z\x02\x03",
      "Alpha\x02"
      "a\x02\x03",
      "no mark",
      "beta\x02"
      "b1\x02\x03",
      "beta\x02"
      "b2\x02\x03"};
  EXPECT_EQ(AddressNames(book), (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  EXPECT_EQ(AddressOf(book, "beta"), "b2");  // every equal entry is applied; the last wins
  EXPECT_EQ(AddressOf(book, "alpha"), std::nullopt);
  EXPECT_EQ(AddressOf(book, ""), std::nullopt);
}

TEST(AddressBookTest, RoomNamesAreAddedOnceByExactName) {
  const std::vector<std::string> rooms = {"#lobby", "chat"};
  EXPECT_EQ(StoreRoomName(rooms, "chat"), rooms);
  EXPECT_EQ(StoreRoomName(rooms, "CHAT"), (std::vector<std::string>{"#lobby", "chat", "CHAT"}));
  EXPECT_EQ(StoreRoomName(rooms, ""), rooms);
}

using ListFilesTest = ProgramFolderTest;

TEST_F(ListFilesTest, AddressBookRoundTripsAsShiftJisWithCrLf) {
  auto book = StoreAddressEntry({}, Sjis("山田"), "10.0.0.1");
  book = StoreAddressEntry(book, "office", "chat.example");
  SaveAddressBook(book);
  EXPECT_EQ(ReadBytes("Address.adr"),
            "\x8e\x52\x93\x63\x02"
            "10.0.0.1\x02\x03\r\n"
            "office\x02"
            "chat.example\x02\x03\r\n");
  EXPECT_EQ(LoadAddressBook(), book);
  EXPECT_EQ(AddressOf(LoadAddressBook(), Sjis("山田")), "10.0.0.1");
}

TEST_F(ListFilesTest, RoomNamesRoundTrip) {
  EXPECT_TRUE(LoadRoomNames().empty());
  SaveRoomNames(StoreRoomName({"#lobby"}, Sjis("雑談")));
  EXPECT_EQ(ReadBytes("Room.adr"), "#lobby\r\n\x8e\x47\x92\x6b\r\n");
  EXPECT_EQ(LoadRoomNames(), (std::vector<std::string>{"#lobby", Sjis("雑談")}));
}

TEST_F(ListFilesTest, RoomDescriptionKeepsItsLines) {
  EXPECT_EQ(LoadRoomTopic(), std::nullopt);
  SaveRoomTopic(Sjis("ようこそ\n\n二行目"));
  EXPECT_EQ(ReadBytes("RoomTopic.txt"), Sjis("ようこそ") + "\r\n\r\n" + Sjis("二行目") + "\r\n");
  EXPECT_EQ(LoadRoomTopic(), Sjis("ようこそ\n\n二行目"));
  SaveRoomTopic("");
  EXPECT_EQ(ReadBytes("RoomTopic.txt"), "");
  EXPECT_EQ(LoadRoomTopic(), "");
}

// --- Settings records and the web access question --------------------------------

using StoredValuesTest = ProgramFolderTest;

TEST_F(StoredValuesTest, HttpSettingsReadThirtySecondsForZero) {
  HttpSettings values = LoadHttpSettings();
  EXPECT_EQ(values, HttpSettings{});
  EXPECT_EQ(values.timeSeconds, 30);

  values = {true, true, 0, true, "proxy.example", 8080};
  SaveHttpSettings(values);
  EXPECT_EQ(ReadSettingInt("ICON", "HTTPTIME"), 0);
  EXPECT_EQ(ReadSettingString("ICON", "PROXYHOST"), "proxy.example");
  EXPECT_EQ(ReadSettingInt("ICON", "PROXYPORT"), 8080);
  EXPECT_TRUE(ReadSettingFlag("ICON", "HTTPNOTOUT"));
  EXPECT_TRUE(ReadSettingFlag("ICON", "MESCONECT"));
  EXPECT_TRUE(ReadSettingFlag("ICON", "USEPROXY"));
  // A 0 typed into the dialog is 0 for this run; the next start shows 30.
  EXPECT_EQ(values.TimeoutMs(), 0);
  const HttpSettings next = LoadHttpSettings();
  EXPECT_EQ(next.timeSeconds, 30);
  EXPECT_EQ(next.TimeoutMs(), 30000);
  EXPECT_EQ(next.proxyPort, 8080);
}

// Load and save share one key table: the file holds the keys in the dialog's order.
TEST_F(StoredValuesTest, HttpSettingsFileHoldsTheKeysInTheDialogsOrder) {
  SaveHttpSettings({true, false, 45, true, "proxy.example", 8080});
  EXPECT_EQ(ReadBytes("NOVALUNE.INI"),
            "[ICON]\r\nHTTPNOTOUT=1\r\nMESCONECT=0\r\nHTTPTIME=45\r\nUSEPROXY=1\r\n"
            "PROXYHOST=proxy.example\r\nPROXYPORT=8080\r\nMESSAGEURL=\r\n");
}

TEST(HttpSettingsTest, TimeoutStaysWithinInt) {
  HttpSettings values;
  values.timeSeconds = 999999999;
  EXPECT_EQ(values.TimeoutMs(), INT_MAX);
  values.timeSeconds = 45;
  EXPECT_EQ(values.TimeoutMs(), 45000);
}

TEST_F(StoredValuesTest, JoinSettingsAndAwayMessagesRoundTrip) {
  JoinSettings join;
  join.joinMe = true;
  join.serverName = Sjis("友達");
  join.serverIP = "10.1.2.3";
  join.roomName = "#room";
  join.nick = Sjis("花子");
  join.homePage = "http://example.org/";
  join.mail = "a@example.org";
  SaveJoinKeys(join);
  SaveRoomTopic(Sjis("説明"));
  join.topic = Sjis("説明");
  EXPECT_EQ(LoadJoinSettings(), join);
  EXPECT_EQ(ReadSettingString("System", "ServerName"), Sjis("友達"));
  EXPECT_TRUE(ReadSettingFlag("SYSTEM", "JoinMe"));

  SaveAwayMessages({Sjis("離席します"), Sjis("戻りました")});
  EXPECT_EQ(ReadSettingString("Message", "AWAY"), Sjis("離席します"));
  EXPECT_EQ(ReadSettingString("Message", "BACK"), Sjis("戻りました"));
  EXPECT_EQ(LoadAwayMessages().back, Sjis("戻りました"));
}

TEST(HttpAccessGateTest, AsksUntilTheFirstYesOfTheRun) {
  std::vector<std::string> asked;
  std::vector<bool> answers = {false, true};
  HttpAccessGate gate([&](const std::string& question) {
    asked.push_back(question);
    const bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  });
  HttpSettings values;
  values.mesConect = true;
  gate.SetSettings(values);

  EXPECT_FALSE(gate.ConfirmHttpAccess(Sjis("HTTP接続します(URL)")));
  EXPECT_FALSE(gate.Confirmed());
  EXPECT_TRUE(gate.ConfirmHttpAccess(Sjis("HTTP接続します(ICON)")));
  EXPECT_TRUE(gate.Confirmed());
  EXPECT_TRUE(gate.ConfirmHttpAccess(Sjis("HTTP接続します(Novalune Message)")));
  EXPECT_EQ(asked, (std::vector<std::string>{Sjis("HTTP接続します(URL)"), Sjis("HTTP接続します(ICON)")}));
}

TEST(HttpAccessGateTest, NoQuestionWhenAskingIsOffAndNoAccessOutsideWhenForbidden) {
  int asks = 0;
  HttpAccessGate gate([&](const std::string&) {
    ++asks;
    return true;
  });
  EXPECT_TRUE(gate.ConfirmHttpAccess("q"));
  EXPECT_TRUE(gate.MayAccessOutside("q"));
  EXPECT_EQ(asks, 0);

  HttpSettings values;
  values.httpNotOut = true;
  values.mesConect = true;
  gate.SetSettings(values);
  EXPECT_FALSE(gate.MayAccessOutside("q"));
  EXPECT_EQ(asks, 0);
  // The accesses that do not honour the switch still ask.
  EXPECT_TRUE(gate.ConfirmHttpAccess("q"));
  EXPECT_EQ(asks, 1);
}

}  // namespace
}  // namespace novalune::settings
