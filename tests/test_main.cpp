#include "Application.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv) {
    // Widgets need an application object, but no display: the offscreen
    // platform renders into memory.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
