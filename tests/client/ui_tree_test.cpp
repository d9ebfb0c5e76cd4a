// The member tree drawn from the engine's member list: row heights, status
// marks, pictures, name labels and the blink, read back from the pixels.
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "client/ui/ChatTreeView.h"
#include "client/ui/MemberPictures.h"
#include "ui_fixture.h"

namespace novalune::ui::testing {
namespace {

using client::MemberList;

// Records the private windows the list asks to show.
struct ShowRecorder : client::MemberListObserver {
  void ShowPrivateBox(std::size_t row) override { shown.push_back(row); }
  std::vector<std::size_t> shown;
};

class MemberTree : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    members.SetObserver(&recorder);
    tree = std::make_unique<TChatTreeView>(members);
    tree->BlinkTimer->stop();  // the test drives the blink
    tree->SetListColor(0xFFFFFF);
    tree->resize(200, 200);
    tree->show();
    members.AddMember("taro");
    members.SetMemberMode("taro", "+o");
    members.AddMember("hanako");
    members.AddMember("jiro");
    members.SetMemberMode("jiro", "+o");
    members.SetMemberMode("jiro", "+a");
  }

  QImage Shot() { return tree->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  // What `picture` looks like drawn on `background`.
  static QImage Expected(const QPixmap& picture, const QColor& background) {
    QImage image(picture.size(), QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.drawPixmap(0, 0, picture);
    return image;
  }

  static bool Uniform(const QImage& image, const QColor& color) {
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) != color) return false;
      }
    }
    return true;
  }

  QImage MarkOf(const QImage& shot, std::size_t row) {
    return shot.copy(2, static_cast<int>(row) * 20 + 2, kMarkSize, kMarkSize);
  }

  ShowRecorder recorder;
  MemberList members;
  std::unique_ptr<TChatTreeView> tree;
};

TEST_F(MemberTree, SmallModeRowsAreTwentyHighWithTheirMarks) {
  EXPECT_EQ(tree->RowRect(2), QRect(0, 40, tree->viewport()->width(), 20));
  EXPECT_EQ(tree->RowAt(QPoint(5, 45)), std::optional<std::size_t>(2));
  EXPECT_EQ(tree->RowAt(QPoint(5, 61)), std::nullopt);
  members.Select(1);  // the selected row keeps its mark on the highlight
  const QImage shot = Shot();
  EXPECT_EQ(MarkOf(shot, 0), Expected(StatusMark(client::kMarkHost), Qt::white)) << "host: red apple";
  const QColor highlight = tree->palette().color(QPalette::Highlight);
  EXPECT_EQ(MarkOf(shot, 1), Expected(StatusMark(client::kMarkMember), highlight)) << "member: yellow apple";
  EXPECT_EQ(MarkOf(shot, 2), Expected(StatusMark(client::kMarkAway), Qt::white)) << "away wins over host";
  EXPECT_NE(MarkOf(shot, 0), MarkOf(shot, 2));
  EXPECT_TRUE(Uniform(shot.copy(0, 62, shot.width(), 20), Qt::white)) << "nothing below the last row";
}

TEST_F(MemberTree, UnreadRowBlinksItsMarkInSmallMode) {
  members.Select(std::nullopt);
  members.AddPrivateMessage("hanako", 3, "x");
  ASSERT_FALSE(members.BlinkPhase());
  EXPECT_EQ(MarkOf(Shot(), 1), Expected(StatusMark(client::kMarkMember), Qt::white));
  members.BlinkTick();
  EXPECT_TRUE(Uniform(MarkOf(Shot(), 1), Qt::white)) << "the blank ICON9";
  EXPECT_EQ(MarkOf(Shot(), 0), Expected(StatusMark(client::kMarkHost), Qt::white)) << "read rows stay";
  members.BlinkTick();
  EXPECT_EQ(MarkOf(Shot(), 1), Expected(StatusMark(client::kMarkMember), Qt::white));
}

