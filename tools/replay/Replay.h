#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <vector>

class TVantel;
class TRunRecorder;
class RecordingMessageService;
class ReplaySession;

// A command line split into its command word and what follows it.
struct ReplayArgs {
    QString word;      // the command word
    QString text;      // everything after the one blank that ends the word, as written
    QStringList words; // that text split at blanks
    bool hasText = false;
};

// One row of the command table: the README's command list, the argument
// counts that the bad-line checks test, and the handler all come from here.
struct ReplayCommand {
    enum Kind { Words, Text }; // Text: one argument, the rest of the line as written
    const char* name;
    const char* usage;
    const char* help;
    Kind kind;
    int minArgs;
    int maxArgs;
    void (ReplaySession::*run)(const ReplayArgs&, std::ostream&);
};

// Runs a scenario against the real main window with a simulated tick counter
// and wall clock. One command per line; results go to the output stream.
class ReplaySession {
public:
    ReplaySession();
    ~ReplaySession();

    // Runs every line; returns the process exit status (0, or 2 on a bad line).
    int Run(std::istream& in, std::ostream& out, std::ostream& err);
    // One line; throws BadLine on an unknown command or a bad argument.
    void Execute(const QString& line, std::ostream& out);

    struct BadLine : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    TVantel& Window() { return *FWindow; }

    static const std::vector<ReplayCommand>& Commands();
    static const std::vector<ReplayCommand>& Dumps();
    // The command list as the README shows it.
    static void PrintCommands(std::ostream& out);
    // "NAME MIN MAX" per command and dump, for the bad-line checks.
    static void PrintArity(std::ostream& out);

private:
    void settle();
    QWidget* component(const QString& name) const;
    QWidget* keyTarget() const;
    [[noreturn]] static void bad(const ReplayArgs& a, const QString& why);

    void cmdTick(const ReplayArgs& a, std::ostream& out);
    void cmdAdvance(const ReplayArgs& a, std::ostream& out);
    void cmdRemote(const ReplayArgs& a, std::ostream& out);
    void cmdBlock(const ReplayArgs& a, std::ostream& out);
    void cmdClock(const ReplayArgs& a, std::ostream& out);
    void cmdClick(const ReplayArgs& a, std::ostream& out);
    void cmdKey(const ReplayArgs& a, std::ostream& out);
    void cmdSelect(const ReplayArgs& a, std::ostream& out);
    void cmdType(const ReplayArgs& a, std::ostream& out);
    void cmdAdd(const ReplayArgs& a, std::ostream& out);
    void cmdTimer(const ReplayArgs& a, std::ostream& out);
    void cmdMenu(const ReplayArgs& a, std::ostream& out);
    void cmdScreenshot(const ReplayArgs& a, std::ostream& out);
    void cmdDump(const ReplayArgs& a, std::ostream& out);
    void cmdExport(const ReplayArgs& a, std::ostream& out);
    void cmdSet(const ReplayArgs& a, std::ostream& out);
    void cmdServer(const ReplayArgs& a, std::ostream& out);
    void cmdJournal(const ReplayArgs& a, std::ostream& out);
    void cmdCrash(const ReplayArgs& a, std::ostream& out);
    void cmdStartAgain(const ReplayArgs& a, std::ostream& out);
    void cmdAnswer(const ReplayArgs& a, std::ostream& out);
    void cmdCorrect(const ReplayArgs& a, std::ostream& out);
    void cmdUndo(const ReplayArgs& a, std::ostream& out);
    void cmdRedo(const ReplayArgs& a, std::ostream& out);
    void dumpNote(const ReplayArgs& a, std::ostream& out);
    void dumpMarks(const ReplayArgs& a, std::ostream& out);
    void dumpDistances(const ReplayArgs& a, std::ostream& out);
    void dumpJournal(const ReplayArgs& a, std::ostream& out);
    void openWindow();
    void keepJournal();

    void dumpLabels(const ReplayArgs& a, std::ostream& out);
    void dumpGrid(const ReplayArgs& a, std::ostream& out);
    void dumpSeries(const ReplayArgs& a, std::ostream& out);
    void dumpChart(const ReplayArgs& a, std::ostream& out);
    void cmdDrag(const ReplayArgs& a, std::ostream& out);
    void dumpState(const ReplayArgs& a, std::ostream& out);
    void dumpCaption(const ReplayArgs& a, std::ostream& out);
    void dumpFocus(const ReplayArgs& a, std::ostream& out);
    void dumpMessages(const ReplayArgs& a, std::ostream& out);
    void dumpFile(const ReplayArgs& a, std::ostream& out);
    void dumpClipboard(const ReplayArgs& a, std::ostream& out);

    uint32_t FTick = 0;
    QDateTime FNow;
    std::unique_ptr<RecordingMessageService> FMessages;
    std::unique_ptr<TVantel> FWindow;
    QString FOpened; // the workbook file the last export asked to open
    // The run journal, kept only after a "journal" line and only in its folder.
    QString FJournalDir;
    QByteArray FBootId = "replay-boot-1";
    int FBoots = 1;
    std::unique_ptr<TRunRecorder> FRecorder;
    bool FAsking = false; // a restore question waits for its answer
};
