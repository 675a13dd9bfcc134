#include "settings/DeviceSync.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedMouse.h"

namespace {

using namespace settings;
using Bytes = std::vector<uint8_t>;

struct FakeProperty : WindowProperty {
  void SetProp(std::u16string_view name, uintptr_t v) override {
    EXPECT_EQ(name, u"IsMyDeivce");
    value = static_cast<int>(v);
    ++sets;
  }
  int value = -1;  // -1: never set
  int sets = 0;
};

Bytes RawOf(const tagMODEINFO& r) {
  const auto* p = reinterpret_cast<const uint8_t*>(&r);
  return Bytes(p, p + sizeof r);
}

sim::FlashBlock PatternBlock(int seed) {
  sim::FlashBlock b;
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(seed * 31 + i * 7 + 1);
  return b;
}

class DeviceSyncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s->ResetAllModesToDefaults();
    s->ExpectedProductId = sim::kDefaultDeviceId;
  }

  sim::SimulatedMouse& Mouse() { return backend.Mouse(); }

  // The block that the image holds for flash block k.
  const uint8_t* ImageBlock(int k) const {
    return k < MACRO_AREA_BLOCKS ? s->image.macroArea.bytes + 256 * k : s->image.configBlock.bytes;
  }
  uint8_t* ImageBlock(int k) {
    return k < MACRO_AREA_BLOCKS ? s->image.macroArea.bytes + 256 * k : s->image.configBlock.bytes;
  }
  bool FlashEqualsImage() {
    for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) {
      if (std::memcmp(Mouse().GetFlashBlock(k).data(), ImageBlock(k), 256) != 0) return false;
    }
    return true;
  }
  void PutImageIntoFlash() {
    for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) {
      sim::FlashBlock b;
      std::memcpy(b.data(), ImageBlock(k), 256);
      Mouse().SetFlashBlock(k, b);
    }
  }

  // The command log as a sequence of steps: "T" and "N" for the controller's test and normal
  // modes, "Rk", "Ek", "Wk" for reading, erasing and writing block k (chunks of one block in a
  // row count once), "?" for anything else.
  std::string Steps() {
    std::string out, last;
    for (const sim::Report& r : Mouse().CommandLog()) {
      std::string step = "?";
      if (r[1] == 0x20 && r[2] == 0x84) step = "T";
      if (r[1] == 0x20 && r[2] == 0x80) step = "N";
      if (r[1] == 0x02) step = "R" + std::to_string(r[4]);
      if (r[1] == 0x03) step = "E" + std::to_string(r[2]);
      if (r[1] == 0x01) step = "W" + std::to_string(r[3] >> 4);
      if (step == last && step[0] != 'T' && step[0] != 'N') continue;
      out += (out.empty() ? "" : " ") + step;
      last = step;
    }
    return out;
  }

  sim::SimulatedHidBackend backend;
  device::CKavrinUSBComm comm{&backend, 500, 100};
  std::unique_ptr<DeviceSettings> s = std::make_unique<DeviceSettings>();
  FakeProperty property;
  DeviceSync sync{*s, comm, &property};
};

TEST_F(DeviceSyncTest, OpenFindsTheMouseAmongItsDecoys) {
  EXPECT_EQ(sync.OpenDevice(nullptr), 1);
  EXPECT_EQ(backend.OpenHandleCount(sim::kMousePath), 2);  // commands and the reader
  EXPECT_EQ(backend.OpenHandleCount(sim::kDecoyMousePath), 0);
  EXPECT_EQ(sync.OpenDevice(nullptr), 1);  // reopening closes first
  EXPECT_EQ(backend.OpenHandleCount(sim::kMousePath), 2);
  Mouse().Disconnect();
  EXPECT_EQ(sync.OpenDevice(nullptr), 0);
  EXPECT_FALSE(comm.IsOpen());
}

