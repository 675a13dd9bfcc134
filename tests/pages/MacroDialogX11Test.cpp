// The macro manager on a real X server that the test starts itself, with openbox managing the
// windows when it is installed: the default skin, the hook library of the program folder, keys
// and clicks from XTest. Captures of the dialog idle, recording and with its menu open are saved
// under the build folder's screens/.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "pages/MacroDialog.h"
#include "pages/MacroEventItems.h"
#include "resources/MenuTextTable.h"
#include "skin/BmpMenu.h"
#include "tests/pages/FakeMacroList.h"
// After Qt's headers: Xlib's macros would meet Qt's names.
#include "tests/hook/XKeyboard.h"
#include "tests/platform/ui/XvfbQtTest.h"
#include "tests/platform/ui/QtTestSupport.h"
// Xlib's event names would hide Qt's.
#undef KeyPress
#undef KeyRelease

namespace {

using uitest::XvfbQtTest;

constexpr unsigned kKeyReturn = 36;
constexpr unsigned kKeyEscape = 9;

// Counts the dialog keys that reach the manager's windows as key events (before its filter).
class KeyCounter : public QObject {
 public:
  explicit KeyCounter(QWidget* dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
  ~KeyCounter() override { qApp->removeEventFilter(this); }
  int presses = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((w == dialog_ || dialog_->isAncestorOf(w)) &&
          (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape))
        ++presses;
    }
    return false;
  }

 private:
  QWidget* dialog_;
};

class MacroManagerX11 : public XvfbQtTest {
 protected:
  void SetUp() override {
    XvfbQtTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_NE(keys.display(), nullptr);
    const QString folder = QStringLiteral(KDZ_PROGRAM_DIR);
    ASSERT_EQ(LoadMenuTexts((folder + QStringLiteral("/Language.xml")).toStdU16String()), 1);
    ASSERT_EQ(skin.SetFile((folder + QStringLiteral("/Setup.ini")).toStdU16String()), 1);
    std::memset(modes, 0, sizeof modes);
    settings::tagMACROSTORE& s = store.macroStore;
    for (const char16_t* name : {u"宏1", u"宏2"}) {
      settings::tagMACROINFO& m = s.macros[s.count++];
      settings::SetFieldText(m.name, name);
      m.loopCount = 3;
    }
    s.macros[0].eventCount = 2;
    s.macros[0].events[0] = pagestest::Event(settings::MACRO_KEY_DOWN, 0x43);
    s.macros[0].events[1] = pagestest::Event(settings::MACRO_KEY_UP, 0x43);
    before = std::make_unique<settings::tagMACROSTORE>(s);

    dialog = std::make_unique<CMacroDialog>(skin, folder, QStringLiteral("MacroManagerDialog"),
                                            store, 0, nullptr, modes);
    dialog->Create();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get(), uitest::kWaitMs));
    bool active = false;
    for (int i = 0; i < 10 && !active && WindowManaged(); ++i) {
      dialog->activateWindow();
      active = QTest::qWaitFor([&] { return dialog->isActiveWindow(); }, 500);
    }
  }
  void TearDown() override { dialog.reset(); }

  // A left or right click at a point of `w`, through XTest.
  void ClickAt(QWidget& w, QPoint local, unsigned button = 1) {
    const QPoint p = w.mapToGlobal(local);
    XTestFakeMotionEvent(keys.display(), -1, p.x(), p.y(), CurrentTime);
    XSync(keys.display(), False);
    QTest::qWait(60);
    XTestFakeButtonEvent(keys.display(), button, True, CurrentTime);
    XTestFakeButtonEvent(keys.display(), button, False, CurrentTime);
    XSync(keys.display(), False);
    QTest::qWait(60);
  }
  void Click(QWidget& w) { ClickAt(w, w.rect().center()); }
  void Key(unsigned keyCode, bool down) {
    if (down)
      keys.Press(keyCode);
    else
      keys.Release(keyCode);
    QTest::qWait(40);  // the delays between the keys
  }
  QRect Area() const { return dialog->frameGeometry().adjusted(-10, -10, 10, 10); }

  hooktest::XKeyboard keys{Server().Display()};
  CINIFile skin;
  settings::MacroStore store;
  std::unique_ptr<settings::tagMACROSTORE> before;
  settings::tagMODEINFO modes[settings::MODE_AREA_COUNT];
  std::unique_ptr<CMacroDialog> dialog;
};

