#include "Accessibility.h"
#include "AppIcon.h"
#include "Application.h"
#include "AutomationServers.h"
#include "Messages.h"
#include "RunJournal.h"
#include "RunRecorder.h"
#include "Unit1.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

// The restore question: Restore is the default (Enter), Discard answers Escape.
bool AskRestore(const QString& question) {
    QMessageBox box(QMessageBox::Question, Msg::AppName(), question);
    QPushButton* restore = box.addButton(Msg::RestoreButton(), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(Msg::DiscardButton(), QMessageBox::RejectRole);
    box.setDefaultButton(restore);
    box.setEscapeButton(discard);
    box.exec();
    return box.clickedButton() == restore;
}

} // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    RegisterAutomationServers();
    InstallAccessibility();
    // Every window of the program, message boxes included, carries the icon.
    QApplication::setWindowIcon(ProgramIcon());
    TVantel window;
    // The run journal: an interrupted run is offered back before the window
    // shows; a write failure later is told without taking the focus.
    TRunRecorder journal(window.Run, RunJournal::DefaultDir());
    journal.StartUp(AskRestore);
    window.show();
    journal.RestoreFocus();
    return app.exec();
}
