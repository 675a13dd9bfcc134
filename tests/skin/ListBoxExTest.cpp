#include "skin/ListBoxEx.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

#include "platform/ui/CaptionFont.h"
#include "skin/BitmapBtn.h"
#include "tests/skin/MenuTestSupport.h"
#include "tests/skin/SkinFixture.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using menutest::DrainAll;
using uitest::Solid;

constexpr uint32_t Data(int type, int value) { return ui::MakeLong(uint32_t(type), uint32_t(value)); }

// A row's centre in the list's viewport.
QPoint RowPoint(int row) { return QPoint(40, 16 * row + 8); }

class ListBoxExTest : public skintest::SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(40, 40, 400, 300));
    list = std::make_unique<CListBoxEx>();
    list->Create(QRect(10, 10, 200, 160), &owner);
    list->SetColors(0x00FFFFFF, 0x00F9C80E);
  }
  void TearDown() override {
    list.reset();
    DrainAll();
  }
  std::vector<uitest::Message> EditDone() const { return owner.Of(WM_LBEX_EDITDONE); }
  QWidget* Viewport() const { return list->viewport(); }
  void Press(int row, Qt::MouseButton button = Qt::LeftButton) {
    uitest::Mouse(Viewport(), QEvent::MouseButtonPress, RowPoint(row), button, button);
    uitest::Mouse(Viewport(), QEvent::MouseButtonRelease, RowPoint(row), button, Qt::NoButton);
  }
  void DoubleClick(QPoint at) {
    uitest::Mouse(Viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    uitest::Mouse(Viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    uitest::Mouse(Viewport(), QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    uitest::Mouse(Viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
  }
  void Key(QWidget* w, Qt::Key key) { QTest::keyClick(w, key); }

  std::unique_ptr<CListBoxEx> list;
};

TEST_F(ListBoxExTest, CommitReadsTheNumberAtTheStartOfTheText) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"", 1},      {"0", 1},      {"250", 250},          {"  42abc", 42}, {"-5", 1},
               {"+7", 7},    {"70000", 65535}, {"9999999999", 65535}, {"abc", 1}};
  for (const Case& c : cases) {
    list->ResetContent();
    owner.messages.clear();
    list->AddItem(Data(0, 0), QStringLiteral("name"), false);
    list->AddItem(Data(4, 100), QStringLiteral("100 ms"), false);
    list->BeginEdit(1);
    ASSERT_NE(list->Editor(), nullptr) << c.text;
    list->Editor()->setText(QString::fromLatin1(c.text));
    Key(list->Editor(), Qt::Key_Return);
    EXPECT_EQ(list->Editor(), nullptr);
    EXPECT_EQ(CListBoxEx::EditingList(), nullptr);
    EXPECT_EQ(list->GetText(1), QStringLiteral("%1 ms").arg(c.value)) << c.text;
    EXPECT_EQ(list->GetItemData(1), Data(4, c.value)) << c.text;
    EXPECT_EQ(list->GetCurSel(), 1);
    DrainAll();  // the editor goes, losing the focus: no second commit
    auto done = EditDone();
    ASSERT_EQ(done.size(), 1u) << c.text;
    EXPECT_EQ(done[0].wParam, ui::WPARAM(ui::HandleOf(list.get())));
    EXPECT_EQ(done[0].lParam, 1);
    EXPECT_TRUE(owner.Of(WM_LBEX_SELCHANGE).empty());
  }
}