TEST_F(DeviceSyncTest, OnlyDifferingBlocksAreErasedAndWritten) {
  struct Case {
    const char* what;
    std::vector<int> differing;
    const char* steps;
  } cases[] = {
      {"equal image: six reads, no erase, no write", {}, "T R0 R1 R2 R3 R4 R5 N"},
      {"blocks 1 and 5 differ, block 3 is only read", {1, 5}, "T R0 R1 E1 W1 R2 R3 R4 R5 E5 W5 N"},
      {"every block differs", {0, 1, 2, 3, 4, 5},
       "T R0 E0 W0 R1 E1 W1 R2 E2 W2 R3 E3 W3 R4 E4 W4 R5 E5 W5 N"},
  };
  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  for (const Case& c : cases) {
    for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) std::memcpy(ImageBlock(k), PatternBlock(k).data(), 256);
    PutImageIntoFlash();
    for (int k : c.differing) ImageBlock(k)[200] ^= 0x5A;
    Mouse().ClearCommandLog();
    EXPECT_EQ(sync.WriteDeviceFlash(s->image.configBlock, s->image.macroArea), 1) << c.what;
    EXPECT_EQ(Steps(), c.steps) << c.what;
    EXPECT_TRUE(FlashEqualsImage()) << c.what;
    EXPECT_FALSE(Mouse().InTestMode()) << c.what;
  }
}

TEST_F(DeviceSyncTest, ReadAndMergeTakeOnlyTheDeviceBytes) {
  for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) Mouse().SetFlashBlock(k, PatternBlock(k + 10));
  for (int m = 0; m < MODE_COUNT; ++m) {
    Mouse().SetDpiLevel(m, m);
    Mouse().SetRateIndex(m, 3 - m);
  }
  Mouse().SetCurrentMode(2);
  std::memset(s->AppliedModes, 0x3C, sizeof s->AppliedModes);
  std::memset(&s->EditingModes[4], 0x4D, sizeof(tagMODEINFO));
  std::vector<Bytes> before;
  for (int m = 0; m < MODE_COUNT; ++m) before.push_back(RawOf(s->EditingModes[m]));

  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  ASSERT_EQ(sync.ReadAllFromDevice(), 1);
  EXPECT_TRUE(FlashEqualsImage());
  EXPECT_EQ(s->deviceInfo.currentMode, 2);
  sync.MergeDeviceData();

  const sim::FlashBlock config = Mouse().GetFlashBlock(5);
  for (int m = 0; m < MODE_COUNT; ++m) {
    Bytes expected = before[m];
    std::memcpy(&expected[6300], &config[128 + 8 * m], 8);
    std::memcpy(&expected[6308], &config[192 + 8 * m], 8);
    expected[6340] = static_cast<uint8_t>(m);
    expected[6341] = static_cast<uint8_t>(3 - m);
    EXPECT_EQ(RawOf(s->EditingModes[m]), expected) << "mode " << m;
    EXPECT_EQ(RawOf(s->AppliedModes[m]), expected) << "mode " << m;
  }
  EXPECT_EQ(RawOf(s->EditingModes[4]), Bytes(6408, 0x4D));  // the fifth records are not touched
  EXPECT_EQ(RawOf(s->AppliedModes[4]), Bytes(6408, 0x3C));
  EXPECT_EQ(s->CurrentMode(), 2);
}

// Each 4-byte quarter of a mode's two device halves is merged on its own: one that the flash
// holds as all 0xFF (erased) keeps the record's bytes, which go into the image as well; any
// other is taken from the flash, also where it holds some 0xFF bytes as the factory values do.
TEST_F(DeviceSyncTest, AnErasedQuarterOfADeviceHalfKeepsTheRecordsBytes) {
  using Quarter = std::array<uint8_t, 4>;
  const struct {
    const char* what;
    Quarter flash;
    bool erased;
  } cases[] = {
      {"all 0xFF", {0xFF, 0xFF, 0xFF, 0xFF}, true},
      {"one byte not 0xFF", {0xFF, 0xFF, 0xFE, 0xFF}, false},
      {"factory DPI values", {0x10, 0x64, 0xFF, 0xFF}, false},
  };
  // Config-block offset of quarter q (0, 1: light half; 2, 3: DPI half) of mode m.
  const auto at = [](int m, int q) {
    return (q < 2 ? LightHalfOffset(m) : DpiHalfOffset(m)) + 4 * static_cast<size_t>(q % 2);
  };
  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  for (const auto& c : cases) {
    for (int q = 0; q < 4; ++q) {
      SCOPED_TRACE(std::string(c.what) + ", quarter " + std::to_string(q));
      sim::FlashBlock config = PatternBlock(5);
      for (int m = 0; m < MODE_COUNT; ++m) std::copy(c.flash.begin(), c.flash.end(), &config[at(m, q)]);
      Mouse().SetFlashBlock(5, config);
      for (int m = 0; m < MODE_COUNT; ++m)
        std::memset(&s->EditingModes[m].light, 0x40 + m, 2 * DEVICE_HALF_SIZE);
      ASSERT_EQ(sync.ReadAllFromDevice(), 1);
      sync.MergeDeviceData();
      for (int m = 0; m < MODE_COUNT; ++m) {
        Bytes expected;
        for (int p = 0; p < 4; ++p) {
          const bool own = p == q && c.erased;
          for (size_t i = 0; i < 4; ++i)
            expected.push_back(own ? static_cast<uint8_t>(0x40 + m) : config[at(m, p) + i]);
        }
        const Bytes record = RawOf(s->EditingModes[m]);
        EXPECT_EQ(Bytes(record.begin() + 6300, record.begin() + 6316), expected) << "mode " << m;
        EXPECT_EQ(RawOf(s->AppliedModes[m]), record) << "mode " << m;
        Bytes image;
        for (int p = 0; p < 4; ++p)
          image.insert(image.end(), s->image.configBlock.bytes + at(m, p),
                       s->image.configBlock.bytes + at(m, p) + 4);
        EXPECT_EQ(image, expected) << "mode " << m << ": the image holds what the record holds";
      }
    }
  }
}

