// A grid counts the child index of the cell it announces by itself; the
// table interface tools read must answer that index with the same cell.
#include "Accessible.h"
#include "Announce.h"
#include "ComponentsAccessible.h"
#include "StringGrid.h"
#include "StringGridEx.h"

#include <QAccessible>
#include <gtest/gtest.h>

#include <memory>

namespace {

int lastChild = -1;

void installFactories() {
    static const bool once = [] {
        QAccessible::installFactory(Accessible::ToolkitFactory);
        QAccessible::installFactory(Accessible::ComponentsFactory);
        return true;
    }();
    (void)once;
}

TEST(AccessibleGrid, AnnouncedIndexIsTheCurrentCellOfTheTable) {
    installFactories();
    struct Case {
        const char* Name;
        std::unique_ptr<TStringGrid> Grid;
    };
    Case cases[2] = {{"string grid", std::make_unique<TStringGrid>()},
                     {"column-defined grid", std::make_unique<TStringGridEx>()}};
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

} // namespace
