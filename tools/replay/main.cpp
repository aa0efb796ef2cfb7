// vantel-replay: drives the real main window from a scenario on standard input.
#include "Application.h"
#include "Replay.h"

#include <iostream>

int main(int argc, char** argv) {
    // Never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ReplaySession session;
    return session.Run(std::cin, std::cout, std::cerr);
}
