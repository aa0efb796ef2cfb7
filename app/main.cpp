#include "Accessibility.h"
#include "AppIcon.h"
#include "Application.h"
#include "AutomationServers.h"
#include "InputHub.h"
#include "LapInputs.h"
#include "Messages.h"
#include "RunJournal.h"
#include "RunRecorder.h"
#include "Unit1.h"

#include <QMessageBox>
#include <QPoint>
#include <QPushButton>

#include <memory>
#include <vector>

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
    // One window holds one run. Each interrupted run the operator restores
    // comes back in a window of its own, as the copies that were killed had
    // them, each in its own journal: closing one window loses nothing of
    // another's run.
    struct TRunWindow {
        std::unique_ptr<TVantel> Window;
        std::unique_ptr<TRunRecorder> Journal;
        bool Restored = false;
    };
    std::vector<TRunWindow> windows;
    auto open = [&windows]() -> TRunWindow& {
        TRunWindow w;
        w.Window = std::make_unique<TVantel>();
        if (!windows.empty()) // not exactly over the one before
            w.Window->move(windows.back().Window->pos() + QPoint(32, 32));
        // A write failure later is told in the window, without taking the focus.
        w.Journal = std::make_unique<TRunRecorder>(w.Window->Run, RunJournal::DefaultDir());
        windows.push_back(std::move(w));
        return windows.back();
    };
    open();
    TRunRecorder::StartUp(RunJournal::DefaultDir(), AskRestore, [&]() -> TRunRecorder& {
        TRunWindow* w = windows.back().Restored ? &open() : &windows.back();
        w->Restored = true;
        return *w->Journal;
    });
    // The presses from outside go to the first window's run; the lap inputs
    // are chosen from its menu.
    TInputHub hub(*windows.front().Window);
    TLapInputs lapInputs(hub);
    windows.front().Window->PopupMenu1->Add(QStringLiteral("LapInputs1"), Msg::MenuLapInputs(),
                                            [&lapInputs](QObject*) { lapInputs.ShowDialog(); });
    // The newest run shows last, on top.
    for (auto w = windows.rbegin(); w != windows.rend(); ++w) {
        w->Window->show();
        w->Journal->RestoreFocus();
    }
    return app.exec();
}
