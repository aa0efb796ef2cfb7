// The distance list: what typing may add, what the list remembers between
// starts, and the removal of the operator's own entries.
#include "Distances.h"
#include "DistanceMemory.h"

#include "ComboBox.h"
#include "Label.h"
#include "MessageService.h"
#include "Messages.h"
#include "RunJournal.h"
#include "RunRecorder.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TypedCase {
    const char* name;
    const char* text;  // UTF-8
    const char* entry; // what the list adds; nullptr: refused
};

class TypedDistance : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedDistance, IsTheNumberInAsciiDigitsOrRefused) {
    const TypedCase& c = GetParam();
    const std::optional<QString> got = Distances::Typed(QString::fromUtf8(c.text));
    if (c.entry)
        EXPECT_EQ(got, std::optional(QString::fromUtf8(c.entry)));
    else
        EXPECT_EQ(got, std::nullopt) << got->toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Distances, TypedDistance,
    ::testing::Values(
        TypedCase{"ascii", "5864", "5864"}, TypedCase{"full width", "５８６４", "5864"},
        TypedCase{"blanks around", " 400 ", "400"},
        TypedCase{"ideographic blanks around", "\u3000１２\u3000", "12"},
        TypedCase{"zero", "0", nullptr}, TypedCase{"negative", "-5", nullptr},
        TypedCase{"letters", "abc", nullptr}, TypedCase{"overflows the speeds", "300000", nullptr},
        TypedCase{"largest", "214748", "214748"},
        TypedCase{"one past the largest", "214749", nullptr},
        TypedCase{"int32 max", "2147483647", nullptr},
        TypedCase{"beyond int32", "99999999999", nullptr}, TypedCase{"empty", "", nullptr},
        TypedCase{"only blanks", "   ", nullptr}, TypedCase{"blank inside", "4 00", nullptr},
        TypedCase{"plus sign", "+5", nullptr}, TypedCase{"full width plus", "＋５", nullptr},
        TypedCase{"leading zeros", "007", "7"}, TypedCase{"zeros only", "000", nullptr},
        TypedCase{"smallest", "1", "1"},
        TypedCase{"many leading zeros", "000000000000214748", "214748"},
        TypedCase{"superscript two", "²", nullptr}, TypedCase{"decimal point", "400.5", nullptr}),
    NameOfCase());

TEST(Distances, ListedKnowsANumberWrittenAnotherWay) {
    const QStringList items = {QStringLiteral("100"), QStringLiteral("0400"),
                               QStringLiteral("abc")};
    EXPECT_TRUE(Distances::Listed(items, QStringLiteral("100")));
    EXPECT_TRUE(Distances::Listed(items, QStringLiteral("400")));
    EXPECT_TRUE(Distances::Listed(items, QStringLiteral("ABC")));
    EXPECT_FALSE(Distances::Listed(items, QStringLiteral("10")));
    EXPECT_FALSE(Distances::Listed({}, QStringLiteral("100")));
}

QString settingsFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vantel"),
                     QStringLiteral("vantel"))
        .fileName();
}

TEST(DistanceMemory, TheFileIsTheTestsOwnNeverTheUsers) {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    EXPECT_EQ(settingsFile().toStdString(),
              (config + QStringLiteral("/vantel/vantel.conf")).toStdString());
    EXPECT_NE(config, QDir::homePath() + QStringLiteral("/.config"));
}

TEST(DistanceMemory, TheLastListWrittenWinsAndAShorterOneLeavesNoTail) {
    {
        TDistanceStore store;
        store.Save({QStringLiteral("1234"), QStringLiteral("777"), QStringLiteral("42")});
        store.Save({QStringLiteral("1234"), QStringLiteral("42")});
    } // the store's end waits for its writes
    EXPECT_EQ(TDistanceStore::Load({}),
              (QStringList{QStringLiteral("1234"), QStringLiteral("42")}));
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("[Distances]")) << text.constData();
    EXPECT_FALSE(text.contains("777")) << text.constData();
    TDistanceStore store;
    store.Save({});
    store.Flush();
    EXPECT_EQ(TDistanceStore::Load({}), QStringList());
}

