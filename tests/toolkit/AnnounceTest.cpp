// What the controls tell assistive tools by themselves, heard through the
// event sink: no accessible interface is installed in this program.
#include "Announce.h"
#include "Label.h"
#include "StringGrid.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Heard {
    QAccessible::Event Type;
    int Child;
    bool operator==(const Heard&) const = default;
};

// The events sent while the recorder lives.
struct AnnounceRecorder {
    static inline std::vector<Heard> Events;
    AnnounceRecorder() {
        Events.clear();
        Accessible::SetEventSink([](QAccessibleEvent* e) {
            Events.push_back({e->type(), e->child()});
        });
    }
    ~AnnounceRecorder() { Accessible::SetEventSink(nullptr); }
};

TEST(Announce, LabelTellsOfACaptionChangeOnlyWhenAnnounced) {
    TLabel l;
    AnnounceRecorder rec;
    l.SetCaption(QStringLiteral("quiet"));
    EXPECT_TRUE(rec.Events.empty());
    l.SetAnnounced(true);
    l.SetCaption(QStringLiteral("loud"));
    l.SetCaption(QStringLiteral("loud")); // unchanged: nothing to tell
    EXPECT_EQ(rec.Events, (std::vector<Heard>{{QAccessible::NameChanged, -1}}));
}

// The grid names a cell by its child index, row by row over all columns.
TEST(Announce, GridTellsOfTheCurrentCellByItsChildIndex) {
    TStringGrid g;
    g.SetColCount(5);
    g.SetRowCount(10);
    const auto moved = [](int child) {
        return std::vector<Heard>{{QAccessible::ActiveDescendantChanged, child},
                                  {QAccessible::Selection, child}};
    };
    struct Case {
        const char* Name;
        std::function<void()> Act;
        std::vector<Heard> Expected;
    };
    const Case cases[] = {
        {"a move", [&] { g.FocusCell(3, 4); }, moved(4 * 5 + 3)},
        {"no move", [&] { g.FocusCell(3, 4); }, {}},
        {"the same cell selected anew",
         [&] {
             g.SetSelection({1, 2, 3, 4});
         },
         moved(23)},
        {"a wider grid",
         [&] {
             g.SetColCount(7);
             g.FocusCell(6, 2);
         },
         moved(2 * 7 + 6)},
    };
    for (const Case& c : cases) {
        AnnounceRecorder rec;
        c.Act();
        EXPECT_EQ(rec.Events, c.Expected) << c.Name;
    }
}

TEST(Announce, GridWithTheFocusMakesTheCurrentCellFocused) {
    TStringGrid g;
    g.show();
    QApplication::setActiveWindow(&g);
    g.setFocus();
    ASSERT_TRUE(g.hasFocus());
    AnnounceRecorder rec;
    g.FocusCell(2, 1);
    const int child = 1 * g.ColCount() + 2;
    EXPECT_EQ(rec.Events, (std::vector<Heard>{{QAccessible::ActiveDescendantChanged, child},
                                              {QAccessible::Selection, child},
                                              {QAccessible::Focus, child}}));
}

} // namespace