TEST_F(ListBoxExTest, ANameKeepsItsTextAndItsNumber) {
  list->AddItem(Data(0, 0), QStringLiteral("first"), false);
  list->AddItem(Data(0, 0), QStringLiteral("second"), false);
  DoubleClick(RowPoint(0));
  EXPECT_EQ(list->Editor(), nullptr);  // not editable yet
  list->SetEditable(1);
  DoubleClick(RowPoint(0));
  QLineEdit* editor = list->Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(list->EditingIndex(), 0);
  EXPECT_EQ(editor->text(), QStringLiteral("first"));
  EXPECT_EQ(editor->selectedText(), QStringLiteral("first"));
  EXPECT_TRUE(editor->hasFrame());
  EXPECT_EQ(editor->geometry(), list->visualItemRect(list->item(0)));
  EXPECT_TRUE(editor->hasFocus());
  QTest::keyClicks(editor, QStringLiteral("  42abc and more"));
  EXPECT_EQ(editor->text(), QStringLiteral("  42abc an"));  // ten characters at most
  Key(editor, Qt::Key_Return);
  EXPECT_EQ(list->GetText(0), QStringLiteral("  42abc an"));
  EXPECT_EQ(list->GetItemData(0), Data(0, 42));
  DrainAll();
  EXPECT_EQ(EditDone().size(), 1u);
}

TEST_F(ListBoxExTest, ANameLongerThanTheLimitIsShownAndCommittedWholeUnlessTyped) {
  const QString stored = QStringLiteral("sixteen letters!");
  ASSERT_EQ(stored.size(), 16);
  struct Case {
    const char* what;
    std::function<void(QLineEdit*)> edit;
    QString committed;
  } cases[] = {
      {"left as it is", [](QLineEdit*) {}, stored},
      {"typing at its end adds nothing",
       [](QLineEdit* e) {
         e->end(false);
         QTest::keyClicks(e, QStringLiteral("xyz"));
       },
       stored},
      {"deleting from it is kept",
       [](QLineEdit* e) {
         e->end(false);
         QTest::keyClick(e, Qt::Key_Backspace);
       },
       stored.chopped(1)},
      {"typing over it is bound to ten",
       [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("abcdefghijklmn")); },
       QStringLiteral("abcdefghij")},
  };
  list->SetEditable(1);
  for (const Case& c : cases) {
    list->ResetContent();
    list->AddItem(Data(0, 0), stored, false);
    DoubleClick(RowPoint(0));
    QLineEdit* editor = list->Editor();
    ASSERT_NE(editor, nullptr) << c.what;
    EXPECT_EQ(editor->text(), stored) << c.what;
    EXPECT_EQ(editor->selectedText(), stored) << c.what;
    c.edit(editor);
    Key(editor, Qt::Key_Return);
    EXPECT_EQ(list->GetText(0), c.committed) << c.what;
    DrainAll();
  }
}

TEST_F(ListBoxExTest, TheNumberEditorTakesDigitsOnly) {
  list->AddItem(Data(4, 100), QStringLiteral("100 ms"), false);
  list->BeginEdit(0);
  QLineEdit* editor = list->Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->selectedText(), QStringLiteral("100 ms"));
  QTest::keyClicks(editor, QStringLiteral("2a5-0 "));
  EXPECT_EQ(editor->text(), QStringLiteral("250"));
  Key(editor, Qt::Key_Enter);
  EXPECT_EQ(list->GetText(0), QStringLiteral("250 ms"));
  EXPECT_EQ(list->GetItemData(0), Data(4, 250));
}

TEST_F(ListBoxExTest, EscCancels) {
  for (int i = 0; i < 3; ++i) list->AddItem(Data(4, 10 + i), QStringLiteral("%1 ms").arg(10 + i), false);
  list->BeginEdit(1);
  ASSERT_NE(list->Editor(), nullptr);
  QTest::keyClicks(list->Editor(), QStringLiteral("999"));
  Key(list->Editor(), Qt::Key_Escape);
  EXPECT_EQ(list->Editor(), nullptr);
  EXPECT_EQ(CListBoxEx::EditingList(), nullptr);
  EXPECT_EQ(list->GetText(1), QStringLiteral("11 ms"));
  EXPECT_EQ(list->GetItemData(1), Data(4, 11));
  EXPECT_EQ(list->GetCurSel(), 1);
  DrainAll();
  EXPECT_TRUE(EditDone().empty());
}

