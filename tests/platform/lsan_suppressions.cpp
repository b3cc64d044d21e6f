// LeakSanitizer suppressions for this test binary. libx265 keeps one block
// per process that only x265_cleanup frees, which FFmpeg's libx265 encoder
// never calls; it is allocated once, however many encoders are opened and
// closed. Leaks from anything else are still reported.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }
