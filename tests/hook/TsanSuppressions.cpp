// Qt hands a posted event to the receiving thread under its own mutex, which is built from
// atomics and futexes inside the Qt library, where ThreadSanitizer cannot see them. The event
// that ui::PostMessage makes on the hook's thread and the window reads on its own thread is
// therefore reported as a race that is none; ThreadSanitizer reads this list at start.
extern "C" const char* __tsan_default_suppressions() { return "race:ui::PostMessage\n"; }
