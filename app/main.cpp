#include "Accessibility.h"
#include "ActionCommand.h"
#include "AppIcon.h"
#include "Application.h"
#include "AutomationServers.h"
#include "Clock.h"
#include "DesktopActions.h"
#include "DeviceSection.h"
#include "InputHub.h"
#include "LapInputSettings.h"
#include "LapInputs.h"
#include "LiveBoardDialog.h"
#include "Messages.h"
#include "ProgramSettings.h"
#include "RunJournal.h"
#include "RunRecorder.h"
#include "ShortcutsPortal.h"
#include "Unit1.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QSettings>

#include <cstdio>
#include <ctime>
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

void PrintLine(std::FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char** argv) {
    // `vantel --lap` from a desktop shortcut is timed at the moment the
    // command started, not when it got through its start-up.
    timespec launched{};
    clock_gettime(CLOCK_BOOTTIME, &launched);
    const ActionCommand::TCommand command = ActionCommand::Parse(argc, argv);
    switch (command.Kind) {
    case ActionCommand::TCommand::Usage:
        PrintLine(stderr, Msg::CommandUsage());
        return 2;
    case ActionCommand::TCommand::Help:
        PrintLine(stdout, Msg::CommandUsage());
        return 0;
    case ActionCommand::TCommand::Send: {
        // No widgets and no window: the bus call is all the command does.
        QCoreApplication core(argc, argv);
        const ActionCommand::TOutcome sent =
            ActionCommand::Send(command.Action, Clock::TickAt(launched));
        if (!sent.Text.isEmpty()) PrintLine(stderr, sent.Text);
        return sent.ExitCode;
    }
    case ActionCommand::TCommand::OpenWindow:
        break;
    }
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
    // Every press from outside the window (the desktop's actions and
    // `vantel --lap`, pedals and buttons, global keys, the shortcuts portal)
    // works the first window's buttons.
    TInputHub hub(*windows.front().Window);
    TDesktopActions desktop(hub);
    desktop.Publish();
    // In a Wayland session the desktop's global shortcuts press the lap buttons.
    const std::unique_ptr<TShortcutsPortal> portal = TShortcutsPortal::ForSession(hub);
    // The lap inputs (global keys, devices) are chosen from its menu.
    TLapInputs lapInputs(hub);
    windows.front().Window->PopupMenu1->Add(QStringLiteral("LapInputs1"), Msg::MenuLapInputs(),
                                            [&lapInputs](QObject*) { lapInputs.ShowDialog(); });
    // The live board shows the first window's run to the pit wall; viewers'
    // lap presses, where allowed, go through the hub as every outside press.
    bool freshCodes = false;
    QSettings boardSettings = ProgramSettings();
    const TLiveBoardSettings boardSaved = TLiveBoardSettings::Load(boardSettings, &freshCodes);
    TLiveBoard board(*windows.front().Window, boardSaved,
                     [&hub](TRunAction a, uint32_t tick) { hub.Press(a, tick); });
    if (freshCodes) board.Apply(boardSaved); // the codes are kept from their first use
    // A board that cannot open (its port taken) is told in a note, without
    // the focus; the dialog says it too.
    QString boardProblem;
    QObject::connect(&board, &TLiveBoard::Changed, &hub, [&] {
        if (board.Problem() == std::exchange(boardProblem, board.Problem())) return;
        if (!boardProblem.isEmpty())
            hub.Note(Msg::BoardNotOpen().arg(board.Settings().Port).arg(boardProblem));
    });
    QPointer<TLiveBoardDialog> boardDialog;
    windows.front().Window->PopupMenu1->Add(
        QStringLiteral("LiveBoard1"), Msg::MenuLiveBoard(), [&](QObject*) {
            if (!boardDialog)
                boardDialog = new TLiveBoardDialog(board, windows.front().Window.get());
            boardDialog->show();
            boardDialog->raise();
            boardDialog->activateWindow();
        });
    // The newest run shows last, on top.
    for (auto w = windows.rbegin(); w != windows.rend(); ++w) {
        w->Window->show();
        w->Journal->RestoreFocus();
    }
    // Foot pedals, USB buttons and gamepads too, chosen in the same dialog:
    // what it saves is kept by a worker and opened at once.
    auto devices = OpenLapInputs(hub);
    TLapInputStore store;
    lapInputs.AddSection(Msg::DevicesTitle(), [&](QWidget* parent) -> QWidget* {
        QSettings s = LapInputSettings::Open();
        return new TDeviceSection(
            LapInputSettings::Load(s).Inputs,
            [&](const std::vector<TLapInput>& inputs) {
                devices.clear(); // let go of the grabs first
                store.Save(inputs);
                devices = OpenLapInputs(hub, inputs);
            },
            parent);
    });
    return app.exec();
}
