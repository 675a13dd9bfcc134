// Recording key reports into the event list, on a hand-driven tick.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys/Tick.h"
#include "tests/pages/MacroFixture.h"

namespace pagestest {
namespace {

constexpr sys::LPARAM kUp = pages::MacroRecorder::kKeyReleased;

// One step of a sequence: the tick moves on (or is set), then a key is reported, or the
// recording is stopped.
struct Step {
  enum Kind { Key, Stop, DelayToggle } kind;
  uint32_t advanceMs;
  sys::WPARAM vk;
  sys::LPARAM flags;
  sys::LRESULT result;
  bool setTick = false;  // advanceMs is the new tick rather than a step
};
Step Press(uint32_t afterMs, sys::WPARAM vk, sys::LRESULT result = 1) {
  return {Step::Key, afterMs, vk, 0, result};
}
Step Release(uint32_t afterMs, sys::WPARAM vk, sys::LRESULT result = 1) {
  return {Step::Key, afterMs, vk, kUp, result};
}
Step ReleaseAtTick(uint32_t tick, sys::WPARAM vk) { return {Step::Key, tick, vk, kUp, 1, true}; }
Step StopRecording() { return {Step::Stop, 0, 0, 0, 0}; }

struct RecordCase {
  const char* what;
  std::vector<uint32_t> rows;  // the event list before
  int selection;               // its selected row
  int start;                   // 0: the start button; 1, 2: popup commands
  bool delayRecording;
  uint32_t startTick;
  std::vector<Step> steps;
  std::vector<uint32_t> rowsAfter;
  int selectionAfter;
};
void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.what; }

std::vector<uint32_t> Keys(int count) { return KeyRows(count, 0x30, 10); }
template <typename T>
std::vector<T> Plus(std::vector<T> rows, std::vector<T> more) {
  rows.insert(rows.end(), more.begin(), more.end());
  return rows;
}
// 49 presses of the keys of Keys(49), with no time between them (so no delay rows).
std::vector<Step> FortyNineKeys() {
  std::vector<Step> steps;
  for (int i = 0; i < 49; ++i) {
    // Each press differs from the one before it, so none is taken for a repeat.
    steps.push_back(Press(0, static_cast<sys::WPARAM>(0x30 + i % 10)));
  }
  return steps;
}

const uint32_t A = KeyDown(0x41), a = KeyUp(0x41), B = KeyDown(0x42), b = KeyUp(0x42);
const uint32_t C = KeyDown(0x43), D = KeyDown(0x44), E = KeyDown(0x45);

class RecordTable : public MacroFixture, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordTable, Rows) {
  const RecordCase& c = GetParam();
  sys::FakeTick tick(c.startTick);
  sys::ScopedTickSource source([&tick] { return tick(); });
  AddMacro(u"a").delayRecording = c.delayRecording ? 1 : 0;
  Open(0);
  for (uint32_t data : c.rows) events.Add(data, TestItemText(data), false);
  events.selection = c.selection;
  if (c.start == 0)
    manager->StartRecording();
  else
    manager->MenuCommand(c.start);
  ASSERT_TRUE(manager->IsRecording());

  for (size_t i = 0; i < c.steps.size(); ++i) {
    const Step& s = c.steps[i];
    if (s.setTick)
      tick.Set(s.advanceMs);
    else
      tick.Advance(s.advanceMs);
    switch (s.kind) {
      case Step::Key:
        EXPECT_EQ(manager->OnHookKey(s.vk, s.flags), s.result) << "step " << i;
        break;
      case Step::Stop:
        manager->StopRecording();
        break;
      case Step::DelayToggle:
        manager->ToggleDelayRecording();
        break;
    }
  }
  EXPECT_EQ(events.Datas(), c.rowsAfter);
  EXPECT_EQ(events.selection, c.selectionAfter);
  for (const FakeMacroList::Row& row : events.rows) EXPECT_EQ(row.text, TestItemText(row.data));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, RecordTable,
    ::testing::Values(
        RecordCase{"PressReleaseNoDelays", {A, a}, 0, 0, false, 1000,
                   {Press(0, 0x41), Release(120, 0x41)}, {A, a}, 1},
        RecordCase{"HeldTwoSecondsWithRepeats", {}, -1, 0, true, 1000,
                   {Press(0, 0x41), Press(500, 0x41, 0), Press(30, 0x41, 0), Press(1000, 0x41, 0),
                    Release(470, 0x41)},
                   {A, Delay(2000), a}, 2},
        RecordCase{"TwoPressesAreFourRows", {}, -1, 0, false, 1000,
                   {Press(0, 0x41), Release(50, 0x41), Press(50, 0x41), Release(50, 0x41)},
                   {A, a, A, a}, 3},
        RecordCase{"NoDelayBeforeTheFirstKey", {}, -1, 0, true, 1000,
                   {Press(700, 0x41), Release(40, 0x41)}, {A, Delay(40), a}, 2},
        RecordCase{"PauseAbove65535", {}, -1, 0, true, 1000,
                   {Press(0, 0x41), Release(70000, 0x41)}, {A, Delay(65535), a}, 2},
        RecordCase{"TickWraps", {}, -1, 0, true, 0xFFFFFF00u,
                   {Press(0, 0x41), ReleaseAtTick(0x100, 0x41)}, {A, Delay(512), a}, 2},
        // A tick of 0 is a time like any other: the next key still gets its delay.
        RecordCase{"FirstKeyAtTickZero", {}, -1, 0, true, 0,
                   {Press(0, 0x41), Release(100, 0x41)}, {A, Delay(100), a}, 2},
        RecordCase{"DelayToggledWhileRecording", {}, -1, 0, false, 1000,
                   {Press(0, 0x41), Release(30, 0x41), {Step::DelayToggle, 0, 0, 0, 0},
                    Press(25, 0x42)},
                   {A, a, Delay(25), B}, 3},
        RecordCase{"BeforeTheThirdEvent", {A, B, C, D}, 2, 1, true, 1000,
                   {Press(0, 0x45), Release(10, 0x45)},
                   {A, B, E, Delay(10), KeyUp(0x45), C, D}, 5},
        RecordCase{"AfterTheThirdEvent", {A, B, C, D}, 2, 2, false, 1000,
                   {Press(0, 0x45), Release(10, 0x45)}, {A, B, C, E, KeyUp(0x45), D}, 5},
        RecordCase{"AfterTheLastEvent", {A, B}, 1, 2, false, 1000, {Press(0, 0x45)},
                   {A, B, E}, -1},
        RecordCase{"InsertWithNothingSelectedStartsAtTop", {A, B}, -1, 2, false, 1000,
                   {Press(0, 0x45)}, {E, A, B}, 1},
        RecordCase{"InsertAt48FillsTo50", Keys(45), -1, 1, true, 1000,
                   {Press(0, 0x41), Release(9, 0x41), Press(9, 0x42), Press(9, 0x43, 0)},
                   Plus({A, Delay(9), a, Delay(9), B}, Keys(45)), 5},
        RecordCase{"InsertAt49Dropped", Keys(49), 3, 1, true, 1000, {Press(0, 0x41, 0)},
                   Keys(49), 3},
        RecordCase{"AppendAt49KeepsTheKeyNotTheDelay", {A}, 0, 0, true, 1000,
                   Plus(FortyNineKeys(), {Release(300, 0x41), Press(300, 0x42, 0)}),
                   Plus(Keys(49), {a}), 49},
        RecordCase{"ReportAfterStopDropped", {}, -1, 0, false, 1000,
                   {Press(0, 0x41), StopRecording(), Release(5, 0x41, 0)}, {A}, 0}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.what); });

