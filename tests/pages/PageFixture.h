#pragma once

#include <gtest/gtest.h>

#include <QString>

#include <cstring>
#include <memory>
#include <string>

#include "resources/INIFile.h"
#include "settings/FactoryDefaults.h"
#include "settings/Records.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace pagetest {

// A page of the build's default skin, a child of a stand-in for the main window (860 by 560,
// recording the messages the page posts to it).
template <typename PageClass>
class PageFixture : public ::testing::Test {
 protected:
  explicit PageFixture(const char16_t* section) : section_(section) {}

  void SetUp() override {
    parent.resize(860, 560);
    parent.move(40, 30);
    ASSERT_EQ(skinFile.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String()), 1);
    page = std::make_unique<PageClass>(skinFile, QStringLiteral(KDZ_PROGRAM_DIR),
                                       QString::fromUtf16(section_), &parent);
    page->Create();
    parent.show();
  }

  // A factory record of mode 0.
  static settings::tagMODEINFO FactoryRecord() {
    settings::tagMODEINFO record;
    settings::LoadFactoryDefaults(record, 0);
    return record;
  }

  const char16_t* section_;
  uitest::MessageRecorder parent;
  CINIFile skinFile;
  std::unique_ptr<PageClass> page;
};

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace pagetest
