#include "platform/desktop/X11PointerSettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tests/platform/sys/FileTestUtil.h"
#include "tests/platform/desktop/XvfbSuite.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace desktop {
namespace {

class X11PointerSettingsTest : public testutil::XvfbClientSuite {
 protected:
  void SetUp() override {
    XvfbClientSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    XChangePointerControl(raw_, True, True, 2, 1, 4);  // the server's default
    XSync(raw_, False);
    p_ = X11PointerSettings::Open(DisplayName(), temp_ / "pointer.ini");
    ASSERT_NE(p_, nullptr);
  }

  CorePointerControl Core() {
    CorePointerControl c;
    XGetPointerControl(raw_, &c.numerator, &c.denominator, &c.threshold);
    return c;
  }

  // The first slave pointer (Xvfb's XTEST pointer), for properties of the test's own.
  int SlavePointer() {
    int count = 0;
    XIDeviceInfo* info = XIQueryDevice(raw_, XIAllDevices, &count);
    int id = -1;
    for (int i = 0; i < count && id < 0; ++i)
      if (info[i].use == XISlavePointer) id = info[i].deviceid;
    XIFreeDeviceInfo(info);
    return id;
  }
  Atom AtomOf(const char* name) { return XInternAtom(raw_, name, False); }
  void SetFloat(int device, const char* name, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    XIChangeProperty(raw_, device, AtomOf(name), AtomOf("FLOAT"), 32, XIPropModeReplace,
                     reinterpret_cast<unsigned char*>(&bits), 1);
    XSync(raw_, False);
  }
  void SetBytes(int device, const char* name, std::vector<uint8_t> bytes) {
    XIChangeProperty(raw_, device, AtomOf(name), XA_INTEGER, 8, XIPropModeReplace, bytes.data(),
                     static_cast<int>(bytes.size()));
    XSync(raw_, False);
  }
  std::vector<uint8_t> Property(int device, const char* name, Atom type) {
    Atom actualType;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    std::vector<uint8_t> out;
    if (XIGetProperty(raw_, device, AtomOf(name), 0, 16, False, type, &actualType, &format,
                      &items, &after, &data) == Success &&
        actualType == type)
      out.assign(data, data + items * (format / 8));
    if (data != nullptr) XFree(data);
    return out;
  }
  float FloatProperty(int device, const char* name) {
    const std::vector<uint8_t> bytes = Property(device, name, AtomOf("FLOAT"));
    float value = -99;
    if (bytes.size() == 4) std::memcpy(&value, bytes.data(), 4);
    return value;
  }

  testutil::TempFolder temp_;
  std::unique_ptr<X11PointerSettings> p_;
};

TEST_F(X11PointerSettingsTest, CorePointerControlCarriesSpeedAndAcceleration) {
  EXPECT_FALSE(p_->UsesLibinput());
  int speed = 0;
  MouseAcceleration a;
  ASSERT_TRUE(p_->GetMouseSpeed(speed));
  ASSERT_TRUE(p_->GetMouseAcceleration(a));
  EXPECT_EQ(speed, 10);  // the server's default is the desktop's untouched state
  EXPECT_EQ(a, kPrecisionOn);

  const struct {
    bool setSpeed;
    int speed;
    MouseAcceleration acceleration;
    CorePointerControl core;
  } steps[] = {
      {true, 20, kPrecisionOn, {20, 5, 4}},
      {false, 20, kPrecisionOff, {20, 10, 1}},  // the speed stays when acceleration goes
      {true, 1, kPrecisionOff, {1, 10, 1}},
      {false, 1, kPrecisionOn, {1, 5, 4}},
      {true, 10, kPrecisionOn, {10, 5, 4}},
  };
  for (const auto& s : steps) {
    if (s.setSpeed) {
      ASSERT_TRUE(p_->SetMouseSpeed(s.speed));
    } else {
      ASSERT_TRUE(p_->SetMouseAcceleration(s.acceleration));
    }
    EXPECT_EQ(Core(), s.core) << s.speed;
    ASSERT_TRUE(p_->GetMouseSpeed(speed));
    ASSERT_TRUE(p_->GetMouseAcceleration(a));
    EXPECT_EQ(speed, s.speed);
    EXPECT_EQ(a, s.acceleration);
  }
  EXPECT_FALSE(p_->SetMouseSpeed(21));
  EXPECT_EQ(Core(), (CorePointerControl{10, 5, 4}));

  // Wheel lines and double-click time have no place in the X server: they go to the file.
  EXPECT_TRUE(p_->SetWheelScrollLines(kWheelOnePage));
  EXPECT_TRUE(p_->SetDoubleClickTime(620));
  const auto bytes = testutil::ReadAll(temp_ / "pointer.ini");
  const PointerValues kept = ParsePointerValues(std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(kept.wheelLines, kWheelOnePage);
  EXPECT_EQ(kept.doubleClickTimeMs, 620u);
}

TEST_F(X11PointerSettingsTest, LibinputPropertiesTakeOverFromTheCoreControl) {
  const int device = SlavePointer();
  ASSERT_GE(device, 0);
  SetFloat(device, "libinput Accel Speed", 0.0f);
  SetBytes(device, "libinput Accel Profiles Available", {1, 1, 0});
  SetBytes(device, "libinput Accel Profile Enabled", {1, 0, 0});
  EXPECT_TRUE(p_->UsesLibinput());

  ASSERT_TRUE(p_->SetMouseSpeed(20));
  EXPECT_FLOAT_EQ(FloatProperty(device, "libinput Accel Speed"), 1.0f);
  ASSERT_TRUE(p_->SetMouseSpeed(4));
  EXPECT_FLOAT_EQ(FloatProperty(device, "libinput Accel Speed"), -6.0f / 9);
  int speed = 0;
  ASSERT_TRUE(p_->GetMouseSpeed(speed));
  EXPECT_EQ(speed, 4);
  EXPECT_EQ(Core(), (CorePointerControl{2, 1, 4}));  // untouched

  ASSERT_TRUE(p_->SetMouseAcceleration(kPrecisionOff));
  EXPECT_EQ(Property(device, "libinput Accel Profile Enabled", XA_INTEGER),
            (std::vector<uint8_t>{0, 1, 0}));
  MouseAcceleration a;
  ASSERT_TRUE(p_->GetMouseAcceleration(a));
  EXPECT_EQ(a, kPrecisionOff);

  // A device that does not offer the wanted profile keeps its own.
  SetBytes(device, "libinput Accel Profiles Available", {0, 1, 0});
  ASSERT_TRUE(p_->SetMouseAcceleration(kPrecisionOn));
  EXPECT_EQ(Property(device, "libinput Accel Profile Enabled", XA_INTEGER),
            (std::vector<uint8_t>{0, 1, 0}));

  for (const char* name : {"libinput Accel Speed", "libinput Accel Profiles Available",
                           "libinput Accel Profile Enabled"})
    XIDeleteProperty(raw_, device, AtomOf(name));
  XSync(raw_, False);
  EXPECT_FALSE(p_->UsesLibinput());
}

}  // namespace
}  // namespace desktop
