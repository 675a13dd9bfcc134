#pragma once

#include <string>

// Opening the keyboard-hook library's file before it is loaded. The loader maps the file's
// segments into memory, so a short file would end the program with SIGBUS at the first touch
// of a page past its end, and a named pipe would block the loader's open.
namespace pages {

// Opens `path` for reading without waiting and keeps it only when it is a regular file that
// holds a whole shared ELF object of this machine: the header fits, it names this machine's
// class, byte order and architecture, and its program headers and every segment they describe
// lie within the file. The descriptor (close-on-exec), or -1 with the reason in `why`.
int OpenLibraryFile(const std::string& path, std::string& why);

// The path through which the loader opens the very file behind the descriptor `fd`, whatever
// becomes of its name meanwhile.
std::string DescriptorPath(int fd);

}  // namespace pages
