#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Reader of the skin file: remembers the file's path and reads one value as a string or as a
// list of decimal numbers. The decoded file is kept, and shared with the process's other readers
// of the same path, while the file's identity (device and inode), size and modification time
// stay as they were, so hundreds of look-ups in many windows decode it once;
// any change shows at the next read. A file modified within the last seconds before it was read
// is read again at every look-up, since a rewrite within one tick of the file system's clock
// can leave all three unchanged.
//
// Section and key names match ignoring ASCII letter case; a missing file, section or key gives
// an empty value; the blanks around a value and one pair of matching quotes around it are
// dropped; a value is cut to its first 259 UTF-16 units.
class CINIFile {
 public:
  CINIFile();
  virtual ~CINIFile();
  CINIFile(const CINIFile& other);
  CINIFile& operator=(const CINIFile& other);

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
  struct Decoded;
  // The decoded text of the file as it is now; null when it cannot be read.
  std::shared_ptr<const Decoded> Text() const;
  // The few files the process has decoded lately, shared by every CINIFile: many windows read
  // the one skin file.
  static std::shared_ptr<const Decoded> SharedDecoded(const std::string& path,
                                                      const struct stat& now);
  static void ShareDecoded(const std::string& path, std::shared_ptr<const Decoded> decoded);
  using SharedFiles = std::vector<std::pair<std::string, std::shared_ptr<const Decoded>>>;
  static SharedFiles& SharedEntries();  // newest last, under the shared lock

  std::u16string path_;
  mutable std::mutex cacheLock_;  // look-ups may come from more than one thread
  mutable std::shared_ptr<const Decoded> cache_;  // shared by copies; never changed once made
};
