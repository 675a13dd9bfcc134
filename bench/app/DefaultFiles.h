#pragma once

// The default files a benchmark's program starts from, in the data folder of its desktop session.
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "settings/FactoryDefaults.h"
#include "settings/Records.h"

namespace benchutil {

// Each mode from the factory, then as `edit` changes it, into default0 to default3 under the
// data folder `dataFolder`.
inline void WriteDefaults(const std::string& dataFolder,
                          const std::function<void(int mode, settings::tagMODEINFO&)>& edit) {
  const std::string folder = dataFolder + "/Kavrin-Velro-4417/DefaultCfg";
  std::filesystem::create_directories(folder);
  for (int m = 0; m < 4; ++m) {
    auto record = std::make_unique<settings::tagMODEINFO>();
    settings::LoadFactoryDefaults(*record, m);
    edit(m, *record);
    std::ofstream(folder + "/default" + std::to_string(m), std::ios::binary)
        .write(reinterpret_cast<const char*>(record.get()), sizeof *record);
  }
}

}  // namespace benchutil
