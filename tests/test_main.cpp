#include "Application.h"

#include <gtest/gtest.h>

#include <cstring>

// Sanitizer builds: stop at the first error; leaks are reported too.
extern "C" const char* __asan_default_options() {
    return "halt_on_error=1:detect_leaks=1";
}
extern "C" const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1";
}

int main(int argc, char** argv) {
    // Widgets need an application object, but no display: the offscreen
    // platform renders into memory.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