TEST_F(ListBoxExTest, EnterAndEscNeverReachTheDialog) {
  QDialog dialog;
  int okClicks = 0;
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, [&] { ++okClicks; });
  auto* inDialog = new CListBoxEx();
  inDialog->Create(QRect(0, 30, 150, 100), &dialog);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, uitest::kWaitMs));
  inDialog->AddItem(Data(4, 5), QStringLiteral("5 ms"), false);
  inDialog->BeginEdit(0);
  ASSERT_NE(inDialog->Editor(), nullptr);
  QTest::keyPress(inDialog->Editor(), Qt::Key_Escape);
  QTest::keyPress(inDialog->Editor(), Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(okClicks, 0);
  EXPECT_NE(inDialog->Editor(), nullptr);  // a press alone neither commits nor cancels
  QTest::keyRelease(inDialog->Editor(), Qt::Key_Return);
  EXPECT_EQ(inDialog->Editor(), nullptr);
  EXPECT_EQ(okClicks, 0);
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ListBoxExTest, FocusLossCommitsOnce) {
  auto* other = new QLineEdit(&owner);
  other->setGeometry(250, 10, 100, 20);
  other->show();
  list->AddItem(Data(4, 100), QStringLiteral("100 ms"), false);
  list->BeginEdit(0);
  ASSERT_NE(list->Editor(), nullptr);
  list->Editor()->setText(QStringLiteral("30"));
  other->setFocus();
  EXPECT_EQ(list->Editor(), nullptr);
  EXPECT_EQ(list->GetText(0), QStringLiteral("30 ms"));
  DrainAll();
  EXPECT_EQ(EditDone().size(), 1u);
}

// The parent of a skinned button that notes the list's first row when the click reaches it.
class ButtonHost : public QWidget {
 public:
  explicit ButtonHost(QWidget* parent) : QWidget(parent) {}
  const CListBoxEx* list = nullptr;
  QString seen;
  int commands = 0;

 protected:
  bool event(QEvent* e) override {
    if (ui::WindowMessageEvent* m = ui::AsWindowMessage(e)) {
      if (m->Msg() == ui::WM_COMMAND) {
        ++commands;
        seen = list->GetText(0);
      }
      return true;
    }
    return QWidget::event(e);
  }
};

TEST_F(ListBoxExTest, APressOnASkinnedButtonCommitsBeforeTheButtonActs) {
  auto* host = new ButtonHost(&owner);
  host->list = list.get();
  host->setGeometry(250, 10, 100, 40);
  host->show();
  const QImage face = Solid(60, 20, Qt::gray);
  auto* button = new CBitmapBtn();
  button->Create(QString(), QRect(0, 0, 60, 20), host);
  button->SetStateImages(0, 0, 60, 20, &face, &face, &face, &face);
  list->AddItem(Data(4, 100), QStringLiteral("100 ms"), false);
  list->BeginEdit(0);
  ASSERT_NE(list->Editor(), nullptr);
  list->Editor()->setText(QStringLiteral("77"));
  uitest::Click(button, QPoint(10, 10));
  EXPECT_EQ(host->commands, 1);
  EXPECT_EQ(host->seen, QStringLiteral("77 ms"));
  DrainAll();
  EXPECT_EQ(EditDone().size(), 1u);
}

TEST_F(ListBoxExTest, NoEditorOverNoRow) {
  list->SetEditable(1);
  DoubleClick(QPoint(30, 30));
  EXPECT_EQ(list->Editor(), nullptr);
  list->BeginEdit(0);
  EXPECT_EQ(list->Editor(), nullptr);
  list->AddItem(Data(4, 1), QStringLiteral("1 ms"), false);
  list->BeginEdit(1);
  list->BeginEdit(-1);
  EXPECT_EQ(list->Editor(), nullptr);
  EXPECT_EQ(CListBoxEx::EditingList(), nullptr);
  // Below the last row of an editable list, the last row is edited.
  list->AddItem(Data(0, 0), QStringLiteral("last"), false);
  DoubleClick(QPoint(30, 120));
  EXPECT_EQ(list->EditingIndex(), 1);
  DrainAll();
  EXPECT_EQ(list->GetCount(), 2);
  EXPECT_TRUE(EditDone().empty());
}

