#include "XlsxFile.h"

#include "Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <xlsxwriter.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

namespace Sheet {

namespace {

// The library takes 0 as "no colour"; black has its own value.
lxw_color_t lxwColor(uint32_t rgb) {
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : lxw_color_t(rgb);
}

// The library's style for a spreadsheet's numeric code; `otherwise` for a
// code it has no style for.
uint8_t styleFor(int code, std::initializer_list<std::pair<int, uint8_t>> table,
                 uint8_t otherwise) {
    for (const auto& [c, style] : table)
        if (c == code) return style;
    return otherwise;
}

uint8_t borderStyle(int weight) {
    return styleFor(weight,
                    {{1, LXW_BORDER_HAIR}, {-4138, LXW_BORDER_MEDIUM}, {4, LXW_BORDER_THICK}},
                    LXW_BORDER_THIN);
}

uint8_t underlineStyle(int u) {
    return styleFor(u,
                    {{2, LXW_UNDERLINE_SINGLE},
                     {-4119, LXW_UNDERLINE_DOUBLE},
                     {4, LXW_UNDERLINE_SINGLE_ACCOUNTING},
                     {5, LXW_UNDERLINE_DOUBLE_ACCOUNTING}},
                    LXW_UNDERLINE_NONE);
}

// Cell formats of one sheet, one library format per set of layers that cover
// a cell: a handful of sets, however many cells.
class FormatCache {
public:
    FormatCache(lxw_workbook* wb, const TSheet& s) : FBook(wb), FSheet(s) {}

    // The format of the layers whose bits are set in `mask`; null for none.
    lxw_format* For(uint64_t mask) {
        if (mask == 0) return nullptr;
        auto it = FFormats.constFind(mask);
        if (it != FFormats.constEnd()) return *it;
        TCellFormat f;
        for (size_t i = 0; i < FSheet.Layers.size() && i < 64; ++i)
            if (mask & (uint64_t(1) << i)) f.Overlay(FSheet.Layers[i].second);
        lxw_format* x = make(f);
        FFormats.insert(mask, x);
        return x;
    }
    uint64_t MaskAt(int row, int col) const {
        uint64_t m = 0;
        for (size_t i = 0; i < FSheet.Layers.size() && i < 64; ++i)
            if (FSheet.Layers[i].first.Contains(row, col)) m |= uint64_t(1) << i;
        return m;
    }

private:
    lxw_format* make(const TCellFormat& f) {
        lxw_format* x = workbook_add_format(FBook);
        if (f.Fill) format_set_bg_color(x, lxwColor(*f.Fill));
        if (f.BorderWeight || f.BorderColor) {
            format_set_border(x, borderStyle(f.BorderWeight.value_or(2)));
            if (f.BorderColor) format_set_border_color(x, lxwColor(*f.BorderColor));
        }
        if (f.FontName) format_set_font_name(x, f.FontName->toUtf8().constData());
        if (f.FontSize) format_set_font_size(x, *f.FontSize);
        if (f.FontColor) format_set_font_color(x, lxwColor(*f.FontColor));
        if (f.Bold.value_or(false)) format_set_bold(x);
        if (f.Italic.value_or(false)) format_set_italic(x);
        if (f.Strikethrough.value_or(false)) format_set_font_strikeout(x);
        if (f.Underline) format_set_underline(x, underlineStyle(*f.Underline));
        return x;
    }
    lxw_workbook* FBook;
    const TSheet& FSheet;
    QHash<uint64_t, lxw_format*> FFormats;
};

// UTF-8 of a cell text in a buffer kept from cell to cell: most texts are
// ASCII and need no conversion and no allocation of their own.
const char* utf8(const QString& text, std::string& buffer) {
    buffer.clear();
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            buffer = text.toStdString();
            return buffer.c_str();
        }
        buffer.push_back(char(c.unicode()));
    }
    return buffer.c_str();
}

QString errorText(lxw_error e) {
    return QString::fromUtf8(lxw_strerror(e));
}

