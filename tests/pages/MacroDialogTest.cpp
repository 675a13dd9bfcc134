// The macro manager dialog, headless, on a small skin and a store built in code.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pages/MacroDialog.h"
#include "pages/MacroLoopCount.h"
#include "platform/ui/CaptionDrag.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ScreenMetrics.h"
#include "settings/FunctionCodes.h"
#include "skin/BmpMenu.h"
#include "skin/WarningDlg.h"
#include "tests/pages/FakeMacroList.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using pagestest::KeyDown;
using pagestest::KeyUp;
using uitest::Solid;

const char kSkin[] =
    "[MacroManagerDialog]\n"
    "WindowsRect=5,5,300,200\n"
    "NormalImage=m\\n.png\n"
    "OverImage=m\\o.png\n"
    "DownImage=m\\d.png\n"
    "Visable=1\n"
    "KeyOKRect=200,170,40,20\n"
    "KeyCancleRect=250,170,40,20\n"
    "KeyNewRect=10,170,40,20\n"
    "KeyDeleteRect=60,170,40,20\n"
    "KeyStartRecordNormalImage=m\\start.png\n"
    "KeyStartRecordOverImage=m\\start.png\n"
    "KeyStartRecordDownImage=m\\start.png\n"
    "KeyStartRecordRect=110,170,80,20\n"
    "KeyStopRecordNormalImage=m\\stop.png\n"
    "KeyStopRecordOverImage=m\\stop.png\n"
    "KeyStopRecordDownImage=m\\stop.png\n"
    "KeyStopRecordRect=110,170,80,20\n"
    "KeyDelayOnOffRect=200,10,90,16\n"
    "KeyLoopTimesOnOffRect=200,30,90,16\n"
    "KeyRepeateUntildTimeOverOrAnykeyDownRect=200,80,90,16\n"
    "KeyRepeatUntilAnykeyDownRect=200,100,90,16\n"
    "KeyRepeatUntilKeyUpRect=200,120,90,16\n"
    "MacroNameListRect=10,10,80,150\n"
    "KeySequenceListRect=100,10,90,150\n"
    "MacroKeyUpImage=m\\ku.png\n"
    "MacroKeyDownImage=m\\kd.png\n"
    "MacroKeyDelayImage=m\\dl.png\n"
    "MacroMouseUpImage=m\\mu.png\n"
    "MacroMouseDownImage=m\\md.png\n"
    "EditMacroLoopRect=210,50,60,18\n"
    "[MacroListRenameWarningDialog]\n"
    "WindowsRect=0,0,100,60\n"
    "NormalImage=m\\w.png\n"
    "KeyOKRect=10,30,30,20\n"
    "KeyCancleRect=50,30,30,20\n"
    "[MacroListDeleteWarningDialog]\n"
    "WindowsRect=0,0,100,60\n"
    "NormalImage=m\\w.png\n"
    "KeyOKRect=10,30,30,20\n"
    "KeyCancleRect=50,30,30,20\n";

std::vector<std::string> ReadLines(const QString& path) {
  std::vector<std::string> lines;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return lines;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (!line.isEmpty()) lines.push_back(line.toStdString());
  }
  return lines;
}

// Presses and releases `key` on `target` through the application, as the window system would.
void KeyClick(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent event(type, key, modifiers);
    QApplication::sendEvent(target, &event);
  }
}

// Answers every warning shown while it lives with Cancel, noting its section and parent.
class WarningWatcher {
 public:
  WarningWatcher() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* warning = dynamic_cast<CWarningDlg*>(w);
        if (warning == nullptr || !warning->isVisible()) continue;
        sections.push_back(warning->Section());
        parents.push_back(warning->parentWidget());
        warning->done(ui::IDCANCEL);
      }
    });
    timer_.start();
  }
  QStringList sections;
  std::vector<QWidget*> parents;

 private:
  QTimer timer_;
};

class MacroDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Save("m/n.png", Solid(300, 200, QColor(40, 40, 40)));
    dir.Save("m/o.png", Solid(300, 200, QColor(0, 160, 0)));
    dir.Save("m/d.png", Solid(300, 200, QColor(0, 0, 160)));
    dir.Save("m/start.png", Solid(80, 20, Qt::red));
    dir.Save("m/stop.png", Solid(80, 20, Qt::yellow));
    dir.Save("m/w.png", Solid(100, 60, Qt::gray));
    for (const char* level : {"Macro_menu", "Sub_Macro_menu", "Sub2_Macro_menu"}) {
      for (const char* look : {"n", "o", "d"}) {
        dir.Save(QStringLiteral("Defualt/MacroMenu/%1_%2.png").arg(level, look),
                 Solid(95, 17 * 6, Qt::darkGray));
      }
    }
    dir.Write("Setup.ini", kSkin);
    ASSERT_EQ(ini.SetFile(dir.File("Setup.ini").toStdU16String()), 1);
    std::memset(modes, 0, sizeof modes);
    owner.setGeometry(50, 50, 700, 500);
    owner.show();
    log = dir.File("hook.log");
    setenv("KDZ_HOOK_LOG", log.toLocal8Bit().constData(), 1);
  }
  void TearDown() override {
    dialog.reset();
    unsetenv("KDZ_HOOK_LOG");
  }

  settings::tagMACROINFO& AddMacro(std::u16string_view name,
                                   std::vector<settings::tagMACROEVENT> events = {}) {
    settings::tagMACROSTORE& s = store.macroStore;
    settings::tagMACROINFO& m = s.macros[s.count++];
    settings::SetFieldText(m.name, name);
    m.loopCount = 1;
    m.eventCount = static_cast<uint32_t>(events.size());
    for (size_t i = 0; i < events.size(); ++i) m.events[i] = events[i];
    return m;
  }

  void Open(int first, const std::string& hookFolder = KDZ_RECORDING_HOOK_DIR) {
    dialog = std::make_unique<CMacroDialog>(ini, dir.Path(), QStringLiteral("MacroManagerDialog"),
                                            store, first, &owner, modes, hookFolder);
    dialog->Create();
  }

  void Click(CBitmapBtn& button) {
    ui::SendMessage(dialog.get(), ui::WM_COMMAND, 0, ui::HandleOf(&button));
  }
  std::vector<uint32_t> EventRows() {
    std::vector<uint32_t> rows;
    for (int i = 0; i < dialog->EventList().GetCount(); ++i)
      rows.push_back(dialog->EventList().GetItemData(i));
    return rows;
  }
  QStringList EventTexts() {
    QStringList texts;
    for (int i = 0; i < dialog->EventList().GetCount(); ++i)
      texts << dialog->EventList().GetText(i);
    return texts;
  }

  uitest::TempDir dir;
  CINIFile ini;
  settings::MacroStore store;
  settings::tagMODEINFO modes[settings::MODE_AREA_COUNT];
  uitest::MessageRecorder owner;
  QString log;
  std::unique_ptr<CMacroDialog> dialog;
};

