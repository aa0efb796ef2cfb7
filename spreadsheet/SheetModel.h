#pragma once
#include "CellFont.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace Sheet {

constexpr int MaxRows = 1048576; // rows 1 .. 1048576
constexpr int MaxCols = 16384;   // columns A .. XFD

// A block of cells, 0-based and inclusive.
struct TCellRect {
    int Top = 0, Left = 0, Bottom = 0, Right = 0;
    bool Contains(int r, int c) const { return r >= Top && r <= Bottom && c >= Left && c <= Right; }
    bool AllRows() const { return Top == 0 && Bottom == MaxRows - 1; }
    bool operator==(const TCellRect&) const = default;
};
constexpr TCellRect WholeSheet{0, 0, MaxRows - 1, MaxCols - 1};

// "A1", "B2:J30", "$A$1:$C$3" (corners in any order); nothing for an address
// that names no cell of the sheet.
std::optional<TCellRect> ParseAddress(QStringView address);
// Column number from 1 for letters "A" .. "XFD"; 0 for anything else.
int ColumnNumber(QStringView letters);

// Formatting set on a range. Unset attributes leave what lies below.
// Colours are 0xRRGGBB.
struct TCellFormat {
    std::optional<uint32_t> Fill;
    std::optional<int> BorderWeight; // 1 hairline, 2 thin, -4138 medium, 4 thick
    std::optional<uint32_t> BorderColor;
    std::optional<QString> FontName;
    std::optional<double> FontSize;
    std::optional<uint32_t> FontColor;
    std::optional<bool> Bold, Italic, Strikethrough;
    std::optional<int> Underline; // 2 single, -4142 none, ...
    void Overlay(const TCellFormat& o);
    bool operator==(const TCellFormat&) const = default;
};

TCellFont FontOf(const TCellFormat& f);

struct TCell {
    QString Text;      // as pasted; a number keeps its text for measuring
    double Number = 0; // valid when IsNumber
    bool IsNumber = false;
};

// A plain decimal number: optional minus, digits, optional fraction.
bool IsPlainDecimal(QStringView s);

// One worksheet: cells, formatting layers in the order they were set, the
// column widths, the selection and the page settings.
class TSheet {
public:
    QString Name;
    std::vector<std::pair<TCellRect, TCellFormat>> Layers;
    std::map<int, int> ColumnWidthPx; // column (0-based) -> width in pixels at 96 dpi
    TCellRect Selection{0, 0, 0, 0};
    QString CenterHeader;
    int Orientation = 1; // 1 portrait, 2 landscape

    // Pastes tab-separated lines with their top-left corner at (row, col),
    // both 0-based. False, with nothing changed, when the block would reach
    // beyond the sheet.
    bool PasteText(int row, int col, QStringView text);
    void Format(const TCellRect& r, const TCellFormat& f) { Layers.push_back({r, f}); }
    // The cell's formatting with every layer that covers it applied.
    TCellFormat FormatAt(int row, int col) const;
    // Fits each column of [first, last] that holds text to its widest text.
    void AutoFitColumns(int first, int last);

    const TCell* CellAt(int row, int col) const;
    int RowCount() const { return int(FRows.size()); } // rows up to the last one holding cells
    // The cells of one row: the first column and the cells from there.
    struct TRow {
        int First = 0;
        std::vector<TCell> Cells;
    };
    const TRow& RowAt(int row) const { return FRows[size_t(row)]; }

private:
    std::vector<TRow> FRows;
};

} // namespace Sheet
