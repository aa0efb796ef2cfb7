#pragma once
// The run as the live board sends it: a snapshot for a viewer that connects
// and one message per action for those connected, each a JSON object that
// stands alone (a broker could carry it unchanged), numbered so that a
// viewer who misses one knows it and asks for the whole again.
#include "LapMarks.h"
#include "WindowShows.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// One press of the run as the window shows it.
struct TBoardPress {
    int Id = 0;     // its number in the run
    int Button = 1; // 1, 2, 3
    int32_t LapMs = 0;
    bool Inserted = false; // a correction put it in
};

// What the window showed after an action, with the action.
struct TBoardCapture {
    TWindowShows Shows;
    int MixFixedRows = 1;             // the header rows SAVE leaves out
    std::vector<TBoardPress> Presses; // in the run's order
    struct TCorrection {
        QString Kind; // "delete", "insert", "start"
        QString Text;
    };
    std::vector<TCorrection> Corrections;
    // The actions since the last capture: their message types ("lap",
    // "start", "distance", ...), the journal's name of each, its first tick.
    struct TAction {
        QString Type, Name;
        std::optional<uint32_t> Tick;
        int Press = 0;
    };
    std::vector<TAction> Actions;
};

class TBoardFeed {
public:
    // Takes what the window shows now; returns the message of each action
    // (none for a first capture, which only sets what a snapshot holds).
    std::vector<QByteArray> Take(const TBoardCapture& c, uint32_t now);
    // The message that tells a viewer whether it may press the laps now:
    // [0] for those that may not, [1] for those that may, under one number.
    std::array<QByteArray, 2> RemoteMessages();
    // The whole run for a viewer that connects (or asks), at tick `now`.
    QByteArray Snapshot(bool remote, uint32_t now) const;
    // The bytes SAVE would write now.
    QByteArray Csv() const;
    int Seq() const { return FSeq; }
    bool Ready() const { return FReady; }

    // The message types of the run's actions.
    static QString TypeOf(const QString& actionName);

private:
    QJsonObject figures() const;
    QJsonObject clock() const;
    QJsonArray rowsFrom(int from) const;
    QJsonArray corrections() const;
    TBoardCapture FLast;
    std::vector<QJsonObject> FRows; // by grid row; empty for a row that holds nothing
    int FSeq = 0;
    bool FReady = false;
};
