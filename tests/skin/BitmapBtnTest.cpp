#include "skin/BitmapBtn.h"

#include <gtest/gtest.h>

#include <QCursor>

#include "tests/skin/SkinFixture.h"

namespace {

using skintest::SkinFixture;
using uitest::Solid;

const QRgb kNormal = qRgb(200, 0, 0);
const QRgb kOver = qRgb(0, 200, 0);
const QRgb kDown = qRgb(0, 0, 200);
const QRgb kDisabled = qRgb(90, 90, 90);
const QPoint kInside(20, 10);

class BitmapBtnTest : public SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner();
    normal = Solid(100, 50, kNormal);
    over = Solid(100, 50, kOver);
    down = Solid(100, 50, kDown);
    disabled = Solid(100, 50, kDisabled);
  }
  std::unique_ptr<CBitmapBtn> MakeButton(int toggle = 0) {
    auto b = std::make_unique<CBitmapBtn>();
    b->Create(QString(), QRect(10, 10, 40, 20), &owner, 7);
    b->toggleMode = toggle;
    b->SetStateImages(10, 10, 40, 20, &normal, &over, &down, &disabled);
    return b;
  }
  static QRgb Look(CBitmapBtn& b) { return uitest::Render(b).pixel(kInside); }

  QImage normal, over, down, disabled;
};

TEST_F(BitmapBtnTest, LooksFollowTheState) {
  struct Case {
    const char* name;
    int toggle;
    int downLook, overLook;
    int checked;
    bool hover, press, disable;
    QRgb look;
  } cases[] = {
      {"push idle", 0, 1, 1, 0, false, false, false, kNormal},
      {"push hover", 0, 1, 1, 0, true, false, false, kOver},
      {"push pressed", 0, 1, 1, 0, true, true, false, kDown},
      {"push checked", 0, 1, 1, 1, false, false, false, kDown},
      {"push checked hover", 0, 1, 1, 1, true, false, false, kDown},
      {"toggle hover", 1, 1, 1, 0, true, false, false, kOver},
      {"toggle held", 1, 1, 1, 0, true, true, false, kOver},
      {"toggle checked", 1, 1, 1, 1, true, false, false, kDown},
      {"disabled checked", 0, 1, 1, 1, false, false, true, kDisabled},
      {"down look off", 0, 0, 1, 0, true, true, false, kNormal},
      {"over look off", 0, 1, 0, 0, true, false, false, kNormal},
      {"looks off checked", 1, 0, 0, 1, true, false, false, kDown},
  };
  for (const Case& c : cases) {
    auto b = MakeButton(c.toggle);
    b->EnableDownLook(c.downLook);
    b->EnableOverLook(c.overLook);
    b->SetCheckState(c.checked);
    if (c.hover) uitest::Move(b.get(), kInside);
    if (c.press) uitest::Press(b.get(), kInside);
    if (c.disable) b->setEnabled(false);
    EXPECT_EQ(Look(*b), c.look) << c.name;
  }
}

TEST_F(BitmapBtnTest, HoverEndsWhenTheCursorLeaves) {
  auto b = MakeButton();
  uitest::Move(b.get(), kInside);
  EXPECT_EQ(Look(*b), kOver);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(b.get(), &leave);
  EXPECT_EQ(Look(*b), kNormal);
}

TEST_F(BitmapBtnTest, CheckStateIsKeptWhileDisabled) {
  auto b = MakeButton();
  b->setEnabled(false);
  b->SetCheckState(1);
  EXPECT_EQ(b->GetCheckState(), 0);
  b->setEnabled(true);
  EXPECT_EQ(Look(*b), kNormal);
  b->SetCheckState(1);
  EXPECT_EQ(b->GetCheckState(), 1);
}

TEST_F(BitmapBtnTest, ToggleClickFlipsAndPostsItsCommand) {
  auto b = MakeButton(1);
  uitest::Click(b.get(), kInside);
  EXPECT_EQ(b->GetCheckState(), 1);
  EXPECT_TRUE(owner.Of(ui::WM_COMMAND).empty());  // posted, not sent
  uitest::Drain();
  auto commands = owner.Of(ui::WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, ui::MakeWParam(7, 0));
  EXPECT_EQ(commands[0].lParam, ui::HandleOf(b.get()));
  uitest::Click(b.get(), kInside);
  uitest::Drain();
  EXPECT_EQ(b->GetCheckState(), 0);
  EXPECT_EQ(owner.Of(ui::WM_COMMAND).size(), 2u);
}

TEST_F(BitmapBtnTest, PushClickIsSentAsBnClicked) {
  auto b = MakeButton();
  uitest::Click(b.get(), kInside);
  auto commands = owner.Of(ui::WM_COMMAND);  // already there: sent during the click
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, ui::MakeWParam(7, ui::BN_CLICKED));
  EXPECT_EQ(commands[0].lParam, ui::HandleOf(b.get()));
  EXPECT_EQ(b->GetCheckState(), 0);

  // Let go outside the button: no click.
  uitest::Press(b.get(), kInside);
  uitest::Release(b.get(), QPoint(200, 200));
  uitest::Drain();
  EXPECT_EQ(owner.Of(ui::WM_COMMAND).size(), 1u);
}

