#include "Menu.h"
#include "Errors.h"
#include "MessageService.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

class PopupMenuTest : public ::testing::Test {
protected:
    void TearDown() override { TPopupMenu::PopupHook() = nullptr; }
};

TEST_F(PopupMenuTest, ItemsAreKeptInOrderAndFoundByName) {
    TPopupMenu m(nullptr);
    TMenuItem* about = m.Add(QStringLiteral("About1"), QStringLiteral("&About"));
    TMenuItem* help = m.Add(QStringLiteral("Help1"), QStringLiteral("&Help"));
    TMenuItem* key = m.Add(QStringLiteral("Key"), QStringLiteral("&Key"));
    EXPECT_EQ(m.Count(), 3);
    EXPECT_EQ(m.Items(0), about);
    EXPECT_EQ(m.Items(2), key);
    EXPECT_EQ(m.Items(3), nullptr);
    EXPECT_EQ(m.Items(-1), nullptr);
    EXPECT_EQ(m.Find(QStringLiteral("Help1")), help);
    EXPECT_EQ(m.Find(QStringLiteral("Help")), nullptr);
    EXPECT_EQ(help->objectName(), QStringLiteral("Help1"));
    EXPECT_EQ(help->parent(), &m);
    ASSERT_EQ(m.Menu()->actions().size(), 3);
    EXPECT_EQ(m.Menu()->actions()[1], help->Action());
    EXPECT_EQ(help->Action()->text(), QStringLiteral("&Help"));
}

TEST_F(PopupMenuTest, DestroyedItemLeavesTheMenu) {
    TPopupMenu m(nullptr);
    m.Add(QStringLiteral("A"), QStringLiteral("a"));
    TMenuItem* b = m.Add(QStringLiteral("B"), QStringLiteral("b"));
    m.Add(QStringLiteral("C"), QStringLiteral("c"));
    delete b;
    EXPECT_EQ(m.Count(), 2);
    EXPECT_EQ(m.Items(1)->objectName(), QStringLiteral("C"));
    EXPECT_EQ(m.Find(QStringLiteral("B")), nullptr);
    EXPECT_EQ(m.Menu()->actions().size(), 2);
}

TEST_F(PopupMenuTest, ItemStateIsMirroredOnItsAction) {
    TPopupMenu m(nullptr);
    TMenuItem* key = m.Add(QStringLiteral("Key"), QStringLiteral("&Key"));
    EXPECT_FALSE(key->Checked());
    EXPECT_FALSE(key->Action()->isChecked());
    key->SetChecked(true);
    EXPECT_TRUE(key->Checked());
    EXPECT_TRUE(key->Action()->isCheckable());
    EXPECT_TRUE(key->Action()->isChecked());
    key->SetCaption(QStringLiteral("K&ey"));
    EXPECT_EQ(key->Caption(), QStringLiteral("K&ey"));
    EXPECT_EQ(key->Action()->text(), QStringLiteral("K&ey"));
    key->SetEnabled(false);
    EXPECT_FALSE(key->Enabled());
    EXPECT_FALSE(key->Action()->isEnabled());
    key->SetChecked(false);
    EXPECT_FALSE(key->Action()->isChecked());
}

TEST_F(PopupMenuTest, ChoosingAnItemRunsItsClickWithoutFlippingTheMark) {
    TPopupMenu m(nullptr);
    int clicks = 0;
    QObject* sender = nullptr;
    bool checkedInHandler = false;
    TMenuItem* key = m.Add(QStringLiteral("Key"), QStringLiteral("&Key"), [&](QObject* s) {
        ++clicks;
        sender = s;
        checkedInHandler = static_cast<TMenuItem*>(s)->Checked();
    });
    for (bool mark : {true, false}) {
        key->SetChecked(mark);
        key->Action()->trigger();
        EXPECT_EQ(checkedInHandler, mark);
        EXPECT_EQ(key->Checked(), mark);
        EXPECT_EQ(key->Action()->isChecked(), mark);
    }
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(sender, key);
}

