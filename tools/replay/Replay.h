#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <stdexcept>

class TVantel;
class RecordingMessageService;

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

private:
    void settle();
    QWidget* component(const QString& name) const;
    QWidget* keyTarget() const;
    void dumpGrid(const QStringList& args, std::ostream& out);
    uint32_t FTick = 0;
    QDateTime FNow;
    std::unique_ptr<RecordingMessageService> FMessages;
    std::unique_ptr<TVantel> FWindow;
};

// Text inside double quotes: backslash, quote, CR and LF escaped.
QString QuoteText(const QString& s);
