#include <gtest/gtest.h>

#include <QDialog>
#include <QWidget>

#include <functional>
#include <optional>

#include "platform/ui/CaptionDrag.h"
#include "platform/ui/WindowPlacement.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

TEST(WindowPlacementTest, CentresOverTheOwnerInsideAnAreaThatHoldsIt) {
  const QRect screen(0, 0, 1280, 800);
  const QRect workArea(0, 0, 1280, 770);
  const QRect main(210, 120, 860, 560);
  const QRect dialog(0, 0, 420, 222);
  struct Case {
    const char* name;
    QRect frame;
    std::optional<QRect> owner;
    QRect available;
    QPoint at;
  } cases[] = {
      {"over the owner", dialog, main, workArea, QPoint(430, 289)},
      // A desktop that is still starting can report an area that does not hold the owner.
      {"over the owner, an area without it", dialog, main, QRect(0, 0, 400, 332),
       QPoint(430, 289)},
      {"kept inside the area", dialog, QRect(1000, 560, 260, 200), workArea, QPoint(860, 548)},
      {"kept inside the screen, an area without the owner", dialog, QRect(1000, 560, 260, 200),
       QRect(0, 0, 400, 332), QPoint(860, 549)},
      {"no owner: over the area", QRect(0, 0, 860, 560), std::nullopt, workArea,
       QPoint(210, 105)},
      {"no owner: over the screen, an area too small", QRect(0, 0, 860, 560), std::nullopt,
       QRect(0, 0, 400, 332), QPoint(210, 120)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::CentredPosition(c.frame, c.owner, c.available, screen), c.at) << c.name;
  }
}

// A frameless dialog over a shown owner, centred and shown.
struct Placed {
  Placed() : dialog(&owner, Qt::Dialog | Qt::FramelessWindowHint) {
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    dialog.resize(200, 100);
    ui::CenterWindow(&dialog);
    at = dialog.pos();
    dialog.show();
    uitest::Drain();
  }
  // Moves the dialog as a window manager does, and what the screen shows afterwards.
  QPoint MovedAway() {
    dialog.move(0, 0);
    uitest::Drain();
    return dialog.pos();
  }
  QWidget owner;
  QDialog dialog;
  QPoint at;
};

TEST(WindowPlacementTest, ANewWindowMovedByTheWindowManagerGoesBack) {
  Placed p;
  EXPECT_EQ(p.at, QPoint(200, 200));
  EXPECT_EQ(p.MovedAway(), p.at);
  EXPECT_EQ(p.MovedAway(), p.at);
}

TEST(WindowPlacementTest, TheKeepingEndsWithTheUsersInputADragOrAnInsistingWindowManager) {
  struct Case {
    const char* name;
    std::function<void(Placed&)> end;
    int movesKept;
  } cases[] = {
      {"a press", [](Placed& p) { uitest::Press(&p.dialog, QPoint(5, 5)); }, 0},
      {"a drag", [](Placed& p) { ui::BeginCaptionDrag(&p.dialog, QPoint(205, 205)); }, 0},
      {"hidden and shown again",
       [](Placed& p) {
         p.dialog.hide();
         p.dialog.show();
         uitest::Drain();
       },
       0},
      {"a window manager that insists", [](Placed&) {}, 3},
  };
  for (const Case& c : cases) {
    Placed p;
    c.end(p);
    for (int i = 0; i < c.movesKept; ++i) EXPECT_EQ(p.MovedAway(), p.at) << c.name;
    EXPECT_EQ(p.MovedAway(), QPoint(0, 0)) << c.name;
    uitest::Release(&p.dialog, QPoint(5, 5));
  }
}

}  // namespace
