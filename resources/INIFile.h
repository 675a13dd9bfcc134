#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Reader of the skin file: remembers the file's path and reads one value as a string or as a
// list of decimal numbers. Nothing is cached; every call reads the file again, so an edit of the
// file shows at the next read.
//
// Section and key names match ignoring ASCII letter case; a missing file, section or key gives
// an empty value; the blanks around a value and one pair of matching quotes around it are
// dropped; a value is cut to its first 259 UTF-16 units.
class CINIFile {
 public:
  CINIFile();
  virtual ~CINIFile();
  CINIFile(const CINIFile&) = default;
  CINIFile& operator=(const CINIFile&) = default;

  // Stores the path in every case; 1 when it names an existing object that is not a
  // directory, else 0.
  int SetFile(const std::u16string& path);
  const std::u16string& GetFile() const;

  std::u16string GetString(std::u16string_view section, std::u16string_view key) const;

  // Reads a comma-separated list of decimal numbers into dest, at most `room` of them, and
  // returns how many were stored. Places past the last number keep what the caller put there.
  int GetInts(std::u16string_view section, std::u16string_view key, int32_t* dest,
              int room) const;

  // Longest value GetString returns, in UTF-16 units.
  static constexpr size_t kMaxValue = 259;

 private:
  std::u16string path_;
};
