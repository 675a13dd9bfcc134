#pragma once

#include "pages/MacroListView.h"
#include "skin/ListBoxEx.h"

namespace pages {

// A CListBoxEx seen by the macro manager's editing logic.
class MacroListBoxView : public MacroListView {
 public:
  explicit MacroListBoxView(CListBoxEx& list) : list_(list) {}

  int Count() const override;
  int Selection() const override;
  void Select(int index) override;
  uint32_t Data(int index) const override;
  std::u16string Text(int index) const override;
  void Add(uint32_t data, std::u16string_view text, bool openEditor) override;
  void Insert(int index, uint32_t data, std::u16string_view text) override;
  void Remove(int index) override;
  void Clear() override;
  void BeginEdit(int index) override;

 private:
  CListBoxEx& list_;
};

}  // namespace pages
