#pragma once
// One direction of the string grid: its columns or its rows. Every geometry
// rule is written once here and serves both directions, so that a fix cannot
// reach only one of them. Sizes are in pixels; `line` is the width of the grid
// line after each column (or row), 0 when those lines are off.
#include <optional>
#include <vector>

// A shown column (row): its index, its offset in the view and its size
// without the line after it.
struct TGridSpan {
    int Index, Pos, Size;
    constexpr bool operator==(const TGridSpan&) const = default;
};

class TGridAxis {
public:
    // Sizes and line widths are kept to the classic coordinate range, so that
    // sums over the shown cells never leave the int range.
    static constexpr int MaxExtent = 32767;
    static int ClampExtent(int v);

    TGridAxis(int count, int fixed, int defaultSize)
        : FCount(count), FFixed(fixed), FFirst(fixed), FDefaultSize(defaultSize) {}

    // Counts: all indices, the fixed ones at the start, and the first
    // scrollable one shown (TopRow, LeftCol).
    int Count() const { return FCount; }
    int Fixed() const { return FFixed; }
    int First() const { return FFirst; }
    int DefaultSize() const { return FDefaultSize; }
    int Size(int i) const;

    // Setters; those that report give true when the value changed.
    void SetCount(int v); // drops the sizes beyond it
    bool SetFixed(int v); // clamped to 0..Count-1
    void SetFirstUnchecked(int v) { FFirst = v; }
    bool SetDefaultSize(int v); // every index takes the new default
    bool SetSize(int i, int v); // indices outside 0..Count-1 are ignored

    int Extent(int i, int line) const { return Size(i) + line; }
    // The fixed part; stops growing once far past any screen size.
    int FixedExtent(int line) const;
    // Whether every index fits in `avail` pixels.
    bool Fits(int avail, int line) const;
    // The highest First that still fills the view: the last indices that fit
    // wholly after the fixed part.
    int MaxFirst(int client, int line) const;
    // v clamped to the scrollable range of a view `client` pixels long.
    int ClampFirst(int v, int client, int line) const;
    // Fixed indices, then the scrollable ones from First, while they start
    // inside the view.
    std::vector<TGridSpan> Visible(int client, int line) const;
    // Scrollable indices from First that fit wholly, never past the last.
    int VisibleCount(int client, int line) const;
    // Offset of a shown index, -1 when it is not shown.
    int PosOf(int index, int client, int line) const;
    // The shown index whose cell or line covers `pos`, -1 when none.
    int IndexAt(int pos, int client, int line) const;
    // The First that shows index wholly by scrolling the least, or nothing
    // when it is shown already (or is not scrollable).
    std::optional<int> ScrollTarget(int index, int client, int line) const;

private:
    int FCount, FFixed, FFirst, FDefaultSize;
    std::vector<int> FSizes; // -1 = default
};
