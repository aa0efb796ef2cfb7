#include "Replay.h"

#include "QuoteText.h"
#include "ReplayChart.h"

#include "Application.h"
#include "AutomationServers.h"
#include "Chart.h"
#include "Clock.h"
#include "ComboBox.h"
#include "CuteBtn.h"
#include "ExcelUtil.h"
#include "InputHub.h"
#include "JournalNote.h"
#include "Label.h"
#include "Menu.h"
#include "MessageService.h"
#include "RowCorrector.h"
#include "RunJournal.h"
#include "RunRecorder.h"
#include "Series.h"
#include "SpreadsheetServer.h"
#include "StringGridEx.h"
#include "Timer.h"
#include "Unit1.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <charconv>
#include <istream>
#include <ostream>
#include <utility>

namespace {

std::string utf8(const QString& s) {
    return s.toStdString();
}

QString shortest(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

bool parseU32(const QString& s, uint32_t& v) {
    bool ok = false;
    const qulonglong x = s.toULongLong(&ok, 10);
    if (!ok || x > 0xFFFFFFFFull || s.startsWith(u'+')) return false;
    v = static_cast<uint32_t>(x);
    return true;
}

} // namespace

ReplaySession::ReplaySession() : FNow(QDate(2000, 1, 1), QTime(0, 0, 0)) {
    Clock::SetTickSource([this] { return FTick; });
    Clock::SetWallClock([this] { return FNow; });
    FMessages = std::make_unique<RecordingMessageService>();
    MessageService::SetInstance(FMessages.get());
    RegisterAutomationServers();
    // The harness never starts another program: the file is only noted.
    Spreadsheet::SetFileOpener([this](const QString& path) {
        FOpened = QFileInfo(path).fileName();
        return true;
    });
    openWindow();
}

void ReplaySession::openWindow() {
    FWindow = std::make_unique<TVantel>();
    // Ticks come only from the scenario's "timer" lines.
    FWindow->Timer1->SetEnabled(false);
    FWindow->show();
    FWindow->activateWindow();
    QApplication::setActiveWindow(FWindow.get());
    settle();
}

ReplaySession::~ReplaySession() {
    FRecorder.reset();
    FWindow.reset();
    Spreadsheet::SetFileOpener(nullptr);
    Spreadsheet::Unregister();
    MessageService::SetInstance(nullptr);
    Clock::SetTickSource({});
    Clock::SetWallClock({});
}

void ReplaySession::settle() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Where a key press goes: the focused control, else the window.
QWidget* ReplaySession::keyTarget() const {
    if (QWidget* f = QApplication::focusWidget()) return f;
    if (QWidget* f = FWindow->focusWidget()) return f;
    return FWindow.get();
}

QWidget* ReplaySession::component(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    return FWindow->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

int ReplaySession::Run(std::istream& in, std::ostream& out, std::ostream& err) {
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        QString line = QString::fromStdString(raw);
        if (line.endsWith(u'\r')) line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(u'#')) continue;
        try {
            Execute(line, out);
        } catch (const BadLine& e) {
            out.flush();
            err << "line " << lineNo << ": " << e.what() << "\n";
            return 2;
        }
        out.flush();
    }
    return 0;
}