TEST_F(PopupMenuTest, ErrorInAnItemHandlerGoesToTheErrorReport) {
    ScopedMessageRecorder rec;
    TPopupMenu m(nullptr);
    TMenuItem* item = m.Add(QStringLiteral("X"), QStringLiteral("x"),
                            [](QObject*) { throw Exception(QStringLiteral("bad item")); });
    item->Click();
    ASSERT_EQ(rec.Records().size(), 1);
    EXPECT_EQ(rec.Records()[0].text, QStringLiteral("bad item"));
}

TEST_F(PopupMenuTest, HandlerMayDestroyItsOwnItem) {
    auto m = std::make_unique<TPopupMenu>(nullptr);
    TMenuItem* item =
        m->Add(QStringLiteral("X"), QStringLiteral("x"), [](QObject* s) { delete s; });
    QPointer<TMenuItem> guard(item);
    item->Action()->trigger();
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(m->Count(), 0);
}

TEST_F(PopupMenuTest, HookReplacesTheMenuAndSeesThePoint) {
    TPopupMenu m(nullptr);
    std::vector<QPoint> seen;
    TPopupMenu::PopupHook() = [&](TPopupMenu* menu, QPoint at) {
        EXPECT_EQ(menu, &m);
        EXPECT_FALSE(menu->Menu()->isVisible());
        seen.push_back(at);
    };
    m.Popup(10, 20);
    m.Popup(-5, 7);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], QPoint(10, 20));
    EXPECT_EQ(seen[1], QPoint(-5, 7));
    EXPECT_EQ(m.PopupCount(), 2);
}

struct AlignCase {
    TPopupAlignment alignment;
    int edge; // 0 left edge, 1 right edge, 2 centre at the point
};
class RealPopup : public PopupMenuTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(RealPopup, MenuStandsAtThePointByAlignmentAndPopupReturnsWhenClosed) {
    TPopupMenu m(nullptr);
    m.Add(QStringLiteral("About1"), QStringLiteral("&About"));
    m.Add(QStringLiteral("Help1"), QStringLiteral("&Help"));
    m.Alignment = GetParam().alignment;
    QRect shown;
    bool wasVisible = false;
    QTimer::singleShot(0, [&] {
        wasVisible = m.Menu()->isVisible();
        shown = m.Menu()->geometry();
        m.Menu()->close();
    });
    const QPoint at(400, 250);
    m.Popup(at.x(), at.y());
    EXPECT_TRUE(wasVisible);
    EXPECT_FALSE(m.Menu()->isVisible());
    EXPECT_EQ(shown.top(), at.y());
    switch (GetParam().edge) {
    case 0:
        EXPECT_EQ(shown.left(), at.x());
        break;
    case 1:
        EXPECT_EQ(shown.right() + 1, at.x());
        break;
    default:
        EXPECT_NEAR(shown.center().x(), at.x(), 1);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Alignments, RealPopup,
                         ::testing::Values(AlignCase{paLeft, 0}, AlignCase{paRight, 1},
                                           AlignCase{paCenter, 2}));

TEST_F(PopupMenuTest, MenuDestroyedByItsOwnItemWhileOpen) {
    auto* m = new TPopupMenu(nullptr);
    QPointer<TPopupMenu> guard(m);
    m->Add(QStringLiteral("Gone"), QStringLiteral("&Gone"), [m](QObject*) { delete m; });
    QPointer<QMenu> qmenu = m->Menu();
    QTimer::singleShot(0, [qmenu] {
        if (qmenu) qmenu->actions().front()->trigger();
    });
    QTimer::singleShot(2000, [qmenu] {
        if (qmenu) qmenu->close(); // safety net: never hang the test
    });
    m->Popup(300, 200);
    EXPECT_TRUE(guard.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(qmenu.isNull());
}

} // namespace