TEST_F(ListBoxExTest, AListDestroyedWhileEditingLeavesNothingBehind) {
  auto doomed = std::make_unique<CListBoxEx>();
  doomed->Create(QRect(220, 10, 150, 100), &owner);
  doomed->AddItem(Data(4, 100), QStringLiteral("100 ms"), false);
  doomed->BeginEdit(0);
  ASSERT_EQ(CListBoxEx::EditingList(), doomed.get());
  doomed.reset();
  EXPECT_EQ(CListBoxEx::EditingList(), nullptr);
  DrainAll();
  EXPECT_TRUE(owner.messages.empty());
  // The program can edit again.
  list->AddItem(Data(4, 3), QStringLiteral("3 ms"), false);
  list->BeginEdit(0);
  EXPECT_EQ(CListBoxEx::EditingList(), list.get());
}

TEST_F(ListBoxExTest, OneEditorInTheProgram) {
  CListBoxEx second;
  second.Create(QRect(220, 10, 150, 100), &owner);
  list->AddItem(Data(4, 100), QStringLiteral("100 ms"), false);
  second.AddItem(Data(4, 200), QStringLiteral("200 ms"), false);
  list->BeginEdit(0);
  list->Editor()->setText(QStringLiteral("5"));
  second.BeginEdit(0);
  EXPECT_EQ(list->Editor(), nullptr);
  EXPECT_EQ(list->GetText(0), QStringLiteral("5 ms"));
  EXPECT_EQ(CListBoxEx::EditingList(), &second);
  ASSERT_NE(second.Editor(), nullptr);
  DrainAll();
  auto done = EditDone();
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].wParam, ui::WPARAM(ui::HandleOf(list.get())));
  second.Editor()->setText(QStringLiteral("6"));
  Key(second.Editor(), Qt::Key_Return);
  DrainAll();
  EXPECT_EQ(EditDone().size(), 2u);
}

TEST_F(ListBoxExTest, AddItemDropsTheOpenEditorWithoutCommitting) {
  list->SetEditable(1);
  list->AddItem(Data(0, 0), QStringLiteral("old"), true);
  ASSERT_NE(list->Editor(), nullptr);
  list->Editor()->setText(QStringLiteral("typed"));
  QLineEdit* first = list->Editor();
  list->AddItem(Data(0, 0), QStringLiteral("new"), true);
  EXPECT_EQ(list->GetText(0), QStringLiteral("old"));
  EXPECT_EQ(list->GetCurSel(), 1);
  EXPECT_EQ(list->EditingIndex(), 1);
  EXPECT_NE(list->Editor(), first);
  DrainAll();
  EXPECT_TRUE(EditDone().empty());
  int shown = 0;
  for (QLineEdit* e : Viewport()->findChildren<QLineEdit*>()) shown += e->isVisible() ? 1 : 0;
  EXPECT_EQ(shown, 1);
}

