#include "Accessibility.h"
#include "AppIcon.h"
#include "Application.h"
#include "AutomationServers.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    RegisterAutomationServers();
    InstallAccessibility();
    // Every window of the program, message boxes included, carries the icon.
    QApplication::setWindowIcon(ProgramIcon());
    TVantel window;
    window.show();
    return app.exec();
}
