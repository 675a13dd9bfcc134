#include "resources/XmlTextFile.h"

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cerrno>
#include <memory>

#include "platform/sys/Utf.h"

namespace xml {
namespace {

// Far beyond any text this program reads; a larger file is refused so that its offsets, its
// index and its memory stay bounded.
constexpr int64_t kMaxFileBytes = 64 * 1024 * 1024;
constexpr size_t kPrefixBytes = 1024;

// The state of one read.
struct tagXMLFILEREAD {
  uint32_t flags = 0;
  int32_t fileLength = 0;  // less the byte-order mark
  int32_t bytesToRead = 0;
  int32_t unitSize = 1;
  int32_t unitCount = 0;
  int32_t markLength = 0;
  std::u16string message;
  std::u16string encoding;
};

struct ByteOrderMark {
  std::string_view bytes;
  std::u16string_view name;
  int32_t unitSize;
  uint32_t flag;
};

constexpr ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", u"UTF-8", 1, XML_DOC_UTF8},
    {"\xFF\xFE", u"UTF-16LE", 2, XML_DOC_UTF16LE},
    {"\xFE\xFF", u"UTF-16BE", 2, XML_DOC_UTF16BE},
};

void AppendNumber(std::u16string& out, int64_t n) {
  for (char c : std::to_string(n)) out += static_cast<char16_t>(c);
}

// Detects the encoding from the first bytes of the file and writes the open message.
void OpenStep(tagXMLFILEREAD& r, std::string_view prefix, int32_t fileLength,
              std::u16string_view forced) {
  r.flags &= ~(XML_DOC_UTF16LE | XML_DOC_UTF8 | XML_DOC_UTF16BE);
  r.fileLength = fileLength;
  r.unitSize = 1;
  r.markLength = 0;
  r.encoding.clear();
  r.message.clear();
  bool marked = false;
  if (!prefix.empty()) {
    for (const auto& m : kMarks) {
      if (prefix.substr(0, m.bytes.size()) != m.bytes) continue;
      r.markLength = static_cast<int32_t>(m.bytes.size());
      r.fileLength -= r.markLength;
      r.flags |= m.flag;
      r.encoding = m.name;
      r.unitSize = m.unitSize;
      marked = true;
      break;
    }
    if (!marked) {
      r.encoding = GetDeclaredEncoding(sys::FromUtf8(prefix));
      if (r.encoding.empty() && prefix[0] == '<') r.encoding = u"UTF-8";
    }
  }
  if (!r.encoding.empty()) {
    r.message = r.encoding;
    if (marked) r.message += u" BOM +";
    r.message += u" ";
  }
  if (r.unitSize == 1 && !forced.empty() && forced != r.encoding) {
    r.encoding = forced;
    r.message += u"forced ";
    r.message += forced;
    r.message += u" ";
  }
}

// The open message, or in its place the name the read step settled on.
std::u16string LoadMessagePrefix(const std::u16string& openMessage, const tagXMLFILEREAD& r) {
  if (!openMessage.empty()) return openMessage;
  return r.encoding.empty() ? std::u16string(u"ANSI ") : r.encoding + u" ";
}

void NoteNulls(tagXMLFILEREAD& r, int32_t nulls) {
  if (!nulls) return;
  r.message += u"(";
  AppendNumber(r.message, nulls);
  r.message += u" nulls removed) ";
  r.unitCount -= nulls;
}

// Converts the bytes after the mark; writes the read message into r.message.
void ReadStep(tagXMLFILEREAD& r, std::string_view bytes, std::u16string& document) {
  r.message.clear();
  document.clear();
  r.bytesToRead = static_cast<int32_t>(bytes.size());
  if (bytes.empty()) {
    r.message = u"0 length ";
    return;
  }
  r.unitCount = r.bytesToRead / r.unitSize;
  r.message = u"length ";
  AppendNumber(r.message, r.unitCount);
  r.message += u" ";
  int32_t nulls = 0;
  if (r.unitSize == 2) {
    const bool swap = r.flags & XML_DOC_UTF16BE;
    document.reserve(static_cast<size_t>(r.unitCount));
    for (int32_t i = 0; i < r.unitCount; ++i) {
      const auto lo = static_cast<uint8_t>(bytes[size_t(2 * i)]);
      const auto hi = static_cast<uint8_t>(bytes[size_t(2 * i + 1)]);
      const auto u = static_cast<char16_t>(swap ? (lo << 8 | hi) : (hi << 8 | lo));
      if (u == 0) {
        ++nulls;
      } else {
        document += u;
      }
    }
    NoteNulls(r, nulls);
    if (swap) r.message += u"endian swap ";
    return;
  }
  std::string text;
  if (std::memchr(bytes.data(), 0, bytes.size())) {
    text.reserve(bytes.size());
    for (char c : bytes) {
      if (c == '\0') {
        ++nulls;
      } else {
        text += c;
      }
    }
  }
  const std::string_view textView = nulls ? std::string_view(text) : bytes;
  NoteNulls(r, nulls);
  if (r.encoding.empty()) {
    if (IsUtf8Text(textView.data(), static_cast<int32_t>(textView.size()))) {
      r.encoding = u"UTF-8";
    }
    r.message += u"(used UTF-8 detection) ";
  }
  int32_t codePage = CodePageFromName(r.encoding);
  if (codePage < 0) codePage = kCodePageAnsi;
  bool usedDefault = false;
  if (!CodePageToUtf16(codePage, textView, document, usedDefault)) document.clear();
  r.message += u"to ";
  AppendNumber(r.message, static_cast<int64_t>(document.size()));
  r.message += u" wide chars ";
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Opens a regular file for reading without blocking on a fifo or device; sets errno when the
// path names anything else.
int OpenRegular(const std::string& path, int64_t& size) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes) {
    const int err = S_ISDIR(st.st_mode) ? EISDIR : (st.st_size > kMaxFileBytes ? EFBIG : EINVAL);
    close(fd);
    errno = err;
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  size = st.st_size;
  return fd;
}

// Reads up to `limit` bytes into a buffer that is not zero-filled first; false with errno on a
// read error, `got` telling how many bytes did arrive.
bool ReadAll(int fd, std::unique_ptr<char[]>& bytes, size_t limit, size_t& got) {
  bytes.reset(new char[limit ? limit : 1]);
  got = 0;
  while (got < limit) {
    const ssize_t n = read(fd, bytes.get() + got, limit - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return true;
}

// The value of attribute `attr` in the tag starting at `tag` (just after '<' or "<?" and the
// element name), or false when the tag has no such attribute.
bool FindAttribute(std::u16string_view tag, std::u16string_view attr, std::u16string& value) {
  size_t i = 0;
  const size_t n = tag.size();
  const auto blank = [&](size_t k) { return k < n && IsBlank(tag[k]); };
  for (;;) {
    while (blank(i)) ++i;
    if (i >= n || tag[i] == u'/' || tag[i] == u'>' || tag[i] == u'?') return false;
    const size_t nameStart = i;
    while (i < n && tag[i] != u'=' && !IsBlank(tag[i]) && tag[i] != u'>' && tag[i] != u'/' &&
           tag[i] != u'?') {
      ++i;
    }
    const std::u16string_view name = tag.substr(nameStart, i - nameStart);
    std::u16string_view v;
    size_t save = i;
    while (blank(i)) ++i;
    if (i < n && tag[i] == u'=') {
      ++i;
      while (blank(i)) ++i;
      if (i < n && (tag[i] == u'"' || tag[i] == u'\'')) {
        const char16_t quote = tag[i++];
        const size_t end = std::min(tag.find(quote, i), n);
        v = tag.substr(i, end - i);
        i = end < n ? end + 1 : n;
      } else {
        const size_t vs = i;
        while (i < n && !IsBlank(tag[i]) && tag[i] != u'>') ++i;
        v = tag.substr(vs, i - vs);
      }
    } else {
      i = save;
    }
    if (name.empty()) {
      ++i;  // a stray '=' with no name before it
    } else if (CompareNoCase(name, attr)) {
      value.assign(v);
      return true;
    }
  }
}

// The word after "charset" and "=" in a meta element's content value.
std::u16string CharsetOfContent(std::u16string_view content) {
  tagXMLSCANNER s;
  s.doc = content;
  for (;;) {
    const std::u16string_view w = NextWord(s);
    if (w.empty()) return {};
    if (!CompareNoCase(w, u"charset")) continue;
    tagXMLSCANNER look = s;
    if (NextWord(look) != u"=") continue;
    return std::u16string(NextWord(look));
  }
}

}  // namespace

bool IsUtf8Text(const void* data, int32_t length) {
  const auto* b = static_cast<const uint8_t*>(data);
  int32_t i = 0;
  while (i < length && b[i] != 0) {
    const uint8_t c = b[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int32_t more;
    if (!(c & 0x20)) {
      more = 1;
    } else if (!(c & 0x10)) {
      more = 2;
    } else if (!(c & 0x08)) {
      more = 3;
    } else {
      return false;
    }
    for (int32_t k = 1; k <= more; ++k) {
      if (i + k >= length || b[i + k] < 0x80) return false;
    }
    i += more + 1;
  }
  return true;
}

std::u16string GetDeclaredEncoding(std::u16string_view text) {
  text = text.substr(0, std::min(text.find(u'\0'), text.size()));
  tagXMLSCANNER s;
  s.doc = text;
  s.flags = XML_DOC_IGNORECASE;
  tagXMLTOKEN t;
  bool beforeMarkup = true;  // no element or end tag yet
  bool piSeen = false;
  bool inHtml = false;
  for (;;) {
    const int32_t type = NextToken(s, t);
    if (type == XML_NODE_ERROR || type == XML_NODE_END) return {};
    const std::u16string_view tag = text.substr(static_cast<size_t>(t.start),
                                                static_cast<size_t>(t.length));
    if (type == XML_NODE_PI) {
      if (piSeen) continue;
      piSeen = true;
      if (beforeMarkup && MatchName(t.name, u"xml", s.flags)) {
        std::u16string value;
        tagXMLSCANNER w;
        w.doc = tag;
        w.next = 2;
        NextWord(w);  // the target
        FindAttribute(tag.substr(static_cast<size_t>(w.next)), u"encoding", value);
        return value;
      }
    } else if (type == XML_NODE_ELEMENT) {
      tagXMLSCANNER w;
      w.doc = tag;
      w.next = 1;
      const std::u16string_view name = NextWord(w);
      const std::u16string_view rest = tag.substr(static_cast<size_t>(w.next));
      if (!inHtml) {
        if (!MatchName(name, u"html", s.flags) || name.empty()) return {};
        inHtml = true;
      } else if (!name.empty() && MatchName(name, u"meta", s.flags)) {
        std::u16string equiv, content;
        if (FindAttribute(rest, u"http-equiv", equiv) && CompareNoCase(equiv, u"Content-Type")) {
          return FindAttribute(rest, u"content", content) ? CharsetOfContent(content)
                                                          : std::u16string();
        }
      }
      beforeMarkup = false;
    } else if (type == XML_NODE_END_TAG) {
      if (inHtml && MatchName(s.Name(), u"head", s.flags) && !s.Name().empty()) return {};
      beforeMarkup = false;
    }
  }
}

std::u16string LastErrorText() {
  const int err = errno;
  char buf[256];
  const char* text = strerror_r(err, buf, sizeof buf);  // the GNU form returns the text
  std::u16string out = sys::FromUtf8(text ? text : "");
  out = out.substr(0, std::min<size_t>(out.find_first_of(u"\r\n"), 99));
  return out;
}

int32_t ConvertText(tagTEXTCONVERT& request, char16_t* destination) {
  const int32_t capacity = request.resultLength;
  request.resultLength = 0;
  if (request.toEncoding != u"UTF-16" || request.sourceLength < 0 ||
      (request.sourceLength > 0 && !request.source)) {
    return 0;
  }
  int32_t codePage = CodePageFromName(request.fromEncoding);
  if (codePage < 0) codePage = kCodePageAnsi;
  const size_t unit = codePage == kCodePageUtf32 ? 4 : 1;
  const std::string_view bytes(static_cast<const char*>(request.source),
                               static_cast<size_t>(request.sourceLength) * unit);
  std::u16string out;
  bool usedDefault = false;
  if (!CodePageToUtf16(codePage, bytes, out, usedDefault)) return 0;
  request.usedDefaultChar = usedDefault;
  const auto length = static_cast<int32_t>(out.size());
  if (destination) {
    if (length > capacity) return 0;
    std::copy(out.begin(), out.end(), destination);
  }
  request.resultLength = length;
  return length;
}

void DecodeTextBuffer(std::string_view bytes, std::u16string& document, std::u16string& message,
                      uint32_t& flags, std::u16string_view forcedEncoding) {
  tagXMLFILEREAD r;
  r.flags = flags | XML_DOC_READFILE;
  document.clear();
  const auto length = static_cast<int32_t>(std::min<size_t>(bytes.size(), kMaxFileBytes));
  bytes = bytes.substr(0, static_cast<size_t>(length));
  OpenStep(r, bytes.substr(0, kPrefixBytes), length, forcedEncoding);
  const std::u16string openMessage = r.message;
  ReadStep(r, bytes.substr(static_cast<size_t>(r.markLength)), document);
  message = LoadMessagePrefix(openMessage, r) + r.message;
  flags = r.flags & ~(XML_DOC_READFILE | XML_DOC_WRITEFILE | XML_DOC_APPENDFILE);
}

bool ReadTextFile(std::u16string_view path, std::u16string& document, std::u16string& message,
                  uint32_t& flags, std::u16string_view forcedEncoding) {
  document.clear();
  message.clear();
  int64_t size = 0;
  const Fd fd(OpenRegular(sys::ToUtf8(path), size));
  if (fd.get() < 0) {
    message = LastErrorText();
    return false;
  }
  std::unique_ptr<char[]> buffer;
  size_t got = 0;
  const bool read = ReadAll(fd.get(), buffer, static_cast<size_t>(size), got);
  const std::string_view bytes(buffer.get(), got);
  if (!read) {
    const std::u16string error = LastErrorText();
    if (got < std::min<size_t>(static_cast<size_t>(size), kPrefixBytes)) {
      message = error;  // the first bytes could not be read
    } else {
      tagXMLFILEREAD r;
      r.flags = flags;
      OpenStep(r, bytes.substr(0, kPrefixBytes), static_cast<int32_t>(size), forcedEncoding);
      message = LoadMessagePrefix(r.message, r) + error;
    }
    return false;
  }
  DecodeTextBuffer(bytes, document, message, flags, forcedEncoding);
  return true;
}

}  // namespace xml
