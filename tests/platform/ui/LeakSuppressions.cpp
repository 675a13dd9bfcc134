// Caches that the font, bus and windowing libraries keep until the process ends are not leaks
// of ours; LeakSanitizer reads this list when the tests are built with AddressSanitizer.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libdbus\n"
         "leak:libxcb\n"
         "leak:libX11\n";
}
