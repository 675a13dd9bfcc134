// The shortcut and program dialogs of the button page against a test skin, the shortcut
// dialog with a recording stand-in for the keyboard-hook library.
#include <dlfcn.h>
#include <stdlib.h>

#include <QKeyEvent>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pages/AssignAProgramToExecutonDialg.h"
#include "pages/AssignAShortcutDialg.h"
#include "pages/SkinnedEdit.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "tests/pages/TestSkinFixture.h"

namespace {

namespace fs = std::filesystem;
using pagetest::Bytes;
using pagetest::ClickButton;
using pagetest::DialogSection;
using settings::tagKEYDEFINEINFO;

const std::string kSkin = DialogSection("AssignAShortcutDialg",
                                        "KeyUnUseRect=10,20,40,20\n"
                                        "KeyCtrlRect=60,20,40,20\n"
                                        "KeyShiftRect=110,20,40,20\n"
                                        "KeyAltRect=160,20,40,20\n"
                                        "KeyWinRect=210,20,40,20\n"
                                        "KeyEditRect=20,60,200,22\n") +
                          DialogSection("AssignAProgramToExecutonDialg",
                                        "KeyOpenProgramPathRect=240,60,50,22\n"
                                        "KeyEditRect=20,60,200,22\n");

void SendKey(QWidget* target, QEvent::Type type, Qt::Key key) {
  QKeyEvent event(type, key, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

class AssignDialogsTest : public skintest::SkinFixture {
 protected:
  AssignDialogsTest()
      : boxes_([this](QWidget*, const QString& text) { boxes.push_back(text); }),
        files_([this](const ui::FileDialogOptions& o) {
          browsed.push_back(o);
          return chosen;
        }) {}

  void SetUp() override {
    ShowOwner(QRect(100, 100, 400, 300));
    pagetest::SaveDialogSheets(dir);
    WriteSkin(kSkin);
    Place("hook", KDZ_RECORDING_HOOK);
    Place("hook-fails", KDZ_RECORDING_HOOK_FAILS);
    Place("hook-partial", KDZ_RECORDING_HOOK_NO_STATUS);
    fs::create_directories(Folder("no-hook"));
    log_ = dir.path() + "/hook.log";
    ::setenv("KDZ_HOOK_LOG", log_.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("KDZ_HOOK_LOG"); }

  std::string Folder(const std::string& name) const { return dir.path() + "/" + name; }
  void Place(const std::string& name, const char* library) const {
    fs::create_directories(Folder(name));
    fs::copy_file(library, Folder(name) + "/Zimhook.so", fs::copy_options::overwrite_existing);
  }

  // The calls the recording library has seen, in order.
  std::vector<std::string> HookCalls() const {
    std::vector<std::string> calls;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) calls.push_back(line);
    return calls;
  }

  // A key event as the hook library reports it, delivered to the dialog.
  void Report(unsigned key, bool released = false) const {
    void* module = dlopen((Folder("hook") + "/Zimhook.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    auto report = reinterpret_cast<void (*)(uintptr_t, int)>(dlsym(module, "RecordingHookReport"));
    ASSERT_NE(report, nullptr);
    report(key, released ? 1 : 0);
    dlclose(module);
    QCoreApplication::processEvents();
  }

  int RunShortcut(tagKEYDEFINEINFO& key, const std::string& hook,
                  std::function<void(CAssignAShortcutDialg&)> act) {
    CAssignAShortcutDialg dialog(ini, dir.Path(), QStringLiteral("AssignAShortcutDialg"), &key,
                                 &owner, Folder(hook));
    uitest::OnModal actor([&](QWidget*) { act(dialog); });
    const int result = dialog.DoModal();
    EXPECT_TRUE(actor.Ran());
    return result;
  }

  int RunProgram(const QString& path, QString* handedBack,
                 std::function<void(CAssignAProgramToExecutonDialg&)> act) {
    CAssignAProgramToExecutonDialg dialog(ini, dir.Path(),
                                          QStringLiteral("AssignAProgramToExecutonDialg"), path,
                                          &owner);
    uitest::OnModal actor([&](QWidget*) { act(dialog); });
    const int result = dialog.DoModal();
    EXPECT_TRUE(actor.Ran());
    *handedBack = dialog.GetPath();
    return result;
  }

  // A button record with sentinels around the two shortcut bytes.
  static tagKEYDEFINEINFO Record(uint8_t modifiers, uint8_t key) {
    tagKEYDEFINEINFO r;
    std::memset(&r, 0x5A, sizeof r);
    r.shortcutModifiers = modifiers;
    r.shortcutKey = key;
    return r;
  }

  std::vector<QString> boxes;
  std::vector<ui::FileDialogOptions> browsed;
  std::optional<QString> chosen;

 private:
  std::string log_;
  ui::ScopedMessageBoxHandler boxes_;
  ui::ScopedFileDialogHandler files_;
};

// One step of the user: a toggle clicked (0 UnUse, 1 Ctrl, 2 Shift, 3 Alt, 4 Win) or a key the
// hook reports (its wParam; released or pressed).
struct Step {
  enum Kind { Toggle, Press, Release } kind;
  unsigned value;
};
constexpr Step T(unsigned toggle) { return {Step::Toggle, toggle}; }
constexpr Step P(unsigned key) { return {Step::Press, key}; }
constexpr Step R(unsigned key) { return {Step::Release, key}; }

CBitmapBtn& ToggleOf(CAssignAShortcutDialg& d, unsigned i) {
  CBitmapBtn* toggles[] = {&d.UnUseToggle(), &d.CtrlToggle(), &d.ShiftToggle(), &d.AltToggle(),
                           &d.WinToggle()};
  return *toggles[i];
}

TEST_F(AssignDialogsTest, ShortcutTogglesAndHookKeysGiveTheBytesWrittenOnOk) {
  struct Case {
    const char* name;
    uint8_t modifiers, key;
    std::vector<Step> steps;
    std::vector<int> checked;  // UnUse, Ctrl, Shift, Alt, Win
    bool enabled;              // the four modifier toggles
    QString display;
    uint8_t modifiersOut, keyOut;
  } cases[] = {
      {"fresh record", 0x00, 0xFF, {}, {0, 0, 0, 0, 0}, true, "", 0x00, 0xFF},
      {"Ctrl then UnUse keeps the Ctrl bit", 0x00, 0xFF, {T(1), T(0)}, {1, 1, 0, 0, 0}, false,
       "", 0x81, 0xFF},
      {"UnUse off brings the bits back", 0x05, 0x41, {T(0), T(0)}, {0, 1, 0, 1, 0}, true, "A",
       0x05, 0x41},
      {"a disabled toggle takes no click", 0x81, 0x41, {T(2), T(4)}, {1, 1, 0, 0, 0}, false, "A",
       0x81, 0x41},
      {"each toggle flips its bit", 0x00, 0xFF, {T(1), T(2), T(3), T(4), T(2)}, {0, 1, 0, 1, 1},
       true, "", 0x0D, 0xFF},
      {"bits 4 to 6 are kept", 0x72, 0x41, {T(2)}, {0, 0, 0, 0, 0}, true, "A", 0x70, 0x41},
      {"Enter is captured", 0x01, 0xFF, {P(13), R(13)}, {0, 1, 0, 0, 0}, true, "Enter", 0x01, 13},
      {"Space, then Esc", 0x00, 0xFF, {P(32), P(27)}, {0, 0, 0, 0, 0}, true, "Esc", 0x00, 27},
      {"only the low byte of wParam", 0x00, 0xFF, {P(0x141)}, {0, 0, 0, 0, 0}, true, "A", 0x00,
       0x41},
      {"the last key event wins", 0x00, 0xFF, {P(0x11), P(0x41), R(0x41), R(0x11)},
       {0, 0, 0, 0, 0}, true, "Ctrl", 0x00, 0x11},
  };
  for (const Case& c : cases) {
    tagKEYDEFINEINFO key = Record(c.modifiers, c.key);
    tagKEYDEFINEINFO expected = key;
    expected.shortcutModifiers = c.modifiersOut;
    expected.shortcutKey = c.keyOut;
    const int result = RunShortcut(key, "hook", [&](CAssignAShortcutDialg& d) {
      EXPECT_TRUE(d.HookReady()) << c.name;
      for (const Step& s : c.steps) {
        if (s.kind == Step::Toggle) {
          ClickButton(ToggleOf(d, s.value));
        } else {
          Report(s.value, s.kind == Step::Release);
        }
      }
      std::vector<int> checked;
      for (unsigned i = 0; i < 5; ++i) checked.push_back(ToggleOf(d, i).GetCheckState());
      EXPECT_EQ(checked, c.checked) << c.name;
      for (unsigned i = 1; i < 5; ++i) EXPECT_EQ(ToggleOf(d, i).isEnabled(), c.enabled) << c.name;
      EXPECT_TRUE(d.UnUseToggle().isEnabled()) << c.name;
      EXPECT_EQ(d.KeyDisplay().text(), c.display) << c.name;
      EXPECT_EQ(key.shortcutModifiers, c.modifiers) << c.name << ": written before OK";
      ClickButton(d.OkButton());
    });
    EXPECT_EQ(result, ui::IDOK) << c.name;
    EXPECT_EQ(Bytes(key), Bytes(expected)) << c.name;
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(AssignDialogsTest, ShortcutCancelWritesNothing) {
  tagKEYDEFINEINFO key = Record(0x02, 0x41);
  const tagKEYDEFINEINFO before = key;
  const int result = RunShortcut(key, "hook", [&](CAssignAShortcutDialg& d) {
    ClickButton(d.CtrlToggle());
    ClickButton(d.UnUseToggle());
    Report(0x42);
    ClickButton(d.CancelButton());
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  EXPECT_EQ(Bytes(key), Bytes(before));
}

TEST_F(AssignDialogsTest, ShortcutHookIsSwitchedOnForTheDialogAndRemovedAfterIt) {
  tagKEYDEFINEINFO key = Record(0x00, 0xFF);
  RunShortcut(key, "hook", [&](CAssignAShortcutDialg& d) {
    EXPECT_EQ(HookCalls(), (std::vector<std::string>{"installhook", "SetHookStatus 1"}));
    ClickButton(d.OkButton());
  });
  EXPECT_EQ(HookCalls(), (std::vector<std::string>{"installhook", "SetHookStatus 1",
                                                   "SetHookStatus 0", "removehook", "unloaded"}));
}

TEST_F(AssignDialogsTest, ShortcutDialogKeysNeitherEndItNorClickAToggle) {
  tagKEYDEFINEINFO key = Record(0x00, 0xFF);
  bool stillOpen = false;
  const int result = RunShortcut(key, "hook", [&](CAssignAShortcutDialg& d) {
    d.CtrlToggle().setFocus();
    for (QWidget* target : {static_cast<QWidget*>(&d.CtrlToggle()),
                            static_cast<QWidget*>(&d.KeyDisplay()), static_cast<QWidget*>(&d)}) {
      for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space,
                        Qt::Key_Cancel, Qt::Key_F1}) {
        SendKey(target, QEvent::KeyPress, k);
        SendKey(target, QEvent::KeyRelease, k);
      }
    }
    d.close();  // the window manager's close
    QCoreApplication::processEvents();
    stillOpen = d.isVisible();
    EXPECT_EQ(d.CtrlToggle().GetCheckState(), 0);
    EXPECT_EQ(d.Shortcut(), 0xFF00);
    ClickButton(d.OkButton());
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_EQ(key.shortcutModifiers, 0x00);
  EXPECT_EQ(key.shortcutKey, 0xFF);
}

TEST_F(AssignDialogsTest, ShortcutWithoutAWorkingHookSaysSoOnceAndStillEdits) {
  for (const char* folder : {"no-hook", "hook-partial", "hook-fails"}) {
    boxes.clear();
    fs::remove(dir.path() + "/hook.log");
    tagKEYDEFINEINFO key = Record(0x00, 0x41);
    tagKEYDEFINEINFO expected = key;
    expected.shortcutModifiers = 0x01;
    testing::internal::CaptureStderr();
    const int result = RunShortcut(key, folder, [&](CAssignAShortcutDialg& d) {
      EXPECT_FALSE(d.HookReady()) << folder;
      ClickButton(d.CtrlToggle());
      EXPECT_EQ(d.CtrlToggle().GetCheckState(), 1) << folder;
      EXPECT_EQ(d.KeyDisplay().text(), "A") << folder;
      ClickButton(d.OkButton());
    });
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, ui::IDOK) << folder;
    EXPECT_EQ(boxes, std::vector<QString>{"键盘钩子库无法加载，无法捕获按键！"}) << folder;
    EXPECT_EQ(Bytes(key), Bytes(expected)) << folder;
    // A failed install is neither switched on nor removed; a library that lacks an operation is
    // never installed, although its installhook would succeed.
    const std::map<std::string, std::vector<std::string>> calls = {
        {"no-hook", {}},
        {"hook-partial", {"unloaded"}},
        {"hook-fails", {"installhook", "unloaded"}},
    };
    EXPECT_EQ(HookCalls(), calls.at(folder)) << folder;
  }
}

TEST_F(AssignDialogsTest, ProgramPathFromTypingAndBrowsing) {
  const QString longPath = "/" + QString(CAssignAProgramToExecutonDialg::kPathLimit, 'p');
  struct Case {
    const char* name;
    QString start;
    std::optional<QString> chosen;  // the browse button is clicked when set
    bool cancelBrowse;
    QString typed;                  // typed at the end of the edit
    QString edit;                   // the edit afterwards
    bool allSelected;
    QString path;                   // GetPath after OK
    std::vector<QString> boxes;
  } cases[] = {
      {"empty", "", std::nullopt, false, "", "", false, "", {}},
      {"typed bare name", "", std::nullopt, false, "run", "run", false, "run", {}},
      {"chosen", "/old", QString("/usr/bin/env"), false, "", "/usr/bin/env", true,
       "/usr/bin/env", {}},
      {"chosen, not there", "", QString("/media/usb/tool"), false, "", "/media/usb/tool", true,
       "/media/usb/tool", {}},
      {"browse cancelled", "/old", std::nullopt, true, "", "/old", true, "/old", {}},
      {"259 units", "/old", longPath.left(259), false, "", longPath.left(259), true,
       longPath.left(259), {}},
      {"260 units refused", "/old", longPath, false, "", "/old", true, "/old",
       {"程序路径过长！"}},
      {"4096 units refused", "/old", QString(4096, 'x'), false, "", "/old", true, "/old",
       {"程序路径过长！"}},
  };
  for (const Case& c : cases) {
    boxes.clear();
    chosen = c.chosen;
    QString handedBack;
    const int result = RunProgram(c.start, &handedBack, [&](CAssignAProgramToExecutonDialg& d) {
      EXPECT_EQ(d.PathEdit().text(), c.start) << c.name;
      EXPECT_EQ(d.PathEdit().selectedText(), c.start) << c.name;
      if (c.chosen || c.cancelBrowse) ClickButton(d.BrowseButton());
      if (!c.typed.isEmpty()) {
        d.PathEdit().end(false);
        QTest::keyClicks(&d.PathEdit(), c.typed);
      }
      EXPECT_EQ(d.PathEdit().text(), c.edit) << c.name;
      EXPECT_EQ(d.PathEdit().hasSelectedText() && d.PathEdit().selectedText() == c.edit,
                c.allSelected && !c.edit.isEmpty())
          << c.name;
      ClickButton(d.OkButton());
    });
    EXPECT_EQ(result, ui::IDOK) << c.name;
    EXPECT_EQ(handedBack, c.path) << c.name;
    EXPECT_EQ(boxes, c.boxes) << c.name;
  }
}

TEST_F(AssignDialogsTest, ProgramBrowseOffersEveryFileFirstAndAddsNoExtension) {
  QString handedBack;
  RunProgram("", &handedBack, [](CAssignAProgramToExecutonDialg& d) {
    ClickButton(d.BrowseButton());
    ClickButton(d.CancelButton());
  });
  ASSERT_EQ(browsed.size(), 1u);
  const ui::FileDialogOptions& o = browsed[0];
  EXPECT_EQ(o.kind, ui::FileDialogOptions::Kind::Open);
  EXPECT_EQ(o.parent, nullptr);
  EXPECT_EQ(o.filter, "所有文件(*)|*|exe file(*.exe)|*.exe|");
  EXPECT_TRUE(o.defaultExtension.isEmpty());
  EXPECT_TRUE(o.initialName.isEmpty());
  EXPECT_TRUE(o.initialFolder.isEmpty());
  EXPECT_FALSE(o.fileMustExist);
}

TEST_F(AssignDialogsTest, ProgramEditTakesNo260thUnit) {
  QString handedBack;
  const QString start(258, 'a');
  RunProgram(start, &handedBack, [&](CAssignAProgramToExecutonDialg& d) {
    d.PathEdit().end(false);
    QTest::keyClicks(&d.PathEdit(), "xyz");
    EXPECT_EQ(d.PathEdit().text(), start + "x");
    ClickButton(d.OkButton());
  });
  EXPECT_EQ(handedBack, start + "x");
}

// Both dialogs' edits look as the profile dialog's do: no frame, and light text on the dark
// field that the skin draws around them, painted in that colour.
TEST_F(AssignDialogsTest, EditsShowTheDarkFieldOfTheSkin) {
  QLineEdit field;
  pages::SetFieldPalette(field);
  const QColor dark = field.palette().color(QPalette::Base);
  ASSERT_LT(dark.lightness(), 40);
  ASSERT_GT(field.palette().color(QPalette::Text).lightness(), 200);
  const auto expectFieldLook = [&](QLineEdit& edit) {
    EXPECT_FALSE(edit.hasFrame());
    for (QPalette::ColorRole role :
         {QPalette::Base, QPalette::Text, QPalette::Highlight, QPalette::HighlightedText})
      EXPECT_EQ(edit.palette().color(role), field.palette().color(role)) << role;
    // Past the text, at the right end.
    EXPECT_EQ(uitest::Render(edit).pixel(edit.width() - 3, edit.height() / 2), dark.rgb());
  };
  tagKEYDEFINEINFO key = Record(0x00, 0xFF);
  RunShortcut(key, "hook", [&](CAssignAShortcutDialg& d) {
    expectFieldLook(d.KeyDisplay());
    ClickButton(d.OkButton());
  });
  QString handedBack;
  RunProgram(QStringLiteral("/usr/bin/x"), &handedBack, [&](CAssignAProgramToExecutonDialg& d) {
    expectFieldLook(d.PathEdit());
    ClickButton(d.OkButton());
  });
}

TEST_F(AssignDialogsTest, ProgramEnterIsOkEscapeAndCloseAreCancel) {
  struct Case {
    const char* name;
    std::function<void(CAssignAProgramToExecutonDialg&)> end;
    int result;
  } cases[] = {
      {"Enter", [](auto& d) { SendKey(&d.PathEdit(), QEvent::KeyPress, Qt::Key_Return); },
       ui::IDOK},
      {"Escape", [](auto& d) { SendKey(&d.PathEdit(), QEvent::KeyPress, Qt::Key_Escape); },
       ui::IDCANCEL},
      {"close", [](auto& d) { d.close(); }, ui::IDCANCEL},
      {"Cancel", [](auto& d) { ClickButton(d.CancelButton()); }, ui::IDCANCEL},
  };
  for (const Case& c : cases) {
    QString handedBack;
    const int result = RunProgram("/old", &handedBack, [&](CAssignAProgramToExecutonDialg& d) {
      d.PathEdit().SetTextSelected("/new");
      c.end(d);
    });
    EXPECT_EQ(result, c.result) << c.name;
  }
}

}  // namespace
