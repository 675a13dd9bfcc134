#pragma once

#include "skin/BitmapBtn.h"
#include "skin/PageDialog.h"

// The picture of the mouse with a numbered marker on each of its ten buttons, shown beside the
// button-assignment page. It edits nothing: the button page tells it which button row is under
// the cursor and that marker is drawn highlighted. Section "MousePictruePage":
//   "NormalImage"        the markers' normal (and disabled) faces;
//   "DownImage"          their highlighted face;
//   "KeyImageRect_0..9"  each marker's rectangle in the main window's client area.
// Hovering or pressing never changes a marker; a click on one drags the main window as a press
// on the page's background does.
class CMousePicturePage : public CPageDialog {
 public:
  static constexpr int kMarkerCount = 10;

  CMousePicturePage(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
                    QWidget* parent);
  ~CMousePicturePage() override;

  bool LoadSkin() override;

  // Highlights marker `index` alone; any index above 9 (-1 included) highlights none. 0.
  int SelectKey(unsigned index);

  // The caption of marker `index` 0 to 9 (buttons 4 and 5 both show 5, 7 and 9 both show 8).
  static int MarkerNumber(int index);

  CBitmapBtn& Marker(int index) { return keyImages_[index]; }

 protected:
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;

 private:
  CBitmapBtn keyImages_[kMarkerCount];
};