TEST_F(ListBoxExTest, Notifications) {
  for (int i = 0; i < 4; ++i) list->AddItem(Data(4, i + 1), QStringLiteral("%1 ms").arg(i + 1), false);
  list->InsertItem(0, Data(4, 9), QStringLiteral("9 ms"));
  list->SetCurSel(1);
  DrainAll();
  EXPECT_TRUE(owner.messages.empty());  // the program's own changes are not reported

  // A left press: reported, then the selection follows it.
  uitest::Mouse(Viewport(), QEvent::MouseButtonPress, RowPoint(3), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(list->GetCurSel(), 3);
  EXPECT_TRUE(owner.messages.empty());  // posted
  uitest::Mouse(Viewport(), QEvent::MouseButtonRelease, RowPoint(3), Qt::LeftButton, Qt::NoButton);
  DrainAll();
  ASSERT_EQ(owner.messages.size(), 2u);
  EXPECT_EQ(owner.messages[0].msg, WM_LBEX_LBUTTONDOWN);
  EXPECT_EQ(owner.messages[0].lParam, 0);
  EXPECT_EQ(owner.messages[1].msg, WM_LBEX_SELCHANGE);
  for (const auto& m : owner.messages) EXPECT_EQ(m.wParam, ui::WPARAM(ui::HandleOf(list.get())));

  // The same row again: no change to report.
  owner.messages.clear();
  Press(3);
  DrainAll();
  EXPECT_EQ(owner.Of(WM_LBEX_SELCHANGE).size(), 0u);

  // A right press reports the selection and keeps it.
  owner.messages.clear();
  Press(0, Qt::RightButton);
  DrainAll();
  ASSERT_EQ(owner.messages.size(), 1u);
  EXPECT_EQ(owner.messages[0].msg, WM_LBEX_RBUTTONDOWN);
  EXPECT_EQ(owner.messages[0].lParam, 3);
  EXPECT_EQ(list->GetCurSel(), 3);
  list->SetCurSel(-1);
  owner.messages.clear();
  Press(0, Qt::RightButton);
  DrainAll();
  EXPECT_EQ(owner.messages.at(0).lParam, -1);

  // The keyboard moves the selection as the user's change.
  list->SetCurSel(2);
  owner.messages.clear();
  list->setFocus();
  Key(list.get(), Qt::Key_Down);
  DrainAll();
  EXPECT_EQ(list->GetCurSel(), 3);
  EXPECT_EQ(owner.Of(WM_LBEX_SELCHANGE).size(), 1u);
}

TEST_F(ListBoxExTest, InsertItem) {
  EXPECT_EQ(list->InsertItem(-1, Data(2, 65), QStringLiteral("A")), 0);
  EXPECT_EQ(list->InsertItem(5, Data(2, 66), QStringLiteral("B")), -1);
  EXPECT_EQ(list->GetCount(), 1);
  EXPECT_EQ(list->InsertItem(1, Data(2, 67), QStringLiteral("C")), 1);
  EXPECT_EQ(list->InsertItem(0, Data(3, 68), QString(300, u'D')), 0);
  ASSERT_EQ(list->GetCount(), 3);
  EXPECT_EQ(list->GetText(0), QString(259, u'D'));
  EXPECT_EQ(list->GetItemData(0), Data(3, 68));
  EXPECT_EQ(list->GetText(1), QStringLiteral("A"));
  EXPECT_EQ(list->GetText(2), QStringLiteral("C"));
  EXPECT_EQ(list->GetText(7), QString());
  EXPECT_EQ(list->GetItemData(-1), 0u);
}

// Drawing: the rows as the macro manager shows them.
class ListBoxExDrawTest : public ListBoxExTest {
 protected:
  // A 16 by 16 icon of `colour` whose left four columns are opaque black.
  QString Icon(const QString& name, QColor colour) {
    QImage icon = Solid(16, 16, colour);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 4; ++x) icon.setPixel(x, y, qRgb(0, 0, 0));
    }
    return dir.Save(name, icon);
  }
  void SetUp() override {
    ListBoxExTest::SetUp();
    list->SetImages(Icon("up.png", QColor(200, 0, 0)), Icon("down.png", QColor(0, 150, 0)),
                    Icon("delay.png", QColor(0, 0, 200)), Icon("mup.png", QColor(200, 200, 0)),
                    dir.File("missing.png"));
    const int types[] = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int type : types) list->AddItem(Data(type, 1), QStringLiteral("HH"), false);
    list->SetCurSel(-1);
  }
  // The leftmost column of row `row` that holds a pixel of `ink` exactly, or -1.
  static int FirstInk(const QImage& image, int row, QRgb ink) {
    for (int x = 0; x < 60; ++x) {
      for (int y = 16 * row; y < 16 * row + 16; ++y) {
        if (image.pixel(x, y) == ink) return x;
      }
    }
    return -1;
  }
  QImage Shot() { return uitest::Render(*Viewport()); }
};

