#include "GridAxis.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// Six indices, one fixed, sizes 10 but index 2 of 20 and index 4 of 5, with
// a one-pixel line after each: extents 11 11 21 11 6 11.
TGridAxis mixedAxis(int first) {
    TGridAxis a(6, 1, 10);
    a.SetSize(2, 20);
    a.SetSize(4, 5);
    a.SetFirstUnchecked(first);
    return a;
}

TEST(GridAxis, ScrollRangeAndWhatFitsInTheView) {
    struct Case {
        int First, Client;
        int MaxFirst, VisibleCount;
    };
    const Case cases[] = {
        {1, 40, 3, 1},  // 11 fixed + 11 of index 1; index 2 does not fit
        {3, 40, 3, 3},  // 11 + 11 + 6 + 11 = 39
        {1, 11, 5, 0},  // room for the fixed part only
        {1, 200, 1, 5}, // everything fits: no scrolling
        {4, 29, 4, 2},
    };
    for (const Case& c : cases) {
        const TGridAxis a = mixedAxis(c.First);
        EXPECT_EQ(a.MaxFirst(c.Client, 1), c.MaxFirst) << c.First << " in " << c.Client;
        EXPECT_EQ(a.VisibleCount(c.Client, 1), c.VisibleCount) << c.First << " in " << c.Client;
    }
    const TGridAxis a = mixedAxis(1);
    EXPECT_EQ(a.ClampFirst(0, 40, 1), 1);
    EXPECT_EQ(a.ClampFirst(5, 40, 1), 3);
    EXPECT_TRUE(a.Fits(71, 1));
    EXPECT_FALSE(a.Fits(70, 1));
    EXPECT_TRUE(a.Fits(65, 0)); // without lines
}

TEST(GridAxis, ShownSpansAndTheIndexUnderAPoint) {
    const TGridAxis a = mixedAxis(3);
    const std::vector<TGridSpan> shown{{0, 0, 10}, {3, 11, 10}, {4, 22, 5}, {5, 28, 10}};
    EXPECT_EQ(a.Visible(40, 1), shown);
    // A span that starts inside the view is shown even when cut off.
    EXPECT_EQ(a.Visible(29, 1), shown);
    EXPECT_EQ(a.Visible(28, 1).size(), 3u);

    const std::pair<int, int> points[] = {{0, 0},  {10, 0}, {11, 3}, {21, 3},  {22, 4},
                                          {27, 4}, {28, 5}, {38, 5}, {39, -1}, {-1, -1}};
    for (auto [pos, index] : points)
        EXPECT_EQ(a.IndexAt(pos, 40, 1), index) << pos;
    EXPECT_EQ(a.PosOf(4, 40, 1), 22);
    EXPECT_EQ(a.PosOf(1, 40, 1), -1); // scrolled away
    EXPECT_EQ(a.PosOf(0, 40, 1), 0);
}

TEST(GridAxis, ScrollTargetShowsTheIndexWhollyWithTheLeastScrolling) {
    struct Case {
        int First, Index;
        std::optional<int> Target;
    };
    const Case cases[] = {
        {1, 5, 3},            // down: as few indices as needed move out
        {1, 2, 2},            // index 2 alone fills the view
        {3, 2, 2},            // up: it becomes the first
        {3, 5, std::nullopt}, // already wholly shown
        {1, 0, std::nullopt}, // fixed
        {1, 6, std::nullopt}, // past the last
    };
    for (const Case& c : cases)
        EXPECT_EQ(mixedAxis(c.First).ScrollTarget(c.Index, 40, 1), c.Target)
            << c.First << " to " << c.Index;
}

TEST(GridAxis, SizesAreClampedAndDroppedWithTheirIndices) {
    TGridAxis a(6, 1, 10);
    EXPECT_TRUE(a.SetSize(4, 5));
    EXPECT_FALSE(a.SetSize(4, 5));
    EXPECT_FALSE(a.SetSize(6, 5)); // beyond the count
    EXPECT_FALSE(a.SetSize(-1, 5));
    EXPECT_TRUE(a.SetSize(1, 100000));
    EXPECT_EQ(a.Size(1), TGridAxis::MaxExtent);
    EXPECT_TRUE(a.SetSize(2, -3));
    EXPECT_EQ(a.Size(2), 0);
    a.SetCount(3);
    a.SetCount(6);
    EXPECT_EQ(a.Size(4), 10) << "a size beyond a shrunk count must not come back";
    EXPECT_EQ(a.Size(1), TGridAxis::MaxExtent);
    EXPECT_TRUE(a.SetDefaultSize(12));
    EXPECT_EQ(a.Size(1), 12) << "a new default replaces every size";
    EXPECT_FALSE(a.SetDefaultSize(12));
    EXPECT_TRUE(a.SetFixed(9)); // clamped to Count - 1
    EXPECT_EQ(a.Fixed(), 5);
}

} // namespace