TEST_F(DeviceSyncTest, IdentityCheckFollowsTheProductId) {
  struct Case {
    uint32_t expected;
    bool open;
    int result;
  } cases[] = {
      {sim::kDefaultDeviceId, true, 1},
      {sim::kDefaultDeviceId + 1, true, 0},
      {sim::kDefaultDeviceId, false, 0},
  };
  for (const Case& c : cases) {
    s->ExpectedProductId = c.expected;
    if (c.open) {
      ASSERT_EQ(sync.OpenDevice(nullptr), 1);
    } else {
      comm.Close();
    }
    property.value = -1;
    EXPECT_EQ(sync.CheckIsMyDevice(), c.result) << std::hex << c.expected;
    EXPECT_EQ(property.value, c.result) << "the property follows the last check";
  }
}

TEST_F(DeviceSyncTest, AnotherMouseIsStillReadAndWritten) {
  Mouse().SetDeviceId(0x12345678);
  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  EXPECT_EQ(sync.CheckIsMyDevice(), 0);
  EXPECT_EQ(property.value, 0);
  EXPECT_EQ(sync.ReadAllFromDevice(), 1);
  s->image.configBlock.bytes[7] = 0x42;
  EXPECT_EQ(sync.WriteDeviceFlash(s->image.configBlock, s->image.macroArea), 1);
  EXPECT_TRUE(FlashEqualsImage());
}

TEST_F(DeviceSyncTest, DisconnectInABlockWriteLeavesTheRecordsAndTheNextWriteSucceeds) {
  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  ASSERT_EQ(sync.ReadAllFromDevice(), 1);
  sync.MergeDeviceData();
  std::memcpy(ImageBlock(2), PatternBlock(3).data(), 256);
  const Bytes editing = RawOf(s->EditingModes[1]);
  const Bytes applied = RawOf(s->AppliedModes[1]);

  // Test mode, three blocks read, block 2 erased, then ten chunks of its write.
  Mouse().DisconnectAtCommand(1 + 3 * 64 + 1 + 10);
  EXPECT_EQ(sync.WriteDeviceFlash(s->image.configBlock, s->image.macroArea), 0);
  EXPECT_EQ(RawOf(s->EditingModes[1]), editing);
  EXPECT_EQ(RawOf(s->AppliedModes[1]), applied);

  Mouse().Reconnect();
  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  EXPECT_EQ(sync.WriteDeviceFlash(s->image.configBlock, s->image.macroArea), 1);
  EXPECT_TRUE(FlashEqualsImage());
}

