#include "Application.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TVantel window;
    window.show();
    return app.exec();
}
