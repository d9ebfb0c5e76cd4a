// The public server list dialog and the time field, offscreen, with real files.
#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "common/Settings.h"
#include "settings/SetOpenServerDlg.h"
#include "settings/TimeEdit.h"
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"

namespace novalune::settings {
namespace {

using test::FindChild;
using test::Sjis;
namespace open_server = keys::open_server;

class PublishUi : public test::ProgramFolderTest {
 protected:
  void SetUp() override {
    test::ProgramFolderTest::SetUp();
    test::TestApp();
  }
  std::unique_ptr<TSetOpenServerDlg> Dialog() {
    auto dialog = std::make_unique<TSetOpenServerDlg>(
        gate_, [this](const std::string& url) { opened_.push_back(url); },
        [this](const std::string& text) { notices_.push_back(text); });
    dialog->show();
    return dialog;
  }

  std::vector<std::string> questions_;
  HttpAccessGate gate_{[this](const std::string& q) {
    questions_.push_back(q);
    return true;
  }};
  std::vector<std::string> opened_;
  std::vector<std::string> notices_;
};

TEST_F(PublishUi, ServerListAddsOnlyNewAddressesBeforeTheSelectionAndStoresOnOk) {
  WriteBytes("ServerList.txt", "http://a/\r\nhttp://b/\r\n");
  WriteSettingInt(open_server::kSection, open_server::kSelectNo, 1);
  auto dialog = Dialog();
  auto* edit = FindChild<QLineEdit>(*dialog, "URLEdit");
  auto* add = FindChild<QPushButton>(*dialog, "AddBtn");
  auto* del = FindChild<QPushButton>(*dialog, "DelBtn");
  EXPECT_EQ(edit->text(), QStringLiteral("http://a/"));  // no "URL" stored: the first entry
  EXPECT_EQ(dialog->SelectedIndex(), 1);
  EXPECT_FALSE(add->isEnabled());
  EXPECT_TRUE(del->isEnabled());
  edit->setText(QStringLiteral("  http://c/ "));
  ASSERT_TRUE(add->isEnabled());
  add->click();
  EXPECT_EQ(edit->text(), QStringLiteral("http://c/"));
  EXPECT_EQ(dialog->Entries(), (std::vector<std::string>{"http://a/", "http://c/", "http://b/"}));
  EXPECT_FALSE(add->isEnabled());
  edit->setText(QStringLiteral("HTTP://A/"));
  EXPECT_TRUE(add->isEnabled());
  FindChild<QListWidget>(*dialog, "ListBox")->setCurrentRow(0);
  del->click();
  EXPECT_EQ(edit->text(), QString());
  EXPECT_EQ(dialog->SelectedIndex(), -1);
  EXPECT_FALSE(del->isEnabled());
  edit->setText(QStringLiteral("http://z/"));
  FindChild<QPushButton>(*dialog, "OKBtn")->click();
  EXPECT_EQ(ReadBytes("ServerList.txt"), "http://c/\r\nhttp://b/\r\n");
  EXPECT_EQ(ReadSettingString(open_server::kSection, open_server::kUrl), "http://z/");
  EXPECT_EQ(ReadSettingInt(open_server::kSection, open_server::kSelectNo), -1);
}

TEST_F(PublishUi, ShowOpensTheAddressUnlessOutsideAccessIsOffAndAsksOnce) {
  WriteSettingString(open_server::kSection, open_server::kUrl, Sjis("http://一覧/"));
  auto dialog = Dialog();
  HttpSettings settings;
  settings.httpNotOut = true;
  settings.mesConect = true;
  gate_.SetSettings(settings);
  FindChild<QPushButton>(*dialog, "DspBtn")->click();
  EXPECT_TRUE(opened_.empty());
  settings.httpNotOut = false;
  gate_.SetSettings(settings);
  dialog->DspBtnClick();
  dialog->DspBtnClick();
  EXPECT_EQ(opened_, std::vector<std::string>(2, Sjis("http://一覧/")));
  EXPECT_EQ(questions_, std::vector<std::string>{Sjis("HTTP接続します(URL)")});
  // Cancel leaves the files as they were.
  FindChild<QPushButton>(*dialog, "CancelBtn")->click();
  EXPECT_FALSE(Exists("ServerList.txt"));
}

TEST_F(PublishUi, TimeFieldShowsAmPmWhenLeftAndReadsWhatWasTyped) {
  TTimeEdit edit;
  edit.SetValue(23 * 3600 + 30 * 60);
  EXPECT_EQ(edit.text(), QStringLiteral("PM 11:30"));
  edit.setText(QStringLiteral("7:5"));
  EXPECT_EQ(edit.GetValue(), 7 * 3600 + 5 * 60);
  QFocusEvent out(QEvent::FocusOut);
  QCoreApplication::sendEvent(&edit, &out);
  EXPECT_EQ(edit.text(), QStringLiteral("AM 07:05"));
  edit.setText(QStringLiteral("nonsense"));
  QFocusEvent in(QEvent::FocusIn);
  QCoreApplication::sendEvent(&edit, &in);
  EXPECT_EQ(edit.text(), QStringLiteral("AM 12:00"));
}

}  // namespace
}  // namespace novalune::settings
