#include "pages/MacroRecorder.h"

#include "platform/sys/Tick.h"

namespace pages {

using settings::MAX_MACRO_EVENTS;

MacroRecorder::MacroRecorder(MacroListView& events, MacroItemTextFn itemText)
    : events_(events), itemText_(std::move(itemText)) {}

void MacroRecorder::Reset() {
  previousKey = 0;
  previousKeyFlags = 0;
  timeOfThisEvent = 0;
  timeOfPreviousEvent = 0;
  timed_ = false;
}

bool MacroRecorder::Record(sys::WPARAM wParam, sys::LPARAM lParam, bool delayRecording) {
  currentKey = static_cast<uint32_t>(wParam);
  currentKeyFlags = static_cast<uint32_t>(lParam);
  // The first key after the start is timed from its own arrival, so no delay goes before it.
  if (!timed_) {
    timeOfPreviousEvent = sys::GetTickCount();
    timed_ = true;
  }
  // A held key repeats its press report exactly; only the first one counts.
  if (currentKey == previousKey && currentKeyFlags == previousKeyFlags) return false;

  const int n = events_.Count();
  if (n >= MAX_MACRO_EVENTS) return false;
  timeOfThisEvent = sys::GetTickCount();
  if (recordingMode == INSERT_BEFORE || recordingMode == INSERT_AFTER) {
    if (n + 1 >= MAX_MACRO_EVENTS) return false;
    InsertRecordedEvent(delayRecording);
  } else {
    AppendRecordedEvent(delayRecording);
  }
  previousKey = currentKey;
  previousKeyFlags = currentKeyFlags;
  timeOfPreviousEvent = timeOfThisEvent;
  return true;
}

uint32_t MacroRecorder::DueDelay(bool delayRecording) const {
  if (!delayRecording) return 0;
  const int32_t d = sys::TickDiff(timeOfThisEvent, timeOfPreviousEvent);
  if (d < 1) return 0;
  return static_cast<uint32_t>(d) > kMaxItemDelayMs ? kMaxItemDelayMs : static_cast<uint32_t>(d);
}

uint32_t MacroRecorder::KeyItemData() const {
  const uint16_t type =
      (currentKeyFlags & kKeyReleased) != 0 ? MACRO_ITEM_KEY_UP : MACRO_ITEM_KEY_DOWN;
  return MakeItemData(currentKey & 0xFFFFu, type);
}

void MacroRecorder::AppendRecordedEvent(bool delayRecording) {
  // The key always fits (the caller checked); the delay only when both rows do. With 49 rows the
  // key is kept and the pause before it dropped.
  const uint32_t delay = DueDelay(delayRecording);
  if (delay != 0 && events_.Count() + 2 <= MAX_MACRO_EVENTS) {
    const uint32_t data = MakeItemData(delay, MACRO_ITEM_DELAY);
    events_.Add(data, itemText_(data), false);
  }
  const uint32_t key = KeyItemData();
  events_.Add(key, itemText_(key), false);
}

void MacroRecorder::InsertRecordedEvent(bool delayRecording) {
  if (insertPosition >= MAX_MACRO_EVENTS) return;
  if (insertPosition < 0) insertPosition = 0;
  const uint32_t delay = DueDelay(delayRecording);
  if (delay != 0) {
    const uint32_t data = MakeItemData(delay, MACRO_ITEM_DELAY);
    events_.Insert(insertPosition, data, itemText_(data));
    ++insertPosition;
    if (insertPosition < MAX_MACRO_EVENTS) events_.Select(insertPosition);
  }
  if (insertPosition >= MAX_MACRO_EVENTS) return;
  const uint32_t key = KeyItemData();
  events_.Insert(insertPosition, key, itemText_(key));
  ++insertPosition;
  if (insertPosition < MAX_MACRO_EVENTS) events_.Select(insertPosition);
}

}  // namespace pages
