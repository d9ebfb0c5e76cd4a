// The client's two message boxes and ShowClientMessage.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "settings/Mes1Dlg.h"
#include "settings/Mes2Dlg.h"
#include "settings/SettingsTexts.h"
#include "settings/settings_fixture.h"

namespace novalune::settings {
namespace {

using test::FindChild;
using test::Sjis;
using test::TestApp;

QStringList ButtonTexts(const QDialog& box) {
  QStringList texts;
  for (const QPushButton* button : box.findChildren<QPushButton*>()) texts << button->text();
  return texts;
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
};

TEST_F(MessageBoxTest, NoticeBoxShowsTheTextWithOneButton) {
  TMes1Dlg box(QString::fromUtf8("接続できません"));
  EXPECT_EQ(box.windowTitle(), QString::fromUtf8("NOVALUNEクライアントメッセージ"));
  EXPECT_EQ(ButtonTexts(box), QStringList{QString::fromUtf8("了解")});
  auto* memo = box.findChild<QPlainTextEdit*>("Memo");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->toPlainText(), QString::fromUtf8("接続できません"));
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->frameShape(), QFrame::NoFrame);
  EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(box.minimumSize(), box.maximumSize());  // fixed size

  box.open();
  ASSERT_TRUE(box.isVisible());
  FindChild<QPushButton>(box, "OKBtn")->click();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), 1);
}

TEST_F(MessageBoxTest, NoticeBoxClosesOnEscapeWithTheSameResult) {
  TMes1Dlg box(QString::fromUtf8("x"));
  box.open();
  QTest::keyClick(&box, Qt::Key_Escape);
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), 1);
}

TEST_F(MessageBoxTest, QuestionBoxAnswersYesOneAndNoTwo) {
  {
    TMes2Dlg box(QString::fromUtf8("切断します"));
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8("NOVALUNEクライアントメッセージ"));
    EXPECT_EQ(ButtonTexts(box), (QStringList{QString::fromUtf8("はい"), QString::fromUtf8("いいえ")}));
    EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
    box.open();
    FindChild<QPushButton>(box, "YesBtn")->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), 1);
  }
  {
    TMes2Dlg box(QString::fromUtf8("切断します"));
    box.open();
    FindChild<QPushButton>(box, "NoBtn")->click();
    EXPECT_EQ(box.result(), 2);
  }
}

TEST_F(MessageBoxTest, QuestionBoxEscapeAndClosingMeanNo) {
  {
    TMes2Dlg box(QString::fromUtf8("?"));
    box.open();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), 2);
  }
  {
    TMes2Dlg box(QString::fromUtf8("?"));
    box.open();
    box.close();
    EXPECT_EQ(box.result(), 2);
  }
  {
    // Enter takes the default button, "はい".
    TMes2Dlg box(QString::fromUtf8("?"));
    box.open();
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.result(), 1);
  }
}

// Presses a button of whichever box ShowClientMessage has opened.
void PressWhenOpen(const char* buttonName, QString* seenText, bool escape = false) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    if (auto* memo = box->findChild<QPlainTextEdit*>("Memo")) *seenText = memo->toPlainText();
    if (escape) {
      QTest::keyClick(box, Qt::Key_Escape);
    } else {
      FindChild<QPushButton>(*box, buttonName)->click();
    }
  });
}

TEST_F(MessageBoxTest, ShowClientMessageReturnsTheAnswerOfEachKind) {
  QString seen;
  PressWhenOpen("OKBtn", &seen);
  EXPECT_EQ(ShowClientMessage(nullptr, Sjis("サーバーに接続できません"), 1), 1);
  EXPECT_EQ(seen, QString::fromUtf8("サーバーに接続できません"));

  PressWhenOpen("YesBtn", &seen);
  EXPECT_EQ(ShowClientMessage(nullptr, Sjis("接続を開始します"), 2), 1);
  EXPECT_EQ(seen, QString::fromUtf8("接続を開始します"));

  PressWhenOpen("NoBtn", &seen);
  EXPECT_EQ(ShowClientMessage(nullptr, Sjis("q"), 2), 2);

  PressWhenOpen(nullptr, &seen, true);
  EXPECT_EQ(ShowClientMessage(nullptr, Sjis("q"), 2), 2);
}

TEST_F(MessageBoxTest, OtherKindsShowNothing) {
  const auto before = QApplication::topLevelWidgets().size();
  EXPECT_EQ(ShowClientMessage(nullptr, "x", 3), 0);
  EXPECT_EQ(ShowClientMessage(nullptr, "x", 0), 0);
  EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MessageBoxTest, ABoxWhoseParentGoesWhileOpenIsNotDeletedTwice) {
  auto* parent = new QWidget;
  QTimer::singleShot(0, [parent] { delete parent; });
  // The parent takes the box with it; the answer is then no.
  EXPECT_EQ(ShowClientMessage(parent, "x", 2), 2);
}

}  // namespace
}  // namespace novalune::settings
