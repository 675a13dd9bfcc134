#include "pages/MacroListBoxView.h"

#include "platform/ui/Text.h"
namespace pages {

int MacroListBoxView::Count() const { return list_.GetCount(); }

int MacroListBoxView::Selection() const { return list_.GetCurSel(); }

void MacroListBoxView::Select(int index) { list_.SetCurSel(index); }

uint32_t MacroListBoxView::Data(int index) const { return list_.GetItemData(index); }

std::u16string MacroListBoxView::Text(int index) const {
  return list_.GetText(index).toStdU16String();
}

void MacroListBoxView::Add(uint32_t data, std::u16string_view text, bool openEditor) {
  list_.AddItem(data, ui::ToQString(text), openEditor);
}

void MacroListBoxView::Insert(int index, uint32_t data, std::u16string_view text) {
  const int count = list_.GetCount();
  if (index < 0 || index > count) index = count;
  const int selected = list_.GetCurSel();
  list_.InsertItem(index, data, ui::ToQString(text));
  // The selection stays on the row it was on.
  list_.SetCurSel(selected >= index ? selected + 1 : selected);
}

void MacroListBoxView::Remove(int index) {
  if (index < 0 || index >= list_.GetCount()) return;
  const int selected = list_.GetCurSel();
  list_.DeleteString(index);
  list_.SetCurSel(selected == index ? -1 : selected > index ? selected - 1 : selected);
}

void MacroListBoxView::Clear() { list_.ResetContent(); }

void MacroListBoxView::BeginEdit(int index) { list_.BeginEdit(index); }

}  // namespace pages