TEST_F(MacroDialogTest, ControlsAtTheirRectanglesInTableOrder) {
  AddMacro(u"one");
  Open(0);
  EXPECT_EQ(dialog->size(), QSize(300, 200));
  EXPECT_TRUE(dialog->isVisible());
  struct Placed {
    QWidget* control;
    QRect rect;
  };
  const Placed placed[] = {
      {&dialog->OkButton(), QRect(200, 170, 40, 20)},
      {&dialog->CancelButton(), QRect(250, 170, 40, 20)},
      {&dialog->NewButton(), QRect(10, 170, 40, 20)},
      {&dialog->DeleteButton(), QRect(60, 170, 40, 20)},
      {&dialog->StartRecordButton(), QRect(110, 170, 80, 20)},
      {&dialog->StopRecordButton(), QRect(110, 170, 80, 20)},
      {&dialog->DelayToggle(), QRect(200, 10, 90, 16)},
      {&dialog->LoopToggle(), QRect(200, 30, 90, 16)},
      {&dialog->RepeatRadio(0), QRect(200, 80, 90, 16)},
      {&dialog->RepeatRadio(1), QRect(200, 100, 90, 16)},
      {&dialog->RepeatRadio(2), QRect(200, 120, 90, 16)},
      {&dialog->NameList(), QRect(10, 10, 80, 150)},
      {&dialog->EventList(), QRect(100, 10, 90, 150)},
      {&dialog->LoopCountEdit(), QRect(210, 50, 60, 18)},
  };
  // Created in this order after the edit, which the dialog makes first.
  std::vector<QWidget*> order;
  for (QObject* child : dialog->children()) {
    if (child->isWidgetType() && child != &dialog->LoopCountEdit())
      order.push_back(static_cast<QWidget*>(child));
  }
  std::vector<QWidget*> expected;
  for (const Placed& p : placed) {
    EXPECT_EQ(p.control->geometry(), p.rect) << p.control->metaObject()->className();
    if (p.control != &dialog->LoopCountEdit()) expected.push_back(p.control);
  }
  order.resize(std::min(order.size(), expected.size()));
  EXPECT_EQ(order, expected);
  // Each button's faces are its rectangle of the sheets; the recording buttons have their own.
  const QImage ok = uitest::Render(dialog->OkButton());
  EXPECT_EQ(ok.pixel(5, 5), qRgb(40, 40, 40));
  EXPECT_EQ(uitest::Render(dialog->StartRecordButton()).pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_TRUE(dialog->StartRecordButton().isVisible());
  EXPECT_FALSE(dialog->StopRecordButton().isVisible());
  EXPECT_EQ(dialog->RepeatRadio(0).GetCheckState(), 1);
  EXPECT_EQ(dialog->NameList().GetText(0), QStringLiteral("one"));
  EXPECT_EQ(dialog->LoopCountEdit().text(), QStringLiteral("1"));
}

TEST_F(MacroDialogTest, RecordingLocksExactlyThePartsControls) {
  AddMacro(u"one", {pagestest::Event(settings::MACRO_KEY_DOWN, 0x41)});
  Open(0);
  QWidget* locked[] = {&dialog->NewButton(),  &dialog->DeleteButton(), &dialog->OkButton(),
                       &dialog->CancelButton(), &dialog->NameList(), &dialog->LoopToggle(),
                       &dialog->LoopCountEdit()};
  QWidget* free[] = {&dialog->DelayToggle(), &dialog->RepeatRadio(0), &dialog->RepeatRadio(1),
                     &dialog->RepeatRadio(2), &dialog->EventList()};
  for (QWidget* w : locked) EXPECT_TRUE(w->isEnabled());
  for (QWidget* w : free) EXPECT_TRUE(w->isEnabled());

  Click(dialog->StartRecordButton());
  ASSERT_TRUE(dialog->Manager().IsRecording());
  EXPECT_FALSE(dialog->StartRecordButton().isVisible());
  EXPECT_TRUE(dialog->StopRecordButton().isVisible());
  for (QWidget* w : locked) EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
  for (QWidget* w : free) EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();
  EXPECT_EQ(dialog->EventList().GetCount(), 0);

  // Keys reported by the hook become rows named by KeyName.
  EXPECT_EQ(ui::SendMessage(dialog.get(), WM_HOOK_KEY, 0x41, 0), 1);
  EXPECT_EQ(ui::SendMessage(dialog.get(), WM_HOOK_KEY, 0x0D, 0x80), 1);
  EXPECT_EQ(EventTexts(), (QStringList{QStringLiteral("A"), QStringLiteral("Enter")}));

  // No menu while recording.
  ui::SendMessage(dialog.get(), WM_LBEX_RBUTTONDOWN, ui::WPARAM(ui::HandleOf(&dialog->EventList())),
                  0);
  EXPECT_EQ(dialog->MacroMenu(), nullptr);

  Click(dialog->StopRecordButton());
  EXPECT_TRUE(dialog->StartRecordButton().isVisible());
  EXPECT_FALSE(dialog->StopRecordButton().isVisible());
  for (QWidget* w : locked) EXPECT_TRUE(w->isEnabled());
  EXPECT_EQ(ui::SendMessage(dialog.get(), WM_HOOK_KEY, 0x42, 0), 0) << "after Stop";
  EXPECT_EQ(dialog->EventList().GetCount(), 2);
}

TEST_F(MacroDialogTest, DialogKeysAreSwallowedAndGoToTheDelayEditor) {
  AddMacro(u"one", {pagestest::Event(settings::MACRO_KEY_DOWN, 0x41),
                    pagestest::Event(settings::MACRO_DELAY, 0, 30)});
  Open(0);
  const int keys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space,
                      Qt::Key_Cancel};
  for (bool recording : {false, true}) {
    // Recording before the selected event keeps the list.
    if (recording) ui::SendMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 1));
    ASSERT_EQ(dialog->Manager().IsRecording(), recording);
    for (QWidget* target : std::initializer_list<QWidget*>{
             dialog.get(), &dialog->OkButton(), &dialog->CancelButton(), &dialog->NewButton(),
             &dialog->NameList(), &dialog->LoopCountEdit()}) {
      for (int key : keys) {
        KeyClick(target, key);
        KeyClick(target, key, Qt::KeypadModifier);
      }
    }
    KeyClick(dialog.get(), Qt::Key_Pause, Qt::ControlModifier);
    uitest::Drain();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_EQ(dialog->NameList().GetCount(), 1) << "Space pressed no New";
  }
  Click(dialog->StopRecordButton());

  // With the delay editor open, Enter commits it and Esc cancels it; the dialog stays.
  dialog->EventList().SetCurSel(1);
  ui::SendMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 4));
  ASSERT_NE(dialog->EventList().Editor(), nullptr);
  QLineEdit* editor = dialog->EventList().Editor();
  editor->setText(QStringLiteral("250"));
  KeyClick(&dialog->NameList(), Qt::Key_Return);  // addressed elsewhere in the dialog
  uitest::Drain();
  EXPECT_EQ(dialog->EventList().Editor(), nullptr);
  EXPECT_EQ(dialog->EventList().GetText(1), QStringLiteral("250 ms"));
  ui::SendMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 4));
  ASSERT_NE(dialog->EventList().Editor(), nullptr);
  dialog->EventList().Editor()->setText(QStringLiteral("9"));
  KeyClick(dialog->EventList().Editor(), Qt::Key_Escape);
  uitest::Drain();
  EXPECT_EQ(dialog->EventList().Editor(), nullptr);
  EXPECT_EQ(dialog->EventList().GetText(1), QStringLiteral("250 ms"));
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(MacroDialogTest, RowTextsOfStoredEvents) {
  // An unknown mouse code lists with an empty text; 65536 ms shows as 65535 ms; a 0 ms delay
  // has no row.
  AddMacro(u"one", {pagestest::Event(settings::MACRO_MOUSE_DOWN, 8),
                    pagestest::Event(settings::MACRO_DELAY, 0, 65536),
                    pagestest::Event(settings::MACRO_DELAY, 0, 0),
                    pagestest::Event(settings::MACRO_MOUSE_UP, 18),
                    pagestest::Event(settings::MACRO_KEY_DOWN, 0x6C)});
  Open(0);
  EXPECT_EQ(EventTexts(), (QStringList{QString(), QStringLiteral("65535 ms"),
                                       QStringLiteral("Backward Up"), QStringLiteral("\\")}));
}

