#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pages/MacroLoopCount.h"
#include "pages/MacroManager.h"
#include "resources/MenuTextTable.h"
#include "settings/FunctionCodes.h"
#include "settings/Records.h"
#include "tests/pages/FakeMacroList.h"

namespace pagestest {

inline std::u16string U(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// A store built in code, four mode records, and the editing logic over two plain lists.
class MacroFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    savedItemText_ = MenuTextTable[static_cast<size_t>(MenuTextId::MINOR_FUN_MACRO_ITEM)];
    SetMacroItemText(std::u16string(u"宏"));
    store = std::make_unique<settings::tagMACROSTORE>();
    std::memset(store.get(), 0, sizeof *store);
    std::memset(modes, 0, sizeof modes);
  }
  void TearDown() override {
    SetMacroItemText(savedItemText_);
  }

  // The language text new macros are named after.
  static void SetMacroItemText(std::u16string text) {
    MenuTextTable[static_cast<size_t>(MenuTextId::MINOR_FUN_MACRO_ITEM)].swap(text);
  }

  // Appends a macro to the store.
  settings::tagMACROINFO& AddMacro(std::u16string_view name,
                                   const std::vector<settings::tagMACROEVENT>& evs = {}) {
    settings::tagMACROINFO& m = store->macros[store->count++];
    settings::SetFieldText(m.name, name);
    m.loopCount = 1;
    m.eventCount = static_cast<uint32_t>(evs.size());
    for (size_t i = 0; i < evs.size(); ++i) m.events[i] = evs[i];
    return m;
  }
  void AddMacros(const std::vector<std::u16string>& list) {
    for (const std::u16string& n : list) AddMacro(n);
  }
  void UseMacro(int mode, int key, uint8_t index) { RunMacroOnButton(modes, mode, key, index); }

  void Open(int first) {
    manager = std::make_unique<pages::MacroManager>(store.get(), modes, first, names, events,
                                                    host, TestItemText);
    manager->Init();
  }

  // The names of the working list.
  std::vector<std::u16string> WorkingNames() const {
    std::vector<std::u16string> out;
    for (const settings::tagMACROINFO& m : manager->WorkingList())
      out.emplace_back(settings::FieldText(m.name));
    return out;
  }

  std::unique_ptr<settings::tagMACROSTORE> store;
  settings::tagMODEINFO modes[settings::MODE_AREA_COUNT];
  FakeMacroList names;
  FakeMacroList events;
  FakeHost host;
  std::unique_ptr<pages::MacroManager> manager;

 private:
  std::u16string savedItemText_;
};

}  // namespace pagestest
