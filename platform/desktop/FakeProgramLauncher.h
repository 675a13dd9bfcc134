#pragma once

#include <string>
#include <vector>

#include "platform/desktop/ProgramLauncher.h"

namespace desktop {

// Records every path asked for, in order; `result` is what Open returns.
class FakeProgramLauncher : public ProgramLauncher {
 public:
  bool Open(std::u16string_view path) override {
    opened.emplace_back(path);
    return result;
  }

  bool result = true;
  std::vector<std::u16string> opened;
};

}  // namespace desktop
