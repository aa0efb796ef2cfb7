#include "CellStore.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <tuple>
#include <vector>

namespace {

TEST(CellStore, StorageGrowsOnlyForTextAndReportsRealChanges) {
    TCellStore s;
    struct Step {
        int Col, Row;
        const char* Text;
        bool Changed;
        int StoredRows; // after the step
    };
    const Step steps[] = {
        {2, 1, "", false, 0}, // empty beyond the storage: nothing stored
        {-1, 0, "x", false, 0}, {0, -1, "x", false, 0},
        {2, 1, "a", true, 2},   {2, 1, "a", false, 2}, // same text again
        {0, 4, "b", true, 5},   {2, 1, "", true, 5},   // emptied inside the storage
        {9, 0, "", false, 5},   {9, 0, "c", true, 5},
    };
    for (const Step& st : steps) {
        EXPECT_EQ(s.Set(st.Col, st.Row, QString::fromUtf8(st.Text)), st.Changed)
            << st.Col << "," << st.Row << " " << st.Text;
        EXPECT_EQ(s.RowCount(), st.StoredRows) << st.Col << "," << st.Row;
    }
    EXPECT_EQ(s.Get(0, 4), QStringLiteral("b"));
    EXPECT_EQ(s.Get(9, 0), QStringLiteral("c"));
    EXPECT_EQ(s.View(9, 0), QStringLiteral("c"));
    EXPECT_NE(s.Find(2, 1), nullptr); // stored, though empty
    for (auto [c, r] : {std::pair{2, 1}, {3, 4}, {0, 5}, {-1, 4}, {0, -1}, {1000, 1000}}) {
        EXPECT_TRUE(s.Get(c, r).isEmpty()) << c << "," << r;
        EXPECT_TRUE(s.View(c, r).isEmpty()) << c << "," << r;
    }
    EXPECT_EQ(s.Find(3, 4), nullptr);
}

TEST(CellStore, StoreRowReportsExactlyTheCellsItChanged) {
    TCellStore s;
    s.Set(0, 1, QStringLiteral("p"));
    s.Set(1, 1, QStringLiteral("q"));
    s.Set(3, 1, QStringLiteral("s"));
    std::vector<QString> cells{QStringLiteral("q"), QStringLiteral("new"), QString(), QString(),
                               QString()};
    std::vector<int> changed;
    s.StoreRow(1, 1, cells, [&](int col) { changed.push_back(col); });
    // Column 1 keeps its text, column 3 is cleared; 4 and 5 lie beyond the
    // storage and stay unstored.
    EXPECT_EQ(changed, (std::vector<int>{2, 3}));
    const QStringList row{s.Get(0, 1), s.Get(1, 1), s.Get(2, 1), s.Get(3, 1)};
    EXPECT_EQ(row, (QStringList{"p", "q", "new", ""}));
    EXPECT_EQ(s.Find(4, 1), nullptr);

    std::vector<QString> blanks(3);
    changed.clear();
    s.StoreRow(7, 0, blanks, [&](int col) { changed.push_back(col); });
    s.StoreRow(-1, 0, cells, [&](int col) { changed.push_back(col); });
    EXPECT_TRUE(changed.empty());
    EXPECT_EQ(s.RowCount(), 2);
}

TEST(CellStore, ColumnClearingAndRowExchangeReachEveryStoredRow) {
    TCellStore s;
    for (auto [c, r, text] : {std::tuple{1, 0, "a0"}, {1, 6, "a6"}, {2, 6, "b6"}})
        s.Set(c, r, QString::fromUtf8(text));
    for (int col : {1, -1, 40})
        s.ClearColumn(col);
    EXPECT_TRUE(s.Get(1, 0).isEmpty());
    EXPECT_TRUE(s.Get(1, 6).isEmpty());
    EXPECT_EQ(s.Get(2, 6), QStringLiteral("b6"));

    s.ExchangeRows(6, 9); // beyond the storage: the row moves there
    EXPECT_EQ(s.Get(2, 9), QStringLiteral("b6"));
    EXPECT_TRUE(s.Get(2, 6).isEmpty());
    EXPECT_EQ(s.RowCount(), 10);
    s.ExchangeRows(-1, 9);
    s.ExchangeRows(9, 9);
    EXPECT_EQ(s.Get(2, 9), QStringLiteral("b6"));
}

} // namespace
