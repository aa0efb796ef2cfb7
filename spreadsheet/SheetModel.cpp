#include "SheetModel.h"

#include "ColumnFit.h"

#include <algorithm>

namespace Sheet {

int ColumnNumber(QStringView letters) {
    if (letters.isEmpty() || letters.size() > 3) return 0;
    int n = 0;
    for (QChar ch : letters) {
        const char16_t c = ch.toUpper().unicode();
        if (c < u'A' || c > u'Z') return 0;
        n = n * 26 + (c - u'A' + 1);
    }
    return n <= MaxCols ? n : 0;
}

namespace {

// One cell reference such as "B7" or "$B$7": 0-based row and column.
std::optional<std::pair<int, int>> parseCell(QStringView s) {
    if (s.startsWith(u'$')) s = s.mid(1);
    qsizetype i = 0;
    while (i < s.size() && s[i].isLetter())
        ++i;
    const int col = ColumnNumber(s.left(i));
    QStringView digits = s.mid(i);
    if (digits.startsWith(u'$')) digits = digits.mid(1);
    if (col == 0 || digits.isEmpty() || digits.size() > 7 || digits.startsWith(u'0')) return {};
    int row = 0;
    for (QChar d : digits) {
        if (d < u'0' || d > u'9') return {};
        row = row * 10 + (d.unicode() - u'0');
    }
    if (row > MaxRows) return {};
    return std::pair{row - 1, col - 1};
}

} // namespace

std::optional<TCellRect> ParseAddress(QStringView address) {
    const qsizetype colon = address.indexOf(u':');
    const auto a = parseCell(colon < 0 ? address : address.left(colon));
    const auto b = colon < 0 ? a : parseCell(address.mid(colon + 1));
    if (!a || !b) return {};
    return TCellRect{std::min(a->first, b->first), std::min(a->second, b->second),
                     std::max(a->first, b->first), std::max(a->second, b->second)};
}

void TCellFormat::Overlay(const TCellFormat& o) {
    auto take = [](auto& mine, const auto& theirs) {
        if (theirs) mine = theirs;
    };
    take(Fill, o.Fill);
    take(BorderWeight, o.BorderWeight);
    take(BorderColor, o.BorderColor);
    take(FontName, o.FontName);
    take(FontSize, o.FontSize);
    take(FontColor, o.FontColor);
    take(Bold, o.Bold);
    take(Italic, o.Italic);
    take(Strikethrough, o.Strikethrough);
    take(Underline, o.Underline);
}

TCellFont FontOf(const TCellFormat& f) {
    TCellFont font;
    if (f.FontName) font.Name = *f.FontName;
    if (f.FontSize) font.Size = *f.FontSize;
    font.Bold = f.Bold.value_or(false);
    font.Italic = f.Italic.value_or(false);
    return font;
}

bool IsPlainDecimal(QStringView s) {
    if (s.startsWith(u'-')) s = s.mid(1);
    const qsizetype dot = s.indexOf(u'.');
    const QStringView whole = dot < 0 ? s : s.left(dot);
    const QStringView frac = dot < 0 ? QStringView() : s.mid(dot + 1);
    auto digits = [](QStringView d) {
        return !d.isEmpty() &&
               std::all_of(d.begin(), d.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    return digits(whole) && (dot < 0 || digits(frac));
}

namespace {

// The value of a plain decimal number; whole numbers of up to 15 digits
// (nearly every pasted number) without the general conversion.
double decimalValue(QStringView s) {
    const bool minus = s.startsWith(u'-');
    const QStringView digits = minus ? s.mid(1) : s;
    if (digits.size() > 15 || digits.contains(u'.')) return s.toDouble();
    int64_t v = 0;
    for (QChar d : digits)
        v = v * 10 + (d.unicode() - u'0');
    return double(minus ? -v : v);
}

} // namespace

bool TSheet::PasteText(int row, int col, QStringView text) {
    // Lines end at CR LF, LF or CR; the break after the last line starts none.
    std::vector<QStringView> lines;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype j = i;
        while (j < text.size() && text[j] != u'\r' && text[j] != u'\n')
            ++j;
        lines.push_back(text.mid(i, j - i));
        if (j < text.size() && text[j] == u'\r' && j + 1 < text.size() && text[j + 1] == u'\n') ++j;
        i = j + 1;
    }
    // A tab ends a field; the one after a line's last field starts none.
    auto fieldCount = [](QStringView line) {
        qsizetype n = line.count(u'\t') + 1;
        if (line.endsWith(u'\t')) --n;
        return line.isEmpty() ? qsizetype(0) : n;
    };
    qsizetype width = 0;
    for (QStringView l : lines)
        width = std::max(width, fieldCount(l));
    if (row < 0 || col < 0 || qsizetype(row) + qsizetype(lines.size()) > MaxRows ||
        qsizetype(col) + width > MaxCols)
        return false;
    if (FRows.size() < size_t(row) + lines.size()) FRows.resize(size_t(row) + lines.size());
    for (size_t li = 0; li < lines.size(); ++li) {
        const QStringView line = lines[li];
        const qsizetype n = fieldCount(line);
        if (n == 0) continue;
        TRow& r = FRows[size_t(row) + li];
        // Widen the row's stored span to cover [col, col + n).
        const int last = col + int(n); // one past
        if (r.Cells.empty()) {
            r.First = col;
            r.Cells.resize(size_t(n));
        } else {
            const int first = std::min(r.First, col);
            const int end = std::max(r.First + int(r.Cells.size()), last);
            if (first < r.First) r.Cells.insert(r.Cells.begin(), size_t(r.First - first), TCell{});
            r.First = first;
            r.Cells.resize(size_t(end - first));
        }
        qsizetype start = 0;
        for (qsizetype f = 0; f < n; ++f) {
            qsizetype tab = line.indexOf(u'\t', start);
            if (tab < 0) tab = line.size();
            const QStringView field = line.mid(start, tab - start);
            start = tab + 1;
            TCell& cell = r.Cells[size_t(col - r.First + f)];
            cell.Text = field.toString();
            cell.IsNumber = IsPlainDecimal(field);
            cell.Number = cell.IsNumber ? decimalValue(field) : 0;
        }
    }
    return true;
}

const TCell* TSheet::CellAt(int row, int col) const {
    if (row < 0 || size_t(row) >= FRows.size()) return nullptr;
    const TRow& r = FRows[size_t(row)];
    if (col < r.First || col >= r.First + int(r.Cells.size())) return nullptr;
    return &r.Cells[size_t(col - r.First)];
}

TCellFormat TSheet::FormatAt(int row, int col) const {
    TCellFormat f;
    for (const auto& [rect, fmt] : Layers)
        if (rect.Contains(row, col)) f.Overlay(fmt);
    return f;
}

void TSheet::AutoFitColumns(int first, int last) {
    TColumnFitter fit;
    // A cell's font depends only on which layers cover it: one font per set.
    std::map<uint64_t, TCellFont> fonts;
    std::map<int, double> widest;
    const size_t layers = std::min<size_t>(Layers.size(), 64);
    for (size_t ri = 0; ri < FRows.size(); ++ri) {
        const TRow& r = FRows[ri];
        for (size_t i = 0; i < r.Cells.size(); ++i) {
            const int c = r.First + int(i);
            if (c < first || c > last || r.Cells[i].Text.isEmpty()) continue;
            uint64_t mask = 0;
            for (size_t l = 0; l < layers; ++l)
                if (Layers[l].first.Contains(int(ri), c)) mask |= uint64_t(1) << l;
            auto f = fonts.find(mask);
            if (f == fonts.end()) f = fonts.emplace(mask, FontOf(FormatAt(int(ri), c))).first;
            const double w = fit.TextWidth(f->second, r.Cells[i].Text);
            double& m = widest[c];
            m = std::max(m, w);
        }
    }
    for (const auto& [c, w] : widest)
        ColumnWidthPx[c] = TColumnFitter::ColumnPixels(w);
}

} // namespace Sheet
