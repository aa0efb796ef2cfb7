// vantel-replay: drives the real main window from a scenario on standard input.
#include "Application.h"
#include "Replay.h"
#include "ScratchHome.h"

#include <QTemporaryDir>

#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    // The command table, for the README and the bad-line checks; no window needed.
    if (argc == 2 && std::string_view(argv[1]) == "--commands") {
        ReplaySession::PrintCommands(std::cout);
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--arity") {
        ReplaySession::PrintArity(std::cout);
        return 0;
    }
    // Never the user's settings or runs: a scenario starts from none and
    // leaves none behind. Set before Qt first looks at them.
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    // HOME stays as given: a save's note tells the folder from "~".
    UseScratchHome(home.path(), false);
    // Never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ReplaySession session;
    return session.Run(std::cin, std::cout, std::cerr);
}
