#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pages/MacroEventItems.h"
#include "pages/MacroListView.h"
#include "pages/MacroManagerHost.h"
#include "settings/FunctionCodes.h"
#include "settings/Records.h"

namespace pagestest {

// A list of rows in memory with the selection rules of the dialog's list boxes.
class FakeMacroList : public pages::MacroListView {
 public:
  struct Row {
    uint32_t data;
    std::u16string text;
  };
  std::vector<Row> rows;
  int selection = -1;
  int editorOpenedOn = -1;  // the row the last Add with an editor or BeginEdit opened on
  int numericEdits = 0;     // BeginEdit calls

  int Count() const override { return static_cast<int>(rows.size()); }
  int Selection() const override { return selection; }
  void Select(int index) override { selection = index >= 0 && index < Count() ? index : -1; }
  uint32_t Data(int index) const override { return rows.at(static_cast<size_t>(index)).data; }
  std::u16string Text(int index) const override {
    return rows.at(static_cast<size_t>(index)).text;
  }
  void Add(uint32_t data, std::u16string_view text, bool openEditor) override {
    rows.push_back({data, std::u16string(text)});
    selection = Count() - 1;
    if (openEditor) editorOpenedOn = selection;
  }
  void Insert(int index, uint32_t data, std::u16string_view text) override {
    if (index < 0 || index > Count()) index = Count();
    rows.insert(rows.begin() + index, {data, std::u16string(text)});
    if (selection >= index) ++selection;
  }
  void Remove(int index) override {
    if (index < 0 || index >= Count()) return;
    rows.erase(rows.begin() + index);
    if (selection == index)
      selection = -1;
    else if (selection > index)
      --selection;
  }
  void Clear() override {
    rows.clear();
    selection = -1;
  }
  void BeginEdit(int index) override {
    editorOpenedOn = index;
    ++numericEdits;
  }

  std::vector<uint32_t> Datas() const {
    std::vector<uint32_t> out;
    for (const Row& r : rows) out.push_back(r.data);
    return out;
  }
  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> out;
    for (const Row& r : rows) out.push_back(r.text);
    return out;
  }
};

// The window around the editing logic, recording what it is asked.
class FakeHost : public pages::MacroManagerHost {
 public:
  int renameWarnings = 0;
  int deleteWarnings = 0;
  std::vector<std::u16string> messages;
  std::vector<int> hookCalls;  // SetHookStatus arguments, in order
  int recordingChanges = 0;
  bool hookReady = true;

  void ShowRenameWarning() override { ++renameWarnings; }
  void ShowDeleteWarning() override { ++deleteWarnings; }
  void ShowMessage(std::u16string_view text) override { messages.emplace_back(text); }
  void SettingsChanged() override {}
  void RecordingChanged() override { ++recordingChanges; }
  bool HookReady() const override { return hookReady; }
  void SetHookStatus(int status) override { hookCalls.push_back(status); }
};

// A stored event.
inline settings::tagMACROEVENT Event(uint8_t kind, uint8_t code, uint32_t delayMs = 0) {
  settings::tagMACROEVENT e{};
  e.kind = kind;
  e.code = code;
  e.delayMs = delayMs;
  return e;
}

// Button `key` of mode record `mode` runs macro `index` of the store.
inline void RunMacroOnButton(settings::tagMODEINFO* modes, int mode, int key, uint8_t index) {
  settings::tagKEYDEFINEINFO& k = modes[mode].keys[key];
  k.major = settings::MAJOR_FUN_MACRO;
  k.macroIndex = index;
  k.minor = static_cast<uint8_t>(index + settings::MINOR_FUN_FIRST_MACRO);
}

// Rows by type, as the tables write them.
inline uint32_t KeyDown(uint32_t vk) { return pages::MakeItemData(vk, pages::MACRO_ITEM_KEY_DOWN); }
inline uint32_t KeyUp(uint32_t vk) { return pages::MakeItemData(vk, pages::MACRO_ITEM_KEY_UP); }
inline uint32_t Delay(uint32_t ms) { return pages::MakeItemData(ms, pages::MACRO_ITEM_DELAY); }
inline uint32_t MouseDown(uint32_t c) {
  return pages::MakeItemData(c, pages::MACRO_ITEM_MOUSE_DOWN);
}
inline uint32_t MouseUp(uint32_t c) { return pages::MakeItemData(c, pages::MACRO_ITEM_MOUSE_UP); }

// `count` key-down rows of the keys `first` to `first` + `span` - 1, over and over.
inline std::vector<uint32_t> KeyRows(int count, uint32_t first, int span) {
  std::vector<uint32_t> rows;
  for (int i = 0; i < count; ++i) rows.push_back(KeyDown(first + static_cast<uint32_t>(i % span)));
  return rows;
}

// A text for every row that tells the rows apart: "v41", "^41", "5 ms", "m7", "M6".
inline std::u16string TestItemText(uint32_t data) {
  const uint16_t value = pages::ItemValue(data);
  std::string text;
  switch (pages::ItemType(data)) {
    case pages::MACRO_ITEM_KEY_DOWN: text = "v"; break;
    case pages::MACRO_ITEM_KEY_UP: text = "^"; break;
    case pages::MACRO_ITEM_DELAY: return pages::DelayItemText(value);
    case pages::MACRO_ITEM_MOUSE_DOWN: text = "m"; break;
    case pages::MACRO_ITEM_MOUSE_UP: text = "M"; break;
    default: return std::u16string();
  }
  text += std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace pagestest