TEST_F(MacroDialogTest, DoModalEndsWithTheButtonsOnly) {
  AddMacro(u"one");
  dialog = std::make_unique<CMacroDialog>(ini, dir.Path(), QStringLiteral("MacroManagerDialog"),
                                          store, 0, &owner, modes, KDZ_RECORDING_HOOK_DIR);
  QTimer::singleShot(0, [this] {
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), dialog.get());
    EXPECT_FALSE(dialog->close());
    Click(dialog->CancelButton());
  });
  QTimer::singleShot(3000, dialog.get(), [this] { dialog->done(-1); });  // guards a hang only
  EXPECT_EQ(dialog->DoModal(), ui::IDCANCEL);
  dialog.reset();
  EXPECT_EQ(ReadLines(log), (std::vector<std::string>{"installhook", "removehook", "unloaded"}));
}

TEST_F(MacroDialogTest, WithoutItsBackgroundTheDialogCanStillBeLeft) {
  dir.Write("Setup.ini", std::string(kSkin) + "[Bare]\nWindowsRect=0,0,300,200\n"
                                               "KeyCancleRect=250,170,40,20\n"
                                               "MacroNameListRect=10,10,80,150\n");
  ASSERT_EQ(ini.SetFile(dir.File("Setup.ini").toStdU16String()), 1);
  AddMacro(u"one");
  dialog = std::make_unique<CMacroDialog>(ini, dir.Path(), QStringLiteral("Bare"), store, 0,
                                          &owner, modes, KDZ_RECORDING_HOOK_DIR);
  dialog->Create();
  dialog->show();
  EXPECT_EQ(dialog->CancelButton().geometry(), QRect(250, 170, 40, 20));
  EXPECT_EQ(dialog->NameList().GetText(0), QStringLiteral("one"));
  // With no faces to click, the window manager's close request ends it as Cancel.
  dialog->close();
  EXPECT_EQ(dialog->result(), ui::IDCANCEL);
}