TEST_F(BitmapBtnTest, DisabledButtonsSayNothing) {
  for (int toggle : {0, 1}) {
    auto b = MakeButton(toggle);
    b->setEnabled(false);
    uitest::Move(b.get(), kInside);
    uitest::Click(b.get(), kInside);
    uitest::Drain();
    EXPECT_EQ(b->GetCheckState(), 0);
  }
  EXPECT_TRUE(owner.messages.empty());
}

TEST_F(BitmapBtnTest, MouseMovesReachTheParentInScreenCoordinates) {
  auto b = MakeButton();
  // Coming in with the left button held from a press elsewhere: nothing is forwarded.
  uitest::Move(b.get(), QPoint(3, 4), Qt::LeftButton);
  uitest::Drain();
  EXPECT_TRUE(owner.Of(ui::WM_MOUSEMOVE).empty());
  EXPECT_EQ(Look(*b), kNormal);

  uitest::Move(b.get(), QPoint(3, 4));
  uitest::Move(b.get(), QPoint(5, 6), Qt::LeftButton);  // hovering now: held moves go on too
  uitest::Drain();
  auto moves = owner.Of(ui::WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 2u);
  const QPoint first = b->mapToGlobal(QPoint(3, 4));
  EXPECT_EQ(moves[0].wParam, 0u);
  EXPECT_EQ(ui::XFromLParam(moves[0].lParam), first.x());
  EXPECT_EQ(ui::YFromLParam(moves[0].lParam), first.y());
  EXPECT_EQ(moves[1].wParam, ui::MK_LBUTTON);
  EXPECT_EQ(moves[1].lParam, ui::MakeLParam(first.x() + 2, first.y() + 2));
}

TEST_F(BitmapBtnTest, LeavingTellsTheParentWhereTheCursorWent) {
  auto b = MakeButton();
  uitest::Move(b.get(), kInside);
  uitest::Drain();
  owner.messages.clear();
  const QPoint outside = b->mapToGlobal(QPoint(300, 150));
  QCursor::setPos(outside);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(b.get(), &leave);
  EXPECT_TRUE(owner.Of(ui::WM_MOUSEMOVE).empty());  // posted
  uitest::Drain();
  auto moves = owner.Of(ui::WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].wParam, 0u);
  EXPECT_EQ(moves[0].lParam, ui::MakeLParam(outside.x(), outside.y()));

  // A disabled button says nothing when the pointer leaves it.
  owner.messages.clear();
  b->setEnabled(false);
  QApplication::sendEvent(b.get(), &leave);
  uitest::Drain();
  EXPECT_TRUE(owner.Of(ui::WM_MOUSEMOVE).empty());
}

class CaptionTest : public SkinFixture {
 protected:
  void SetUp() override { ShowOwner(); }
  QImage Draw(QSize size, const QString& text, int offset, int layout) {
    const QImage black = Solid(size.width(), size.height(), Qt::black);
    CBitmapBtn b;
    b.Create(QString(), QRect(QPoint(0, 0), size), &owner);
    b.SetStateImages(0, 0, size.width(), size.height(), &black, &black, &black, &black);
    b.SetFontHeight(16);
    b.SetCaption(text, offset, layout);
    return uitest::Render(b);
  }
};

TEST_F(CaptionTest, LayoutsPlaceTheCaption) {
  const QString text = QStringLiteral("设置模式");
  const QRect centred = skintest::InkBox(Draw(QSize(120, 40), text, 0, 1));
  EXPECT_GT(centred.width(), centred.height());
  EXPECT_NEAR(centred.center().x(), 60, 3);
  EXPECT_NEAR(centred.center().y(), 20, 4);

  const QRect left = skintest::InkBox(Draw(QSize(120, 40), text, 5, CBitmapBtn::kLayoutLeft));
  EXPECT_GE(left.left(), 5);
  EXPECT_LE(left.left(), 8);
  EXPECT_NEAR(left.center().y(), 20, 4);

  // Layout 3 turns the caption to read downward, centred both ways.
  const QImage vertical = Draw(QSize(40, 120), text, 0, CBitmapBtn::kLayoutVertical);
  const QRect down = skintest::InkBox(vertical);
  EXPECT_GT(down.height(), down.width() * 2);
  EXPECT_NEAR(down.center().x(), 20, 4);
  EXPECT_NEAR(down.center().y(), 60, 3);

  EXPECT_TRUE(skintest::InkBox(Draw(QSize(40, 40), QString(), 0, 1)).isEmpty());
}

}  // namespace