TEST_F(MacroManagerX11, RecordsKeysInOrderAndEnterAndEscPressNothing) {
  ASSERT_TRUE(dialog->HookReady()) << "the hook library of the program folder";
  KeyCounter counter(dialog.get());
  uitest::SaveScreen(QStringLiteral("MacroManager_Idle"), Area());

  // Idle: Enter and Esc press no button.
  Key(kKeyReturn, true);
  Key(kKeyReturn, false);
  Key(kKeyEscape, true);
  Key(kKeyEscape, false);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);

  Click(dialog->DelayToggle());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Manager().DelayRecordingCheck() == 1; },
                              uitest::kWaitMs));
  Click(dialog->StartRecordButton());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Manager().IsRecording(); }, uitest::kWaitMs));
  EXPECT_EQ(dialog->EventList().GetCount(), 0);

  using hooktest::kKeyA;
  using hooktest::kKeyB;
  using hooktest::kLeftShift;
  for (auto [code, down] : std::vector<std::pair<unsigned, bool>>{
           {kKeyA, true}, {kKeyA, false}, {kLeftShift, true}, {kKeyB, true}, {kKeyB, false},
           {kLeftShift, false}, {kKeyReturn, true}, {kKeyReturn, false}, {kKeyEscape, true},
           {kKeyEscape, false}}) {
    Key(code, down);
  }
  const std::vector<uint32_t> expected = {
      pagestest::KeyDown(0x41), pagestest::KeyUp(0x41),   pagestest::KeyDown(0xA0),
      pagestest::KeyDown(0x42), pagestest::KeyUp(0x42),   pagestest::KeyUp(0xA0),
      pagestest::KeyDown(0x0D), pagestest::KeyUp(0x0D),   pagestest::KeyDown(0x1B),
      pagestest::KeyUp(0x1B)};
  std::vector<uint32_t> keyRows;
  QStringList keyTexts;
  int delays = 0;
  bool delayFirstOrDoubled = false;
  const auto read = [&] {
    keyRows.clear();
    keyTexts.clear();
    delays = 0;
    delayFirstOrDoubled = false;
    bool previousDelay = true;  // a delay first counts as doubled
    for (int i = 0; i < dialog->EventList().GetCount(); ++i) {
      const uint32_t data = dialog->EventList().GetItemData(i);
      const bool delay = pages::ItemType(data) == pages::MACRO_ITEM_DELAY;
      if (delay) {
        ++delays;
        delayFirstOrDoubled |= previousDelay;
      } else {
        keyRows.push_back(data);
        keyTexts << dialog->EventList().GetText(i);
      }
      previousDelay = delay;
    }
    return keyRows.size() >= expected.size();
  };
  EXPECT_TRUE(QTest::qWaitFor(read, uitest::kWaitMs));
  EXPECT_EQ(keyRows, expected);
  EXPECT_EQ(keyTexts, (QStringList{"A", "A", "LShift", "B", "B", "LShift", "Enter", "Enter",
                                   "Esc", "Esc"}));
  EXPECT_GE(delays, 1) << "delay recording is on and the keys came 40 ms apart";
  EXPECT_FALSE(delayFirstOrDoubled);

  // Enter and Esc reached the manager and were swallowed: it still records, nothing closed.
  if (WindowManaged()) {
    EXPECT_GE(counter.presses, 2);
  }
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);
  EXPECT_TRUE(dialog->Manager().IsRecording());
  uitest::SaveScreen(QStringLiteral("MacroManager_Recording"), Area());

  Click(dialog->StopRecordButton());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Manager().IsRecording(); }, uitest::kWaitMs));
  EXPECT_EQ(std::memcmp(&store.macroStore, before.get(), sizeof *before), 0)
      << "nothing reaches the store before OK";
  Click(dialog->OkButton());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, uitest::kWaitMs));
  EXPECT_EQ(dialog->result(), ui::IDOK);
  EXPECT_EQ(store.macroStore.macros[0].eventCount,
            static_cast<uint32_t>(expected.size()) + static_cast<uint32_t>(delays));
}

TEST_F(MacroManagerX11, RightClickInTheEventListOpensTheMenuAtTheCursor) {
  CListBoxEx& list = dialog->EventList();
  const QPoint local(list.width() / 2, 8);
  ClickAt(list, local, 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->MacroMenu() && dialog->MacroMenu()->Window(); },
                              3000));
  QWidget* menu = dialog->MacroMenu()->Window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu, uitest::kWaitMs));
  QPoint expected = list.mapToGlobal(local);
  CBmpMenu::KeepOnScreen(expected, 231, 264);
  EXPECT_EQ(dialog->MacroMenu()->Position(), expected);
  EXPECT_EQ(menu->geometry().topLeft(), expected);
  uitest::SaveScreen(QStringLiteral("MacroManager_Menu"), Area().united(menu->geometry()));

  // Its delete command, chosen with the mouse, removes the selected event.
  const int rows = list.GetCount();
  ASSERT_GE(rows, 1);
  const int selected = list.GetCurSel();
  ClickAt(*menu, QPoint(20, 5 * 17 + 8));  // the sixth item
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->MacroMenu() == nullptr; }, uitest::kWaitMs));
  EXPECT_EQ(list.GetCount(), selected >= 0 ? rows - 1 : rows);
}

}  // namespace

int main(int argc, char** argv) {
  return XvfbQtTest::Main(argc, argv, XvfbQtTest::WindowManager::kOpenboxWhenInstalled);
}
