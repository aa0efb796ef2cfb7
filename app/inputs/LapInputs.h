#pragma once
#include "GlobalKeys.h"
#include "LapInputsDialog.h"
#include "X11GlobalKeys.h"

#include <QPointer>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <utility>
#include <vector>

class TInputHub;

// The lap inputs the operator sets: read from the settings at start-up,
// changed in the "Lap inputs…" dialog, written back on its Apply.
class TLapInputs {
public:
    explicit TLapInputs(TInputHub& hub);
    ~TLapInputs();
    TLapInputs(const TLapInputs&) = delete;
    TLapInputs& operator=(const TLapInputs&) = delete;

    // The settings the program keeps: $XDG_CONFIG_HOME/vantel/vantel.conf.
    static QString SettingsFile();
    // Tells the operator in the window, and on the standard error as one
    // line, for whoever started the program from a terminal or a script.
    static void Tell(TInputHub& hub, const QString& text);

    // Opens the dialog, or raises it when open: only ever at the
    // operator's own command, since it takes the keyboard focus.
    void ShowDialog();
    TLapInputsDialog* Dialog() const { return FDialog; }
    // Another section of the dialog, made with it (the devices).
    void AddSection(const QString& title, std::function<QWidget*(QWidget* parent)> make) {
        FSections.emplace_back(title, std::move(make));
    }
    // Keeps `keys` and grabs them. The file is written by a worker: the
    // window's thread never waits for the disk.
    void Apply(const GlobalKeys::TTexts& keys);
    const GlobalKeys::TTexts& Keys() const { return FKeys; }

private:
    TInputHub& FHub;
    TX11GlobalKeys FGrabs;
    GlobalKeys::TTexts FKeys;
    QThreadPool FWriter; // one thread: the writes land in the order applied
    QPointer<TLapInputsDialog> FDialog;
    std::vector<std::pair<QString, std::function<QWidget*(QWidget*)>>> FSections;
};
