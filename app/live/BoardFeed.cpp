#include "BoardFeed.h"

#include "CsvText.h"

#include <QJsonDocument>

#include <unordered_map>

namespace {
const char* MarkName(TLapMark m) {
    return m == TLapMark::Short ? "short" : m == TLapMark::Long ? "long" : "";
}

QByteArray Json(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
} // namespace

QString TBoardFeed::TypeOf(const QString& n) {
    if (n == u"lap" || n == u"lap2" || n == u"lap3") return QStringLiteral("lap");
    if (n == u"pick" || n == u"add" || n == u"remove") return QStringLiteral("distance");
    if (n == u"delete" || n == u"insert" || n == u"undo" || n == u"redo")
        return QStringLiteral("correction");
    if (n == u"up" || n == u"down") return QStringLiteral("move");
    return n; // start, stop, restart, reset, key, save
}

std::vector<QByteArray> TBoardFeed::Take(const TBoardCapture& c, uint32_t now) {
    FLast = c;
    const TWindowShows& w = c.Shows;
    std::vector<TPressedLap> laps;
    laps.reserve(c.Presses.size());
    for (const TBoardPress& p : c.Presses)
        laps.push_back({p.Button, p.LapMs});
    const std::vector<TLapMark> marks = LapMarksOf(laps);
    std::unordered_map<int, size_t> pressAt;
    for (size_t i = 0; i < c.Presses.size(); ++i)
        pressAt[c.Presses[i].Id] = i;

    std::vector<QJsonObject> rows(w.MixRows.size());
    for (size_t r = size_t(c.MixFixedRows); r < w.MixRows.size(); ++r) {
        const QStringList& cells = w.MixRows[r];
        const int press = r < w.MixPresses.size() ? w.MixPresses[r] : 0;
        bool any = press != 0;
        for (const QString& cell : cells)
            any = any || !cell.isEmpty();
        if (!any) continue;
        QJsonObject o{{"row", int(r)},  {"cells", QJsonArray::fromStringList(cells)},
                      {"press", press}, {"button", 0},
                      {"mark", ""},     {"inserted", false}};
        if (const auto it = pressAt.find(press); press != 0 && it != pressAt.end()) {
            o["button"] = c.Presses[it->second].Button;
            o["mark"] = MarkName(marks[it->second]);
            o["inserted"] = c.Presses[it->second].Inserted;
        }
        rows[r] = std::move(o);
    }
    size_t from = 0;
    while (from < rows.size() && from < FRows.size() && rows[from] == FRows[from])
        ++from;
    const bool tableChanged = from < rows.size() || from < FRows.size();
    FRows = std::move(rows);

    std::vector<QByteArray> out;
    if (!std::exchange(FReady, true)) return out;
    bool first = true;
    for (const TBoardCapture::TAction& a : c.Actions) {
        QJsonObject e{{"v", 1},        {"type", a.Type},     {"action", a.Name},
                      {"seq", ++FSeq}, {"now", qint64(now)}, {"source", "vantel"}};
        if (a.Tick) e["tick"] = qint64(*a.Tick);
        if (a.Press) e["press"] = a.Press;
        // Every message carries the figures, so that any one brings a
        // viewer up to date; only the first of a batch the rows that moved.
        e["clock"] = clock();
        e["figures"] = figures();
        e["prevTotal"] = w.PrevTotal;
        e["corrections"] = corrections();
        if (first && tableChanged)
            e["table"] = QJsonObject{{"from", int(from)}, {"rows", rowsFrom(int(from))}};
        first = false;
        out.push_back(Json(e));
    }
    return out;
}

std::array<QByteArray, 2> TBoardFeed::RemoteMessages() {
    ++FSeq;
    auto message = [&](bool remote) {
        return Json({{"v", 1}, {"type", "remote"}, {"seq", FSeq}, {"remote", remote}});
    };
    return {message(false), message(true)};
}

QJsonObject TBoardFeed::figures() const {
    const TWindowShows& w = FLast.Shows;
    return {{"total", w.Total},       {"lap", w.Lap},          {"lapReal", w.LapReal},
            {"fast", w.Fast},         {"fastLap", w.FastLap},  {"average", w.Average},
            {"lapCount", w.LapCount}, {"diff", w.Diff},        {"lapKmh", w.LapKmh},
            {"aveKmh", w.AveKmh},     {"distance", w.Distance}};
}

QJsonObject TBoardFeed::clock() const {
    const TWindowShows& w = FLast.Shows;
    return {{"running", w.Running}, {"origin", qint64(w.Origin)}, {"elapsed", w.Elapsed}};
}

QJsonArray TBoardFeed::rowsFrom(int from) const {
    QJsonArray a;
    for (size_t r = size_t(std::max(from, 0)); r < FRows.size(); ++r)
        if (!FRows[r].isEmpty()) a.append(FRows[r]);
    return a;
}

QJsonArray TBoardFeed::corrections() const {
    QJsonArray a;
    for (const TBoardCapture::TCorrection& c : FLast.Corrections)
        a.append(QJsonObject{{"kind", c.Kind}, {"text", c.Text}});
    return a;
}

QByteArray TBoardFeed::Snapshot(bool remote, uint32_t now) const {
    const QStringList columns =
        FLast.Shows.MixRows.empty() ? QStringList() : FLast.Shows.MixRows.front();
    return Json({{"v", 1},
                 {"type", "run"},
                 {"seq", FSeq},
                 {"source", "vantel"},
                 {"now", qint64(now)},
                 {"clock", clock()},
                 {"figures", figures()},
                 {"prevTotal", FLast.Shows.PrevTotal},
                 {"columns", QJsonArray::fromStringList(columns)},
                 {"rows", rowsFrom(0)},
                 {"corrections", corrections()},
                 {"remote", remote}});
}

QByteArray TBoardFeed::Csv() const {
    const TWindowShows& w = FLast.Shows;
    return CsvText::BuildCsvBytes(FLast.MixFixedRows, int(w.MixRows.size()), 0, w.MixCols,
                                  [&](int c, int r) -> QStringView {
                                      const QStringList& row = w.MixRows[size_t(r)];
                                      return c < row.size() ? QStringView(row[c]) : QStringView();
                                  });
}
