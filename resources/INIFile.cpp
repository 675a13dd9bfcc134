#include "resources/INIFile.h"

#include <sys/stat.h>

#include <climits>
#include <ctime>
#include <utility>

#include "platform/sys/Utf.h"
#include "resources/XmlTextFile.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Finds the value of `key` in the first section named `section`: the text after the first '='
// of the first line whose key matches, blanks dropped.
bool FindValue(std::u16string_view text, std::u16string_view section, std::u16string_view key,
               std::u16string_view& value) {
  bool inSection = false;
  bool sectionSeen = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(u"\r\n", pos);
    if (end == std::u16string_view::npos) end = text.size();
    const std::u16string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      if (sectionSeen) return false;  // only the first section of that name is searched
      size_t close = line.find(u']');
      if (close == std::u16string_view::npos) close = line.size();
      inSection = EqualNoCase(Trim(line.substr(1, close - 1)), section);
      sectionSeen = inSection;
      continue;
    }
    if (!inSection) continue;
    const size_t eq = line.find(u'=');
    if (eq == std::u16string_view::npos) continue;
    if (EqualNoCase(Trim(line.substr(0, eq)), key)) {
      value = Trim(line.substr(eq + 1));
      return true;
    }
  }
  return false;
}

// Leading blanks, an optional sign, then decimal digits up to the first other character; no
// digit gives 0. Values beyond the int32 range are clamped instead of overflowing.
int32_t ParseInt(std::u16string_view s) {
  size_t i = 0;
  while (i < s.size() && (IsBlank(s[i]) || s[i] == u'\r' || s[i] == u'\n')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    v = v * 10 + (s[i] - u'0');
    if (v > int64_t(INT32_MAX) + 1) v = int64_t(INT32_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  return static_cast<int32_t>(v);
}

// How long after its last modification a file's size and time can still miss a rewrite: the
// modification time comes from a clock that advances in ticks (up to 2 s on some file systems).
constexpr time_t kRacySeconds = 2;

bool operator==(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

struct CINIFile::Decoded {
  dev_t device;
  ino_t inode;
  off_t size;
  timespec modified;
  std::u16string text;

  bool Describes(const struct stat& st) const {
    return device == st.st_dev && inode == st.st_ino && size == st.st_size &&
           modified == st.st_mtim;
  }
};

CINIFile::CINIFile() = default;
CINIFile::~CINIFile() = default;

CINIFile::CINIFile(const CINIFile& other) : path_(other.path_) {
  std::lock_guard<std::mutex> guard(other.cacheLock_);
  cache_ = other.cache_;
}

CINIFile& CINIFile::operator=(const CINIFile& other) {
  if (this == &other) return *this;
  std::shared_ptr<const Decoded> cache;
  {
    std::lock_guard<std::mutex> guard(other.cacheLock_);
    cache = other.cache_;
  }
  std::lock_guard<std::mutex> guard(cacheLock_);
  path_ = other.path_;
  cache_ = std::move(cache);
  return *this;
}

std::shared_ptr<const CINIFile::Decoded> CINIFile::Text() const {
  std::lock_guard<std::mutex> guard(cacheLock_);
  const std::string path = sys::ToUtf8(path_);
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0) {
    cache_.reset();
    return nullptr;
  }
  if (cache_ && cache_->Describes(before)) return cache_;
  if (std::shared_ptr<const Decoded> shared = SharedDecoded(path, before)) {
    cache_ = shared;
    return shared;
  }
  timespec readAt{};
  clock_gettime(CLOCK_REALTIME, &readAt);
  // Read like the language file: only a regular file, in the encoding its byte-order mark
  // names, else UTF-8 when the bytes are UTF-8, else the locale's code set.
  auto decoded = std::make_shared<Decoded>(
      Decoded{before.st_dev, before.st_ino, before.st_size, before.st_mtim, {}});
  std::u16string message;
  uint32_t flags = 0;
  if (!xml::ReadTextFile(path_, decoded->text, message, flags)) {
    cache_.reset();
    return nullptr;
  }
  // Kept only when a rewrite after the stat above would have moved the modification time.
  const bool racy = before.st_mtim.tv_sec >= readAt.tv_sec - kRacySeconds;
  cache_ = racy ? nullptr : decoded;
  if (!racy) ShareDecoded(path, decoded);
  return decoded;
}

namespace {

// A handful of entries: the skin file and the odd other file a process reads.
constexpr size_t kSharedFiles = 4;

std::mutex g_sharedLock;

}  // namespace

std::shared_ptr<const CINIFile::Decoded> CINIFile::SharedDecoded(const std::string& path,
                                                                 const struct stat& now) {
  std::lock_guard<std::mutex> guard(g_sharedLock);
  for (const auto& [file, decoded] : SharedEntries())
    if (file == path && decoded->Describes(now)) return decoded;
  return nullptr;
}

void CINIFile::ShareDecoded(const std::string& path, std::shared_ptr<const Decoded> decoded) {
  std::lock_guard<std::mutex> guard(g_sharedLock);
  auto& entries = SharedEntries();
  std::erase_if(entries, [&](const auto& entry) { return entry.first == path; });
  if (entries.size() >= kSharedFiles) entries.erase(entries.begin());
  entries.emplace_back(path, std::move(decoded));
}

CINIFile::SharedFiles& CINIFile::SharedEntries() {
  // Never destroyed: a look-up may still come from an object with static lifetime at exit.
  static auto* entries = new SharedFiles;
  return *entries;
}

int CINIFile::SetFile(const std::u16string& path) {
  std::lock_guard<std::mutex> guard(cacheLock_);
  path_ = path;
  cache_.reset();
  struct stat st {};
  if (path.empty() || stat(sys::ToUtf8(path).c_str(), &st) != 0) return 0;
  return S_ISDIR(st.st_mode) ? 0 : 1;
}

const std::u16string& CINIFile::GetFile() const { return path_; }

std::u16string CINIFile::GetString(std::u16string_view section, std::u16string_view key) const {
  if (path_.empty() || section.empty() || key.empty()) return {};
  const std::shared_ptr<const Decoded> decoded = Text();
  if (!decoded) return {};
  std::u16string_view value;
  if (!FindValue(decoded->text, section, key, value)) return {};
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == u'"' || value.front() == u'\'')) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.size() > kMaxValue) {
    value = value.substr(0, kMaxValue);
    // A cut between the two halves of a surrogate pair would leave half a character.
    if (value.back() >= 0xD800 && value.back() <= 0xDBFF) value.remove_suffix(1);
  }
  return std::u16string(value);
}

int CINIFile::GetInts(std::u16string_view section, std::u16string_view key, int32_t* dest,
                      int room) const {
  const std::u16string s = GetString(section, key);
  if (!dest || room <= 0) return 0;
  std::u16string_view rest = s;
  int count = 0;
  for (;;) {
    const size_t comma = rest.find(u',');
    const std::u16string_view part =
        comma == std::u16string_view::npos ? rest : rest.substr(0, comma);
    if (comma == std::u16string_view::npos && part.empty()) break;
    if (count == room) break;
    dest[count++] = ParseInt(part);
    if (comma == std::u16string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  return count;
}