TEST_F(MacroFixture, RecordingCallsTheHookAndLocksControls) {
  AddMacro(u"a", {Event(settings::MACRO_KEY_DOWN, 0x41)});
  Open(0);
  EXPECT_TRUE(manager->CanOpenMenu());
  manager->StartRecording();
  EXPECT_TRUE(manager->IsRecording());
  EXPECT_TRUE(events.rows.empty()) << "the start button empties the list";
  EXPECT_FALSE(manager->CanOpenMenu());
  EXPECT_FALSE(manager->LoopCountEditEnabled());
  // While recording the radios still save and the edit stays locked.
  manager->ChooseRepeatMode(0);
  EXPECT_FALSE(manager->LoopCountEditEnabled());
  EXPECT_FALSE(manager->Ok(u"1"));
  manager->StopRecording();
  EXPECT_FALSE(manager->IsRecording());
  EXPECT_TRUE(manager->LoopCountEditEnabled());
  manager->MenuCommand(1);
  manager->StopRecording();
  EXPECT_EQ(host.hookCalls, (std::vector<int>{1, 0, 1, 0}));
  EXPECT_EQ(host.recordingChanges, 4);

  // Stopping unlocks the edit whatever the repeat mode, until mode 1 or 2 is applied again.
  manager->ChooseRepeatMode(1);
  manager->StartRecording();
  manager->StopRecording();
  EXPECT_TRUE(manager->LoopCountEditEnabled());
  manager->ChooseRepeatMode(1);
  EXPECT_FALSE(manager->LoopCountEditEnabled());
}

TEST_F(MacroFixture, MissingHookShowsTheMessageAndKeepsTheList) {
  host.hookReady = false;
  AddMacro(u"a", {Event(settings::MACRO_KEY_DOWN, 0x41), Event(settings::MACRO_KEY_UP, 0x41)});
  Open(0);
  manager->StartRecording();
  manager->MenuCommand(1);
  manager->MenuCommand(2);
  EXPECT_FALSE(manager->IsRecording());
  EXPECT_EQ(host.messages,
            std::vector<std::u16string>(3, std::u16string(pages::kHookMissingMessage)));
  EXPECT_TRUE(host.hookCalls.empty());
  EXPECT_EQ(events.Datas(), (std::vector<uint32_t>{A, a}));
  EXPECT_EQ(manager->OnHookKey(0x42, 0), 0);
  // Everything else works.
  manager->MenuCommand(3);
  events.selection = 1;
  manager->MenuCommand(3);
  EXPECT_EQ(events.Count(), 3);
  ASSERT_TRUE(manager->Ok(u"4"));
  EXPECT_EQ(store->macros[0].eventCount, 3u);
  EXPECT_EQ(store->macros[0].loopCount, 4);
}

TEST_F(MacroFixture, StartWithNoMacroSelectedDoesNotRecord) {
  AddMacro(u"a");
  Open(-1);
  manager->StartRecording();
  EXPECT_FALSE(manager->IsRecording());
  EXPECT_TRUE(host.hookCalls.empty());
  EXPECT_EQ(manager->OnHookKey(0x41, 0), 0);
}

}  // namespace
}  // namespace pagestest
