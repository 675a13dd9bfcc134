// The macro manager's editing logic without windows: names, hand editing of events, the loop
// count and repeat mode, and what reaches the store and the buttons.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/pages/MacroFixture.h"

namespace pagestest {
namespace {

using pages::MacroManager;
using settings::MACRO_DELAY;
using settings::MACRO_KEY_DOWN;
using settings::MACRO_KEY_UP;

// "m<i>", built by appending: GCC 12 at -O3 reports a false overlap for "m" + std::string.
std::u16string NumberedName(int i) {
  std::string name = "m";
  name += std::to_string(i);
  return U(name);
}

std::vector<std::u16string> NumberedNames(int count) {
  std::vector<std::u16string> out;
  for (int i = 1; i <= count; ++i) out.push_back(NumberedName(i));
  return out;
}

// ---- New, Delete and rename ---------------------------------------------------------------------

struct NameCase {
  const char* what;
  std::vector<std::u16string> stored;
  int first;
  std::function<void(MacroManager&, FakeMacroList& names)> act;
  std::vector<std::u16string> listAfter;
  std::vector<std::u16string> workingAfter;
  int selectionAfter;
  int renameWarnings;
  int deleteWarnings;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << c.what; }

class NameTable : public MacroFixture, public ::testing::WithParamInterface<NameCase> {};

// Rename the shown macro by typing into its row, then do `then`.
std::function<void(MacroManager&, FakeMacroList&)> Rename(
    std::u16string typed, std::function<void(MacroManager&, FakeMacroList&)> then) {
  return [typed, then](MacroManager& m, FakeMacroList& names) {
    names.rows[static_cast<size_t>(names.selection)].text = typed;
    then(m, names);
  };
}
void PressOk(MacroManager& m, FakeMacroList&) { m.Ok(u"1"); }
void PressNew(MacroManager& m, FakeMacroList&) { m.OnNew(); }
void PressDelete(MacroManager& m, FakeMacroList&) { m.OnDelete(); }
void SelectFirst(MacroManager& m, FakeMacroList& names) {
  names.selection = 0;
  m.OnNameSelectionChanged();
}

TEST_P(NameTable, ListWorkingCopyAndWarnings) {
  const NameCase& c = GetParam();
  AddMacros(c.stored);
  UseMacro(3, 4, 1);  // macro 1 runs on a button of the fourth mode
  Open(c.first);
  c.act(*manager, names);
  EXPECT_EQ(names.Texts(), c.listAfter);
  EXPECT_EQ(WorkingNames(), c.workingAfter);
  EXPECT_EQ(names.selection, c.selectionAfter);
  EXPECT_EQ(manager->CurrentMacro(), c.selectionAfter);
  EXPECT_EQ(host.renameWarnings, c.renameWarnings);
  EXPECT_EQ(host.deleteWarnings, c.deleteWarnings);
}

INSTANTIATE_TEST_SUITE_P(
    Macros, NameTable,
    ::testing::Values(
        NameCase{"NewOnEmptyStore", {}, -1, PressNew, {u"宏1"}, {u"宏1"}, 0, 0, 0},
        NameCase{"NewNameTakenGetsPlus", {u"宏2"}, 0, PressNew, {u"宏2", u"宏2+"},
                 {u"宏2", u"宏2+"}, 1, 0, 0},
        NameCase{"NewAtFortyDoesNothing", NumberedNames(40), 39, PressNew, NumberedNames(40),
                 NumberedNames(40), 39, 0, 0},
        NameCase{"DeleteFirstSelectsNone", {u"a", u"x", u"c"}, 0, PressDelete, {u"x", u"c"},
                 {u"x", u"c"}, -1, 0, 0},
        NameCase{"DeleteThirdOfFiveSelectsSecond", {u"a", u"b", u"c", u"d", u"e"}, 2, PressDelete,
                 {u"a", u"b", u"d", u"e"}, {u"a", u"b", u"d", u"e"}, 1, 0, 0},
        NameCase{"DeleteUsedMacroWarns", {u"a", u"b", u"c"}, 1, PressDelete, {u"a", u"b", u"c"},
                 {u"a", u"b", u"c"}, 1, 0, 1},
        NameCase{"DeleteWithNothingSelected", {u"a", u"b"}, -1, PressDelete, {u"a", u"b"},
                 {u"a", u"b"}, -1, 0, 0},
        NameCase{"RenameClashRefusedByOk", {u"abc", u"xyz"}, 1, Rename(u"ABC", PressOk),
                 {u"abc", u"xyz"}, {u"abc", u"xyz"}, 1, 1, 0},
        NameCase{"RenameClashRefusedByRecording", {u"abc", u"xyz"}, 1,
                 Rename(u"aBc", [](MacroManager& m, FakeMacroList&) { m.StartRecording(); }),
                 {u"abc", u"xyz"}, {u"abc", u"xyz"}, 1, 1, 0},
        NameCase{"RenameClashRefusedByLoopToggle", {u"abc", u"xyz"}, 1,
                 Rename(u"ABC", [](MacroManager& m, FakeMacroList&) { m.ToggleLoop(); }),
                 {u"abc", u"xyz"}, {u"abc", u"xyz"}, 1, 1, 0},
        NameCase{"RenameClashRefusedByDelayToggle", {u"abc", u"xyz"}, 1,
                 Rename(u"ABC",
                        [](MacroManager& m, FakeMacroList&) { m.ToggleDelayRecording(); }),
                 {u"abc", u"xyz"}, {u"abc", u"xyz"}, 1, 1, 0},
        NameCase{"RenameClashRefusedByChangeOfMacro", {u"abc", u"xyz"}, 1,
                 Rename(u"ABC", SelectFirst), {u"abc", u"xyz"}, {u"abc", u"xyz"}, 1, 1, 0},
        NameCase{"RenameKeptByChangeOfMacro", {u"abc", u"xyz"}, 1, Rename(u"Q", SelectFirst),
                 {u"abc", u"Q"}, {u"abc", u"Q"}, 0, 0, 0},
        NameCase{"RenameToOwnNameInOtherCase", {u"abc", u"xyz"}, 1, Rename(u"XYZ", PressOk),
                 {u"abc", u"XYZ"}, {u"abc", u"XYZ"}, 1, 0, 0},
        // Only A to Z are lowered: other letters differing in case are different names.
        NameCase{"NonAsciiCaseIsNoClash", {u"äb", u"xyz"}, 1, Rename(u"Äb", PressOk),
                 {u"äb", u"Äb"}, {u"äb", u"Äb"}, 1, 0, 0},
        // New and Delete take a typed name first, so the list never shows a name the store does
        // not get; a refused one is put back and the command goes on.
        NameCase{"RenameCommittedByNew", {u"abc"}, 0, Rename(u"q", PressNew), {u"q", u"宏2"},
                 {u"q", u"宏2"}, 1, 0, 0},
        NameCase{"RenameClashBeforeNewRestoredAndNewGoesOn", {u"abc", u"xyz"}, 1,
                 Rename(u"ABC", PressNew), {u"abc", u"xyz", u"宏3"}, {u"abc", u"xyz", u"宏3"}, 2, 1,
                 0},
        NameCase{"RenameCommittedByARefusedDelete", {u"a", u"b", u"c"}, 1,
                 Rename(u"q", PressDelete), {u"a", u"q", u"c"}, {u"a", u"q", u"c"}, 1, 0, 1},
        NameCase{"RenameClashBeforeDeleteRestoredAndDeleteGoesOn", {u"abc", u"xyz", u"c"}, 2,
                 Rename(u"ABC", PressDelete), {u"abc", u"xyz"}, {u"abc", u"xyz"}, 1, 1, 0}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.what); });

TEST_F(MacroFixture, NewMacroOpensTheEditorAndShowsFreshSettings) {
  AddMacro(u"a").repeatMode = 2;
  store->macros[0].delayRecording = 1;
  store->macros[0].loopEnabled = 1;
  Open(0);
  EXPECT_EQ(manager->RepeatModeRadio(), 2);
  manager->OnNew();
  EXPECT_EQ(names.editorOpenedOn, 1);
  EXPECT_TRUE(events.rows.empty());
  EXPECT_EQ(manager->DelayRecordingCheck(), 0);
  EXPECT_EQ(manager->LoopCheck(), 0);
  EXPECT_EQ(manager->RepeatModeRadio(), 0);
  EXPECT_EQ(manager->LoopCount(), 1u);
  EXPECT_TRUE(manager->LoopCountEditEnabled());
  // The macro shown before was saved with its settings.
  EXPECT_EQ(manager->WorkingList()[0].repeatMode, 2);
  EXPECT_EQ(manager->WorkingList()[0].loopCount, 0);
}

TEST_F(MacroFixture, OpeningWithNoMacroShowsNothingAndEditsNothing) {
  AddMacro(u"a", {Event(MACRO_KEY_DOWN, 0x41)});
  for (int first : {-1, 1, 7}) {
    Open(first);
    EXPECT_EQ(names.selection, -1) << first;
    EXPECT_TRUE(events.rows.empty()) << first;
    for (int command = 3; command <= 20; ++command) manager->MenuCommand(command);
    manager->StartRecording();
    EXPECT_FALSE(manager->IsRecording());
    EXPECT_TRUE(events.rows.empty()) << first;
    EXPECT_TRUE(host.hookCalls.empty());
  }
}

// ---- hand editing of the event list -------------------------------------------------------------

struct EditCase {
  const char* what;
  std::vector<uint32_t> rows;
  int selection;
  int command;
  std::vector<uint32_t> rowsAfter;
  int selectionAfter;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.what; }

std::vector<uint32_t> Keys(int count) { return KeyRows(count, 0x41, 26); }
std::vector<uint32_t> With(std::vector<uint32_t> rows, size_t at, std::vector<uint32_t> added) {
  rows.insert(rows.begin() + static_cast<ptrdiff_t>(at), added.begin(), added.end());
  return rows;
}

class EditTable : public MacroFixture, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditTable, RowsAndSelection) {
  const EditCase& c = GetParam();
  AddMacro(u"a");
  Open(0);
  for (uint32_t data : c.rows) events.Add(data, TestItemText(data), false);
  events.selection = c.selection;
  manager->MenuCommand(c.command);
  EXPECT_EQ(events.Datas(), c.rowsAfter);
  EXPECT_EQ(events.selection, c.selectionAfter);
  // Every row's text matches its data.
  for (const FakeMacroList::Row& row : events.rows) EXPECT_EQ(row.text, TestItemText(row.data));
}