// Columns: widths and the formats of the layers that cover whole columns.
lxw_error writeColumns(lxw_worksheet* ws, const TSheet& s, FormatCache& formats) {
    std::vector<size_t> columnLayers;
    for (size_t i = 0; i < s.Layers.size() && i < 64; ++i)
        if (s.Layers[i].first.AllRows()) columnLayers.push_back(i);
    auto maskOf = [&](int c) {
        uint64_t m = 0;
        for (size_t i : columnLayers)
            if (s.Layers[i].first.Contains(0, c)) m |= uint64_t(1) << i;
        return m;
    };
    auto widthOf = [&](int c) {
        const auto it = s.ColumnWidthPx.find(c);
        return it == s.ColumnWidthPx.end() ? -1 : it->second;
    };
    // Runs of equal columns; the edges of layers and widths bound the runs.
    std::vector<int> edges{0, MaxCols};
    for (size_t i : columnLayers) {
        edges.push_back(s.Layers[i].first.Left);
        edges.push_back(s.Layers[i].first.Right + 1);
    }
    for (const auto& [c, w] : s.ColumnWidthPx) {
        edges.push_back(c);
        edges.push_back(c + 1);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    for (size_t e = 0; e + 1 < edges.size(); ++e) {
        const int first = edges[e], last = edges[e + 1] - 1;
        const uint64_t mask = maskOf(first);
        const int w = widthOf(first);
        if (mask == 0 && w < 0) continue;
        lxw_format* fmt = formats.For(mask);
        const lxw_error err = w < 0 ? worksheet_set_column(ws, lxw_col_t(first), lxw_col_t(last),
                                                           LXW_DEF_COL_WIDTH, fmt)
                                    : worksheet_set_column_pixels(
                                          ws, lxw_col_t(first), lxw_col_t(last), uint32_t(w), fmt);
        if (err != LXW_NO_ERROR) return err;
    }
    return LXW_NO_ERROR;
}

// Cells in row order (the library's constant-memory mode needs that order):
// every cell that holds text, and the empty cells that a range format that
// is not a whole-column one covers.
lxw_error writeCells(lxw_worksheet* ws, const TSheet& s, FormatCache& formats) {
    int lastRow = s.RowCount() - 1;
    std::vector<const TCellRect*> blocks;
    for (const auto& [rect, fmt] : s.Layers)
        if (!rect.AllRows()) {
            blocks.push_back(&rect);
            lastRow = std::max(lastRow, rect.Bottom);
        }
    std::string text;
    for (int r = 0; r <= lastRow; ++r) {
        int lo = MaxCols, hi = -1;
        const TSheet::TRow* row = r < s.RowCount() ? &s.RowAt(r) : nullptr;
        if (row && !row->Cells.empty()) {
            lo = row->First;
            hi = row->First + int(row->Cells.size()) - 1;
        }
        for (const TCellRect* b : blocks)
            if (r >= b->Top && r <= b->Bottom) {
                lo = std::min(lo, b->Left);
                hi = std::max(hi, b->Right);
            }
        for (int c = lo; c <= hi; ++c) {
            const TCell* cell = s.CellAt(r, c);
            const uint64_t mask = formats.MaskAt(r, c);
            lxw_format* fmt = formats.For(mask);
            lxw_error err = LXW_NO_ERROR;
            if (cell && !cell->Text.isEmpty()) {
                if (cell->IsNumber)
                    err = worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), cell->Number, fmt);
                else
                    err = worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c),
                                                 utf8(cell->Text, text), fmt);
            } else if (fmt) {
                bool inBlock = false;
                for (const TCellRect* b : blocks)
                    inBlock = inBlock || b->Contains(r, c);
                if (inBlock) err = worksheet_write_blank(ws, lxw_row_t(r), lxw_col_t(c), fmt);
            }
            if (err != LXW_NO_ERROR) return err;
        }
    }
    return LXW_NO_ERROR;
}

QString writeSheet(lxw_workbook* wb, const TSheet& s) {
    lxw_worksheet* ws = workbook_add_worksheet(wb, s.Name.toUtf8().constData());
    if (!ws) return Msg::SheetNameInvalid().arg(s.Name);
    FormatCache formats(wb, s);
    if (s.Orientation == 2)
        worksheet_set_landscape(ws);
    else
        worksheet_set_portrait(ws);
    if (!s.CenterHeader.isEmpty())
        if (lxw_error e = worksheet_set_header(
                ws, (QStringLiteral("&C") + s.CenterHeader).toUtf8().constData()))
            return errorText(e);
    const TCellRect& sel = s.Selection;
    worksheet_set_selection(ws, lxw_row_t(sel.Top), lxw_col_t(sel.Left), lxw_row_t(sel.Bottom),
                            lxw_col_t(sel.Right));
    if (lxw_error e = writeCells(ws, s, formats)) return errorText(e);
    // Columns last: a format on every column widens the sheet's dimensions to
    // column XFD, and the library then visits each of the 16384 columns for
    // every row written after that.
    if (lxw_error e = writeColumns(ws, s, formats)) return errorText(e);
    return {};
}

} // namespace

QString WriteXlsxFile(const QString& path, const std::vector<const TSheet*>& sheets) {
    if (QFileInfo::exists(path)) return Msg::FileExists().arg(path);
    const QFileInfo target(path);
    QTemporaryFile tmp(target.absoluteDir().filePath(
        QStringLiteral(".") + target.completeBaseName() + QStringLiteral("-XXXXXX.xlsx")));
    if (!tmp.open()) return Msg::CannotCreateFile().arg(tmp.fileTemplate());
    tmp.close();
    const QByteArray tmpName = QFile::encodeName(tmp.fileName());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go to disk as they are written
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(tmpName.constData(), &options);
    if (!wb) return Msg::CannotCreateFile().arg(tmp.fileName());
    QString failure;
    for (const TSheet* s : sheets) {
        failure = writeSheet(wb, *s);
        if (!failure.isEmpty()) break;
    }
    const lxw_error closed = workbook_close(wb); // also frees the workbook
    if (failure.isEmpty() && closed != LXW_NO_ERROR) failure = errorText(closed);
    if (!failure.isEmpty()) return failure;
    // The temporary file was made private; the workbook gets the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(tmpName.constData(), 0666 & ~mask);
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(tmp.fileName(), path)) return Msg::CannotCreateFile().arg(path);
    tmp.setAutoRemove(false);
    return {};
}

} // namespace Sheet
