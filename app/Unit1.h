#pragma once
#include "Form.h"
#include "LapEngine.h"
#include "RunModel.h"
#include "TimeText.h"
#include "WindowShows.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

class TLabel;
class TJournalNote;
class TTimer;
class TStopWatch;
class TCuteButton;
class TPopupMenu;
class TMenuItem;
class TComboBox;
class TChart;
class TFastLineSeries;
class TStringGrid;
class TStringGridEx;
class TXlsStringGrid;
class TRowCorrector;
class TStartOverNotes;
class TPressMoments;
class TDistanceMemory;

// The main window: every component of the program and the handlers that tie
// them together. Every input that changes the run goes through `Run`, which
// performs it here (TRunHost) and tells its observers.
class TVantel : public TForm, public TRunHost {
    Q_OBJECT
public:
    explicit TVantel(QWidget* parent = nullptr);
    ~TVantel() override;

    TLabel* Label1;
    TTimer* Timer1;
    TStopWatch* StopWatch1;
    TLabel* Label2;
    TLabel* Label3;
    TCuteButton* start;
    TCuteButton* stop;
    TCuteButton* CuteButton1;
    TCuteButton* CuteButton2;
    TCuteButton* LAP;
    TCuteButton* SAVE;
    TLabel* Label4;
    TLabel* Label5;
    TLabel* Label6;
    TPopupMenu* PopupMenu1;
    TMenuItem* About1;
    TMenuItem* Help1;
    TComboBox* ComboBox1;
    TLabel* Label7;
    TLabel* Label9;
    TLabel* Label10;
    TLabel* Label11;
    TLabel* Label12;
    TLabel* Label13;
    TLabel* Label14;
    TLabel* Label15;
    TLabel* Label16;
    TChart* Chart1;
    TFastLineSeries* Series2;
    TFastLineSeries* Series1;
    TStringGridEx* StringGridEx1;
    TXlsStringGrid* XlsStringGrid1;
    TCuteButton* CuteButton3;
    TCuteButton* CuteButton4;
    TCuteButton* LAP2;
    TCuteButton* LAP3;
    TMenuItem* Key;

    void StartClick(QObject* Sender);
    void StopClick(QObject* Sender);
    void Timer1Timer(QObject* Sender);
    void ResetClick(QObject* Sender);
    void ResartClick(QObject* Sender); // spelled as the layout binds it; kept
    void LapClick(QObject* Sender);
    void FormCreate(QObject* Sender);
    void SAVEClick(QObject* Sender);
    void About1Click(QObject* Sender);
    void Help1Click(QObject* Sender);
    // The time texts of the run's figures: total, lap, running lap, average,
    // and the two other lap buttons' laps.
    QString GGetStrTime() const { return TimeText(State.Total); }
    QString LGetStrTime() const { return TimeText(State.LapTime); }
    QString AGetStrTime() const { return TimeText(State.LiveLap); }
    QString VGetStrTime() const { return TimeText(State.AveLap); }
    QString BGetStrTime() const { return TimeText(State.Lap2Time); }
    QString CGetStrTime() const { return TimeText(State.Lap3Time); }
    void ComboBox1Change(QObject* Sender);
    void ComboBox1KeyPress(QObject* Sender, QChar& Key);
    void CuteButton3Click(QObject* Sender);
    void CuteButton4Click(QObject* Sender);
    void LAP3Click(QObject* Sender);
    void LAP2Click(QObject* Sender);
    void KeyClick(QObject* Sender);

    // The display tick of the run: total label, running lap, its label.
    void DisplayTick();
    // The application title at wall-clock time `now` (the total and the time
    // of day), and the window caption, which goes on from that title.
    QString TitleText(const QDateTime& now) const;
    QString CaptionText(const QString& title, const QDateTime& now) const;

    TRunState State;
    // The display timer is stored at 1 ms; the real period is this floor, which
    // still refreshes every figure more often than any screen shows a frame.
    static constexpr int DisplayInterval = 10;
    QString CsvFile() const { return CsvFileName; }
    // The entries the distance list starts with; the operator's come after.
    static constexpr int DistanceCount = 28;

    // The run as data: every button, menu item, replay and remote input
    // performs its action through it.
    TRunModel Run{*this};

    // TRunHost: what each action reads of the window is written here once.
    TActionInput Read(TRunAction action) const override;
    void Perform(TRunAction action, const TActionInput& input) override;
    TRunShown Shown() const override;
    // What the window shows, for views outside it. Given what it showed
    // before, only the cells that changed since are copied again.
    TWindowShows Shows() const;
    void Shows(TWindowShows& w) const;
    TRunCarry Carry() const override;
    void ApplyCarry(const TRunCarry& carry) override;
    void ReturnToStart(const TRunStart& start) override;
    void Rebuilt(std::optional<int32_t> liveLap) override;
    void Focus(const QString& name) override;
    bool SetPainting(bool on) override;
    // Tells the operator that the run journal is not written (why), or that
    // it is again (empty), in a note under the chart that takes no focus: a
    // box would take the keyboard from LAP in the middle of a race.
    void ShowJournalTrouble(const QString& why) override;
    TJournalNote* JournalNote = nullptr; // made on the first trouble

    // Which press each grid row shows, and the corrections asked for by row
    // (keys on the grids, Ctrl+Z and Ctrl+Y; the harness).
    TRowPresses Rows;
    TRowCorrector* Corrector = nullptr;
    // Says what a correction did, over the chart, without taking the focus;
    // it goes after a while.
    void ShowRunNote(const QString& text);
    // Marks the doubtful laps of both grids now; otherwise it happens once
    // the events of an action are through, off the lap press's own path.
    void UpdateLapMarks();
    TLabel* RunNote = nullptr; // made on the first note
    // Tells of a start made over unsaved laps, and that Ctrl+Z takes it back.
    std::unique_ptr<TStartOverNotes> StartOverNotes;
    TPressMoments* Moments = nullptr; // when a lap button's key or click was made

    // Fixed texts of the window.
    static QString VersionText(); // Msg::Version
    static QString CreditText();  // the credit after the version in the caption
    static QString AboutText();
    static QString HelpText();

private:
    void createComponents();
    void bindEvents();
    void applyTabOrder();
    void moveFocus(TCuteButton* button);
    // Grows the grid to hold `row` once it reaches `growFrom`, writes the row,
    // selects it and scrolls it into view.
    void showRow(TStringGrid* grid, int32_t row, int32_t growFrom, const QString& text);
    void secondaryLap(int button);
    void feedChartFromGrid(int32_t row);
    void setSaved(const QString& file, const QString& dir);
    // Enter in the distance list: adds the typed distance, or says why not.
    void addTypedDistance();
    void removeDistance(int index, const QString& text);
    std::unique_ptr<TDistanceMemory> FDistanceMemory;
    void freshLook();
    void clearLaps();
    int FPress = 0; // the run's number of the press being performed
    QTimer* FNoteTimer = nullptr;
    void marksLater();
    bool FMarksDue = false;
    QPointer<QWidget> FFocusBeforeRebuild; // where a correction found the keyboard
    QString CsvFileName;
    QString CsvDir; // the folder CsvFileName went to, absolute
};