TEST_F(MemberTree, IconModeRowsAreThirtyTwoHighWithPictureAndFramedLabel) {
  members.SetIconMode(true);
  members.SetMemberIcon("jiro", client::kPictureAway);
  members.Select(std::nullopt);
  EXPECT_EQ(tree->RowRect(1).height(), 32);
  EXPECT_EQ(tree->RowAt(QPoint(5, 45)), std::optional<std::size_t>(1));
  const QImage shot = Shot();
  EXPECT_EQ(shot.copy(0, 0, 32, 32), Expected(MemberPicture(client::kPictureDefault), Qt::white));
  EXPECT_EQ(shot.copy(0, 64, 32, 32), Expected(MemberPicture(client::kPictureAway), Qt::white));
  EXPECT_NE(shot.copy(0, 0, 32, 32), shot.copy(0, 64, 32, 32));

  const QRect label0 = tree->LabelRect(0);
  EXPECT_EQ(label0.topLeft(), QPoint(33, 10));
  EXPECT_EQ(shot.pixelColor(label0.topLeft()), QColor(255, 0, 0)) << "host: red frame";
  EXPECT_EQ(shot.pixelColor(tree->LabelRect(1).topLeft()), QColor(255, 255, 0)) << "member: yellow frame";
  EXPECT_EQ(shot.pixelColor(tree->LabelRect(2).topLeft()), QColor(255, 0, 0))
      << "away host keeps the red frame";
}

TEST_F(MemberTree, IconModeLabelDisappearsInTheBlinkPhaseAndSelectionIsNavy) {
  members.SetIconMode(true);
  members.Select(1);
  const QRect label = tree->LabelRect(1);
  EXPECT_EQ(Shot().pixelColor(label.topLeft() + QPoint(1, 1)), QColor(0, 0, 128)) << "navy behind the nick";
  members.AddPrivateMessage("hanako", 3, "x");
  members.BlinkTick();
  EXPECT_TRUE(Uniform(Shot().copy(label), Qt::white));
  members.BlinkTick();
  EXPECT_EQ(Shot().pixelColor(label.topLeft()), QColor(255, 255, 0));
}

TEST_F(MemberTree, MouseSelectsAndOpensOnlyWaitingPrivateWindows) {
  EXPECT_EQ(members.Selected(), std::optional<std::size_t>(0)) << "the first row added is selected";
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(30, 25));
  EXPECT_EQ(members.Selected(), std::optional<std::size_t>(1));
  EXPECT_TRUE(recorder.shown.empty());

  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(30, 45));
  members.AddPrivateMessage("jiro", 3, "x");
  QTest::mouseMove(tree->viewport(), QPoint(30, 5));
  EXPECT_TRUE(recorder.shown.empty()) << "taro has nothing waiting";
  QTest::mouseMove(tree->viewport(), QPoint(31, 45));
  EXPECT_EQ(recorder.shown, std::vector<std::size_t>{2});
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(30, 150));
  EXPECT_EQ(members.Selected(), std::optional<std::size_t>(2)) << "below the rows the selection stays";
}

TEST_F(MemberTree, LongListsScrollAndRowsFollowTheScrolling) {
  for (int n = 0; n < 27; ++n) members.AddMember("user" + std::to_string(n));
  tree->RowsChanged();
  QApplication::processEvents();  // the range is measured once the model has finished
  QScrollBar* bar = tree->verticalScrollBar();
  EXPECT_EQ(bar->maximum(), 30 * 20 - tree->viewport()->height());
  bar->setValue(100);
  EXPECT_EQ(tree->RowAt(QPoint(5, 5)), std::optional<std::size_t>(5));
  EXPECT_EQ(tree->RowRect(5).top(), 0);
  members.SetIconMode(true);
  tree->RowsChanged();
  QApplication::processEvents();
  EXPECT_EQ(bar->maximum(), 30 * 32 - tree->viewport()->height());
}

}  // namespace
}  // namespace novalune::ui::testing
