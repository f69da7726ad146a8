// Compiled into every test program. The font library that Qt loads for the first text it draws
// keeps a cache it never frees; LeakSanitizer builds read this list instead of reporting it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