TEST_F(MacroDialogTest, CloseRequestIsIgnored) {
  AddMacro(u"one");
  Open(0);
  EXPECT_FALSE(dialog->close());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);
}

TEST_F(MacroDialogTest, HookCallsInOrder) {
  AddMacro(u"one");
  Open(0);
  Click(dialog->StartRecordButton());
  Click(dialog->StopRecordButton());
  dialog->EventList().SetCurSel(-1);
  ui::SendMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 2));
  Click(dialog->StopRecordButton());
  Click(dialog->OkButton());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), ui::IDOK);
  const std::string path = std::string(KDZ_RECORDING_HOOK_DIR) + "/Zimhook.so";
  void* stillLoaded = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(stillLoaded, nullptr) << "loaded until the dialog object goes";
  if (stillLoaded != nullptr) dlclose(stillLoaded);
  dialog.reset();
  EXPECT_EQ(ReadLines(log),
            (std::vector<std::string>{"installhook", "SetHookStatus 1", "SetHookStatus 0",
                                      "SetHookStatus 1", "SetHookStatus 0", "removehook",
                                      "unloaded"}));
}

struct MissingHook {
  const char* what;
  std::string folder;
};
void PrintTo(const MissingHook& m, std::ostream* os) { *os << m.what; }

class MacroDialogMissingHook : public MacroDialogTest,
                               public ::testing::WithParamInterface<MissingHook> {};

