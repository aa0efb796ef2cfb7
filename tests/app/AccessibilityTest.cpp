// What assistive tools read of the main window and what it tells them, asked
// through Qt's accessibility interfaces as the AT-SPI bridge asks.
#include "Accessibility.h"
#include "Announce.h"
#include "Chart.h"
#include "ComboBox.h"
#include "CuteBtn.h"
#include "ExcelUtil.h"
#include "Label.h"
#include "Menu.h"
#include "MessageService.h"
#include "StringGridEx.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface* ifaceOf(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}

// Events the program sends while the recorder lives, as "object:event[:child]".
struct EventRecorder {
    static inline QStringList Events;
    EventRecorder() {
        Events.clear();
        Accessible::SetEventSink([](QAccessibleEvent* e) {
            QString s = e->object()->objectName() + QLatin1Char(':') + QString::number(e->type());
            if (e->child() >= 0) s += QLatin1Char(':') + QString::number(e->child());
            Events << s;
        });
    }
    ~EventRecorder() { Accessible::SetEventSink(nullptr); }
    static QString Of(QObject* o, QAccessible::Event type, int child = -1) {
        return o->objectName() + QLatin1Char(':') + QString::number(type) +
               (child >= 0 ? QLatin1Char(':') + QString::number(child) : QString());
    }
};

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        InstallAccessibility();
        w = std::make_unique<TVantel>();
        w->Timer1->SetEnabled(false);
        w->show();
    }
    void laps(int n) {
        for (int i = 0; i < n; ++i) { // lap N lasts 60 s + N - 1 s
            clock.Advance(60000 + 1000 * w->State.LapCount);
            ifaceOf(w->LAP)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        }
    }
    FakeClock clock;
    ScopedMessageRecorder messages;
    std::unique_ptr<TVantel> w;
};

TEST_F(Accessibility, EveryControlHasItsRoleNameAndDescription) {
    struct Case {
        QWidget* Control;
        QAccessible::Role Role;
        const char *Name, *Description;
    };
    const Case cases[] = {
        {w->LAP, QAccessible::Button, "LAP(1)", "LAP"},
        {w->CuteButton2, QAccessible::Button, "reset", "reset"},
        {w->Label11, QAccessible::StaticText, "lap", "Lap count"},
        {w->Label6, QAccessible::StaticText, ".....", ""},
        {w->StringGridEx1, QAccessible::Table, "", "Main Number data grid"},
        {w->XlsStringGrid1, QAccessible::Table, "", "LAP1,2,3 mix grid"},
        {w->Chart1, QAccessible::Chart, "Lap time and Average: no laps",
         "LAP milli & Average milli"},
        {w->ComboBox1, QAccessible::ComboBox, "meter choice or write", "meter choice or write"},
        {w.get(), QAccessible::Window, "Vantel", ""},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* i = ifaceOf(c.Control);
        ASSERT_TRUE(i) << qPrintable(c.Control->objectName());
        EXPECT_EQ(i->role(), c.Role) << qPrintable(c.Control->objectName());
        EXPECT_EQ(i->text(QAccessible::Name), QString::fromUtf8(c.Name));
        EXPECT_EQ(i->text(QAccessible::Description), QString::fromUtf8(c.Description));
    }
    EXPECT_EQ(ifaceOf(w->LAP)->text(QAccessible::Accelerator), QStringLiteral("Alt+1"));
    w->LAP->setEnabled(false);
    EXPECT_TRUE(ifaceOf(w->LAP)->state().disabled);
    EXPECT_FALSE(ifaceOf(w->LAP)->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
}

TEST_F(Accessibility, PressActionsRunALapSessionAndTheClockIsReadOnDemand) {
    for (TCuteButton* b : {w->CuteButton2, w->start})
        ifaceOf(b)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    laps(3);
    EXPECT_EQ(w->State.LapCount, 3);
    EXPECT_EQ(ifaceOf(w->Label11)->textInterface()->text(0, -1), QStringLiteral("3"));
    clock.Advance(1234);
    w->Timer1Timer(nullptr);
    // Read fresh, never announced: the clock label and window say what they show now.
    EXPECT_EQ(ifaceOf(w->Label3)->textInterface()->text(0, -1), w->Label3->Caption());
    EXPECT_EQ(ifaceOf(w.get())->text(QAccessible::Name), w->Caption());
    EXPECT_EQ(ifaceOf(w->Chart1)->text(QAccessible::Name),
              QStringLiteral("Lap time and Average: 3 laps; last lap 62 000 ms; "
                             "fastest 60 000 ms (lap 1)"));

    // With EgnoreContClick a press during the handler's own event processing is lost.
    w->LAP->SetEgnoreContClick(true);
    int nested = 0;
    w->LAP->OnClick = [&](QObject*) {
        if (nested++ == 0)
            QTimer::singleShot(0, [&] {
                ifaceOf(w->LAP)->actionInterface()->doAction(
                    QAccessibleActionInterface::pressAction());
            });
    };
    ifaceOf(w->LAP)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(nested, 1);
}

TEST_F(Accessibility, GridsAndChartAreTablesWithHeadersCellsAndCurrentCell) {
    w->StartClick(nullptr);
    laps(3);
    for (TStringGrid* g : {static_cast<TStringGrid*>(w->StringGridEx1),
                           static_cast<TStringGrid*>(w->XlsStringGrid1)}) {
        SCOPED_TRACE(qPrintable(g->objectName()));
        QAccessibleTableInterface* t = ifaceOf(g)->tableInterface();
        ASSERT_TRUE(t);
        EXPECT_EQ(t->rowCount(), g->RowCount());
        EXPECT_EQ(t->columnCount(), 10);
        QAccessibleInterface* cell = t->cellAt(2, 2);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->text(QAccessible::Name), g->Cells(2, 2));
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 2);
        EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 2);
        EXPECT_EQ(ifaceOf(g)->indexOfChild(cell), 22);
        EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().value(0)->role(),
                  QAccessible::ColumnHeader);
        EXPECT_EQ(ifaceOf(g)->focusChild()->tableCellInterface()->rowIndex(), 3);
        EXPECT_TRUE(t->cellAt(3, 0)->tableCellInterface()->isSelected());
        EXPECT_FALSE(t->cellAt(3, 1)->tableCellInterface()->isSelected());
        EXPECT_EQ(t->cellAt(g->RowCount(), 0), nullptr);
    }
    // An empty header cell reads as its column's caption, as it is drawn.
    w->StringGridEx1->SetCells(3, 0, QString());
    EXPECT_EQ(ifaceOf(w->StringGridEx1)->tableInterface()->columnDescription(3),
              w->StringGridEx1->GridColumns()[3]->Caption());

    QAccessibleTableInterface* chart = ifaceOf(w->Chart1)->tableInterface();
    ASSERT_TRUE(chart);
    EXPECT_EQ(chart->rowCount(), 5); // headers, then lap 1 twice and laps 2 and 3
    EXPECT_EQ(chart->columnDescription(1), QStringLiteral("Lap time"));
    EXPECT_EQ(chart->cellAt(4, 0)->text(QAccessible::Name), QStringLiteral("3"));
    EXPECT_EQ(chart->cellAt(4, 1)->text(QAccessible::Name), QStringLiteral("62000"));
}

