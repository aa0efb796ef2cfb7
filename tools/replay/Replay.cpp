#include "Replay.h"

#include "Application.h"
#include "Chart.h"
#include "Clock.h"
#include "ComboBox.h"
#include "CuteBtn.h"
#include "ExcelUtil.h"
#include "Label.h"
#include "Menu.h"
#include "MessageService.h"
#include "Series.h"
#include "StringGridEx.h"
#include "Timer.h"
#include "Unit1.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include <charconv>
#include <istream>
#include <ostream>

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

QString QuoteText(const QString& s) {
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'"')
            out += QLatin1String("\\\"");
        else if (c == u'\r' || c == u'\n') {
            // CR LF, a lone CR (the message boxes' line break) and a lone LF
            // are each one line break.
            if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
            out += QLatin1String("\\n");
        } else
            out += c;
    }
    out += QLatin1Char('"');
    return out;
}

ReplaySession::ReplaySession() : FNow(QDate(2000, 1, 1), QTime(0, 0, 0)) {
    Clock::SetTickSource([this] { return FTick; });
    Clock::SetWallClock([this] { return FNow; });
    FMessages = std::make_unique<RecordingMessageService>();
    MessageService::SetInstance(FMessages.get());
    FWindow = std::make_unique<TVantel>();
    // Ticks come only from the scenario's "timer" lines.
    FWindow->Timer1->SetEnabled(false);
    FWindow->show();
    FWindow->activateWindow();
    QApplication::setActiveWindow(FWindow.get());
    settle();
}

ReplaySession::~ReplaySession() {
    FWindow.reset();
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

void ReplaySession::Execute(const QString& rawLine, std::ostream& out) {
    const QString line = rawLine.trimmed();
    const qsizetype sp = line.indexOf(u' ');
    const QString cmd = sp < 0 ? line : line.left(sp);
    const QString rest = sp < 0 ? QString() : line.mid(sp + 1).trimmed();
    const QStringList args = rest.split(u' ', Qt::SkipEmptyParts);
    // Text arguments are taken as written after the one blank that ends the
    // command word: leading and trailing blanks of a distance matter.
    const QString text = sp < 0 ? QString() : rawLine.mid(rawLine.indexOf(cmd) + cmd.size() + 1);
    auto bad = [&](const QString& why) { throw BadLine(utf8(cmd + QStringLiteral(": ") + why)); };

    if (cmd == u"tick") {
        uint32_t v;
        if (args.size() != 1 || !parseU32(args[0], v))
            bad(QStringLiteral("expects a number 0..4294967295"));
        FTick = v;
    } else if (cmd == u"advance") {
        uint32_t v;
        if (args.size() != 1 || !parseU32(args[0], v))
            bad(QStringLiteral("expects a number 0..4294967295"));
        FTick += v; // wraps modulo 2^32
    } else if (cmd == u"clock") {
        const QDateTime t = QDateTime::fromString(rest, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!t.isValid()) bad(QStringLiteral("expects YYYY-MM-DD HH:MM:SS"));
        FNow = t;
    } else if (cmd == u"click") {
        QWidget* w = args.size() == 1 ? component(args[0]) : nullptr;
        if (!w) bad(QStringLiteral("no such component: ") + rest);
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
        settle();
    } else if (cmd == u"key") {
        if (rest.isEmpty()) bad(QStringLiteral("expects a key"));
        QWidget* target = keyTarget();
        Qt::KeyboardModifiers mods = Qt::NoModifier;
        QString k = rest;
        if (k.startsWith(QLatin1String("Alt+")) && k.size() == 5) {
            mods = Qt::AltModifier;
            k = k.mid(4);
        }
        if (k == u"Enter")
            QTest::keyClick(target, Qt::Key_Return, mods);
        else if (k == u"Space")
            QTest::keyClick(target, Qt::Key_Space, mods);
        else if (k == u"Tab")
            QTest::keyClick(target, Qt::Key_Tab, mods);
        else if (k == u"Shift+Tab")
            QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
        else if (k.size() == 1 && k[0].unicode() < 128)
            QTest::keyClick(target, k[0].toLatin1(), mods);
        else
            bad(QStringLiteral("unknown key: ") + rest);
        settle();
    } else if (cmd == u"select") {
        const int i = FWindow->ComboBox1->findText(text, Qt::MatchExactly);
        if (i < 0) bad(QStringLiteral("no such entry: ") + text);
        FWindow->ComboBox1->PickFromList(i);
        settle();
    } else if (cmd == u"type") {
        // As when tabbing into it: the text is selected, so typing replaces it.
        FWindow->ComboBox1->setFocus(Qt::TabFocusReason);
        FWindow->ComboBox1->lineEdit()->selectAll();
        settle();
        for (QChar c : text) {
            if (c.unicode() >= 128) bad(QStringLiteral("only ASCII text can be typed"));
            QTest::keyClick(keyTarget(), c.toLatin1());
            settle();
        }
    } else if (cmd == u"timer") {
        uint32_t n = 1;
        if (args.size() > 1 || (args.size() == 1 && !parseU32(args[0], n)))
            bad(QStringLiteral("expects a count"));
        for (uint32_t i = 0; i < n; ++i)
            FWindow->Timer1->Fire();
        settle();
    } else if (cmd == u"menu") {
        TMenuItem* item = args.size() == 1 ? FWindow->PopupMenu1->Find(args[0]) : nullptr;
        if (!item) bad(QStringLiteral("no such menu item: ") + rest);
        item->Click();
        settle();
    } else if (cmd == u"screenshot") {
        if (rest.isEmpty()) bad(QStringLiteral("expects a file name"));
        settle();
        if (!FWindow->grab().save(rest, "PNG")) bad(QStringLiteral("cannot write ") + rest);
    } else if (cmd == u"dump") {
        const QString what = args.value(0);
        const bool bare = what != u"grid" && what != u"file";
        if (bare && args.size() > 1) bad(QStringLiteral("takes no argument: ") + what);
        if (what == u"labels") {
            for (TLabel* l : {FWindow->Label1, FWindow->Label2, FWindow->Label3, FWindow->Label9,
                              FWindow->Label14, FWindow->Label7, FWindow->Label16, FWindow->Label11,
                              FWindow->Label12, FWindow->Label13})
                out << utf8(l->objectName()) << "=" << utf8(QuoteText(l->Caption())) << "\n";
        } else if (what == u"grid") {
            dumpGrid(args.mid(1), out);
        } else if (what == u"series") {
            TChart* chart = FWindow->Chart1;
            for (int i = 0; i < chart->SeriesCount(); ++i) {
                TChartSeries* s = chart->Series(i);
                out << utf8(s->objectName()) << " count=" << s->Count() << "\n";
                for (int p = 0; p < s->Count(); ++p)
                    out << utf8(shortest(s->XValues().Value(p))) << " "
                        << utf8(shortest(s->YValues().Value(p))) << "\n";
            }
        } else if (what == u"state") {
            const TRunState& s = FWindow->State;
            out << "Running=" << (s.Running ? "true" : "false") << "\n";
            const std::pair<const char*, int32_t> values1[] = {
                {"Total", s.Total},     {"PrevTotal", s.PrevTotal}, {"LapTime", s.LapTime},
                {"PrevLap", s.PrevLap}, {"LapDiff", s.LapDiff},     {"FastLap", s.FastLap},
                {"LapSum", s.LapSum},   {"AveLap", s.AveLap},       {"LapCount", s.LapCount},
                {"Meter", s.Meter}};
            for (const auto& [n, v] : values1)
                out << n << "=" << v << "\n";
            out << "MeterText=" << utf8(QuoteText(s.MeterText)) << "\n";
            const std::pair<const char*, int32_t> values2[] = {{"LapKmh", s.LapKmh},
                                                               {"AveKmh", s.AveKmh},
                                                               {"LiveLap", s.LiveLap},
                                                               {"Lap2Time", s.Lap2Time},
                                                               {"Lap3Time", s.Lap3Time},
                                                               {"Lap2PrevTotal", s.Lap2PrevTotal},
                                                               {"Lap3PrevTotal", s.Lap3PrevTotal},
                                                               {"Lap2Diff", s.Lap2Diff},
                                                               {"Lap3Diff", s.Lap3Diff},
                                                               {"Lap2PrevLap", s.Lap2PrevLap},
                                                               {"Lap3PrevLap", s.Lap3PrevLap},
                                                               {"Lap2Count", s.Lap2Count},
                                                               {"Lap3Count", s.Lap3Count},
                                                               {"MixLap1Count", s.MixLap1Count},
                                                               {"MixRow", s.MixRow}};
            for (const auto& [n, v] : values2)
                out << n << "=" << v << "\n";
        } else if (what == u"caption") {
            out << "caption=" << utf8(QuoteText(FWindow->Caption())) << "\n";
            out << "title=" << utf8(QuoteText(Application::Title())) << "\n";
        } else if (what == u"focus") {
            QWidget* f = QApplication::focusWidget();
            if (!f) f = FWindow->focusWidget();
            while (f && f != FWindow.get() && f->parentWidget() != FWindow.get())
                f = f->parentWidget();
            out << "focus=" << (f && f != FWindow.get() ? utf8(f->objectName()) : std::string())
                << "\n";
        } else if (what == u"messages") {
            for (const MessageRecord& m : FMessages->Records)
                out << "message caption=" << utf8(QuoteText(m.caption))
                    << " text=" << utf8(QuoteText(m.text)) << "\n";
            FMessages->Records.clear();
        } else if (what == u"file") {
            const QString name = rest.mid(what.size()).trimmed();
            QFile f(name);
            if (name.isEmpty() || !f.open(QIODevice::ReadOnly))
                bad(QStringLiteral("cannot read ") + name);
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
        } else if (what == u"clipboard") {
            out << "clipboard=" << utf8(QuoteText(QGuiApplication::clipboard()->text())) << "\n";
        } else {
            bad(QStringLiteral("unknown dump: ") + what);
        }
    } else {
        bad(QStringLiteral("unknown command"));
    }
}

void ReplaySession::dumpGrid(const QStringList& args, std::ostream& out) {
    TStringGrid* g = args.isEmpty() ? nullptr : qobject_cast<TStringGrid*>(component(args[0]));
    if (!g) throw BadLine("dump grid: no such grid");
    int rows = g->RowCount();
    if (args.size() > 2) throw BadLine("dump grid: expects NAME [ROWS]");
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