const uint32_t A = KeyDown(0x41), a = KeyUp(0x41), B = KeyDown(0x42);

INSTANTIATE_TEST_SUITE_P(
    Events, EditTable,
    ::testing::Values(
        EditCase{"DelayBetweenTwoKeys", {A, B}, 1, 3, {A, Delay(1), B}, 1},
        EditCase{"DelayNotBeforeFirst", {A, B}, 0, 3, {A, B}, 0},
        EditCase{"DelayNotOnDelay", {A, Delay(5), B}, 1, 3, {A, Delay(5), B}, 1},
        EditCase{"DelayNotAfterDelay", {A, Delay(5), B}, 2, 3, {A, Delay(5), B}, 2},
        EditCase{"DelayNothingSelected", {A, B}, -1, 3, {A, B}, -1},
        EditCase{"DelayAt48", Keys(48), 5, 3, With(Keys(48), 5, {Delay(1)}), 5},
        EditCase{"DelayNotAt49", Keys(49), 5, 3, Keys(49), 5},
        EditCase{"DeleteSelected", {A, a, B}, 1, 5, {A, B}, -1},
        EditCase{"DeleteNothingSelected", {A, a}, -1, 5, {A, a}, -1},
        EditCase{"DeleteOnEmpty", {}, -1, 5, {}, -1},
        EditCase{"LeftUpBeforeSelected", {A, a}, 1, 6, {A, MouseUp(6), a}, 2},
        EditCase{"RightDownAtEndWhenNoneSelected", {A}, -1, 10, {A, MouseDown(10)}, -1},
        EditCase{"BackwardDown", {A}, 0, 19, {MouseDown(19), A}, 1},
        EditCase{"ClickIsDownThenUp", {A, a}, 0, 8, {MouseDown(7), MouseUp(6), A, a}, 2},
        EditCase{"MiddleClickAtEnd", {}, -1, 14, {MouseDown(13), MouseUp(12)}, -1},
        EditCase{"ForwardClick", {A}, 0, 17, {MouseDown(16), MouseUp(15), A}, 2},
        EditCase{"ClickAt48OnlyDownFits", Keys(48), 0, 11,
                 With(Keys(48), 0, {MouseDown(10)}), 1},
        EditCase{"MouseAt47BothFit", Keys(47), -1, 20,
                 With(Keys(47), 47, {MouseDown(19), MouseUp(18)}), -1},
        EditCase{"MouseNotAt49", Keys(49), 0, 7, Keys(49), 0},
        EditCase{"UnknownCommand", {A}, 0, 21, {A}, 0},
        EditCase{"CommandZero", {A}, 0, 0, {A}, 0}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.what); });

