// Default sanitizer options compiled into every test binary, so that the first report aborts the test whether it runs
// under ctest, by hand or in a debugger. The sanitizers run only in the g++ and clang builds for Linux.
#if defined(__GNUC__) && !defined(_WIN32)
extern "C" {
__attribute__((visibility("default"))) const char* __asan_default_options() {
    return "halt_on_error=1:abort_on_error=1:detect_leaks=1";
}
__attribute__((visibility("default"))) const char* __ubsan_default_options() {
    return "halt_on_error=1:abort_on_error=1:print_stacktrace=1";
}
}
#endif
