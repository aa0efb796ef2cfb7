#pragma once
// The live board as the window sees it: its settings, the server on its
// thread, and the run handed over after each action. The window never waits
// for it; it only hears back the viewers' count and their lap presses.
#include "BoardServer.h"
#include "RunModel.h"

#include <QObject>
#include <QSettings>
#include <QThreadPool>

#include <functional>
#include <optional>

class TVantel;

// [LiveBoard] in the user's settings:
//
//     [LiveBoard]
//     Enabled=true          ; the board starts with the program
//     Port=8642
//     Network=local         ; or lan
//     Code=...              ; the access code, 32 hexadecimal digits
//     RemoteLaps=false      ; phones may press the lap buttons
//     LapCode=...           ; the code they need for it
struct TLiveBoardSettings {
    bool Enabled = false;
    uint16_t Port = 8642;
    TBoardNetwork Network = TBoardNetwork::Local;
    QByteArray Code, LapCode;
    bool RemoteLaps = false;
    bool operator==(const TLiveBoardSettings&) const = default;

    // Reads the group; a missing or malformed code is made afresh (and
    // `fresh` says so, for it to be kept).
    static TLiveBoardSettings Load(QSettings& s, bool* fresh = nullptr);
    void Write(QSettings& s) const;
};

class TLiveBoard : public QObject, public TRunObserver {
    Q_OBJECT
public:
    // `press` performs a viewer's lap press, timed at its tick.
    using TPress = std::function<void(TRunAction, uint32_t)>;
    TLiveBoard(TVantel& window, TLiveBoardSettings settings, TPress press,
               QObject* parent = nullptr);
    ~TLiveBoard() override;

    // Takes new settings: kept by a worker, and the board opened, moved or
    // closed at once.
    void Apply(const TLiveBoardSettings& s);
    const TLiveBoardSettings& Settings() const { return FSettings; }
    bool Serving() const { return FPort != 0; }
    uint16_t Port() const { return FPort; }
    QString Problem() const { return FProblem; } // why it is not serving
    int Viewers() const { return FViewers; }
    // The addresses a viewer types; the first one's with the codes for the QR.
    QStringList Addresses() const;
    QString ShareAddress(bool withLapCode) const;

    // Every figure, row and correction as the window shows them now; with
    // what it showed at the last capture (kept up to date here), only the
    // cells that changed are copied.
    static TBoardCapture CaptureOf(const TVantel& window, TWindowShows* kept = nullptr);

    void ActionDone(const TActionRecord& r) override;

signals:
    void Changed(); // serving, viewers or problem

private:
    void open();
    void flush();
    void pressAsked(quint64 viewer, int id, const QString& action, uint32_t tick);
    TVantel& FWindow;
    TLiveBoardSettings FSettings;
    TPress FPress;
    TBoardThread FThread;
    QThreadPool FWriter;
    std::vector<TBoardCapture::TAction> FPending;
    TWindowShows FShown; // at the last capture
    bool FFlushDue = false;
    uint16_t FPort = 0;
    int FViewers = 0;
    QString FProblem;
};