TEST_F(MacroFixture, EditDelayOpensTheEditorOnlyOnALaterDelay) {
  AddMacro(u"a");
  Open(0);
  for (uint32_t data : {Delay(7), A, Delay(9)}) events.Add(data, TestItemText(data), false);
  struct Try {
    int selection;
    bool opens;
  };
  for (Try t : {Try{0, false}, Try{1, false}, Try{-1, false}, Try{2, true}}) {
    events.selection = t.selection;
    const int before = events.numericEdits;
    manager->MenuCommand(4);
    EXPECT_EQ(events.numericEdits - before, t.opens ? 1 : 0) << t.selection;
  }
  EXPECT_EQ(events.editorOpenedOn, 2);
}

// ---- stored events shown and saved --------------------------------------------------------------

TEST_F(MacroFixture, StoredEventsBecomeRowsAndBack) {
  AddMacro(u"a", {Event(MACRO_KEY_DOWN, 0x41), Event(MACRO_DELAY, 0, 0),
                  Event(MACRO_DELAY, 0, 65536), Event(7, 0x41), Event(MACRO_KEY_UP, 0x41),
                  Event(settings::MACRO_MOUSE_DOWN, 8), Event(MACRO_DELAY, 0, 300)});
  Open(0);
  // A 0 ms delay and an unknown kind have no row; 65536 ms is held as 65535 ms.
  EXPECT_EQ(events.Datas(), (std::vector<uint32_t>{A, Delay(65535), a, MouseDown(8), Delay(300)}));
  EXPECT_EQ(events.Texts()[1], u"65535 ms");
  EXPECT_EQ(events.selection, 4);  // the last row added

  ASSERT_TRUE(manager->Ok(u"1"));
  const settings::tagMACROINFO& saved = store->macros[0];
  ASSERT_EQ(saved.eventCount, 5u);
  EXPECT_EQ(saved.events[0].kind, MACRO_KEY_DOWN);
  EXPECT_EQ(saved.events[1].kind, MACRO_DELAY);
  EXPECT_EQ(saved.events[1].delayMs, 65535u);
  EXPECT_EQ(saved.events[2].kind, MACRO_KEY_UP);
  EXPECT_EQ(saved.events[3].kind, settings::MACRO_MOUSE_DOWN);
  EXPECT_EQ(saved.events[3].code, 8);
  EXPECT_EQ(saved.events[4].delayMs, 300u);
  for (int i = 5; i < settings::MAX_MACRO_EVENTS; ++i) {
    EXPECT_EQ(saved.events[i].kind, 0) << i;
    EXPECT_EQ(saved.events[i].delayMs, 0u) << i;
  }
}

