// Feeds arbitrary bytes to the skin file reader as the content of Setup.ini and reads the value
// forms the windows use: strings, rectangles and single numbers.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/sys/Utf.h"
#include "resources/INIFile.h"

namespace {

// A temporary folder of the fuzzer's own holding the one input file; both are removed when the
// process exits.
class FuzzFolder {
 public:
  FuzzFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/kdz-fuzz-skin-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
      folder_ = pattern;
      file_ = folder_ + "/Setup.ini";
    }
  }
  ~FuzzFolder() {
    if (folder_.empty()) return;
    ::unlink(file_.c_str());
    ::rmdir(folder_.c_str());
  }
  const std::string& File() const { return file_; }

 private:
  std::string folder_;
  std::string file_;
};

const std::string& IniPath() {
  static const FuzzFolder folder;
  return folder.File();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (IniPath().empty()) return 0;
  FILE* f = std::fopen(IniPath().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  CINIFile ini;
  ini.SetFile(sys::FromUtf8(IniPath()));
  static const char16_t* const kSections[] = {u"MainWindow", u"ProductID", u"S", u""};
  static const char16_t* const kKeys[] = {u"WindowsRect", u"Visable", u"NormalImage", u"K", u""};
  for (const char16_t* section : kSections) {
    for (const char16_t* key : kKeys) {
      const std::u16string value = ini.GetString(section, key);
      if (value.size() > CINIFile::kMaxValue) __builtin_trap();
      int32_t rect[4] = {-1, -1, -1, -1};
      if (ini.GetInts(section, key, rect, 4) > 4) __builtin_trap();
      int32_t one = 0;
      if (ini.GetInts(section, key, &one, 1) > 1) __builtin_trap();
    }
  }
  return 0;
}
