#pragma once
// The value types of the string grid, apart from the widget, for code that
// decides how cells look without drawing them.

// Grid options.
enum : unsigned {
    goFixedVertLine = 0x1,
    goFixedHorzLine = 0x2,
    goVertLine = 0x4,
    goHorzLine = 0x8,
    goRangeSelect = 0x10,
    goDrawFocusSelected = 0x20,
    goRowSizing = 0x40,
    goColSizing = 0x80,
    goRowMoving = 0x100,
    goColMoving = 0x200,
    goEditing = 0x400,
    goTabs = 0x800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
    goThumbTracking = 0x4000,
};
using TGridOptions = unsigned;
constexpr TGridOptions DefaultGridOptions =
    goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;

// Drawing state of a cell.
enum : unsigned { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
using TGridDrawState = unsigned;

// A block of cells, inclusive on all sides (cell coordinates).
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr bool operator==(const TGridRect&) const = default;
    constexpr bool Contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
