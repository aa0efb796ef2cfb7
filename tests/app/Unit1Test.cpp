// The main window: start-up state, focus moves, distance list, SAVE, menu.
#include "Unit1.h"
#include "Application.h"
#include "Chart.h"
#include "ComboBox.h"
#include "CuteBtn.h"
#include "ExcelUtil.h"
#include "Label.h"
#include "Menu.h"
#include "MessageService.h"
#include "Messages.h"
#include "StringGridEx.h"
#include "TestUtil.h"
#include "Timer.h"

#include <functional>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        w = std::make_unique<TVantel>();
        w->Timer1->SetEnabled(false);
        w->show();
        QApplication::setActiveWindow(w.get());
        QCoreApplication::processEvents();
    }
    void TearDown() override { w.reset(); }
    QString focusName() const {
        QWidget* f = w->focusWidget();
        while (f && f->parentWidget() != w.get())
            f = f->parentWidget();
        return f ? f->objectName() : QString();
    }
    FakeClock clock;
    ScopedMessageRecorder messages;
    std::unique_ptr<TVantel> w;
};

TEST_F(MainWindow, StartUpShowsInstructionsAndDesignCaptions) {
    EXPECT_EQ(w->Caption(), Msg::AppName());
    EXPECT_EQ(w->Label1->Caption(), QStringLiteral("\"00:00:00:000\""));
    EXPECT_EQ(w->Label3->Caption(), QStringLiteral("\"00:00:00:000\""));
    EXPECT_EQ(w->Label2->Caption(), QStringLiteral(" 00:00:00:000"));
    EXPECT_EQ(w->Label7->Caption(), QStringLiteral("km/h"));
    EXPECT_EQ(w->Label12->Caption(), QStringLiteral("num"));
    EXPECT_EQ(w->Label13->Caption(), QStringLiteral("+ -"));
    EXPECT_EQ(w->ComboBox1->Text(), QString());
    EXPECT_EQ(w->ComboBox1->ItemIndex(), -1);
    EXPECT_EQ(w->ComboBox1->ItemCount(), 28);
    EXPECT_EQ(w->XlsStringGrid1->Font().Color, 0xFDF3AC);
    EXPECT_TRUE(w->Key->Checked());

    TXlsStringGrid* g = w->XlsStringGrid1;
    EXPECT_EQ(g->RowCells(1).mid(0, 3), (QStringList{" < --- ", "Pulldown", "select-meter"}));
    EXPECT_EQ(g->RowCells(2).mid(0, 4),
              (QStringList{"or Add to", " write", " & Enterkey", "Press"}));
    EXPECT_EQ(g->RowCells(3).mid(0, 5),
              (QStringList{"& select-meter ", "and   Reset", " -----Ready ", "EnterKey", " GO!"}));
    EXPECT_EQ(g->RowCells(13).mid(0, 4), (QStringList{" ", "3703m", "TI", "Aida"}));
    EXPECT_EQ(g->RowCells(23).mid(0, 5), (QStringList{" ", "1700m", "Tokachi", "West", ""}));
    EXPECT_EQ(g->Cells(9, 0), QStringLiteral("Ave-Km/h"));
    EXPECT_EQ(g->Cells(0, 24), QString());
}

TEST_F(MainWindow, FirstDisplayTickBuildsCaptionAndTitle) {
    clock.Now = QDateTime(QDate(2026, 12, 8), QTime(13, 5, 42));
    w->Timer1->Fire();
    const QString expected = QStringLiteral(" 00:00:00:000 :: 13:05:42 ::  Tue  ::") +
                             QString(35, u' ') + Msg::Version() + QStringLiteral("  ") +
                             Msg::Credit();
    EXPECT_EQ(w->Caption(), expected);
    EXPECT_EQ(Application::Title(), QStringLiteral(" 00:00:00:000 :: 13:05:42"));
}

TEST_F(MainWindow, FocusFollowsTheRun) {
    QTest::mouseClick(w->CuteButton2, Qt::LeftButton);
    EXPECT_EQ(focusName(), QStringLiteral("start"));
    QTest::mouseClick(w->start, Qt::LeftButton);
    EXPECT_EQ(focusName(), QStringLiteral("LAP"));
    QTest::mouseClick(w->stop, Qt::LeftButton);
    EXPECT_EQ(focusName(), QStringLiteral("start"));
    QTest::mouseClick(w->CuteButton1, Qt::LeftButton);
    EXPECT_EQ(focusName(), QStringLiteral("LAP"));
    // Secondary laps and SAVE leave the focus alone.
    QTest::mouseClick(w->LAP2, Qt::LeftButton);
    EXPECT_EQ(focusName(), QStringLiteral("LAP2")); // a mouse press focuses the button itself
    w->LAP->setFocus();
    w->LAP3Click(nullptr);
    EXPECT_EQ(focusName(), QStringLiteral("LAP"));
}