TEST(DistanceMemory, ReadsBackOnlyWhatTypingWouldAddOnceAndNoneListedAlready) {
    {
        // As a hand-edited file might hold them.
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vantel"),
                    QStringLiteral("vantel"));
        const char* const stored[] = {"1234", "abc", "300000", "０１２３４", "5864", "0", "99"};
        s.beginWriteArray(QStringLiteral("Distances"));
        for (int i = 0; i < int(std::size(stored)); ++i) {
            s.setArrayIndex(i);
            s.setValue(QStringLiteral("Metres"), QString::fromUtf8(stored[i]));
        }
        s.endArray();
    }
    EXPECT_EQ(TDistanceStore::Load({QStringLiteral("5864")}),
              (QStringList{QStringLiteral("1234"), QStringLiteral("99")}));
}

// --- the window -----------------------------------------------------------------

class DistanceList : public ::testing::Test {
protected:
    void SetUp() override { open(); }
    void open() {
        w = std::make_unique<TVantel>();
        w->Timer1->SetEnabled(false);
        w->show();
        QApplication::setActiveWindow(w.get());
        QCoreApplication::processEvents();
    }
    // Types as the operator does: ASCII as keys, the rest as an input
    // method commits it; then Enter.
    void typeAndEnter(const QString& text) {
        w->ComboBox1->setFocus(Qt::TabFocusReason);
        w->ComboBox1->lineEdit()->selectAll();
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(w->ComboBox1, c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(w->ComboBox1->lineEdit(), &commit);
            }
        }
        QTest::keyClick(w->ComboBox1, Qt::Key_Return);
    }
    // The adds the run holds (typing itself is a pick of no entry).
    int adds() const {
        int n = 0;
        for (const TActionRecord& r : w->Run.Actions())
            if (r.Action == TRunAction::Add) {
                EXPECT_EQ(r.Input.Text, Distances::Typed(r.Input.Text));
                ++n;
            }
        return n;
    }
    QStringList added() const { return w->ComboBox1->Items().mid(TVantel::DistanceCount); }
    QString note() const {
        return w->RunNote && w->RunNote->isVisible() ? w->RunNote->Caption() : QString();
    }
    FakeClock clock;
    ScopedMessageRecorder messages;
    std::unique_ptr<TVantel> w;
};

TEST_F(DistanceList, ARefusedDistanceIsNotAddedAndTheNoteSaysWhyWithTheTextKept) {
    for (const char* typed : {"300000", "abc", "0", "-5", "4 00", "+5", "99999999999"}) {
        typeAndEnter(QString::fromUtf8(typed));
        EXPECT_EQ(added(), QStringList()) << typed;
        EXPECT_EQ(note(), Msg::DistanceRefused()) << typed;
        EXPECT_EQ(w->ComboBox1->Text(), QString::fromUtf8(typed));
        EXPECT_EQ(QApplication::focusWidget(), w->ComboBox1) << "the note takes no focus";
    }
    EXPECT_EQ(adds(), 0) << "a refusal is no action of the run";
    EXPECT_TRUE(messages.Records().empty()) << "no box";
}

TEST_F(DistanceList, EnterOnNothingTypedIsNeitherAddedNorRefused) {
    typeAndEnter(QStringLiteral("  "));
    EXPECT_EQ(added(), QStringList());
    EXPECT_EQ(note(), QString());
}

TEST_F(DistanceList, FullWidthDigitsAddTheNumberOnceInAsciiDigits) {
    typeAndEnter(QStringLiteral("１２３４"));
    EXPECT_EQ(added(), QStringList{QStringLiteral("1234")});
    EXPECT_EQ(note(), QString());
    typeAndEnter(QStringLiteral("1234"));
    typeAndEnter(QStringLiteral(" 01234 "));
    typeAndEnter(QStringLiteral("５８６４")); // built in
    EXPECT_EQ(added(), QStringList{QStringLiteral("1234")});
    EXPECT_EQ(adds(), 1) << "an entry listed already changes nothing";
    // Picked, it gives the speeds as any entry does.
    w->ComboBox1->PickFromList(TVantel::DistanceCount);
    EXPECT_EQ(w->State.MeterText, QStringLiteral("1234"));
}

