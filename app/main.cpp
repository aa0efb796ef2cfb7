#include "Application.h"
#include "AutomationServers.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    RegisterAutomationServers();
    TVantel window;
    window.show();
    return app.exec();
}
