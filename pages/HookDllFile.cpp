#include "pages/HookDllFile.h"

#include <elf.h>
#include <endian.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pages {
namespace {

#if defined(__x86_64__)
constexpr uint16_t kMachine = EM_X86_64;
#elif defined(__i386__)
constexpr uint16_t kMachine = EM_386;
#elif defined(__aarch64__)
constexpr uint16_t kMachine = EM_AARCH64;
#elif defined(__arm__)
constexpr uint16_t kMachine = EM_ARM;
#elif defined(__riscv)
constexpr uint16_t kMachine = EM_RISCV;
#elif defined(__powerpc64__)
constexpr uint16_t kMachine = EM_PPC64;
#elif defined(__powerpc__)
constexpr uint16_t kMachine = EM_PPC;
#elif defined(__s390__)
constexpr uint16_t kMachine = EM_S390;
#elif defined(__mips__)
constexpr uint16_t kMachine = EM_MIPS;
#elif defined(__loongarch__)
constexpr uint16_t kMachine = EM_LOONGARCH;
#else
#error "Name this machine's ELF architecture (e_machine) here."
#endif

constexpr unsigned char kClass = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kByteOrder = __BYTE_ORDER == __LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;

// Reads exactly `size` bytes at `offset`.
bool ReadAt(int fd, void* out, size_t size, off_t offset) {
  char* to = static_cast<char*>(out);
  while (size > 0) {
    const ssize_t n = ::pread(fd, to, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    to += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

// Whether [offset, offset + size) lies within a file of `fileSize` bytes.
bool Within(uint64_t offset, uint64_t size, uint64_t fileSize) {
  return offset <= fileSize && size <= fileSize - offset;
}

bool IsWholeObject(int fd, uint64_t fileSize, std::string& why) {
  ElfW(Ehdr) header;
  if (fileSize < sizeof header || !ReadAt(fd, &header, sizeof header, 0)) {
    why = "file too short for an ELF header";
    return false;
  }
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
    why = "not an ELF file";
    return false;
  }
  if (header.e_ident[EI_CLASS] != kClass || header.e_ident[EI_DATA] != kByteOrder ||
      header.e_ident[EI_VERSION] != EV_CURRENT || header.e_machine != kMachine) {
    why = "an ELF file for another machine";
    return false;
  }
  if (header.e_type != ET_DYN) {
    why = "not a shared ELF object";
    return false;
  }
  const uint64_t tableSize = uint64_t(header.e_phnum) * sizeof(ElfW(Phdr));
  if (header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0 ||
      header.e_phnum == PN_XNUM || !Within(header.e_phoff, tableSize, fileSize)) {
    why = "program headers outside the file (truncated?)";
    return false;
  }
  std::vector<ElfW(Phdr)> segments(header.e_phnum);
  if (!ReadAt(fd, segments.data(), tableSize, static_cast<off_t>(header.e_phoff))) {
    why = "program headers unreadable";
    return false;
  }
  bool loadable = false;
  for (const ElfW(Phdr)& segment : segments) {
    if (!Within(segment.p_offset, segment.p_filesz, fileSize)) {
      why = "a segment lies outside the file (truncated?)";
      return false;
    }
    loadable = loadable || segment.p_type == PT_LOAD;
  }
  if (!loadable) {
    why = "no loadable segment";
    return false;
  }
  return true;
}

}  // namespace

int OpenLibraryFile(const std::string& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    why = std::strerror(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "not a regular file";
  } else if (IsWholeObject(fd, static_cast<uint64_t>(st.st_size), why)) {
    return fd;
  }
  ::close(fd);
  return -1;
}

std::string DescriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

}  // namespace pages