TEST_F(DistanceList, ShiftDeleteTakesOutThePickedEntryOnlyWhenTheOperatorAddedIt) {
    typeAndEnter(QStringLiteral("1234"));
    typeAndEnter(QStringLiteral("777"));
    w->ComboBox1->PickFromList(8); // 5864, built in
    QTest::keyClick(w->ComboBox1, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(w->ComboBox1->ItemCount(), TVantel::DistanceCount + 2);
    EXPECT_EQ(w->ComboBox1->Text(), QStringLiteral("5864")) << "not cut as text";
    w->ComboBox1->PickFromList(TVantel::DistanceCount + 1); // 777
    QTest::keyClick(w->ComboBox1, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(added(), QStringList{QStringLiteral("1234")});
    EXPECT_EQ(w->ComboBox1->ItemIndex(), -1);
    EXPECT_EQ(w->State.MeterText, QString()) << "no distance picked now";
    ASSERT_FALSE(w->Run.Actions().empty());
    EXPECT_EQ(w->Run.Actions().back().Action, TRunAction::Remove);
    const size_t actions = w->Run.Actions().size();
    // Nothing picked: nothing goes.
    QTest::keyClick(w->ComboBox1, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(added(), QStringList{QStringLiteral("1234")});
    EXPECT_EQ(w->Run.Actions().size(), actions) << "a removal that removes nothing is no action";
}

TEST_F(DistanceList, RemovingAnEntryAboveThePickKeepsThePick) {
    typeAndEnter(QStringLiteral("1234"));
    typeAndEnter(QStringLiteral("777"));
    w->ComboBox1->PickFromList(TVantel::DistanceCount + 1);
    TActionInput in;
    in.Index = TVantel::DistanceCount;
    in.Text = QStringLiteral("1234");
    w->Run.Perform(TRunAction::Remove, in);
    EXPECT_EQ(added(), QStringList{QStringLiteral("777")});
    EXPECT_EQ(w->ComboBox1->ItemIndex(), TVantel::DistanceCount);
    EXPECT_EQ(w->ComboBox1->Text(), QStringLiteral("777"));
    EXPECT_EQ(w->State.MeterText, QStringLiteral("777"));
    // An input that names another text at that place removes nothing (a
    // journal out of step with the list).
    in.Text = QStringLiteral("1234");
    w->Run.Perform(TRunAction::Remove, in);
    EXPECT_EQ(added(), QStringList{QStringLiteral("777")});
}

TEST_F(DistanceList, ShiftDeleteInTheOpenListTakesOutTheHighlightedEntry) {
    typeAndEnter(QStringLiteral("1234"));
    typeAndEnter(QStringLiteral("777"));
    w->ComboBox1->showPopup();
    QAbstractItemView* view = w->ComboBox1->view();
    ASSERT_TRUE(view->isVisible());
    view->setCurrentIndex(view->model()->index(TVantel::DistanceCount, 0));
    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(added(), QStringList{QStringLiteral("777")});
    view->setCurrentIndex(view->model()->index(3, 0)); // 400, built in
    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(w->ComboBox1->ItemCount(), TVantel::DistanceCount + 1);
    w->ComboBox1->hidePopup();
}

TEST_F(DistanceList, TheOperatorsEntriesComeBackAfterTheBuiltInOnesAtTheNextStart) {
    typeAndEnter(QStringLiteral("1234"));
    typeAndEnter(QStringLiteral("777"));
    typeAndEnter(QStringLiteral("42"));
    w->ComboBox1->PickFromList(TVantel::DistanceCount + 1);
    QTest::keyClick(w->ComboBox1, Qt::Key_Delete, Qt::ShiftModifier);
    w.reset(); // the program ends: the last write is on disk
    open();
    EXPECT_EQ(w->ComboBox1->Items().mid(0, 2),
              (QStringList{QStringLiteral("100"), QStringLiteral("200")}));
    EXPECT_EQ(added(), (QStringList{QStringLiteral("1234"), QStringLiteral("42")}));
    EXPECT_EQ(w->ComboBox1->ItemIndex(), -1);
}

TEST_F(DistanceList, ARemovalIsJournaledAndReadBackAsTheSameAction) {
    TActionRecord a;
    a.Action = TRunAction::Remove;
    a.Input.Index = 29;
    a.Input.Text = QStringLiteral("777");
    const RunJournal::TRecord line = TRunRecorder::Encode(a);
    EXPECT_EQ(line.Kind, QByteArray("remove"));
    const TActionRecord back = TRunRecorder::Decode(line);
    EXPECT_EQ(back.Action, TRunAction::Remove);
    EXPECT_EQ(back.Input.Index, 29);
    EXPECT_EQ(back.Input.Text, QStringLiteral("777"));
    EXPECT_FALSE(IsCorrection(TRunAction::Remove));
    EXPECT_EQ(ActionNamed("remove"), std::optional(TRunAction::Remove));
    EXPECT_EQ(ActionNamed("delete"), std::optional(TRunAction::Delete));
}

} // namespace