// ---- loop count and repeat mode -----------------------------------------------------------------

struct LoopCase {
  const char* typed;
  uint32_t shown;
  bool message;
};
void PrintTo(const LoopCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }

class LoopTable : public MacroFixture, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(LoopTable, TypedTextGivesCount) {
  AddMacro(u"a").loopCount = 9;
  Open(0);
  ASSERT_EQ(manager->LoopCount(), 9u);
  manager->OnLoopCountEdited(U(GetParam().typed));
  EXPECT_EQ(manager->LoopCount(), GetParam().shown);
  EXPECT_EQ(manager->LoopCountText(), U(std::to_string(GetParam().shown)));
  EXPECT_EQ(host.messages.size(), GetParam().message ? 1u : 0u);
  if (GetParam().message) {
    EXPECT_EQ(host.messages[0], pages::kLoopCountNotANumber);
  }
}

INSTANTIATE_TEST_SUITE_P(Edit, LoopTable,
                         ::testing::Values(LoopCase{"0", 1, false}, LoopCase{"300", 255, false},
                                           LoopCase{"12", 12, false}, LoopCase{"255", 255, false},
                                           LoopCase{" 7 ", 7, false}, LoopCase{"+7", 7, false},
                                           LoopCase{"99999999999", 255, false},
                                           LoopCase{"abc", 9, true}, LoopCase{"", 9, true},
                                           LoopCase{"-5", 9, true}, LoopCase{"4x", 9, true}));