TEST_F(MainWindow, PickingADistanceMovesFocusOnlyWhileRunning) {
    w->ComboBox1->setFocus();
    w->ComboBox1->PickFromList(0);
    EXPECT_EQ(w->State.MeterText, QStringLiteral("100"));
    EXPECT_EQ(focusName(), QStringLiteral("ComboBox1"));
    w->StartClick(nullptr);
    w->ComboBox1->setFocus();
    w->ComboBox1->PickFromList(8);
    EXPECT_EQ(w->State.MeterText, QStringLiteral("5864"));
    EXPECT_EQ(focusName(), QStringLiteral("LAP"));
}

TEST_F(MainWindow, TypingClearsTheDistanceUntilAnEntryIsPicked) {
    w->ComboBox1->PickFromList(0);
    w->ComboBox1->setFocus();
    w->ComboBox1->lineEdit()->selectAll();
    QTest::keyClicks(w->ComboBox1, QStringLiteral("1234"));
    EXPECT_EQ(w->ComboBox1->ItemIndex(), -1);
    EXPECT_EQ(w->State.MeterText, QString());
    QTest::keyClick(w->ComboBox1, Qt::Key_Return);
    EXPECT_EQ(w->ComboBox1->ItemCount(), 29);
    EXPECT_EQ(w->ComboBox1->itemText(28), QStringLiteral("1234"));
    EXPECT_EQ(w->ComboBox1->Text(), QStringLiteral("1234"));
    EXPECT_EQ(w->ComboBox1->ItemIndex(), -1);
    QTest::keyClick(w->ComboBox1, Qt::Key_Return);
    EXPECT_EQ(w->ComboBox1->ItemCount(), 29); // no duplicate
    w->ComboBox1->PickFromList(28);
    EXPECT_EQ(w->State.MeterText, QStringLiteral("1234"));
}

TEST_F(MainWindow, DuplicateTestIgnoresCaseAndEmptyTextIsNotAdded) {
    QChar enter(13);
    w->ComboBox1->SetText(QString());
    w->ComboBox1KeyPress(w->ComboBox1, enter);
    EXPECT_EQ(w->ComboBox1->ItemCount(), 28);
    w->ComboBox1->SetText(QStringLiteral("abc"));
    w->ComboBox1KeyPress(w->ComboBox1, enter);
    w->ComboBox1->SetText(QStringLiteral("ABC"));
    w->ComboBox1KeyPress(w->ComboBox1, enter);
    EXPECT_EQ(w->ComboBox1->ItemCount(), 29);
    EXPECT_EQ(enter, QChar(13)); // the key is passed on unchanged
    QChar other(u'7');
    w->ComboBox1->SetText(QStringLiteral("777"));
    w->ComboBox1KeyPress(w->ComboBox1, other);
    EXPECT_EQ(w->ComboBox1->ItemCount(), 29);
}