TEST_F(Accessibility, ALapPressAnnouncesItsFiguresAndRowsButTicksSendNothing) {
    w->StartClick(nullptr);
    laps(1);
    EventRecorder events;
    laps(1);
    for (TLabel* l : {w->Label2, w->Label11, w->Label13, w->Label14})
        EXPECT_TRUE(events.Events.contains(EventRecorder::Of(l, QAccessible::NameChanged)))
            << qPrintable(l->objectName());
    EXPECT_TRUE(events.Events.contains(
        EventRecorder::Of(w->StringGridEx1, QAccessible::ActiveDescendantChanged, 20)));
    EXPECT_TRUE(events.Events.contains(
        EventRecorder::Of(w->XlsStringGrid1, QAccessible::ActiveDescendantChanged, 20)));
    EXPECT_TRUE(
        events.Events.contains(EventRecorder::Of(w->XlsStringGrid1, QAccessible::Selection, 20)));

    events.Events.clear();
    for (int i = 0; i < 20; ++i) {
        clock.Advance(10);
        w->DisplayTick();
    }
    EXPECT_EQ(events.Events, QStringList());
}

TEST_F(Accessibility, MenuItemsAndMessageBoxesAreReadable) {
    QAccessibleInterface* menu = ifaceOf(w->PopupMenu1->Menu());
    ASSERT_EQ(menu->childCount(), 3);
    EXPECT_EQ(menu->child(0)->text(QAccessible::Name), QStringLiteral("About"));
    EXPECT_EQ(menu->child(2)->text(QAccessible::Name), QStringLiteral("Key"));
    EXPECT_TRUE(menu->child(2)->state().checked);

    MessageService::SetInstance(nullptr); // the real box
    QString read;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        for (QObject* o : box->findChildren<QObject*>())
            if (QAccessibleInterface* i = ifaceOf(o); i && i->role() == QAccessible::StaticText)
                read += i->text(QAccessible::Name);
        box->accept();
    });
    ShowInfoMessage(QStringLiteral("Help"), TVantel::HelpText());
    EXPECT_TRUE(read.contains(QStringLiteral("Tab key is Focus change"))) << qPrintable(read);
}

} // namespace
