// A grid counts the child index of the cell it announces by itself; the
// table interface tools read must answer that index with the same cell.
#include "Accessible.h"
#include "Announce.h"
#include "ComponentsAccessible.h"
#include "StringGrid.h"
#include "StringGridEx.h"

#include <QAccessible>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

int lastChild = -1;
std::vector<int> described;

void installFactories() {
    static const bool once = [] {
        QAccessible::installFactory(Accessible::ToolkitFactory);
        QAccessible::installFactory(Accessible::ComponentsFactory);
        return true;
    }();
    (void)once;
}

// Both kinds of grid, each tried alike.
struct Case {
    const char* Name;
    std::unique_ptr<TStringGrid> Grid;
};
std::array<Case, 2> bothGrids() {
    return {Case{"string grid", std::make_unique<TStringGrid>()},
            Case{"column-defined grid", std::make_unique<TStringGridEx>()}};
}

TEST(AccessibleGrid, AnnouncedIndexIsTheCurrentCellOfTheTable) {
    installFactories();
    std::array<Case, 2> cases = bothGrids();
    Accessible::SetEventSink([](QAccessibleEvent* e) {
        if (e->type() == QAccessible::ActiveDescendantChanged) lastChild = e->child();
    });
    for (Case& c : cases) {
        TStringGrid& g = *c.Grid;
        g.SetColCount(6);
        g.SetRowCount(30);
        g.SetFixedRows(2);
        for (auto [col, row] : {std::pair{4, 2}, {5, 29}, {1, 17}}) {
            lastChild = -1;
            g.FocusCell(col, row);
            QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&g);
            ASSERT_NE(table, nullptr) << c.Name;
            QAccessibleInterface* cell = table->child(lastChild);
            ASSERT_NE(cell, nullptr) << c.Name << " child " << lastChild;
            EXPECT_EQ(cell->tableCellInterface()->rowIndex(), row) << c.Name;
            EXPECT_EQ(cell->tableCellInterface()->columnIndex(), col) << c.Name;
            EXPECT_EQ(table->indexOfChild(cell), lastChild) << c.Name;
        }
    }
    Accessible::SetEventSink(nullptr);
}

TEST(AccessibleGrid, CellsDescribeTheMarkOfTheirRow) {
    installFactories();
    const QString why = QStringLiteral("shorter than it should be");
    std::array<Case, 2> cases = bothGrids();
    Accessible::SetEventSink([](QAccessibleEvent* e) {
        if (e->type() == QAccessible::DescriptionChanged) described.push_back(e->child());
    });
    for (Case& c : cases) {
        TStringGrid& g = *c.Grid;
        g.SetColCount(4);
        g.SetRowCount(6);
        g.SetCells(2, 3, QStringLiteral("1:00.3"));
        g.SetRowMarks({{3, why}});
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&g);
        ASSERT_NE(table, nullptr) << c.Name;
        QAccessibleTableInterface* cells = table->tableInterface();
        ASSERT_NE(cells, nullptr) << c.Name;
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(cells->cellAt(3, col)->text(QAccessible::Description), why)
                << c.Name << " col " << col;
            EXPECT_TRUE(cells->cellAt(2, col)->text(QAccessible::Description).isEmpty())
                << c.Name << " unmarked row, col " << col;
        }
        described.clear();
        g.SetRowMarks({{3, why}, {9, why}});
        EXPECT_EQ(described, (std::vector<int>{})) << c.Name << ": nothing new, nothing told";
        g.SetRowMarks({{3, why}, {4, why}});
        EXPECT_EQ(described, (std::vector<int>{16, 17, 18, 19}))
            << c.Name << ": the cells of the newly marked row, none beyond the last row";
        g.SetRowMarks({{3, why}});
        EXPECT_EQ(cells->cellAt(3, 2)->text(QAccessible::Name), QStringLiteral("1:00.3"))
            << c.Name << ": the mark leaves the name alone";
        g.SetRowMarks({});
        EXPECT_TRUE(cells->cellAt(3, 1)->text(QAccessible::Description).isEmpty()) << c.Name;
    }
    Accessible::SetEventSink(nullptr);
}

} // namespace