TEST_F(MainWindow, KeyItemTogglesAccelerators) {
    w->KeyClick(nullptr);
    EXPECT_FALSE(w->Key->Checked());
    EXPECT_EQ(w->LAP->Caption(), Msg::LapPlain[0]());
    EXPECT_EQ(w->LAP3->Caption(), Msg::LapPlain[2]());
    w->StartClick(nullptr);
    QTest::keyClick(w->LAP, Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(w->State.LapCount, 0); // no accelerator now
    w->KeyClick(nullptr);
    EXPECT_TRUE(w->Key->Checked());
    EXPECT_EQ(w->LAP->Caption(), Msg::LapKeyed[0]());
    EXPECT_EQ(w->LAP2->Caption(), Msg::LapKeyed[1]());
    QTest::keyClick(w->LAP, Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(w->State.LapCount, 1);
}

TEST_F(MainWindow, DigitInTheDistanceListIsTextButAltDigitIsALap) {
    // Stopped, so that typing does not move the focus to LAP.
    w->ComboBox1->setFocus();
    w->ComboBox1->lineEdit()->selectAll();
    QTest::keyClick(w->ComboBox1, Qt::Key_2);
    EXPECT_EQ(w->State.Lap2Count, 0);
    EXPECT_EQ(w->ComboBox1->Text(), QStringLiteral("2"));
    ASSERT_EQ(QApplication::focusWidget(), w->ComboBox1);
    QTest::keyClick(w->ComboBox1, Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(w->State.Lap2Count, 1);
    EXPECT_EQ(w->ComboBox1->Text(), QStringLiteral("2"));
}

TEST_F(MainWindow, TypingADistanceWhileRunningHandsTheKeyboardBackToLap) {
    w->StartClick(nullptr);
    w->ComboBox1->setFocus();
    QTest::keyClick(w->ComboBox1, Qt::Key_5);
    EXPECT_EQ(focusName(), QStringLiteral("LAP"));
    EXPECT_EQ(w->State.MeterText, QString());
}

TEST_F(MainWindow, AboutAndHelpShowTheirTexts) {
    w->About1->Click();
    w->Help1->Click();
    ASSERT_EQ(messages.Records().size(), 2);
    EXPECT_EQ(messages.Records()[0].caption, Msg::AboutCaption());
    EXPECT_EQ(messages.Records()[0].text, Msg::About());
    EXPECT_EQ(messages.Records()[1].caption, Msg::HelpCaption());
    EXPECT_EQ(messages.Records()[1].text, Msg::Help());
    EXPECT_EQ(messages.Records()[1].icon, MsgIcon::Information);
}

TEST_F(MainWindow, SaveNamesTheFileFromTheMinute) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    clock.Now = QDateTime(QDate(2026, 12, 8), QTime(3, 31, 59));
    w->SAVEClick(nullptr);
    EXPECT_EQ(w->CsvFile(), QStringLiteral("2612080331.csv"));
    QFile f(dir.filePath(QStringLiteral("2612080331.csv")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 29); // one line per data row, no header
    EXPECT_TRUE(bytes.startsWith("< ---,Pulldown,select-meter,,,,,,,\r\n"));
    QDir::setCurrent(old);
    EXPECT_TRUE(messages.Records().isEmpty());
}

TEST_F(MainWindow, ResetClearsGridsAndChartButKeepsRowCounts) {
    w->ResetClick(nullptr);
    w->StartClick(nullptr);
    for (int i = 0; i < 25; ++i) {
        clock.Advance(1000);
        w->LapClick(nullptr);
    }
    EXPECT_EQ(w->StringGridEx1->RowCount(), 26);
    w->ResetClick(nullptr);
    EXPECT_EQ(w->StringGridEx1->RowCount(), 26);
    EXPECT_EQ(w->StringGridEx1->Cells(0, 25), QString());
    EXPECT_EQ(w->StringGridEx1->TopRow(), 1);
    EXPECT_EQ(w->XlsStringGrid1->Cells(0, 0), QStringLiteral("Lap"));
    EXPECT_EQ(w->XlsStringGrid1->Cells(1, 4), QString()); // instructions gone too
    EXPECT_EQ(w->Label16->Caption(), QStringLiteral("0"));
    EXPECT_FALSE(w->State.Running);
    EXPECT_EQ(focusName(), QStringLiteral("start"));
}

TEST_F(MainWindow, StartTurnsTheMixGridNearWhiteAndClickOnLapLabelStops) {
    w->StartClick(nullptr);
    EXPECT_EQ(w->XlsStringGrid1->Font().Color, 0xFBFFFF);
    clock.Advance(4321);
    QTest::mouseClick(w->Label2, Qt::LeftButton);
    EXPECT_FALSE(w->State.Running);
    EXPECT_EQ(w->Label1->Caption(), QStringLiteral(" 00:00:04:321"));
    EXPECT_EQ(focusName(), QStringLiteral("start"));
}

// A lap adds a point to each line, and each add invalidates the chart (the
// first lap adds two to each); the window still draws the chart once a lap.
TEST_F(MainWindow, EachLapRedrawsTheChartOnce) {
    w->StartClick(nullptr);
    QCoreApplication::processEvents();
    TChart* chart = w->Chart1;
    for (int lap = 1; lap <= 3; ++lap) {
        const int invalidated = chart->InvalidateCount(), drawn = chart->DrawCount();
        clock.Advance(1000 + lap);
        w->LapClick(nullptr);
        QCoreApplication::processEvents();
        EXPECT_GE(chart->InvalidateCount() - invalidated, lap == 1 ? 4 : 2) << lap;
        EXPECT_EQ(chart->DrawCount() - drawn, 1) << lap;
    }
}

TEST_F(MainWindow, WholeRunFromTheKeyboard) {
    QTest::mouseClick(w->CuteButton2, Qt::LeftButton); // reset: focus on start
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(w->State.Running);
    clock.Advance(1000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    clock.Advance(1000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    clock.Advance(1000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_1);
    clock.Advance(500);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_3);
    EXPECT_EQ(w->State.LapCount, 3);
    EXPECT_EQ(w->State.Lap2Count, 1);
    EXPECT_EQ(w->State.Lap3Count, 1);
    EXPECT_EQ(w->XlsStringGrid1->Cells(1, 4), QStringLiteral(" 2 "));
    EXPECT_EQ(w->XlsStringGrid1->Cells(1, 5), QStringLiteral(" 3 "));
}

// Auto-repeat ~25 times a second; each repeat is a release and press pair.
struct HeldLapCase {
    const char* name;
    const char* focus; // objectName of the control the key is held on
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    const char* text;
    int32_t TRunState::*count;
    int whileHeld;
};
class HeldLapKey : public MainWindow, public ::testing::WithParamInterface<HeldLapCase> {};

TEST_P(HeldLapKey, GivesOneLapPerPress) {
    const HeldLapCase& c = GetParam();
    w->StartClick(nullptr);
    auto* target = w->findChild<QWidget*>(QString::fromLatin1(c.focus));
    ASSERT_NE(target, nullptr);
    target->setFocus();
    QCoreApplication::processEvents();
    auto send = [&](QEvent::Type type, bool repeat) {
        // Where Qt delivers it: the focus may move during the hold.
        QKeyEvent e(type, c.key, c.mods, QString::fromLatin1(c.text), repeat);
        QCoreApplication::sendEvent(QApplication::focusWidget(), &e);
    };
    auto hold = [&] {
        send(QEvent::KeyPress, false);
        for (int i = 0; i < 25; ++i) {
            clock.Advance(40);
            send(QEvent::KeyRelease, true);
            send(QEvent::KeyPress, true);
        }
        send(QEvent::KeyRelease, false);
    };
    hold();
    EXPECT_EQ(w->State.*c.count, c.whileHeld) << c.name;
    clock.Advance(500);
    hold();
    EXPECT_EQ(w->State.*c.count, c.whileHeld + 1) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HeldLapKey,
    ::testing::Values(
        HeldLapCase{"enter", "LAP", Qt::Key_Return, {}, "\r", &TRunState::LapCount, 1},
        HeldLapCase{"space", "LAP", Qt::Key_Space, {}, " ", &TRunState::LapCount, 1},
        HeldLapCase{"one", "LAP", Qt::Key_1, {}, "1", &TRunState::LapCount, 1},
        HeldLapCase{"two on another button", "SAVE", Qt::Key_2, {}, "2", &TRunState::Lap2Count, 1},
        HeldLapCase{"three on a lap button", "LAP2", Qt::Key_3, {}, "3", &TRunState::Lap3Count, 1},
        HeldLapCase{"alt one from the list", "ComboBox1", Qt::Key_1, Qt::AltModifier, "1",
                    &TRunState::LapCount, 1},
        HeldLapCase{"alt three from the grid", "XlsStringGrid1", Qt::Key_3, Qt::AltModifier, "3",
                    &TRunState::Lap3Count, 1},
        // The first press is text and hands the keyboard to LAP; its repeats
        // arrive there as the lap key but belong to that press.
        HeldLapCase{
            "one typed into the list", "ComboBox1", Qt::Key_1, {}, "1", &TRunState::LapCount, 0}),
    NameOfCase());

TEST_F(MainWindow, HeldEnterStillRepeatsOnOtherButtons) {
    int downs = 0;
    const TNotifyEvent down = w->CuteButton4->OnClick;
    w->CuteButton4->OnClick = [&](QObject* s) {
        ++downs;
        down(s);
    };
    w->CuteButton4->setFocus();
    QKeyEvent first(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(w->CuteButton4, &first);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                     true);
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                        true);
        QCoreApplication::sendEvent(w->CuteButton4, &up);
        QCoreApplication::sendEvent(w->CuteButton4, &again);
    }
    EXPECT_EQ(downs, 4);
}

} // namespace