TEST_F(ListBoxExDrawTest, RowsAreDrawnByType) {
  const QImage shot = Shot();
  const QRgb white = qRgb(255, 255, 255);
  const QRgb black = qRgb(0, 0, 0);
  struct Row {
    int row;
    QRgb icon;  // at x = 8; white for no icon
    int textFrom;
  } rows[] = {{0, white, 2},  {1, white, 16}, {2, qRgb(200, 0, 0), 16}, {3, qRgb(0, 150, 0), 16},
              {4, qRgb(0, 0, 200), 16}, {5, qRgb(200, 200, 0), 16}, {6, white, 16}, {7, white, 16}};
  for (const Row& r : rows) {
    // Below the text, which starts at the row's top: the icon, whose keyed black shows the
    // background and which is drawn 13 pixels wide.
    const int y = 16 * r.row + 14;
    EXPECT_EQ(shot.pixel(8, y), r.icon) << r.row;
    EXPECT_EQ(shot.pixel(1, y), white) << r.row;
    EXPECT_EQ(shot.pixel(14, y), white) << r.row;
    const int first = FirstInk(shot, r.row, black);
    EXPECT_GE(first, r.textFrom) << r.row;
    EXPECT_LT(first, r.textFrom + 4) << r.row;
  }
  EXPECT_EQ(shot.pixel(150, 16 * 9), white);  // the background below the rows

  // The selected row in the selection colour, its text in the highlight text colour.
  list->SetCurSel(0);
  const QImage selected = Shot();
  EXPECT_EQ(selected.pixel(150, 8), qRgb(0x0E, 0xC8, 0xF9));
  EXPECT_GE(FirstInk(selected, 0, white), 2);
  // It keeps its colour when the list loses the focus.
  list->setFocus();
  list->clearFocus();
  EXPECT_EQ(Shot().pixel(150, 8), qRgb(0x0E, 0xC8, 0xF9));
}

TEST_F(ListBoxExDrawTest, DisabledLookAndColours) {
  list->SetCurSel(1);
  list->setEnabled(false);
  const QImage shot = Shot();
  const QRgb inactiveBorder = qRgb(244, 247, 252);
  const QRgb shadow = qRgb(160, 160, 160);
  EXPECT_EQ(shot.pixel(150, 16 * 9), inactiveBorder);
  EXPECT_GE(FirstInk(shot, 0, shadow), 2);
  EXPECT_EQ(FirstInk(shot, 0, qRgb(0, 0, 0)), -1);
  EXPECT_GE(FirstInk(shot, 1, shadow), 16);  // the selected row too
  list->setEnabled(true);
  EXPECT_EQ(Shot().pixel(150, 16 * 9), qRgb(255, 255, 255));

  list->SetColors(0x00203040, 0x000000FF);
  const QImage recoloured = Shot();
  EXPECT_EQ(recoloured.pixel(150, 16 * 9), qRgb(0x40, 0x30, 0x20));
  EXPECT_EQ(recoloured.pixel(150, 16 + 8), qRgb(255, 0, 0));
}

TEST_F(ListBoxExDrawTest, IconsAreReadAtEveryDraw) {
  EXPECT_EQ(Shot().pixel(8, 16 * 2 + 8), qRgb(200, 0, 0));
  Icon("up.png", QColor(0, 200, 200));
  EXPECT_EQ(Shot().pixel(8, 16 * 2 + 8), qRgb(0, 200, 200));
  // New paths take effect at the next draw; an empty one draws no icon.
  list->SetImages(QString(), QString(), QString(), QString(), QString());
  EXPECT_EQ(Shot().pixel(8, 16 * 2 + 8), qRgb(255, 255, 255));
}

TEST_F(ListBoxExTest, RowsAre16PixelsInTheCaptionFont) {
  list->AddItem(Data(0, 0), QStringLiteral("a"), false);
  list->AddItem(Data(0, 0), QStringLiteral("b"), false);
  EXPECT_EQ(list->visualItemRect(list->item(1)).top(), 16);
  EXPECT_EQ(list->visualItemRect(list->item(1)).height(), 16);
  list->BeginEdit(0);
  ASSERT_NE(list->Editor(), nullptr);
  EXPECT_EQ(list->Editor()->font(), ui::CaptionFont(12, 400));
}

}  // namespace
