#include "AppIcon.h"
#include "Application.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    // Every window of the program, message boxes included, carries the icon.
    QApplication::setWindowIcon(ProgramIcon());
    TVantel window;
    window.show();
    return app.exec();
}