TEST_P(MacroDialogMissingHook, RecordingRefusedWithTheMessage) {
  AddMacro(u"one", {pagestest::Event(settings::MACRO_KEY_DOWN, 0x41),
                    pagestest::Event(settings::MACRO_KEY_UP, 0x41)});
  QStringList shown;
  ui::ScopedMessageBoxHandler boxes([&](QWidget*, const QString& text) { shown << text; });
  Open(0, GetParam().folder.empty() ? dir.Path().toStdString() + "/nothing" : GetParam().folder);
  Click(dialog->StartRecordButton());
  ui::SendMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 1));
  ui::SendMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 2));
  const QString message = QString::fromStdU16String(std::u16string(pages::kHookMissingMessage));
  EXPECT_EQ(shown, (QStringList{message, message, message}));
  EXPECT_FALSE(dialog->Manager().IsRecording());
  EXPECT_TRUE(dialog->StartRecordButton().isVisible());
  EXPECT_EQ(EventRows(), (std::vector<uint32_t>{KeyDown(0x41), KeyUp(0x41)}));
  // Everything else works.
  ui::SendMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 8));
  Click(dialog->OkButton());
  EXPECT_EQ(dialog->result(), ui::IDOK);
  EXPECT_EQ(store.macroStore.macros[0].eventCount, 4u);
  dialog.reset();
  for (const std::string& line : ReadLines(log)) EXPECT_NE(line.rfind("SetHookStatus", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Hook, MacroDialogMissingHook,
    ::testing::Values(MissingHook{"NoLibrary", ""},
                      MissingHook{"NoSetHookStatus", KDZ_RECORDING_HOOK_NO_STATUS_DIR},
                      MissingHook{"InstallGivesZeroWithoutDisplay", KDZ_PROGRAM_DIR}),
    [](const ::testing::TestParamInfo<MissingHook>& info) {
      return std::string(info.param.what);
    });

TEST_F(MacroDialogTest, RightClickOpensTheMenuAtTheCursorKeptOnScreen) {
  ui::ScopedFullScreenSize screen(QSize(800, 600));
  AddMacro(u"one", {pagestest::Event(settings::MACRO_KEY_DOWN, 0x41)});
  Open(0);
  QCursor::setPos(700, 500);
  QPoint expected = QCursor::pos();
  CBmpMenu::KeepOnScreen(expected, 231, 264);
  uitest::Mouse(dialog->EventList().viewport(), QEvent::MouseButtonPress, QPoint(5, 5),
                Qt::RightButton, Qt::RightButton);
  // Only the list's notification: a change of activation would take the menu down again.
  QCoreApplication::sendPostedEvents(dialog.get(), ui::WindowMessageEvent::EventType());
  ASSERT_NE(dialog->MacroMenu(), nullptr);
  EXPECT_EQ(dialog->MacroMenu()->Position(), expected);
  ASSERT_EQ(dialog->MacroMenu()->Items().size(), 6u);
  EXPECT_EQ(dialog->MacroMenu()->Items()[3].hasSubmenu, 1);
  const std::vector<int> commands = {1, 2, 3, 0, 4, 5};
  for (size_t i = 0; i < commands.size(); ++i)
    EXPECT_EQ(dialog->MacroMenu()->Items()[i].commandId, commands[i]);

  // A choice closes the menu, then acts: a left click goes in as down then up.
  dialog->EventList().SetCurSel(0);
  ui::PostMessage(dialog.get(), WM_MACROMENU_SELECT, 0, ui::MakeLong(0, 8));
  uitest::Drain();
  EXPECT_EQ(dialog->MacroMenu(), nullptr);
  EXPECT_EQ(EventTexts(), (QStringList{QStringLiteral("Left Down"), QStringLiteral("Left Up"),
                                       QStringLiteral("A")}));
  // A press on the name list, on the dialog, or the close message closes an open menu.
  for (int way = 0; way < 3; ++way) {
    dialog->OpenMacroMenu(10, 10);
    ASSERT_NE(dialog->MacroMenu(), nullptr);
    if (way == 0)
      ui::SendMessage(dialog.get(), WM_LBEX_LBUTTONDOWN,
                      ui::WPARAM(ui::HandleOf(&dialog->NameList())), 0);
    else if (way == 1)
      uitest::Mouse(dialog.get(), QEvent::MouseButtonPress, QPoint(150, 190), Qt::RightButton,
                    Qt::RightButton);
    else
      ui::SendMessage(dialog.get(), WM_MACROMENU_CLOSE, 0, 0);
    EXPECT_EQ(dialog->MacroMenu(), nullptr) << way;
  }
}

TEST_F(MacroDialogTest, FailedOkThenCancelLeaveStoreAndButtonsAndOkRewritesThem) {
  AddMacro(u"a");
  AddMacro(u"b");
  pagestest::RunMacroOnButton(modes, 2, 4, 1);
  const auto before = std::make_unique<settings::tagMACROSTORE>(store.macroStore);
  QStringList shown;
  ui::ScopedMessageBoxHandler boxes([&](QWidget*, const QString& text) { shown << text; });
  Open(0);
  Click(dialog->DeleteButton());
  EXPECT_EQ(dialog->NameList().GetCount(), 1);
  {
    const QSignalBlocker quiet(&dialog->LoopCountEdit());
    dialog->LoopCountEdit().setText(QStringLiteral("x1"));
  }
  Click(dialog->OkButton());
  const QString notANumber =
      QString::fromStdU16String(std::u16string(pages::kLoopCountNotANumber));
  EXPECT_EQ(shown, QStringList{notANumber});
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(std::memcmp(&store.macroStore, before.get(), sizeof *before), 0);
  Click(dialog->CancelButton());
  EXPECT_EQ(dialog->result(), ui::IDCANCEL);
  EXPECT_EQ(std::memcmp(&store.macroStore, before.get(), sizeof *before), 0);
  EXPECT_EQ(modes[2].keys[4].macroIndex, 1);

  // Opened again, the same deletion with OK rewrites the store and renumbers the button.
  Open(0);
  Click(dialog->DeleteButton());
  Click(dialog->OkButton());
  EXPECT_EQ(dialog->result(), ui::IDOK);
  EXPECT_EQ(store.macroStore.count, 1u);
  EXPECT_EQ(settings::FieldText(store.macroStore.macros[0].name), u"b");
  EXPECT_EQ(modes[2].keys[4].macroIndex, 0);
  EXPECT_EQ(modes[2].keys[4].minor, 2);
}

TEST_F(MacroDialogTest, WarningsRunModallyOverTheManager) {
  AddMacro(u"abc");
  AddMacro(u"xyz");
  pagestest::RunMacroOnButton(modes, 0, 1, 0);
  Open(1);
  WarningWatcher watcher;
  // A name clash ignoring case: the warning, and the stored name comes back.
  dialog->NameList().item(1)->setText(QStringLiteral("ABC"));
  Click(dialog->OkButton());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->NameList().GetText(1), QStringLiteral("xyz"));
  // A macro a button runs cannot be deleted.
  dialog->NameList().SetCurSel(0);
  ui::SendMessage(dialog.get(), WM_LBEX_SELCHANGE, ui::WPARAM(ui::HandleOf(&dialog->NameList())),
                  0);
  Click(dialog->DeleteButton());
  EXPECT_EQ(dialog->NameList().GetCount(), 2);
  EXPECT_EQ(watcher.sections, (QStringList{QStringLiteral("MacroListRenameWarningDialog"),
                                           QStringLiteral("MacroListDeleteWarningDialog")}));
  EXPECT_EQ(watcher.parents, (std::vector<QWidget*>{dialog.get(), dialog.get()}));
}

