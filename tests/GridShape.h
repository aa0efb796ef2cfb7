#pragma once
// The layout of a grid's cells, to set up or check in one statement.
#include "StringGrid.h"

#include <ostream>

// The counts and default sizes that lay a grid's cells out.
struct GridShape {
    int Cols, Rows, FixedCols, FixedRows, ColWidth, RowHeight;
    bool operator==(const GridShape&) const = default;
};

inline GridShape ShapeOf(const TStringGrid& g) {
    return {g.ColCount(),  g.RowCount(),        g.FixedCols(),
            g.FixedRows(), g.DefaultColWidth(), g.DefaultRowHeight()};
}

// Sizes the widget and lays its cells out. The counts come before the fixed
// cells, which are held below them.
inline void SetShape(TStringGrid& g, int width, int height, const GridShape& s) {
    g.resize(width, height);
    g.SetColCount(s.Cols);
    g.SetRowCount(s.Rows);
    g.SetFixedCols(s.FixedCols);
    g.SetFixedRows(s.FixedRows);
    g.SetDefaultColWidth(s.ColWidth);
    g.SetDefaultRowHeight(s.RowHeight);
}

inline void PrintTo(const GridShape& s, std::ostream* os) {
    *os << s.Cols << " x " << s.Rows << " cells, " << s.FixedCols << " x " << s.FixedRows
        << " fixed, " << s.ColWidth << " x " << s.RowHeight << " pixels";
}
