// Deleting macros in the manager keeps every button of the files and of the applied records on
// the macro it ran, across a restart without Apply.
#include <string>

#include "pages/KeyDefineSettingPage.h"
#include "pages/MacroDialog.h"
#include "resources/MenuTextTable.h"
#include "settings/E2Image.h"
#include "settings/FunctionCodes.h"
#include "settings/MacroRenumbering.h"
#include "tests/app/AppFixture.h"

namespace {

using namespace apptest;
using settings::tagKEYDEFINEINFO;

class MacroDeletionTest : public AppFixture {
 protected:
  // Button `key` of editing mode `mode` runs macro `index`.
  void RunMacro(int mode, int key, uint8_t index) {
    tagKEYDEFINEINFO& k = window->Settings().EditingModes[mode].keys[key];
    k.major = settings::MAJOR_FUN_MACRO;
    k.macroIndex = index;
    k.minor = static_cast<uint8_t>(index + settings::MINOR_FUN_FIRST_MACRO);
  }

  // The store holds macros "a", "b" and "c", each pressing its letter, in sequence.dat too.
  void StoreThreeMacros() {
    settings::tagMACROSTORE& store = window->Macros().macroStore;
    std::memset(&store, 0, sizeof store);
    for (char16_t letter : {u'a', u'b', u'c'}) {
      settings::tagMACROINFO& m = store.macros[store.count++];
      settings::SetFieldText(m.name, std::u16string(1, letter));
      m.loopCount = 1;
      m.eventCount = 2;
      m.events[0].code = static_cast<uint8_t>(letter - u'a' + 'A');
      m.events[0].kind = settings::MACRO_KEY_DOWN;
      m.events[1].code = m.events[0].code;
      m.events[1].kind = settings::MACRO_KEY_UP;
    }
    ASSERT_TRUE(window->Macros().SaveSequenceFile());
  }

  // The first key the mouse's code of button `key` of mode `mode` presses; 0 when the button is
  // off.
  uint8_t KeyRunBy(int mode, int key) {
    const settings::tagE2IMAGE& image = window->Settings().image;
    const uint8_t* code = image.configBlock.bytes + settings::ButtonCodeOffset(mode, key);
    if (code[0] == settings::CODE_OFF_FIRST && code[1] == settings::CODE_OFF_SECOND) return 0;
    const size_t address = size_t(code[1] & 7) << 8 | (code[0] & 0xFE);
    return image.macroArea.bytes[address + 2];
  }

  void Apply() {
    Click(Button::Apply);
    tick.Advance(1000);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(FlashEqualsImage());
  }

  // Opens the manager from row 5 of the fourth mode, deletes its first macro and leaves with OK.
  void DeleteTheFirstMacro() {
    Click(Button::ConfigFile4);
    CKeyDefineSettingPage& page = *window->KeyDefinePage();
    CBitmapBtn& row = page.KeyButton(5);
    uitest::Click(&row, row.rect().center());
    ASSERT_NE(page.FunctionMenu(), nullptr);
    uitest::OnModal actor([](QWidget* w) {
      auto* manager = dynamic_cast<CMacroDialog*>(w);
      ASSERT_NE(manager, nullptr);
      const auto press = [manager](CBitmapBtn& button) {
        ui::SendMessage(manager, ui::WM_COMMAND, 0, ui::HandleOf(&button));
      };
      manager->NameList().SetCurSel(0);
      press(manager->DeleteButton());
      press(manager->OkButton());
    });
    page.OnFunctionSelected(0, ui::MakeLong(settings::MINOR_FUN_MACRO_MANAGER,
                                            settings::MAJOR_FUN_MACRO));
    EXPECT_TRUE(actor.Ran());
    EXPECT_EQ(window->Macros().macroStore.count, 2u);
  }

  std::u16string RowText(int mode, int key) {
    return window->KeyDefinePage()->KeyText(window->Settings().EditingModes[mode].keys[key]);
  }
};

TEST_F(MacroDeletionTest, ButtonsKeepTheirMacrosWhenTheProgramRestartsWithoutApply) {
  Start();
  StoreThreeMacros();
  RunMacro(3, 2, 1);  // "b"
  RunMacro(3, 3, 0);  // "a"
  RunMacro(0, 7, 2);  // "c"
  Apply();
  EXPECT_EQ(KeyRunBy(3, 2), settings::UsageOfVirtualKey('B'));
  // "a" is given up before the next Apply: the editing records no longer use it, the applied
  // records and the default files still do.
  window->Settings().EditingModes[3].keys[3].major = settings::MAJOR_FUN_SCROLL_UP;
  DeleteTheFirstMacro();

  const settings::tagMODEINFO* applied = window->Settings().AppliedModes;
  EXPECT_EQ(applied[3].keys[2].macroIndex, 0);
  EXPECT_EQ(applied[3].keys[3].macroIndex, settings::DELETED_MACRO_INDEX);
  EXPECT_EQ(applied[0].keys[7].macroIndex, 1);
  EXPECT_TRUE(boxes.empty());

  window.reset();
  Start();
  EXPECT_EQ(RowText(3, 2), u"b");
  EXPECT_EQ(RowText(3, 3), MenuText(MenuTextId::MAJOR_FUN_MACRO)) << "names no macro";
  EXPECT_EQ(RowText(0, 7), u"c");
  Apply();
  EXPECT_EQ(KeyRunBy(3, 2), settings::UsageOfVirtualKey('B'));
  EXPECT_EQ(KeyRunBy(3, 3), 0) << "off, never the macro that moved into its place";
  EXPECT_EQ(KeyRunBy(0, 7), settings::UsageOfVirtualKey('C'));
}

}  // namespace