TEST_F(MacroFixture, RepeatModesOneAndTwoShowOneAndStoreZero) {
  AddMacro(u"a").loopCount = 20;
  AddMacro(u"b").loopCount = 0;
  store->macros[1].repeatMode = 1;
  AddMacro(u"c").loopCount = 300;
  Open(0);
  EXPECT_EQ(manager->LoopCount(), 20u);
  EXPECT_TRUE(manager->LoopCountEditEnabled());

  for (int mode : {1, 2}) {
    manager->ChooseRepeatMode(mode);
    EXPECT_EQ(manager->RepeatModeRadio(), mode);
    EXPECT_EQ(manager->LoopCount(), 1u);
    EXPECT_FALSE(manager->LoopCountEditEnabled());
    EXPECT_EQ(manager->WorkingList()[0].repeatMode, mode);
    EXPECT_EQ(manager->WorkingList()[0].loopCount, 0);
  }
  manager->ChooseRepeatMode(0);
  EXPECT_TRUE(manager->LoopCountEditEnabled());
  EXPECT_EQ(manager->WorkingList()[0].loopCount, 1);

  // A macro stored with mode 1 shows 1 although it stores 0; a stored 300 shows 255.
  names.selection = 1;
  manager->OnNameSelectionChanged();
  EXPECT_EQ(manager->LoopCount(), 1u);
  EXPECT_FALSE(manager->LoopCountEditEnabled());
  names.selection = 2;
  manager->OnNameSelectionChanged();
  EXPECT_EQ(manager->LoopCount(), 255u);
  EXPECT_EQ(manager->WorkingList()[1].loopCount, 0);
}

// ---- the store ----------------------------------------------------------------------------------