// The commands, in the order the README lists them. The argument counts are
// checked here for every command alike; a handler checks only what its
// arguments mean.
const std::vector<ReplayCommand>& ReplaySession::Commands() {
    using S = ReplaySession;
    static const std::vector<ReplayCommand> table = {
        {"tick", "N", "sets the tick counter to N (0..4294967295)", ReplayCommand::Words, 1, 1,
         &S::cmdTick},
        {"advance", "N", "adds N ms to the tick counter, wrapping modulo 2^32",
         ReplayCommand::Words, 1, 1, &S::cmdAdvance},
        {"clock", "YYYY-MM-DD HH:MM:SS", "sets the wall clock", ReplayCommand::Words, 2, 2,
         &S::cmdClock},
        {"click", "NAME", "a left click in the middle of a component", ReplayCommand::Words, 1, 1,
         &S::cmdClick},
        {"key", "KEY",
         "a key press to the focused control: Enter, Space, Tab, Shift+Tab, Shift+Delete, a "
         "character, Alt+character",
         ReplayCommand::Words, 1, 1, &S::cmdKey},
        {"select", "TEXT",
         "picks an entry of the distance list as a mouse does: the list takes the focus first",
         ReplayCommand::Text, 1, 1, &S::cmdSelect},
        {"type", "TEXT",
         "focuses the distance list with its text selected (as Tab does) and types TEXT; "
         "characters beyond ASCII arrive as an input method commits them",
         ReplayCommand::Text, 0, 1, &S::cmdType},
        {"add", "TEXT",
         "adds TEXT to the distance list unchecked, as a run journal from before typed "
         "distances were checked brings its add back",
         ReplayCommand::Text, 1, 1, &S::cmdAdd},
        {"timer", "[N]", "fires the display timer N times (default 1)", ReplayCommand::Words, 0, 1,
         &S::cmdTimer},
        {"menu", "NAME", "clicks an item of the right-click menu", ReplayCommand::Words, 1, 1,
         &S::cmdMenu},
        {"drag", "NAME X0 Y0 X1 Y1 [right]",
         "a mouse drag with the left (or right) button in a component's client coordinates",
         ReplayCommand::Words, 5, 6, &S::cmdDrag},
        {"dump", "WHAT", "prints a part of the window's state; WHAT is one of the dumps below",
         ReplayCommand::Text, 1, 1, &S::cmdDump},
        {"screenshot", "FILE", "saves a PNG of the window", ReplayCommand::Text, 1, 1,
         &S::cmdScreenshot},
        {"export", "",
         "exports XlsStringGrid1 to the spreadsheet server and prints the result and the file "
         "written (the file is not opened)",
         ReplayCommand::Words, 0, 0, &S::cmdExport},
        {"set", "XlsStringGrid1 PROPERTY VALUE",
         "sets an export property: true/false, decimal or $hex, bwThin, xlLandscape, "
         "fsBold,fsItalic; SheetName and CellFont.Name take the rest of the line",
         ReplayCommand::Text, 1, 1, &S::cmdSet},
        {"server", "none|builtin",
         "removes the spreadsheet server from the automation registry, or puts it back",
         ReplayCommand::Words, 1, 1, &S::cmdServer},
        {"journal", "DIR",
         "keeps the run journal in DIR (relative to the working directory); without this line "
         "no journal is written",
         ReplayCommand::Text, 1, 1, &S::cmdJournal},
        {"crash", "", "ends the window as a killed process does: nothing is finished or saved",
         ReplayCommand::Words, 0, 0, &S::cmdCrash},
        {"start-again", "[reboot]",
         "opens a new window on the same journal folder as the program's start does and prints "
         "the restore question if one is asked; reboot: the machine was restarted meanwhile "
         "(set the new tick counter first)",
         ReplayCommand::Words, 0, 1, &S::cmdStartAgain},
        {"answer", "restore|discard", "answers the restore question", ReplayCommand::Words, 1, 1,
         &S::cmdAnswer},
        {"correct", "delete|split|insert GRID ROW [MS]",
         "corrects the run at a row of StringGridEx1 or XlsStringGrid1 as shown: deletes its "
         "press, splits its lap in the middle, or inserts a press at stopwatch total MS",
         ReplayCommand::Words, 3, 4, &S::cmdCorrect},
        {"undo", "", "takes the last correction back (Ctrl+Z)", ReplayCommand::Words, 0, 0,
         &S::cmdUndo},
        {"redo", "", "makes the last correction taken back again (Ctrl+Y)", ReplayCommand::Words, 0,
         0, &S::cmdRedo},
        {"remote", "ACTION [AGO]",
         "a press from outside the window (lap, lap2, lap3, start, stop, restart) made AGO ms "
         "before it is handled",
         ReplayCommand::Words, 1, 2, &S::cmdRemote},
        {"block", "MS [ACTION@AT ...]",
         "holds the window's thread for MS ms while outside presses arrive AT ms into it; they "
         "are handled in order when it ends",
         ReplayCommand::Words, 1, 64, &S::cmdBlock},
    };
    return table;
}

const std::vector<ReplayCommand>& ReplaySession::Dumps() {
    using S = ReplaySession;
    static const std::vector<ReplayCommand> table = {
        {"labels", "", "the figure labels' captions", ReplayCommand::Words, 0, 0, &S::dumpLabels},
        {"grid", "NAME [ROWS]", "a grid's size, position and cells", ReplayCommand::Words, 1, 2,
         &S::dumpGrid},
        {"series", "", "the chart series' points", ReplayCommand::Words, 0, 0, &S::dumpSeries},
        {"chart", "", "the geometry of the chart's drawing: plot, axes, labels, visible points",
         ReplayCommand::Words, 0, 0, &S::dumpChart},
        {"state", "", "every field of the run state", ReplayCommand::Words, 0, 0, &S::dumpState},
        {"caption", "", "the window caption and the application title", ReplayCommand::Words, 0, 0,
         &S::dumpCaption},
        {"focus", "", "the component that has the keyboard focus", ReplayCommand::Words, 0, 0,
         &S::dumpFocus},
        {"messages", "", "the message boxes shown since the last dump of them",
         ReplayCommand::Words, 0, 0, &S::dumpMessages},
        {"file", "NAME", "a file's bytes, CR and LF written as \\r and \\n", ReplayCommand::Text, 1,
         1, &S::dumpFile},
        {"clipboard", "", "the clipboard's text", ReplayCommand::Words, 0, 0, &S::dumpClipboard},
        {"journal", "",
         "the run journal's trouble note and how many files of each kind its folder holds",
         ReplayCommand::Words, 0, 0, &S::dumpJournal},
        {"note", "",
         "the note over the chart (a correction's, a save's, a start's), if it shows; the working "
         "folder reads $PWD",
         ReplayCommand::Words, 0, 0, &S::dumpNote},
        {"suspects", "", "the rows of both grids marked as doubtful laps, and why",
         ReplayCommand::Words, 0, 0, &S::dumpMarks},
        {"distances", "", "the distance list's entries after the built-in ones, its pick and text",
         ReplayCommand::Words, 0, 0, &S::dumpDistances},
    };
    return table;
}