TEST_F(MacroDialogTest, LoopCountEditAndRepeatModes) {
  AddMacro(u"a").loopCount = 5;
  QStringList shown;
  ui::ScopedMessageBoxHandler boxes([&](QWidget*, const QString& text) { shown << text; });
  Open(0);
  QLineEdit& edit = dialog->LoopCountEdit();
  EXPECT_EQ(edit.text(), QStringLiteral("5"));
  EXPECT_EQ(edit.validator(), nullptr);
  edit.setText(QStringLiteral("0"));
  EXPECT_EQ(edit.text(), QStringLiteral("1"));
  edit.setText(QStringLiteral("300"));
  EXPECT_EQ(edit.text(), QStringLiteral("255"));
  edit.setText(QStringLiteral("12"));
  edit.setText(QStringLiteral("1x"));
  EXPECT_EQ(edit.text(), QStringLiteral("12"));
  EXPECT_EQ(shown.size(), 1);
  Click(dialog->RepeatRadio(2));
  EXPECT_EQ(edit.text(), QStringLiteral("1"));
  EXPECT_FALSE(edit.isEnabled());
  EXPECT_EQ(dialog->RepeatRadio(2).GetCheckState(), 1);
  EXPECT_EQ(dialog->RepeatRadio(0).GetCheckState(), 0);
  Click(dialog->RepeatRadio(0));
  EXPECT_TRUE(edit.isEnabled());
  edit.setText(QStringLiteral("7"));
  Click(dialog->LoopToggle());
  Click(dialog->OkButton());
  EXPECT_EQ(store.macroStore.macros[0].loopCount, 7);
  EXPECT_EQ(store.macroStore.macros[0].loopEnabled, 1);
}

TEST_F(MacroDialogTest, BackgroundPressDragsTheManagerNotTheMainWindow) {
  AddMacro(u"a");
  Open(0);
  uitest::Press(dialog.get(), QPoint(150, 195));
  uitest::Drain();
  EXPECT_TRUE(owner.Of(ui::WM_LBUTTONDOWN).empty());
  EXPECT_TRUE(ui::IsCaptionDragActive());
  uitest::Release(dialog.get(), QPoint(150, 195));
  uitest::Drain();
}

}  // namespace