// Fills every byte of the store with a pattern so that a rewrite shows.
void Scribble(settings::tagMACROSTORE& s) {
  auto* bytes = reinterpret_cast<unsigned char*>(&s);
  for (size_t i = 0; i < sizeof s; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
}

TEST_F(MacroFixture, CancelLeavesEveryByteOfTheStore) {
  static_assert(sizeof(settings::tagMACROSTORE) == 37604);
  Scribble(*store);
  store->count = 3;
  for (int i = 0; i < 3; ++i) store->macros[i].eventCount = 2;
  const auto before = std::make_unique<settings::tagMACROSTORE>(*store);
  Open(1);
  manager->OnNew();
  manager->MenuCommand(8);
  names.selection = 0;
  manager->OnNameSelectionChanged();
  manager->OnDelete();
  manager->ChooseRepeatMode(2);
  manager.reset();  // Cancel: the dialog ends without writing
  EXPECT_EQ(std::memcmp(store.get(), before.get(), sizeof *store), 0);
}

TEST_F(MacroFixture, OkRewritesTheStoreAndZerosBeyondCount) {
  Scribble(*store);
  store->count = 0;
  AddMacro(u"a", {Event(MACRO_KEY_DOWN, 0x41)});
  AddMacro(u"b");
  Open(1);
  manager->MenuCommand(8);
  ASSERT_TRUE(manager->Ok(u"1"));
  EXPECT_EQ(store->count, 2u);
  EXPECT_EQ(settings::FieldText(store->macros[0].name), u"a");
  EXPECT_EQ(store->macros[1].eventCount, 2u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&store->macros[2]);
  const size_t rest = sizeof(settings::tagMACROINFO) * (settings::MAX_MACRO_COUNT - 2);
  EXPECT_EQ(std::count(bytes, bytes + rest, 0), static_cast<ptrdiff_t>(rest));
  // Bytes of a slot beyond the name's terminator are zero too.
  EXPECT_EQ(store->macros[0].name[5], 0);
}

TEST_F(MacroFixture, FailedOkWritesNothingAndCancelThenKeepsTheStore) {
  AddMacros({u"a", u"b"});
  UseMacro(0, 2, 1);
  const auto before = std::make_unique<settings::tagMACROSTORE>(*store);
  Open(0);
  manager->OnDelete();  // deletes "a": the button's macro moves up, on OK only
  EXPECT_FALSE(manager->Ok(u"abc"));
  EXPECT_EQ(host.messages,
            std::vector<std::u16string>{std::u16string(pages::kLoopCountNotANumber)});
  EXPECT_EQ(std::memcmp(store.get(), before.get(), sizeof *store), 0);
  EXPECT_EQ(modes[0].keys[2].macroIndex, 1);
  manager.reset();  // then Cancel
  EXPECT_EQ(std::memcmp(store.get(), before.get(), sizeof *store), 0);
  EXPECT_EQ(modes[0].keys[2].macroIndex, 1);
  EXPECT_EQ(modes[0].keys[2].minor, 3);
}

TEST_F(MacroFixture, ButtonsAreRenumberedOnOkOnly) {
  AddMacros({u"a", u"b", u"c", u"d", u"e"});
  UseMacro(0, 1, 0);  // before every deletion: unchanged
  UseMacro(1, 2, 3);  // "d"
  UseMacro(3, 9, 4);  // "e"
  modes[2].keys[5].major = settings::MAJOR_FUN_MEDIA;  // not a macro button: left alone
  modes[2].keys[5].macroIndex = 4;
  Open(2);
  manager->OnDelete();  // "c" (2): d and e move to 2 and 3
  EXPECT_EQ(modes[1].keys[2].macroIndex, 3) << "nothing changes before OK";
  // "d" is now at 2 and still runs on a button: it cannot be deleted.
  names.selection = 2;
  manager->OnNameSelectionChanged();
  manager->OnDelete();
  EXPECT_EQ(host.deleteWarnings, 1);
  names.selection = 1;
  manager->OnNameSelectionChanged();
  manager->OnDelete();  // "b" (1): d and e move to 1 and 2
  EXPECT_EQ(WorkingNames(), (std::vector<std::u16string>{u"a", u"d", u"e"}));
  ASSERT_TRUE(manager->Ok(u"1"));

  EXPECT_EQ(modes[0].keys[1].macroIndex, 0);
  EXPECT_EQ(modes[0].keys[1].minor, 2);
  EXPECT_EQ(modes[1].keys[2].macroIndex, 1);
  EXPECT_EQ(modes[1].keys[2].minor, 3);
  EXPECT_EQ(modes[3].keys[9].macroIndex, 2);
  EXPECT_EQ(modes[3].keys[9].minor, 4);
  EXPECT_EQ(modes[2].keys[5].macroIndex, 4);
  EXPECT_EQ(settings::FieldText(store->macros[modes[1].keys[2].macroIndex].name), u"d");
  EXPECT_EQ(settings::FieldText(store->macros[modes[3].keys[9].macroIndex].name), u"e");
}

TEST_F(MacroFixture, CountsBeyondTheArraysAreBounded) {
  // Written into the store directly, past the loader's caps.
  for (int i = 0; i < settings::MAX_MACRO_COUNT; ++i) {
    AddMacro(NumberedName(i));
    store->macros[i].eventCount = 60;
    for (int e = 0; e < settings::MAX_MACRO_EVENTS; ++e)
      store->macros[i].events[e] = Event(MACRO_KEY_DOWN, 0x41);
  }
  store->count = 45;
  Open(0);
  EXPECT_EQ(manager->WorkingList().size(), 40u);
  EXPECT_EQ(names.rows.size(), 40u);
  EXPECT_EQ(events.rows.size(), 50u);
  manager->OnNew();
  EXPECT_EQ(names.rows.size(), 40u);
  ASSERT_TRUE(manager->Ok(u"1"));
  EXPECT_EQ(store->count, 40u);
  for (int i = 0; i < settings::MAX_MACRO_COUNT; ++i) EXPECT_EQ(store->macros[i].eventCount, 50u);
}

TEST_F(MacroFixture, SaveNeverWritesMoreThanFiftyEvents) {
  AddMacro(u"a");
  Open(0);
  for (int i = 0; i < 55; ++i) events.Add(A, u"v65", false);
  manager->SaveCurrentMacro();
  EXPECT_EQ(manager->WorkingList()[0].eventCount, 50u);
  EXPECT_EQ(manager->WorkingList()[0].repeatMode, 0);  // the field after the array is intact
  EXPECT_EQ(settings::FieldText(manager->WorkingList()[0].name), u"a");
}

TEST_F(MacroFixture, LongNamesAreKeptWholeOrCutTo259) {
  const std::u16string n259(259, u'x');
  AddMacro(n259);
  settings::tagMACROINFO& full = AddMacro(u"");
  for (char16_t& c : full.name) c = u'y';  // 260 units, no terminator
  Open(0);
  EXPECT_EQ(names.rows[0].text, n259);
  EXPECT_EQ(names.rows[1].text.size(), 260u);
  names.selection = 1;
  manager->OnNameSelectionChanged();  // commits the 259-unit name whole
  ASSERT_TRUE(manager->Ok(u"1"));     // commits the 260-unit one, cut
  EXPECT_EQ(settings::FieldText(store->macros[0].name), n259);
  EXPECT_EQ(settings::FieldText(store->macros[1].name), std::u16string(259, u'y'));
  EXPECT_EQ(store->macros[1].name[259], 0);

  // A menu text long enough to overflow the field gives a cut name.
  SetMacroItemText(std::u16string(300, u'z'));
  Open(0);
  manager->OnNew();
  EXPECT_EQ(names.rows.back().text, std::u16string(259, u'z'));
  EXPECT_EQ(settings::FieldText(manager->WorkingList().back().name), std::u16string(259, u'z'));
}

}  // namespace
}  // namespace pagestest
