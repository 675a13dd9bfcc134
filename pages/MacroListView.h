#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pages {

// One of the macro manager's two lists as its editing logic sees it: rows of a text and a 32-bit
// value, at most one of them selected. The dialog puts its list boxes behind it; tests use a
// plain list.
class MacroListView {
 public:
  virtual ~MacroListView() = default;

  virtual int Count() const = 0;
  // The selected row, -1 when none is.
  virtual int Selection() const = 0;
  // Selects `index`; -1 or an index past the end leaves no row selected.
  virtual void Select(int index) = 0;
  virtual uint32_t Data(int index) const = 0;
  virtual std::u16string Text(int index) const = 0;

  // Appends a row and selects it; with `openEditor` the row's text editor opens on it. An editor
  // open in this list is closed first without committing it.
  virtual void Add(uint32_t data, std::u16string_view text, bool openEditor) = 0;
  // Inserts a row before `index` (-1 or the row count: at the end). The selection stays on the
  // row it was on.
  virtual void Insert(int index, uint32_t data, std::u16string_view text) = 0;
  // Removes a row. Removing the selected row leaves none selected; otherwise the selection stays
  // on the row it was on.
  virtual void Remove(int index) = 0;
  virtual void Clear() = 0;
  // Opens the numeric editor on a row.
  virtual void BeginEdit(int index) = 0;
};

}  // namespace pages
