#pragma once

#include <cstdint>

#include "pages/MacroEventItems.h"
#include "pages/MacroListView.h"
#include "platform/sys/MessageWindow.h"

namespace pages {

// Turns the keyboard hook's key reports into rows of the macro manager's event list: drops a
// report that repeats the previous one (a held key), measures the pause before each key, and
// appends the rows at the end of the list or inserts them at a remembered position. The list
// never grows beyond MAX_MACRO_EVENTS rows.
class MacroRecorder {
 public:
  enum Mode : int32_t {
    APPEND = 0,         // at the end of the list
    INSERT_BEFORE = 1,  // before the row selected when recording began
    INSERT_AFTER = 2,   // after it
  };

  // Bit 7 of a report's lParam: the key was released.
  static constexpr sys::LPARAM kKeyReleased = 0x80;

  MacroRecorder(MacroListView& events, MacroItemTextFn itemText);

  // Forgets the previous report and its time (at each start and stop of recording).
  void Reset();

  // Records one report while a macro is shown: at most one delay row and one key row. Returns
  // true when the report was recorded, false when it was dropped.
  bool Record(sys::WPARAM wParam, sys::LPARAM lParam, bool delayRecording);

  int32_t recordingMode = APPEND;
  int32_t insertPosition = -1;

  // The last recorded report, the report being handled, and their times.
  uint32_t previousKey = 0;
  uint32_t previousKeyFlags = 0;
  uint32_t currentKey = 0;
  uint32_t currentKeyFlags = 0;
  uint32_t timeOfThisEvent = 0;
  uint32_t timeOfPreviousEvent = 0;

 private:
  // The delay row due before the report being handled, 0 for none.
  uint32_t DueDelay(bool delayRecording) const;
  uint32_t KeyItemData() const;
  void AppendRecordedEvent(bool delayRecording);
  void InsertRecordedEvent(bool delayRecording);

  MacroListView& events_;
  MacroItemTextFn itemText_;
  // Whether a report has been timed since the last Reset (a tick of 0 is a valid time).
  bool timed_ = false;
};

}  // namespace pages