namespace {

// Splits "word rest" where rest keeps its blanks exactly as written after the
// one blank that ends the word: leading and trailing blanks of a distance matter.
ReplayArgs SplitArgs(const QString& rawLine) {
    ReplayArgs a;
    qsizetype i = 0;
    while (i < rawLine.size() && rawLine[i].isSpace())
        ++i;
    qsizetype j = i;
    while (j < rawLine.size() && !rawLine[j].isSpace())
        ++j;
    a.word = rawLine.mid(i, j - i);
    a.hasText = j < rawLine.size();
    a.text = a.hasText ? rawLine.mid(j + 1) : QString();
    a.words = a.text.split(u' ', Qt::SkipEmptyParts);
    return a;
}

void CheckArity(const ReplayCommand& c, const ReplayArgs& a, const QString& prefix) {
    const qsizetype n =
        c.kind == ReplayCommand::Text ? (a.text.trimmed().isEmpty() ? 0 : 1) : a.words.size();
    if (n < c.minArgs || n > c.maxArgs) {
        const QString usage = QString::fromLatin1(c.usage);
        throw ReplaySession::BadLine(
            utf8(prefix + (usage.isEmpty() ? QStringLiteral(": takes no argument")
                                           : QStringLiteral(": expects ") + usage)));
    }
}

const ReplayCommand* Find(const std::vector<ReplayCommand>& table, const QString& name) {
    for (const ReplayCommand& c : table)
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

} // namespace

void ReplaySession::Execute(const QString& rawLine, std::ostream& out) {
    const ReplayArgs a = SplitArgs(rawLine);
    const ReplayCommand* c = Find(Commands(), a.word);
    if (!c) throw BadLine(utf8(a.word + QStringLiteral(": unknown command")));
    CheckArity(*c, a, a.word);
    // Between a crash and the next start only the clocks move.
    static const QStringList noWindow = {QStringLiteral("start-again"), QStringLiteral("tick"),
                                         QStringLiteral("advance"), QStringLiteral("clock")};
    if (!FWindow && !noWindow.contains(a.word))
        throw BadLine(utf8(a.word + QStringLiteral(": no window after crash (start-again first)")));
    if (FAsking && a.word != u"answer" && a.word != u"dump")
        throw BadLine(utf8(a.word + QStringLiteral(": the restore question waits for an answer")));
    (this->*c->run)(a, out);
}

void ReplaySession::PrintCommands(std::ostream& out) {
    auto list = [&](const std::vector<ReplayCommand>& table, const char* prefix) {
        for (const ReplayCommand& c : table) {
            const std::string usage = c.usage[0] ? std::string(" ") + c.usage : std::string();
            out << "- `" << prefix << c.name << usage << "`: " << c.help << "\n";
        }
    };
    list(Commands(), "");
    list(Dumps(), "dump ");
}

void ReplaySession::PrintArity(std::ostream& out) {
    for (const ReplayCommand& c : Commands())
        out << c.name << " " << c.minArgs << " " << c.maxArgs << "\n";
    for (const ReplayCommand& c : Dumps())
        out << "dump " << c.name << " " << c.minArgs << " " << c.maxArgs << "\n";
}

void ReplaySession::bad(const ReplayArgs& a, const QString& why) {
    throw BadLine(utf8(a.word + QStringLiteral(": ") + why));
}

void ReplaySession::cmdTick(const ReplayArgs& a, std::ostream&) {
    uint32_t v;
    if (!parseU32(a.words[0], v)) bad(a, QStringLiteral("expects a number 0..4294967295"));
    FTick = v;
}

void ReplaySession::cmdAdvance(const ReplayArgs& a, std::ostream&) {
    uint32_t v;
    if (!parseU32(a.words[0], v)) bad(a, QStringLiteral("expects a number 0..4294967295"));
    FTick += v; // wraps modulo 2^32
}

void ReplaySession::cmdRemote(const ReplayArgs& a, std::ostream&) {
    const std::optional<TRunAction> action = TInputHub::RemoteAction(a.words[0]);
    if (!action) bad(a, QStringLiteral("no such outside action: ") + a.words[0]);
    uint32_t ago = 0;
    if (a.words.size() > 1 && !parseU32(a.words[1], ago))
        bad(a, QStringLiteral("expects a number of ms"));
    TInputHub(*FWindow).Press(*action, FTick - ago);
}

void ReplaySession::cmdBlock(const ReplayArgs& a, std::ostream&) {
    uint32_t ms;
    if (!parseU32(a.words[0], ms)) bad(a, QStringLiteral("expects a number of ms"));
    std::vector<std::pair<TRunAction, uint32_t>> presses;
    for (qsizetype i = 1; i < a.words.size(); ++i) {
        const QStringList p = a.words[i].split(u'@');
        uint32_t at = 0;
        const std::optional<TRunAction> action =
            p.size() == 2 ? TInputHub::RemoteAction(p[0]) : std::nullopt;
        if (!action || !parseU32(p[1], at) || at > ms)
            bad(a, QStringLiteral("expects ACTION@AT within the block: ") + a.words[i]);
        presses.emplace_back(*action, FTick + at);
    }
    FTick += ms; // nothing is handled meanwhile
    TInputHub hub(*FWindow);
    for (const auto& [action, tick] : presses)
        hub.Press(action, tick);
}

void ReplaySession::cmdClock(const ReplayArgs& a, std::ostream&) {
    const QDateTime t =
        QDateTime::fromString(a.words.join(u' '), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid()) bad(a, QStringLiteral("expects YYYY-MM-DD HH:MM:SS"));
    FNow = t;
}

void ReplaySession::cmdClick(const ReplayArgs& a, std::ostream&) {
    QWidget* w = component(a.words[0]);
    if (!w) bad(a, QStringLiteral("no such component: ") + a.words[0]);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    settle();
}

void ReplaySession::cmdKey(const ReplayArgs& a, std::ostream&) {
    static const std::pair<const char*, Qt::Key> named[] = {
        {"Enter", Qt::Key_Return}, {"Space", Qt::Key_Space}, {"Tab", Qt::Key_Tab}};
    QWidget* target = keyTarget();
    QString k = a.words[0];
    if (k == u"Shift+Tab" || k == u"Shift+Delete") {
        QTest::keyClick(target, k == u"Shift+Tab" ? Qt::Key_Backtab : Qt::Key_Delete,
                        Qt::ShiftModifier);
        settle();
        return;
    }
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    if (k.startsWith(QLatin1String("Alt+")) && k.size() == 5) {
        mods = Qt::AltModifier;
        k = k.mid(4);
    }
    for (const auto& [name, key] : named)
        if (k == QLatin1String(name)) {
            QTest::keyClick(target, key, mods);
            settle();
            return;
        }
    if (k.size() != 1 || k[0].unicode() >= 128)
        bad(a, QStringLiteral("unknown key: ") + a.words[0]);
    QTest::keyClick(target, k[0].toLatin1(), mods);
    settle();
}

void ReplaySession::cmdSelect(const ReplayArgs& a, std::ostream&) {
    const int i = FWindow->ComboBox1->findText(a.text, Qt::MatchExactly);
    if (i < 0) bad(a, QStringLiteral("no such entry: ") + a.text);
    // A click on the list gives it the keyboard focus before the pick; the
    // change handler then decides where the focus goes.
    FWindow->ComboBox1->setFocus(Qt::MouseFocusReason);
    settle();
    FWindow->ComboBox1->PickFromList(i);
    settle();
}

void ReplaySession::cmdType(const ReplayArgs& a, std::ostream&) {
    // As when tabbing into it: the text is selected, so typing replaces it.
    FWindow->ComboBox1->setFocus(Qt::TabFocusReason);
    FWindow->ComboBox1->lineEdit()->selectAll();
    settle();
    for (QChar c : a.text) {
        if (c.unicode() < 128) {
            QTest::keyClick(keyTarget(), c.toLatin1());
        } else {
            // What a Japanese input method does with "５": no key press, a
            // commit to the text field.
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(FWindow->ComboBox1->lineEdit(), &commit);
        }
        settle();
    }
}

void ReplaySession::cmdAdd(const ReplayArgs& a, std::ostream&) {
    TActionInput in;
    in.Text = a.text;
    FWindow->Run.Perform(TRunAction::Add, in);
    settle();
}

void ReplaySession::cmdTimer(const ReplayArgs& a, std::ostream&) {
    uint32_t n = 1;
    if (!a.words.isEmpty() && !parseU32(a.words[0], n)) bad(a, QStringLiteral("expects a count"));
    for (uint32_t i = 0; i < n; ++i)
        FWindow->Timer1->Fire();
    settle();
}

void ReplaySession::cmdMenu(const ReplayArgs& a, std::ostream&) {
    TMenuItem* item = FWindow->PopupMenu1->Find(a.words[0]);
    if (!item) bad(a, QStringLiteral("no such menu item: ") + a.words[0]);
    item->Click();
    settle();
}

void ReplaySession::cmdScreenshot(const ReplayArgs& a, std::ostream&) {
    settle();
    const QString file = a.text.trimmed();
    if (!FWindow->grab().save(file, "PNG")) bad(a, QStringLiteral("cannot write ") + file);
}

void ReplaySession::cmdDump(const ReplayArgs& a, std::ostream& out) {
    const QString what = a.words[0];
    const ReplayCommand* d = Find(Dumps(), what);
    if (!d) bad(a, QStringLiteral("unknown dump: ") + what);
    // The dump's own arguments: what follows its name, as written.
    ReplayArgs sub = SplitArgs(a.text);
    CheckArity(*d, sub, QStringLiteral("dump ") + what);
    (this->*d->run)(sub, out);
}

void ReplaySession::dumpLabels(const ReplayArgs&, std::ostream& out) {
    for (TLabel* l :
         {FWindow->Label1, FWindow->Label2, FWindow->Label3, FWindow->Label9, FWindow->Label14,
          FWindow->Label7, FWindow->Label16, FWindow->Label11, FWindow->Label12, FWindow->Label13})
        out << utf8(l->objectName()) << "=" << utf8(QuoteText(l->Caption())) << "\n";
}

void ReplaySession::cmdDrag(const ReplayArgs& a, std::ostream&) {
    QWidget* w = component(a.words[0]);
    if (!w) bad(a, QStringLiteral("no such component: ") + a.words[0]);
    int p[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        p[i] = a.words[i + 1].toInt(&ok);
        if (!ok) bad(a, QStringLiteral("expects four whole numbers"));
    }
    const bool right = a.words.size() == 6;
    if (right && a.words[5] != u"right") bad(a, QStringLiteral("the last word may only be right"));
    DragMouse(w, p[0], p[1], p[2], p[3], right);
    settle();
}

void ReplaySession::dumpChart(const ReplayArgs&, std::ostream& out) {
    DumpChart(*FWindow->Chart1, out);
}

void ReplaySession::dumpSeries(const ReplayArgs&, std::ostream& out) {
    TChart* chart = FWindow->Chart1;
    for (int i = 0; i < chart->SeriesCount(); ++i) {
        TChartSeries* s = chart->Series(i);
        out << utf8(s->objectName()) << " count=" << s->Count() << "\n";
        for (int p = 0; p < s->Count(); ++p)
            out << utf8(shortest(s->XValues().Value(p))) << " "
                << utf8(shortest(s->YValues().Value(p))) << "\n";
    }
}

namespace {
struct StatePrinter {
    std::ostream& out;
    void operator()(const char* name, bool v) const {
        out << name << "=" << (v ? "true" : "false") << "\n";
    }
    void operator()(const char* name, int32_t v) const { out << name << "=" << v << "\n"; }
    void operator()(const char* name, const QString& v) const {
        out << name << "=" << utf8(QuoteText(v)) << "\n";
    }
};
} // namespace

void ReplaySession::dumpState(const ReplayArgs&, std::ostream& out) {
    FWindow->State.ForEachField(StatePrinter{out});
}

void ReplaySession::dumpCaption(const ReplayArgs&, std::ostream& out) {
    out << "caption=" << utf8(QuoteText(FWindow->Caption())) << "\n";
    out << "title=" << utf8(QuoteText(Application::Title())) << "\n";
}

void ReplaySession::dumpFocus(const ReplayArgs&, std::ostream& out) {
    QWidget* f = QApplication::focusWidget();
    if (!f) f = FWindow->focusWidget();
    while (f && f != FWindow.get() && f->parentWidget() != FWindow.get())
        f = f->parentWidget();
    out << "focus=" << (f && f != FWindow.get() ? utf8(f->objectName()) : std::string()) << "\n";
}

void ReplaySession::dumpMessages(const ReplayArgs&, std::ostream& out) {
    for (const MessageRecord& m : FMessages->Records) {
        out << "message caption=" << utf8(QuoteText(m.caption))
            << " text=" << utf8(QuoteText(m.text));
        // Only boxes that have one print it, so the others read as before.
        if (!m.informative.isEmpty()) out << " informative=" << utf8(QuoteText(m.informative));
        out << "\n";
    }
    FMessages->Records.clear();
}

void ReplaySession::dumpFile(const ReplayArgs& a, std::ostream& out) {
    const QString name = a.text.trimmed();
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw BadLine(utf8(QStringLiteral("dump file: cannot read ") + name));
    const QByteArray bytes = f.readAll();
    std::string lineOut;
    for (char c : bytes) {
        if (c == '\r')
            lineOut += "\\r";
        else if (c == '\n') {
            lineOut += "\\n";
            out << lineOut << "\n";
            lineOut.clear();
        } else
            lineOut += c;
    }
    if (!lineOut.empty()) out << lineOut << "\n";
}

void ReplaySession::dumpClipboard(const ReplayArgs&, std::ostream& out) {
    out << "clipboard=" << utf8(QuoteText(QGuiApplication::clipboard()->text())) << "\n";
}

void ReplaySession::dumpGrid(const ReplayArgs& a, std::ostream& out) {
    const QStringList& args = a.words;
    TStringGrid* g = qobject_cast<TStringGrid*>(component(args[0]));
    if (!g) throw BadLine("dump grid: no such grid");
    int rows = g->RowCount();
    if (args.size() > 1) {
        bool ok = false;
        rows = args[1].toInt(&ok);
        if (!ok || rows < 0) throw BadLine("dump grid: bad row count");
    }
    out << "RowCount=" << g->RowCount() << " ColCount=" << g->ColCount()
        << " TopRow=" << g->TopRow() << " Col=" << g->Col() << " Row=" << g->Row() << "\n";
    for (int r = 0; r < rows; ++r) {
        out << "row " << r << ":";
        for (int c = 0; c < g->ColCount(); ++c)
            out << "\t" << utf8(QuoteText(g->Cells(c, r)));
        out << "\n";
    }
}

void ReplaySession::cmdExport(const ReplayArgs&, std::ostream& out) {
    FOpened.clear();
    const int result = FWindow->XlsStringGrid1->CopyExcel();
    settle();
    out << "export result=" << result << " file=" << utf8(QuoteText(FOpened)) << "\n";
}

void ReplaySession::cmdServer(const ReplayArgs& a, std::ostream&) {
    if (a.words[0] == u"none")
        Spreadsheet::Unregister();
    else if (a.words[0] == u"builtin")
        Spreadsheet::Register();
    else
        bad(a, QStringLiteral("expects none or builtin"));
}

namespace {

bool parseBool(const QString& s, bool& v) {
    if (s != u"true" && s != u"false") return false;
    v = s == u"true";
    return true;
}

// Decimal (with an optional minus) or $hex; the value must fit [lo, hi].
bool parseInt(const QString& s, int64_t lo, int64_t hi, int64_t& v) {
    bool ok = false;
    if (s.startsWith(u'$')) {
        const qulonglong x = s.mid(1).toULongLong(&ok, 16);
        if (x > 0xFFFFFFFFull) return false;
        v = int64_t(x);
    } else
        v = s.toLongLong(&ok, 10);
    return ok && !s.startsWith(u'+') && v >= lo && v <= hi;
}

template <class E, size_t N>
bool parseEnum(const QString& s, const std::pair<const char*, E> (&names)[N], E& v) {
    for (const auto& [n, e] : names)
        if (s == QLatin1String(n)) {
            v = e;
            return true;
        }
    return false;
}

} // namespace

void ReplaySession::cmdSet(const ReplayArgs& a, std::ostream&) {
    // "NAME PROPERTY VALUE": the value is what follows the blank after the
    // property, as written, for the text properties.
    const QString& t = a.text;
    const qsizetype p1 = t.indexOf(u' ');
    const qsizetype p2 = p1 < 0 ? -1 : t.indexOf(u' ', p1 + 1);
    if (t.left(p1) != u"XlsStringGrid1") bad(a, QStringLiteral("only XlsStringGrid1 is settable"));
    if (p2 < 0) bad(a, QStringLiteral("expects XlsStringGrid1 PROPERTY VALUE"));
    const QString prop = t.mid(p1 + 1, p2 - p1 - 1);
    const QString raw = t.mid(p2 + 1);
    const QString value = raw.trimmed();
    TXlsStringGrid* g = FWindow->XlsStringGrid1;
    auto refused = [&] {
        bad(a, QStringLiteral("bad value for ") + prop + QStringLiteral(": ") + raw);
    };
    if (prop != u"SheetName" && prop != u"CellFont.Name" &&
        (value.isEmpty() || value.contains(u' ')))
        refused();
    bool b = false;
    int64_t n = 0;
    auto boolean = [&](void (TXlsStringGrid::*set)(bool)) {
        if (!parseBool(value, b)) refused();
        (g->*set)(b);
    };
    auto word = [&](void (TXlsStringGrid::*set)(uint16_t)) {
        if (!parseInt(value, 0, 0xFFFF, n)) refused();
        (g->*set)(uint16_t(n));
    };
    // Colours as the layout writes them: signed, or $hex up to $FFFFFFFF.
    auto colour = [&]() -> TColor {
        if (!parseInt(value, INT32_MIN, 0xFFFFFFFFll, n)) refused();
        return TColor(uint32_t(uint64_t(n)));
    };
    if (prop == u"ColumnName")
        boolean(&TXlsStringGrid::SetColumnName);
    else if (prop == u"ShowErrDlg")
        boolean(&TXlsStringGrid::SetShowErrDlg);
    else if (prop == u"AutoFit")
        boolean(&TXlsStringGrid::SetAutoFit);
    else if (prop == u"StartData")
        word(&TXlsStringGrid::SetStartData);
    else if (prop == u"StartRow")
        word(&TXlsStringGrid::SetStartRow);
    else if (prop == u"StartCol")
        word(&TXlsStringGrid::SetStartCol);
    else if (prop == u"SheetName")
        g->SetSheetName(raw);
    else if (prop == u"CellColor")
        g->SetCellColor(colour());
    else if (prop == u"CellTitleColor")
        g->SetCellTitleColor(colour());
    else if (prop == u"CellBorderColor")
        g->SetCellBorderColor(colour());
    else if (prop == u"CellFont.Color")
        g->CellFont().SetColor(colour());
    else if (prop == u"CellFont.Name")
        g->CellFont().SetName(raw);
    else if (prop == u"CellFont.Height") {
        if (!parseInt(value, INT32_MIN, INT32_MAX, n)) refused();
        g->CellFont().SetHeight(int(n));
    } else if (prop == u"CellBorderWeight") {
        static const std::pair<const char*, TCellBorderWeight> names[] = {
            {"bwNone", bwNone},
            {"bwHairline", bwHairline},
            {"bwThin", bwThin},
            {"bwMedium", bwMedium},
            {"bwThick", bwThick}};
        TCellBorderWeight w;
        if (!parseEnum(value, names, w)) refused();
        g->SetCellBorderWeight(w);
    } else if (prop == u"PageOrientation") {
        static const std::pair<const char*, TPageOrientation> names[] = {
            {"xlPortrait", xlPortrait}, {"xlLandscape", xlLandscape}};
        TPageOrientation o;
        if (!parseEnum(value, names, o)) refused();
        g->SetPageOrientation(o);
    } else if (prop == u"CellFont.Style") {
        static const std::pair<const char*, TFontStyle> names[] = {{"fsBold", fsBold},
                                                                   {"fsItalic", fsItalic},
                                                                   {"fsUnderline", fsUnderline},
                                                                   {"fsStrikeOut", fsStrikeOut}};
        TFontStyles style = 0;
        if (value != u"[]")
            for (const QString& part : value.split(u',')) {
                TFontStyle f;
                if (!parseEnum(part, names, f)) refused();
                style |= f;
            }
        g->CellFont().SetStyle(style);
    } else
        bad(a, QStringLiteral("no such export property: ") + prop);
    settle();
}

// --- run journal ----------------------------------------------------------------

void ReplaySession::keepJournal() {
    // The boot and the real-time clock are the scenario's too: the simulated
    // wall clock stands for the real-time one.
    TRunRecorder::TSystem system{[this] { return FBootId; },
                                 [this] { return FNow.toMSecsSinceEpoch(); }};
    FRecorder = std::make_unique<TRunRecorder>(FWindow->Run, FJournalDir, std::move(system));
}

void ReplaySession::cmdJournal(const ReplayArgs& a, std::ostream&) {
    if (FRecorder) bad(a, QStringLiteral("the journal is already kept"));
    FJournalDir = QDir(a.text.trimmed()).absolutePath();
    keepJournal();
}

void ReplaySession::cmdCrash(const ReplayArgs&, std::ostream&) {
    // Dropping the recorder closes the file as the kernel would on a kill;
    // whatever reached it stays.
    FRecorder.reset();
    FWindow.reset();
    FAsking = false;
}

void ReplaySession::cmdStartAgain(const ReplayArgs& a, std::ostream& out) {
    if (!a.words.isEmpty()) {
        if (a.words[0] != u"reboot") bad(a, QStringLiteral("the only word allowed is reboot"));
        FBootId = "replay-boot-" + QByteArray::number(++FBoots);
    }
    if (FJournalDir.isEmpty()) bad(a, QStringLiteral("no journal folder (journal DIR first)"));
    if (FWindow) cmdCrash(a, out);
    openWindow();
    keepJournal();
    const std::optional<QString> question = FRecorder->Offer();
    if (question) {
        out << "question=" << utf8(QuoteText(*question)) << "\n";
        FAsking = true;
    }
}

void ReplaySession::cmdAnswer(const ReplayArgs& a, std::ostream&) {
    if (!FAsking) bad(a, QStringLiteral("no restore question was asked"));
    if (a.words[0] == u"restore")
        FRecorder->Restore();
    else if (a.words[0] == u"discard")
        FRecorder->Discard();
    else
        bad(a, QStringLiteral("expects restore or discard"));
    FAsking = false;
    settle();
}

// --- corrections ----------------------------------------------------------------

void ReplaySession::cmdCorrect(const ReplayArgs& a, std::ostream&) {
    const QString kind = a.words[0];
    auto* grid = qobject_cast<TStringGrid*>(component(a.words[1]));
    if (!grid || (a.words[1] != u"StringGridEx1" && a.words[1] != u"XlsStringGrid1"))
        bad(a, QStringLiteral("GRID is StringGridEx1 or XlsStringGrid1"));
    bool ok = false;
    const int row = a.words[2].toInt(&ok);
    if (!ok) bad(a, QStringLiteral("ROW is a number"));
    const bool insert = kind == u"insert";
    if (insert != (a.words.size() == 4)) bad(a, QStringLiteral("MS comes with insert alone"));
    TRowCorrector& c = *FWindow->Corrector;
    if (kind == u"delete")
        c.Delete(grid, row);
    else if (kind == u"split")
        c.Split(grid, row);
    else if (insert) {
        const int ms = a.words[3].toInt(&ok);
        if (!ok) bad(a, QStringLiteral("MS is a number"));
        c.Insert(grid, row, ms);
    } else
        bad(a, QStringLiteral("expects delete, split or insert"));
    settle();
}

void ReplaySession::cmdUndo(const ReplayArgs&, std::ostream&) {
    FWindow->Corrector->Undo();
    settle();
}

void ReplaySession::cmdRedo(const ReplayArgs&, std::ostream&) {
    FWindow->Corrector->Redo();
    settle();
}

void ReplaySession::dumpNote(const ReplayArgs&, std::ostream& out) {
    const TLabel* n = FWindow->RunNote;
    QString text = n && n->isVisible() ? n->Caption() : QString();
    // A save's note names the working folder, which is another on every
    // machine: it prints as "$PWD".
    text.replace(QDir::currentPath(), QStringLiteral("$PWD"));
    out << "note=" << utf8(QuoteText(text)) << "\n";
}

void ReplaySession::dumpDistances(const ReplayArgs&, std::ostream& out) {
    const TComboBox* list = FWindow->ComboBox1;
    out << "added=";
    for (int i = TVantel::DistanceCount; i < list->ItemCount(); ++i)
        out << (i > TVantel::DistanceCount ? " " : "") << utf8(QuoteText(list->itemText(i)));
    out << "\nindex=" << list->ItemIndex() << "\ntext=" << utf8(QuoteText(list->Text())) << "\n";
}

void ReplaySession::dumpMarks(const ReplayArgs&, std::ostream& out) {
    FWindow->UpdateLapMarks();
    for (const TStringGrid* g : {static_cast<TStringGrid*>(FWindow->StringGridEx1),
                                 static_cast<TStringGrid*>(FWindow->XlsStringGrid1)})
        for (const auto& [row, why] : g->RowMarks())
            out << utf8(g->objectName()) << " row " << row << ": " << utf8(why) << "\n";
}

void ReplaySession::dumpJournal(const ReplayArgs&, std::ostream& out) {
    const QString note = FWindow->JournalNote && FWindow->JournalNote->isVisible()
                             ? FWindow->JournalNote->Text()
                             : QString();
    out << "note=" << utf8(QuoteText(note)) << "\n";
    if (FJournalDir.isEmpty()) return;
    const QDir dir(FJournalDir);
    for (const QString& suffix :
         {RunJournal::LiveSuffix, RunJournal::DoneSuffix, RunJournal::DiscardedSuffix,
          RunJournal::UnreadableSuffix, RunJournal::DamagedSuffix})
        out << "files *" << utf8(suffix) << "="
            << dir.entryList({QStringLiteral("run-*") + suffix}, QDir::Files).size() << "\n";
}
