// Sanitizer suppressions, linked into every test executable.
//
// ThreadSanitizer: FFmpeg's frame-threaded decoders hand buffers between
// their threads with C11 atomics compiled into the uninstrumented system
// libraries, which ThreadSanitizer cannot see, so every frame freed on the
// reader's thread after another thread wrote it is reported. The encoders
// FFmpeg drives (x264, x265, libvpx) run their own worker threads the same
// way. Races inside these libraries are not ours to judge; everything else
// is still reported.
//
// LeakSanitizer: libx265 keeps one block per process that only x265_cleanup
// frees, which FFmpeg's libx265 encoder never calls; it is allocated once,
// however many encoders are opened and closed. Leaks from anything else are
// still reported.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libavcodec.so\n"
           "race:libavutil.so\n"
           "race:libswscale.so\n"
           "race:libswresample.so\n"
           "race:libavformat.so\n"
           "race:libx264.so\n"
           "race:libx265.so\n"
           "race:libvpx.so\n";
}

extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }
