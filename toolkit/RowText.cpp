#include "RowText.h"

namespace {
inline bool isSep(char16_t c) {
    return c >= 1 && c <= 32;
}
} // namespace

QStringList RowTextFields(const QString& text) {
    QStringList out;
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* end = p + text.size();
    auto at = [&](const char16_t* q) -> char16_t { return q < end ? *q : 0; };
    while (at(p) != 0 && isSep(at(p)))
        ++p;
    while (at(p) != 0) {
        QString field;
        if (at(p) == u'"') {
            ++p;
            for (;;) {
                const char16_t c = at(p);
                if (c == 0) break; // unclosed: runs to the end
                if (c == u'"') {
                    if (at(p + 1) == u'"') {
                        field += QChar(u'"');
                        p += 2;
                        continue;
                    }
                    ++p; // closing quote
                    break;
                }
                field += QChar(c);
                ++p;
            }
        } else {
            const char16_t* start = p;
            while (at(p) != 0 && !isSep(at(p)) && at(p) != u',')
                ++p;
            field = QString(reinterpret_cast<const QChar*>(start), p - start);
        }
        out.push_back(field);
        while (at(p) != 0 && isSep(at(p)))
            ++p;
        if (at(p) == u',') {
            do {
                ++p;
            } while (at(p) != 0 && isSep(at(p)));
        }
    }
    return out;
}

QStringList RowTextCells(const QString& text, int cellCount) {
    QStringList cells;
    if (cellCount <= 0) return cells;
    cells.resize(cellCount);
    int firstEmpty = 0; // cells only ever fill up, so the first empty one only moves right
    for (const QString& f : RowTextFields(text)) {
        while (firstEmpty < cellCount && !cells[firstEmpty].isEmpty())
            ++firstEmpty;
        if (firstEmpty >= cellCount) break;
        cells[firstEmpty] = f;
    }
    return cells;
}
