#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/WindowMessage.h"
#include "settings/Records.h"
#include "tests/skin/SkinFixture.h"

namespace pagetest {

// The raw bytes of a record.
template <typename T>
std::vector<unsigned char> Bytes(const T& value) {
  const auto* p = reinterpret_cast<const unsigned char*>(&value);
  return std::vector<unsigned char>(p, p + sizeof value);
}

// A record with every byte at `fill`, so that a write anywhere shows.
inline settings::tagMODEINFO Patterned(unsigned char fill = 0x5A) {
  settings::tagMODEINFO record;
  std::memset(&record, fill, sizeof record);
  return record;
}

// A click on a skinned button as the user makes it.
inline void ClickButton(QWidget& button) { uitest::Click(&button, button.rect().center()); }

// A small dialog's section of a test skin: the keys of every such dialog (a window of 300 by 160
// on the sheets of SaveDialogSheets, OK and Cancel), then `own`.
inline std::string DialogSection(const char* name, const char* own = "") {
  return std::string("[") + name + "]\n" +
         "WindowsRect=0,0,300,160\n"
         "NormalImage=dlg\\normal.png\n"
         "OverImage=dlg\\over.png\n"
         "DownImage=dlg\\down.png\n"
         "Visable=1\n"
         "KeyOKRect=40,120,80,24\n"
         "KeyCancleRect=180,120,80,24\n" +
         own;
}

// The sheets of the dialogs of DialogSection, in the skin folder `dir`.
inline void SaveDialogSheets(uitest::TempDir& dir) {
  dir.Save("dlg/normal.png", uitest::CoordinateSheet(300, 160));
  dir.Save("dlg/over.png", uitest::Solid(300, 160, QColor(0, 200, 0)));
  dir.Save("dlg/down.png", uitest::Solid(300, 160, QColor(0, 0, 200)));
}

// The skin of the pages' tests: a main window of 400 by 300 whose sheets tell each pixel's place
// (uitest::CoordinateSheet), so a face shows where it was cut.
class TestSkinFixture : public skintest::SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(100, 100, 400, 300));
    dir.Save("pg/normal.png", uitest::CoordinateSheet(400, 300));
    dir.Save("pg/over.png", uitest::Solid(400, 300, QColor(0, 200, 0)));
    dir.Save("pg/down.png", uitest::Solid(400, 300, QColor(0, 0, 200)));
    dir.Save("pg/mask.bmp", uitest::Solid(180, 260, Qt::black), "BMP");
    SaveDialogSheets(dir);
    WriteSkin(kSkin);
  }

  static inline const std::string kSkin =
      "[AdvanceSettingPage]\n"
      "WindowsRect=200,20,180,260\n"
      "NormalImage=pg\\normal.png\n"
      "OverImage=pg\\over.png\n"
      "DownImage=pg\\down.png\n"
      "BackGroundMaskImage=pg\\mask.bmp\n"
      "Visable=1\n"
      "KeyRect_125HZ=210,30,30,20\n"
      "KeyRect_250HZ=250,30,30,20\n"
      "KeyRect_500HZ=290,30,30,20\n"
      "KeyRect_1000HZ=330,30,30,20\n"
      "KeyRect_FireSpeed1=210,80,20,20\n"
      "KeyRect_FireSpeed2=240,80,20,20\n"
      "KeyRect_FireSpeed3=270,80,20,20\n"
      "KeyRect_FireSpeed4=300,80,20,20\n"
      "KeyRect_FireSpeed5=330,80,20,20\n"
      "KeyRect_Restore=210,200,100,30\n"
      "[SystemSettingPage]\n"
      "WindowsRect=10,20,180,260\n"
      "NormalImage=pg\\normal.png\n"
      "OverImage=pg\\over.png\n"
      "DownImage=pg\\down.png\n"
      "BackGroundMaskImage=pg\\mask.bmp\n"
      "Visable=1\n"
      "Sliderbar_DoubleClickSpeed=20,40,160,10\n"
      "Sliderbar_MouseMoveSpeed=20,70,160,10\n"
      "Sliderbar_MouseWheelHorizontalSpeed=20,100,160,10\n"
      "Sliderbar_WheelVerticalSpeed=20,130,160,10\n"
      "KeyRect_MousePrecision=20,170,20,20\n"
      "KeyRect_MouseWhellOnePage=20,200,20,20\n" +
      DialogSection("RestoreWarningDialog") +
      DialogSection("CreateProfileDialog",
                    "KeyOpenModeExcutionPathRect=240,70,50,22\n"
                    "KeyEditModeNameRect=20,30,200,22\n"
                    "KeyEditModeExcutionPathRect=20,70,200,22\n") +
      "[Bare]\n"
      "WindowsRect=10,20,180,260\n";
};

}  // namespace pagetest