// A transfer that fails part-way: the image keeps its previous contents, and the controller is
// sent back to normal mode.
TEST_F(DeviceSyncTest, FailedTransfersLeaveTheImageAndTheControllerAsTheyWere) {
  struct Case {
    const char* what;
    uint8_t command;  // whose reply is spoiled
    int nth;          // which one of them
    bool write;
  } cases[] = {
      {"read fails in block 3", 0x02, 3 * 64 + 20, false},
      {"read fails in block 5", 0x02, 5 * 64 + 63, false},
      {"write fails in block 4", 0x01, 30, true},
      {"erase fails", 0x03, 1, true},
  };
  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  for (const Case& c : cases) {
    for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) Mouse().SetFlashBlock(k, PatternBlock(k + 20));
    for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) std::memset(ImageBlock(k), 0x11 * k, 256);
    const tagE2IMAGE before = s->image;
    auto seen = std::make_shared<int>(0);
    sim::Fault fault;
    fault.kind = sim::FaultKind::WrongData;
    fault.count = sim::Fault::kEveryCommand;
    fault.command = c.command;
    fault.patch = [seen, nth = c.nth, read = !c.write](sim::Report& r) {
      if (++*seen != nth) return;
      if (read) {
        r[2] ^= 0xFF;  // a wrong offset echo
      } else {
        r[2] = 0;  // status: not carried out
      }
    };
    Mouse().AddFault(fault);
    if (c.write) {
      // Only block 4 differs in the write case with the spoiled write, so its chunks count.
      for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) {
        sim::FlashBlock b;
        std::memcpy(b.data(), ImageBlock(k), 256);
        if (k == 4 || c.command == 0x03) b[0] ^= 1;
        Mouse().SetFlashBlock(k, b);
      }
      EXPECT_EQ(sync.WriteDeviceFlash(s->image.configBlock, s->image.macroArea), 0) << c.what;
    } else {
      EXPECT_EQ(sync.ReadDeviceFlash(s->image.configBlock, s->image.macroArea), 0) << c.what;
    }
    Mouse().ClearFaults();
    EXPECT_EQ(std::memcmp(&before, &s->image, sizeof before), 0) << c.what;
    EXPECT_FALSE(Mouse().InTestMode()) << c.what;
    const auto log = Mouse().CommandLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back()[1], 0x20);
    EXPECT_EQ(log.back()[2], 0x80) << c.what << ": the last command returns to normal mode";
    Mouse().ClearCommandLog();
  }
}

// The closing switch back to normal mode decides the result: its reply lost, the read or the
// write fails although every block went through.
TEST_F(DeviceSyncTest, ALostReplyToTheClosingSwitchFailsTheTransfer) {
  ASSERT_EQ(sync.OpenDevice(nullptr), 1);
  for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) std::memcpy(ImageBlock(k), PatternBlock(k + 30).data(), 256);
  PutImageIntoFlash();
  for (bool write : {false, true}) {
    SCOPED_TRACE(write ? "write" : "read");
    // The reply to the switch into test mode makes the next mode command go unanswered.
    std::atomic<bool> armed{false};
    Mouse().SetReplyHook([&](uint8_t command) {
      if (command == sim::CMD_MODE_INFO && !armed.exchange(true))
        Mouse().AddFault({.kind = sim::FaultKind::NoReply, .command = sim::CMD_MODE_INFO});
    });
    Mouse().ClearCommandLog();
    const int result = write ? sync.WriteDeviceFlash(s->image.configBlock, s->image.macroArea)
                             : sync.ReadDeviceFlash(s->image.configBlock, s->image.macroArea);
    Mouse().SetReplyHook({});
    Mouse().ClearFaults();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Steps(), "T R0 R1 R2 R3 R4 R5 N");
    EXPECT_FALSE(Mouse().InTestMode()) << "the mouse took the command, only its reply was lost";
  }
}

TEST_F(DeviceSyncTest, AbsentMouseIsNeverAddressed) {
  Mouse().Disconnect();
  const Bytes before = RawOf(s->EditingModes[0]);
  EXPECT_EQ(DeviceSync::DeviceInitThreadProc(&sync), 0);
  EXPECT_EQ(sync.ReadAllFromDevice(), 0);
  EXPECT_EQ(sync.WriteDeviceFlash(s->image.configBlock, s->image.macroArea), 0);
  tagDEVICEINFO info{};
  EXPECT_EQ(sync.ReadDeviceInfo(info), 0);
  EXPECT_TRUE(Mouse().CommandLog().empty());
  EXPECT_EQ(RawOf(s->EditingModes[0]), before);
}

TEST_F(DeviceSyncTest, StartUpThreadReadsAndMerges) {
  Mouse().SetFlashBlock(5, PatternBlock(7));
  Mouse().SetCurrentMode(3);
  Mouse().SetDpiLevel(1, 2);
  std::thread thread(DeviceSync::DeviceInitThreadProc, &sync);
  thread.join();
  EXPECT_TRUE(comm.IsOpen());
  EXPECT_TRUE(FlashEqualsImage());
  EXPECT_EQ(s->CurrentMode(), 3);
  EXPECT_EQ(s->EditingModes[1].dpiLevel, 2);
  EXPECT_EQ(s->EditingModes[0].light.flags, PatternBlock(7)[128]);
  EXPECT_EQ(RawOf(s->AppliedModes[1]), RawOf(s->EditingModes[1]));
}

}  // namespace
