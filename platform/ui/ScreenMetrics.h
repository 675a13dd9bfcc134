#pragma once

#include <QSize>

#include <optional>

// Screen sizes in the terms of GetSystemMetrics.
namespace ui {

// The width and height of the primary screen's available area (the screen less panels and
// docks): where a maximised window's client area can go.
inline constexpr int SM_CXFULLSCREEN = 16;
inline constexpr int SM_CYFULLSCREEN = 17;

// The metric of `index`; 0 for an index this layer does not know, or with no screen.
int GetSystemMetrics(int index);

// Replaces the primary screen's available size process-wide; nothing restores the real one.
// UI thread only; tests place menus against a screen of their choosing with it.
void SetFullScreenSize(std::optional<QSize> size);

class ScopedFullScreenSize {
 public:
  explicit ScopedFullScreenSize(QSize size) { SetFullScreenSize(size); }
  ~ScopedFullScreenSize() { SetFullScreenSize(std::nullopt); }
  ScopedFullScreenSize(const ScopedFullScreenSize&) = delete;
  ScopedFullScreenSize& operator=(const ScopedFullScreenSize&) = delete;
};

}  // namespace ui
