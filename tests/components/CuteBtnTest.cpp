#include "CuteBtn.h"
#include "Errors.h"
#include "MessageService.h"
#include "PixelUtil.h"
#include "TestUtil.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// ---------------------------------------------------------------- images

// The area inside the two bevel rings, where only the caption draws.
QRect textArea(const QWidget& w) {
    return QRect(2, 2, w.width() - 4, w.height() - 4);
}

constexpr TColor kFace = col::rgb(0xDD, 0xE1, 0xBB);
constexpr TColor kHighlight = col::rgb(255, 255, 0);
constexpr TColor kShadow = col::rgb(0, 0, 128);

// A free-standing button with distinct colours, so every pixel tells which
// colour drew it.
std::unique_ptr<TCuteButton> paintedButton() {
    auto b = std::make_unique<TCuteButton>();
    b->SetColor(kFace);
    b->SetBevelHighlightColor(kHighlight);
    b->SetBevelShadowColor(kShadow);
    b->Font() = TFont(QStringLiteral("DejaVu Sans"), -16, clBlack, fsBold);
    return b;
}

// ---------------------------------------------------------------- paint

enum Role { Hi, Sh, Face };
struct Probe {
    int x, y;
    Role role;
};
struct RingCase {
    const char* name;
    bool flat;
    int bevelWidth;
    TBevelCut look;
    std::vector<Probe> probes;
};

class ButtonRings : public ::testing::TestWithParam<RingCase> {};

TEST_P(ButtonRings, BevelPixelsFollowTheLookAndFlatness) {
    const RingCase& c = GetParam();
    auto b = paintedButton();
    b->SetFlat(c.flat);
    b->SetBevelWidth(c.bevelWidth);
    b->SetBevelOuter(c.look);
    ASSERT_EQ(b->size(), QSize(75, 25));
    const QImage img = b->Render();
    for (const Probe& p : c.probes) {
        const TColor want = p.role == Hi ? kHighlight : p.role == Sh ? kShadow : kFace;
        EXPECT_EQ(img.pixelColor(p.x, p.y), ToQColor(want))
            << c.name << " at " << p.x << "," << p.y << " role " << p.role;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Looks, ButtonRings,
    ::testing::Values(
        // Idle: only the inner (raised) ring; the bottom-left and top-right
        // corners belong to the shadow edge.
        RingCase("idle", false, 1, bvNone,
                 {Probe{0, 0, Hi}, Probe{0, 12, Hi}, Probe{40, 0, Hi}, Probe{0, 24, Sh},
                  Probe{74, 0, Sh}, Probe{74, 12, Sh}, Probe{40, 24, Sh}, Probe{1, 1, Face},
                  Probe{73, 23, Face}}),
        RingCase("raised", false, 1, bvRaised,
                 {Probe{0, 0, Hi}, Probe{1, 1, Hi}, Probe{1, 12, Hi}, Probe{74, 24, Sh},
                  Probe{73, 23, Sh}, Probe{73, 1, Sh}, Probe{2, 2, Face}}),
        RingCase("pressed", false, 1, bvLowered,
                 {Probe{0, 0, Sh}, Probe{0, 12, Sh}, Probe{74, 24, Hi}, Probe{74, 12, Hi},
                  Probe{1, 1, Hi}, Probe{73, 23, Sh}, Probe{2, 2, Face}}),
        // A spaced outer bevel draws nothing on a button.
        RingCase("space outer", false, 1, bvSpace,
                 {Probe{0, 0, Hi}, Probe{74, 24, Sh}, Probe{1, 1, Face}}),
        RingCase("flat idle", true, 1, bvNone,
                 {Probe{0, 0, Face}, Probe{74, 24, Face}, Probe{0, 24, Face}}),
        RingCase("flat raised", true, 1, bvRaised,
                 {Probe{0, 0, Hi}, Probe{74, 24, Sh}, Probe{1, 1, Face}}),
        RingCase("flat pressed", true, 1, bvLowered,
                 {Probe{0, 0, Sh}, Probe{74, 24, Hi}, Probe{1, 1, Face}}),
        RingCase("wide idle", false, 2, bvNone,
                 {Probe{0, 0, Hi}, Probe{1, 1, Hi}, Probe{1, 5, Hi}, Probe{74, 24, Sh},
                  Probe{73, 23, Sh}, Probe{2, 2, Face}}),
        RingCase("wide raised", false, 2, bvRaised,
                 {Probe{3, 3, Hi}, Probe{71, 21, Sh}, Probe{4, 4, Face}})),
    NameOfCase());

struct DisabledFaceCase {
    bool useDisabledColor;
    bool enabled;
    bool expectDisabledFace;
};
class DisabledFace : public ::testing::TestWithParam<DisabledFaceCase> {};

TEST_P(DisabledFace, FaceColourDependsOnUseDisabledColorOnlyWhileDisabled) {
    const auto& c = GetParam();
    auto b = paintedButton();
    b->SetDisabledColor(clPurple);
    b->SetUseDisabledColor(c.useDisabledColor);
    b->setEnabled(c.enabled);
    const QImage img = b->Render();
    EXPECT_EQ(img.pixelColor(5, 3), ToQColor(c.expectDisabledFace ? clPurple : kFace));
    // The bevel does not change with the face.
    EXPECT_EQ(img.pixelColor(0, 0), ToQColor(kHighlight));
}

INSTANTIATE_TEST_SUITE_P(Cases, DisabledFace,
                         ::testing::Values(DisabledFaceCase{false, false, false},
                                           DisabledFaceCase{true, false, true},
                                           DisabledFaceCase{true, true, false},
                                           DisabledFaceCase{false, true, false}));

TEST(CuteButtonPaint, DisabledCaptionIsEtchedWithoutTheFontColour) {
    auto b = paintedButton();
    b->Font().SetColor(clRed);
    b->SetCaption(QStringLiteral("MW"));
    const QImage enabled = b->Render();
    b->setEnabled(false);
    const QImage disabled = b->Render();

    const QRect area = textArea(*b);
    const QRect e = inkBox(enabled, ToQColor(kFace), area);
    const QRect d = inkBox(disabled, ToQColor(kFace), area);
    ASSERT_FALSE(e.isEmpty());
    // The highlight copy lies one pixel right and down under the shadow copy.
    EXPECT_EQ(d.topLeft(), e.topLeft());
    EXPECT_EQ(d.bottomRight(), e.bottomRight() + QPoint(1, 1));
    EXPECT_GT(countColour(enabled, ToQColor(clRed), area), 0);
    EXPECT_EQ(countColour(disabled, ToQColor(clRed), area), 0);
    EXPECT_GT(countColour(disabled, ToQColor(clBtnHighlight), area), 0);
    EXPECT_GT(countColour(disabled, ToQColor(clBtnShadow), area), 0);
}

struct ShiftCase {
    TAlignment align;
    TTextLayout layout;
    int minShift, maxShift;
};
class PressedCaption : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(PressedCaption, CaptionSinksDownRightWhenPressed) {
    const auto& c = GetParam();
    auto b = paintedButton();
    b->SetCaption(QStringLiteral("LAP"));
    b->SetAlignment(c.align);
    b->SetLayout(c.layout);
    b->SetBevelOuter(bvRaised);
    const QImage up = b->Render();
    b->SetBevelOuter(bvLowered);
    const QImage down = b->Render();
    const QRect area(3, 3, b->width() - 6, b->height() - 6); // inside both rings
    const QRect u = inkBox(up, ToQColor(kFace), area);
    const QRect d = inkBox(down, ToQColor(kFace), area);
    ASSERT_FALSE(u.isEmpty());
    const QPoint shift = d.topLeft() - u.topLeft();
    EXPECT_GE(shift.x(), c.minShift);
    EXPECT_LE(shift.x(), c.maxShift);
    EXPECT_GE(shift.y(), c.minShift);
    EXPECT_LE(shift.y(), c.maxShift);
    EXPECT_EQ(d.size(), u.size());
    if (c.minShift == c.maxShift) {
        // The same glyph pixels, moved.
        for (int y = u.top(); y <= u.bottom(); ++y)
            for (int x = u.left(); x <= u.right(); ++x)
                ASSERT_EQ(up.pixel(x, y), down.pixel(x + shift.x(), y + shift.y()))
                    << x << "," << y;
    }
}

// Left and top placed captions move by exactly the 2 pixel press offset;
// centred ones only get the rectangle's left and top edges moved, so they
// travel less but still down and right.
INSTANTIATE_TEST_SUITE_P(Placements, PressedCaption,
                         ::testing::Values(ShiftCase{taLeftJustify, tlTop, 2, 2},
                                           ShiftCase{taCenter, tlCenter, 1, 2},
                                           ShiftCase{taRightJustify, tlBottom, 0, 2}));

struct MarginCase {
    const char* name;
    TAlignment align;
    TTextLayout layout;
    int marginX, marginY;
    QPoint topLeftMove;     // ink box top-left movement against no margins
    QPoint bottomRightMove; // ink box bottom-right movement
};
class Margins : public ::testing::TestWithParam<MarginCase> {};

TEST_P(Margins, OnlyTheAlignedEdgeMoves) {
    const auto& c = GetParam();
    auto b = paintedButton();
    b->resize(120, 40);
    b->SetCaption(QStringLiteral("Go"));
    b->SetAlignment(c.align);
    b->SetLayout(c.layout);
    const QImage plain = b->Render();
    b->SetMarginX(c.marginX);
    b->SetMarginY(c.marginY);
    const QImage margined = b->Render();
    const QRect area = textArea(*b);
    const QRect p = inkBox(plain, ToQColor(kFace), area);
    const QRect m = inkBox(margined, ToQColor(kFace), area);
    ASSERT_FALSE(p.isEmpty());
    EXPECT_EQ(m.topLeft() - p.topLeft(), c.topLeftMove) << c.name;
    EXPECT_EQ(m.bottomRight() - p.bottomRight(), c.bottomRightMove) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Margins,
    ::testing::Values(
        MarginCase{"right", taRightJustify, tlCenter, 5, 9, {-5, 0}, {-5, 0}},
        MarginCase{"left", taLeftJustify, tlCenter, 6, 9, {6, 0}, {6, 0}},
        MarginCase{"top", taCenter, tlTop, 9, 4, {0, 4}, {0, 4}},
        MarginCase{"bottom", taCenter, tlBottom, 9, 3, {0, -3}, {0, -3}},
        MarginCase{"centred ignores both", taCenter, tlCenter, 17, 11, {0, 0}, {0, 0}},
        MarginCase{"below -1 is none", taLeftJustify, tlTop, -7, -9, {0, 0}, {0, 0}}));

TEST(CuteButtonPaint, MarginsBelowMinusOneAreStoredAsMinusOne) {
    TCuteButton b;
    for (int v : {-2, -100, -1}) {
        b.SetMarginX(v);
        b.SetMarginY(v);
        EXPECT_EQ(b.MarginX(), -1);
        EXPECT_EQ(b.MarginY(), -1);
    }
    b.SetMarginX(3);
    EXPECT_EQ(b.MarginX(), 3);
}

TEST(CuteButtonPaint, AmpersandIsHiddenAndUnderlinesTheAccelerator) {
    auto b = paintedButton();
    b->SetAlignment(taLeftJustify);
    b->SetCaption(QStringLiteral("LAP(1)"));
    const QImage plain = b->Render();
    b->SetCaption(QStringLiteral("LAP(&1)"));
    const QImage marked = b->Render();
    const std::vector<QPoint> diff = diffPixels(plain, marked);
    ASSERT_FALSE(diff.empty());
    // Same glyphs in the same places: the only difference is one underline row
    // under the digit, which lies right of the "LAP(" ink.
    const int row = diff.front().y();
    int minX = diff.front().x();
    for (const QPoint& p : diff) {
        EXPECT_EQ(p.y(), row);
        minX = std::min(minX, p.x());
    }
    b->SetCaption(QStringLiteral("LAP("));
    const QRect prefix = inkBox(b->Render(), ToQColor(kFace), textArea(*b));
    EXPECT_GT(minX, prefix.right() - 2);
}

TEST(CuteButtonPaint, FocusRectangleIsDottedTwoPixelsInsideTheText) {
    QWidget window;
    window.resize(200, 100);
    auto* b = new TCuteButton(&window);
    b->SetColor(kFace);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    b->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(b->hasFocus());
    const QImage without = b->Render();
    b->SetShowFocusRect(true);
    const QImage with = b->Render();
    const std::vector<QPoint> diff = diffPixels(without, with);
    ASSERT_FALSE(diff.empty());
    const QRect frame(4, 4, b->width() - 8, b->height() - 8);
    for (const QPoint& p : diff) {
        const bool onEdge = p.x() == frame.left() || p.x() == frame.right() ||
                            p.y() == frame.top() || p.y() == frame.bottom();
        EXPECT_TRUE(frame.contains(p) && onEdge) << p.x() << "," << p.y();
    }
    EXPECT_NE(with.pixel(frame.left(), frame.top()), without.pixel(frame.left(), frame.top()));
    // Dotted: the pixel next to a dot is left alone.
    EXPECT_EQ(with.pixel(frame.left() + 1, frame.top()),
              without.pixel(frame.left() + 1, frame.top()));
}

TEST(CuteButtonPaint, DarkDesktopPaletteLeavesTheBevelColoursAlone) {
    TCuteButton b; // system colours for face and bevels
    const QImage normal = b.Render();
    const QPalette saved = QApplication::palette();
    QPalette dark(QColor(40, 40, 40), QColor(30, 30, 30));
    dark.setColor(QPalette::Light, QColor(60, 60, 60));
    dark.setColor(QPalette::Dark, QColor(10, 10, 10));
    QApplication::setPalette(dark);
    const QImage themed = b.Render();
    QApplication::setPalette(saved);

    EXPECT_EQ(themed.pixelColor(0, 0), ToQColor(clBtnHighlight));
    EXPECT_EQ(themed.pixelColor(74, 24), ToQColor(clBtnShadow));
    EXPECT_EQ(themed.pixelColor(5, 5), ToQColor(clBtnFace));
    EXPECT_TRUE(themed == normal);
    // And the highlight stays lighter than the face, so the ring shows.
    EXPECT_GT(themed.pixelColor(0, 0).lightness(), themed.pixelColor(5, 5).lightness());
}

// ---------------------------------------------------------------- properties

TEST(CuteButtonProps, ConstructorDefaults) {
    TCuteButton b;
    EXPECT_EQ(b.size(), QSize(75, 25));
    EXPECT_EQ(b.Alignment(), taCenter);
    EXPECT_EQ(b.BevelWidth(), 1);
    EXPECT_EQ(b.BevelOuter(), bvNone);
    EXPECT_EQ(b.BevelInner(), bvRaised);
    EXPECT_EQ(static_cast<uint32_t>(b.BevelHighlightColor()), 0x80000014u);
    EXPECT_EQ(static_cast<uint32_t>(b.BevelShadowColor()), 0x80000010u);
    EXPECT_EQ(static_cast<uint32_t>(b.Color()), 0x8000000Fu);
    EXPECT_EQ(b.DisabledColor(), clGray);
    EXPECT_EQ(b.BorderStyle(), bsNone);
    EXPECT_EQ(b.DropDownDelay(), 0);
    EXPECT_EQ(b.DropDownMenu(), nullptr);
    EXPECT_FALSE(b.EgnoreContClick());
    EXPECT_FALSE(b.Flat());
    EXPECT_FALSE(b.OnePressOneClick());
    EXPECT_EQ(b.Layout(), tlCenter);
    EXPECT_EQ(b.MarginX(), -1);
    EXPECT_EQ(b.MarginY(), -1);
    EXPECT_FALSE(b.ShowFocusRect());
    EXPECT_TRUE(b.TabFocusUp());
    EXPECT_FALSE(b.UseDisabledColor());
    EXPECT_EQ(b.focusPolicy(), Qt::StrongFocus);
}

TEST(CuteButtonProps, FlatSwitchesTheInnerBevel) {
    TCuteButton b;
    b.SetFlat(true);
    EXPECT_EQ(b.BevelInner(), bvNone);
    b.SetFlat(false);
    EXPECT_EQ(b.BevelInner(), bvRaised);
}

TEST(CuteButtonProps, TimerBelongsToItsButton) {
    TCuteButton b;
    TCuteButtonTimer t(&b);
    EXPECT_EQ(t.FCuteButton, &b);
    EXPECT_EQ(t.parent(), &b);
}

// ---------------------------------------------------------------- input

// A shown, active window with the button under test, a second button, an
// editable combo box and a container for the hidden-parent case.
class ButtonInput : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        btn = new TCuteButton(window.get());
        btn->setObjectName(QStringLiteral("LAP"));
        btn->SetCaption(QStringLiteral("LAP(&1)"));
        btn->move(20, 20);
        btn->OnClick = [this](QObject* sender) {
            ++clicks;
            lastSender = sender;
            lookDuringClick = btn ? btn->BevelOuter() : bvSpace;
        };
        other = new TCuteButton(window.get());
        other->setObjectName(QStringLiteral("start"));
        other->SetCaption(QStringLiteral("start"));
        other->move(20, 80);
        other->OnClick = [this](QObject*) { ++otherClicks; };
        combo = new QComboBox(window.get());
        combo->setEditable(true);
        combo->move(200, 20);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        TPopupMenu::PopupHook() = nullptr;
        window.reset();
    }

    QWindow* handle() const { return window->windowHandle(); }
    QPoint inWindow(QWidget* w, QPoint p) const { return w->mapTo(window.get(), p); }
    void press(QWidget* w, QPoint p) {
        QTest::mousePress(handle(), Qt::LeftButton, {}, inWindow(w, p));
    }
    void release(QWidget* w, QPoint p) {
        QTest::mouseRelease(handle(), Qt::LeftButton, {}, inWindow(w, p));
    }
    void click(QWidget* w, QPoint p) {
        QTest::mouseClick(handle(), Qt::LeftButton, {}, inWindow(w, p));
    }
    // Key events go to the window's focus widget through Qt's own delivery.
    void keyPress(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyPress(handle(), k, m); }
    void keyRelease(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyRelease(handle(), k, m); }
    void keyClick(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(handle(), k, m); }
    static void sendKey(QWidget* w, QEvent::Type t, Qt::Key k, const QString& text, bool autoRepeat,
                        Qt::KeyboardModifiers m = {}) {
        QKeyEvent e(t, k, m, text, autoRepeat);
        QCoreApplication::sendEvent(w, &e);
    }
    void focus(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        ASSERT_TRUE(w->hasFocus());
    }

    std::unique_ptr<QWidget> window;
    QPointer<TCuteButton> btn;
    QPointer<TCuteButton> other;
    QComboBox* combo = nullptr;
    int clicks = 0, otherClicks = 0;
    QObject* lastSender = nullptr;
    TBevelCut lookDuringClick = bvSpace;
};

TEST_F(ButtonInput, LeftClickClicksOnReleaseWhilePressed) {
    press(btn, {10, 10});
    EXPECT_EQ(btn->BevelOuter(), bvLowered);
    EXPECT_TRUE(btn->hasFocus());
    EXPECT_EQ(clicks, 0);
    release(btn, {10, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(lastSender, btn.data());
    EXPECT_EQ(lookDuringClick, bvLowered);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
}

struct OutsideCase {
    bool tabFocusUp;
    TBevelCut expected;
};
class ReleaseOutside : public ButtonInput, public ::testing::WithParamInterface<OutsideCase> {};

TEST_P(ReleaseOutside, GivesNoClick) {
    btn->SetTabFocusUp(GetParam().tabFocusUp);
    press(btn, {10, 10});
    release(btn, {200, 150}); // inside the window, outside the button
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(btn->BevelOuter(), GetParam().expected);
}

// Focused by the press: Raised when the focused look is on, else Idle.
INSTANTIATE_TEST_SUITE_P(Cases, ReleaseOutside,
                         ::testing::Values(OutsideCase{true, bvRaised},
                                           OutsideCase{false, bvNone}));

TEST_F(ButtonInput, DoubleClickGivesOneClick) {
    QTest::mouseDClick(handle(), Qt::LeftButton, {}, inWindow(btn, {10, 10}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
}

TEST_F(ButtonInput, RightButtonTakesFocusButNeverClicks) {
    TMouseButton downButton = mbLeft;
    btn->OnMouseDown = [&](QObject*, TMouseButton b, TShiftState, int, int) { downButton = b; };
    QTest::mouseClick(handle(), Qt::RightButton, {}, inWindow(btn, {10, 10}));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(downButton, mbRight);
    EXPECT_TRUE(btn->hasFocus());
}

TEST_F(ButtonInput, PointerEnterAndLeave) {
    focus(other);
    int entered = 0, left = 0;
    btn->OnMouseEnter = [&](QObject* s, TShiftState, int, int) {
        EXPECT_EQ(s, btn.data());
        ++entered;
    };
    btn->OnMouseLeave = [&](QObject*, TShiftState, int, int) { ++left; };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), btn->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(btn, &enter);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(btn, &leave);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(btn->BevelOuter(), bvNone);
}

TEST_F(ButtonInput, LeavingKeepsTheRaisedLookWhileFocused) {
    focus(btn);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(btn, &leave);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    btn->SetTabFocusUp(false);
    QCoreApplication::sendEvent(btn, &leave);
    EXPECT_EQ(btn->BevelOuter(), bvNone);
}

TEST_F(ButtonInput, EnteringWithTheLeftButtonHeldLooksPressed) {
    btn->SetTabFocusUp(false);
    press(btn, {10, 10});
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(btn, &leave);
    EXPECT_EQ(btn->BevelOuter(), bvNone);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), btn->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(btn, &enter);
    EXPECT_EQ(btn->BevelOuter(), bvLowered);
    release(btn, {10, 10});
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonInput, FocusRaisesAndRunsEnterAndExit) {
    focus(other); // the window gave the first button the focus on showing
    int entered = 0, exited = 0;
    btn->OnEnter = [&](QObject*) { ++entered; };
    btn->OnExit = [&](QObject*) { ++exited; };
    focus(btn);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    EXPECT_EQ(entered, 1);
    focus(other);
    EXPECT_EQ(btn->BevelOuter(), bvNone);
    EXPECT_EQ(exited, 1);
    btn->SetTabFocusUp(false);
    focus(btn);
    EXPECT_EQ(btn->BevelOuter(), bvNone);
    EXPECT_EQ(entered, 2);
}

TEST_F(ButtonInput, SwitchingWindowsChangesTheLookButEntersNothing) {
    focus(btn);
    int entered = 0, exited = 0;
    btn->OnEnter = [&](QObject*) { ++entered; };
    btn->OnExit = [&](QObject*) { ++exited; };
    QWidget elsewhere;
    elsewhere.resize(50, 50);
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_EQ(btn->BevelOuter(), bvNone);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(btn->hasFocus());
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    EXPECT_EQ(entered, 0);
    EXPECT_EQ(exited, 0);
}

TEST_F(ButtonInput, SpaceClicksOnceOnReleaseDespiteAutoRepeat) {
    focus(btn);
    sendKey(btn, QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "), false);
    EXPECT_EQ(btn->BevelOuter(), bvLowered);
    EXPECT_TRUE(btn->SpacePressed());
    for (int i = 0; i < 3; ++i) {
        // Held keys repeat as release and press pairs flagged auto-repeat.
        sendKey(btn, QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "), true);
        sendKey(btn, QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "), true);
    }
    EXPECT_EQ(clicks, 0);
    sendKey(btn, QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "), false);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(lookDuringClick, bvLowered);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    EXPECT_FALSE(btn->SpacePressed());
}

TEST_F(ButtonInput, AnotherKeyCancelsThePendingSpaceClick) {
    focus(btn);
    keyPress(Qt::Key_Space);
    keyClick(Qt::Key_X);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    keyRelease(Qt::Key_Space);
    EXPECT_EQ(clicks, 0);
    // The next Space works again.
    keyClick(Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonInput, FocusLostBeforeSpaceReleaseLeavesNoClickPending) {
    focus(btn);
    keyPress(Qt::Key_Space);
    focus(other);
    EXPECT_FALSE(btn->SpacePressed());
    keyRelease(Qt::Key_Space); // arrives at the other button
    focus(btn);
    sendKey(btn, QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "), false);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(otherClicks, 0);
}

TEST_F(ButtonInput, MenuOpenedBeforeSpaceReleaseLeavesNoClickPending) {
    focus(btn);
    keyPress(Qt::Key_Space);
    ASSERT_TRUE(btn->SpacePressed());
    // Another menu (the window's right-click menu) takes the keyboard.
    QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(btn, &out);
    EXPECT_FALSE(btn->SpacePressed());
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    QFocusEvent in(QEvent::FocusIn, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(btn, &in);
    sendKey(btn, QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "), false);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonInput, EnterClicksOnEveryKeyDownIncludingRepeats) {
    focus(btn);
    sendKey(btn, QEvent::KeyPress, Qt::Key_Return, QStringLiteral("\r"), false);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(lookDuringClick, bvLowered);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    for (int i = 0; i < 4; ++i) {
        sendKey(btn, QEvent::KeyRelease, Qt::Key_Return, QStringLiteral("\r"), true);
        sendKey(btn, QEvent::KeyPress, Qt::Key_Return, QStringLiteral("\r"), true);
    }
    sendKey(btn, QEvent::KeyRelease, Qt::Key_Return, QStringLiteral("\r"), false);
    EXPECT_EQ(clicks, 5);
    // The keypad's Enter is the same key.
    keyClick(Qt::Key_Enter);
    EXPECT_EQ(clicks, 6);
}

TEST_F(ButtonInput, EnterWithoutTabFocusUpReturnsToIdle) {
    btn->SetTabFocusUp(false);
    focus(btn);
    keyClick(Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(btn->BevelOuter(), bvNone);
}

TEST_F(ButtonInput, DisabledButtonIgnoresMouseKeysAndAccelerator) {
    focus(btn);
    btn->setEnabled(false);
    click(btn, {10, 10});
    sendKey(btn, QEvent::KeyPress, Qt::Key_Return, QStringLiteral("\r"), false);
    sendKey(btn, QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "), false);
    sendKey(btn, QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "), false);
    focus(other);
    keyClick(Qt::Key_1);
    keyClick(Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(clicks, 0);
    btn->setEnabled(true);
    keyClick(Qt::Key_1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonInput, KeyDownHandlerRunsFirstAndCanSwallowTheKey) {
    focus(btn);
    std::vector<int> keys;
    btn->OnKeyDown = [&](QObject*, int& key, TShiftState) {
        keys.push_back(key);
        EXPECT_EQ(clicks, 0);
        key = 0;
    };
    keyClick(Qt::Key_Return);
    EXPECT_EQ(keys, std::vector<int>{VK_RETURN});
    EXPECT_EQ(clicks, 0);
}

// ---------------------------------------------------------------- accelerator

struct AccelCase {
    const char* name;
    QString caption;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    bool focusCombo;
    int expectedClicks;
    QString expectedComboText;
};
class Accelerator : public ButtonInput, public ::testing::WithParamInterface<AccelCase> {};

TEST_P(Accelerator, DialogCharacterClicksTheMatchingButton) {
    const AccelCase& c = GetParam();
    btn->SetCaption(c.caption);
    if (c.focusCombo)
        focus(combo);
    else
        focus(other);
    keyClick(c.key, c.mods);
    EXPECT_EQ(clicks, c.expectedClicks) << c.name;
    EXPECT_EQ(otherClicks, 0) << c.name;
    EXPECT_EQ(combo->currentText(), c.expectedComboText) << c.name;
    if (c.expectedClicks > 0) {
        EXPECT_EQ(lookDuringClick, bvLowered);
        EXPECT_EQ(btn->BevelOuter(), bvRaised);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Accelerator,
    ::testing::Values(
        AccelCase{"digit on a button", "LAP(&1)", Qt::Key_1, {}, false, 1, ""},
        AccelCase{"alt digit on a button", "LAP(&1)", Qt::Key_1, Qt::AltModifier, false, 1, ""},
        AccelCase{"digit typed into the combo", "LAP(&1)", Qt::Key_1, {}, true, 0, "1"},
        AccelCase{"alt digit from the combo", "LAP(&1)", Qt::Key_1, Qt::AltModifier, true, 1, ""},
        AccelCase{"other digit", "LAP(&1)", Qt::Key_2, {}, false, 0, ""},
        AccelCase{"control digit", "LAP(&1)", Qt::Key_1, Qt::ControlModifier, false, 0, ""},
        AccelCase{"no accelerator", "LAP1", Qt::Key_1, Qt::AltModifier, false, 0, ""},
        AccelCase{"trailing ampersand", "LAP1&", Qt::Key_1, {}, false, 0, ""},
        AccelCase{"escaped ampersand", "A&&1", Qt::Key_1, {}, false, 0, ""},
        AccelCase{"letter any case", "&go", Qt::Key_G, Qt::ShiftModifier, false, 1, ""},
        AccelCase{"letter plain", "&Go", Qt::Key_G, {}, false, 1, ""}),
    NameOfCase());

TEST_F(ButtonInput, AcceleratorFromTheFocusedButtonItself) {
    focus(btn);
    keyClick(Qt::Key_1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonInput, AcceleratorNeedsAVisibleParent) {
    auto* box = new QWidget(window.get());
    box->setGeometry(0, 150, 200, 100);
    auto* inner = new TCuteButton(box);
    inner->SetCaption(QStringLiteral("LAP(&3)"));
    int innerClicks = 0;
    inner->OnClick = [&](QObject*) { ++innerClicks; };
    box->show();
    focus(other);
    box->hide();
    keyClick(Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(innerClicks, 0);
    box->show();
    keyClick(Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(innerClicks, 1);
}

TEST_F(ButtonInput, AcceleratorStaysInItsWindow) {
    QWidget second;
    second.resize(100, 60);
    auto* foreign = new TCuteButton(&second);
    foreign->SetCaption(QStringLiteral("&9"));
    int foreignClicks = 0;
    foreign->OnClick = [&](QObject*) { ++foreignClicks; };
    second.show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    focus(other);
    keyClick(Qt::Key_9, Qt::AltModifier);
    EXPECT_EQ(foreignClicks, 0);
    EXPECT_TRUE(TCuteButton::DispatchDialogChar(&second, u'9'));
    EXPECT_EQ(foreignClicks, 1);
}

// ---------------------------------------------------------------- held keys

struct HeldCase {
    const char* name;
    bool onePress;
    bool onCombo; // else on the button under test, or on the other button
    bool onOther;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    QString text;
    int clicksWhileHeld; // after the press, four repeats and the release
};
class HeldKey : public ButtonInput, public ::testing::WithParamInterface<HeldCase> {};

TEST_P(HeldKey, RepeatsClickOnlyWithoutOnePressOneClick) {
    const HeldCase& c = GetParam();
    btn->SetOnePressOneClick(c.onePress);
    focus(c.onCombo ? static_cast<QWidget*>(combo) : c.onOther ? other.data() : btn.data());
    // Sent where Qt delivers keys: the focus widget (the combo's line edit).
    QWidget* target = QApplication::focusWidget();
    auto hold = [&] {
        sendKey(target, QEvent::KeyPress, c.key, c.text, false, c.mods);
        for (int i = 0; i < 4; ++i) {
            sendKey(target, QEvent::KeyRelease, c.key, c.text, true, c.mods);
            sendKey(target, QEvent::KeyPress, c.key, c.text, true, c.mods);
        }
        sendKey(target, QEvent::KeyRelease, c.key, c.text, false, c.mods);
    };
    hold();
    EXPECT_EQ(clicks, c.clicksWhileHeld) << c.name;
    EXPECT_EQ(btn->BevelOuter(), bvRaised) << c.name; // not left pressed by a repeat
    // The next press is a press of its own.
    hold();
    EXPECT_EQ(clicks, 2 * c.clicksWhileHeld) << c.name;
    EXPECT_EQ(otherClicks, 0) << c.name;
    EXPECT_EQ(combo->currentText(), QString()) << c.name; // no repeat was typed
}

const QString kCr = QStringLiteral("\r"), kSpace = QStringLiteral(" "), kOne = QStringLiteral("1");

INSTANTIATE_TEST_SUITE_P(
    Cases, HeldKey,
    ::testing::Values(
        HeldCase{"enter repeats", false, false, false, Qt::Key_Return, {}, kCr, 5},
        HeldCase{"enter once", true, false, false, Qt::Key_Return, {}, kCr, 1},
        HeldCase{"space clicks on release", false, false, false, Qt::Key_Space, {}, kSpace, 1},
        HeldCase{"space once", true, false, false, Qt::Key_Space, {}, kSpace, 1},
        HeldCase{"accelerator on itself repeats", false, false, false, Qt::Key_1, {}, kOne, 5},
        HeldCase{"accelerator on itself once", true, false, false, Qt::Key_1, {}, kOne, 1},
        HeldCase{"accelerator on another repeats", false, false, true, Qt::Key_1, {}, kOne, 5},
        HeldCase{"accelerator on another once", true, false, true, Qt::Key_1, {}, kOne, 1},
        HeldCase{"alt accelerator repeats", false, true, false, Qt::Key_1, Qt::AltModifier, kOne,
                 5},
        HeldCase{"alt accelerator once", true, true, false, Qt::Key_1, Qt::AltModifier, kOne, 1}),
    NameOfCase());

TEST_F(ButtonInput, RepeatTakenWithoutAClickIsNotOfferedToTheNextButton) {
    btn->SetOnePressOneClick(true);
    other->SetCaption(QStringLiteral("&1"));
    focus(other);
    sendKey(other, QEvent::KeyPress, Qt::Key_1, QStringLiteral("1"), false);
    sendKey(other, QEvent::KeyPress, Qt::Key_1, QStringLiteral("1"), true);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(otherClicks, 0);
}

// ---------------------------------------------------------------- EgnoreContClick

class PiledClicks : public ButtonInput, public ::testing::WithParamInterface<bool> {};

TEST_P(PiledClicks, PressesDuringTheHandlerAreDroppedOnlyWhenIgnoring) {
    const bool ignoring = GetParam();
    btn->SetEgnoreContClick(ignoring);
    int otherDuringHandler = -1;
    btn->OnClick = [&](QObject*) {
        ++clicks;
        if (clicks > 1) return;
        // The operator presses this button twice and the other one once
        // while the handler is still busy.
        for (QWidget* target :
             {static_cast<QWidget*>(btn.data()), static_cast<QWidget*>(btn.data()),
              static_cast<QWidget*>(other.data())}) {
            const QPointF p(5, 5);
            QCoreApplication::postEvent(
                target, new QMouseEvent(QEvent::MouseButtonPress, p, target->mapToGlobal(p),
                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(
                target, new QMouseEvent(QEvent::MouseButtonRelease, p, target->mapToGlobal(p),
                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        }
        otherDuringHandler = otherClicks;
    };
    focus(btn);
    keyClick(Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(otherDuringHandler, 0);
    EXPECT_EQ(otherClicks, 1); // other controls are served either way
    EXPECT_EQ(clicks, ignoring ? 1 : 3);
    // The handler is back in place for the next click.
    ASSERT_TRUE(static_cast<bool>(btn->OnClick));
    focus(btn); // the presses on the other button took the focus there
    keyClick(Qt::Key_Return);
    EXPECT_EQ(clicks, ignoring ? 2 : 4);
}

INSTANTIATE_TEST_SUITE_P(Modes, PiledClicks, ::testing::Bool());

TEST_F(ButtonInput, ErrorInAClickHandlerGoesToTheErrorReport) {
    ScopedMessageRecorder rec;
    btn->OnClick = [](QObject*) { throw Exception(QStringLiteral("broken")); };
    btn->SetEgnoreContClick(true);
    click(btn, {10, 10});
    ASSERT_EQ(rec.Records().size(), 1);
    EXPECT_EQ(rec.Records()[0].text, QStringLiteral("broken"));
    EXPECT_TRUE(static_cast<bool>(btn->OnClick)); // restored after the error
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
}

// ---------------------------------------------------------------- drop-down

class DropDown : public ButtonInput {
protected:
    void SetUp() override {
        ButtonInput::SetUp();
        menu = new TPopupMenu(window.get());
        menu->Add(QStringLiteral("Item1"), QStringLiteral("&Item"));
        btn->SetDropDownMenu(menu);
        TPopupMenu::PopupHook() = [this](TPopupMenu* m, QPoint at) {
            ++popups;
            popupMenu = m;
            popupAt = at;
            inDropDownDuringPopup = btn->InDropDown();
            lookDuringPopup = btn->BevelOuter();
            if (onPopup) onPopup();
        };
    }
    QPointer<TPopupMenu> menu;
    int popups = 0;
    TPopupMenu* popupMenu = nullptr;
    QPoint popupAt;
    bool inDropDownDuringPopup = false;
    TBevelCut lookDuringPopup = bvSpace;
    std::function<void()> onPopup;
};

TEST_F(DropDown, ImmediateMenuOnLeftPressShowsBelowAndGivesNoClick) {
    press(btn, {10, 10});
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(popupMenu, menu.data());
    EXPECT_EQ(popupAt, btn->mapToGlobal(QPoint(0, btn->height())));
    EXPECT_TRUE(inDropDownDuringPopup);
    EXPECT_EQ(lookDuringPopup, bvLowered);
    EXPECT_FALSE(btn->InDropDown());
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
    release(btn, {10, 10});
    EXPECT_EQ(clicks, 0);
}

TEST_F(DropDown, ImmediateMenuOnSpaceGivesNoClick) {
    focus(btn);
    keyPress(Qt::Key_Space);
    EXPECT_EQ(popups, 1);
    EXPECT_FALSE(btn->SpacePressed());
    EXPECT_FALSE(btn->InDropDown());
    keyRelease(Qt::Key_Space);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
}

TEST_F(DropDown, EnterAndAcceleratorOpenTheMenuWhenImmediate) {
    focus(btn);
    keyClick(Qt::Key_Return);
    EXPECT_EQ(popups, 1);
    focus(other);
    keyClick(Qt::Key_1);
    EXPECT_EQ(popups, 2);
    EXPECT_EQ(clicks, 0);
    // With a hold delay they click instead.
    btn->SetDropDownDelay(200);
    keyClick(Qt::Key_1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(popups, 2);
}

struct HoldCase {
    const char* name;
    int holdMs;
    bool useSpace;
    int expectedPopups, expectedClicks;
};
class HoldDelay : public DropDown, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(HoldDelay, ShortPressClicksLongPressOpensTheMenu) {
    const HoldCase& c = GetParam();
    btn->SetDropDownDelay(60);
    focus(btn);
    if (c.useSpace)
        keyPress(Qt::Key_Space);
    else
        press(btn, {10, 10});
    QPointer<TCuteButtonTimer> timer = btn->DropDownTimer();
    ASSERT_NE(timer, nullptr) << c.name;
    EXPECT_EQ(timer->FCuteButton, btn.data());
    EXPECT_EQ(timer->interval(), 60);
    if (c.holdMs > 0) QTest::qWait(c.holdMs);
    if (c.useSpace)
        keyRelease(Qt::Key_Space);
    else
        release(btn, {10, 10});
    EXPECT_EQ(popups, c.expectedPopups) << c.name;
    EXPECT_EQ(clicks, c.expectedClicks) << c.name;
    EXPECT_EQ(btn->DropDownTimer(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(timer.isNull()) << "the timer is freed once it is done";
    EXPECT_EQ(btn->BevelOuter(), bvRaised);
}

INSTANTIATE_TEST_SUITE_P(Cases, HoldDelay,
                         ::testing::Values(HoldCase{"short mouse", 0, false, 0, 1},
                                           HoldCase{"long mouse", 250, false, 1, 0},
                                           HoldCase{"short space", 0, true, 0, 1},
                                           HoldCase{"long space", 250, true, 1, 0}),
                         NameOfCase());

TEST_F(DropDown, SecondStartWhileTheTimerRunsKeepsTheFirstTimer) {
    btn->SetDropDownDelay(5000);
    press(btn, {10, 10});
    TCuteButtonTimer* first = btn->DropDownTimer();
    ASSERT_NE(first, nullptr);
    btn->StartDropDown();
    EXPECT_EQ(btn->DropDownTimer(), first);
    release(btn, {10, 10});
    EXPECT_EQ(clicks, 1);
}

TEST_F(DropDown, MenuDestroyedWhileReferencedIsForgotten) {
    delete menu.data();
    EXPECT_EQ(btn->DropDownMenu(), nullptr);
    click(btn, {10, 10});
    EXPECT_EQ(popups, 0);
    EXPECT_EQ(clicks, 1);
    btn->DoDropDown(); // nothing to show: nothing happens
    EXPECT_FALSE(btn->InDropDown());
}

TEST_F(DropDown, MenuDestroyedWhileShownLeavesTheButtonWorking) {
    onPopup = [this] { delete menu.data(); };
    press(btn, {10, 10});
    release(btn, {10, 10});
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(btn->DropDownMenu(), nullptr);
    EXPECT_FALSE(btn->InDropDown());
    click(btn, {10, 10});
    EXPECT_EQ(clicks, 1);
}

TEST_F(DropDown, ClickWhileTheMenuIsShownIsSwallowed) {
    onPopup = [this] { btn->Click(); };
    press(btn, {10, 10});
    release(btn, {10, 10});
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(btn->InDropDown());
}

// ---------------------------------------------------------------- deletion

struct DeleteCase {
    const char* name;
    bool ignoreContClick;
    std::function<void(ButtonInput&)> trigger;
};

class DeletedInHandler : public ButtonInput, public ::testing::WithParamInterface<DeleteCase> {
public:
    void Press(QPoint p) { press(btn, p); }
    void Release(QPoint p) { release(btn, p); }
    void Key(Qt::Key k, bool down) { down ? keyPress(k) : keyRelease(k); }
    void FocusOther() { focus(other); }
};

TEST_P(DeletedInHandler, ButtonDeletedInsideItsOwnClickHandler) {
    const DeleteCase& c = GetParam();
    btn->SetEgnoreContClick(c.ignoreContClick);
    btn->OnClick = [this](QObject* sender) {
        ++clicks;
        delete sender;
    };
    focus(btn);
    c.trigger(*this);
    EXPECT_EQ(clicks, 1) << c.name;
    EXPECT_TRUE(btn.isNull()) << c.name;
    // The window and the other controls go on working.
    click(other, {5, 5});
    EXPECT_EQ(otherClicks, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Triggers, DeletedInHandler,
    ::testing::Values(DeleteCase{"mouse", false,
                                 [](ButtonInput& t) {
                                     auto& d = static_cast<DeletedInHandler&>(t);
                                     d.Press({10, 10});
                                     d.Release({10, 10});
                                 }},
                      DeleteCase{"mouse ignoring", true,
                                 [](ButtonInput& t) {
                                     auto& d = static_cast<DeletedInHandler&>(t);
                                     d.Press({10, 10});
                                     d.Release({10, 10});
                                 }},
                      DeleteCase{"enter", false,
                                 [](ButtonInput& t) {
                                     auto& d = static_cast<DeletedInHandler&>(t);
                                     d.Key(Qt::Key_Return, true);
                                 }},
                      DeleteCase{"space", true,
                                 [](ButtonInput& t) {
                                     auto& d = static_cast<DeletedInHandler&>(t);
                                     d.Key(Qt::Key_Space, true);
                                     d.Key(Qt::Key_Space, false);
                                 }},
                      DeleteCase{"accelerator", true,
                                 [](ButtonInput& t) {
                                     auto& d = static_cast<DeletedInHandler&>(t);
                                     d.FocusOther();
                                     d.Key(Qt::Key_1, true);
                                 }}),
    NameOfCase());

// Every other handler the button calls out to may delete it too; the button
// must touch nothing of itself afterwards (the sanitizer build sees any use).
TEST_F(ButtonInput, ButtonDeletedInsideItsOtherHandlers) {
    using Bind = std::function<void(TCuteButton*, std::function<void(QObject*)>)>;
    struct Case {
        const char* name;
        Bind bind;
        std::function<void()> trigger;
    };
    const Case cases[] = {
        {"key down",
         [](TCuteButton* b, auto del) {
             b->OnKeyDown = [del](QObject* s, int&, TShiftState) { del(s); };
         },
         [this] { keyPress(Qt::Key_Return); }},
        {"key up",
         [](TCuteButton* b, auto del) {
             b->OnKeyUp = [del](QObject* s, int&, TShiftState) { del(s); };
         },
         [this] {
             keyPress(Qt::Key_Space);
             keyRelease(Qt::Key_Space);
         }},
        {"key press",
         [](TCuteButton* b, auto del) { b->OnKeyPress = [del](QObject* s, QChar&) { del(s); }; },
         [this] { keyPress(Qt::Key_A); }},
        {"mouse down",
         [](TCuteButton* b, auto del) {
             b->OnMouseDown = [del](QObject* s, TMouseButton, TShiftState, int, int) { del(s); };
         },
         [this] {
             press(btn, {10, 10});
         }},
        {"mouse up",
         [](TCuteButton* b, auto del) {
             b->OnMouseUp = [del](QObject* s, TMouseButton, TShiftState, int, int) { del(s); };
         },
         [this] {
             press(btn, {10, 10});
             release(btn, {10, 10});
         }},
        {"exit", [](TCuteButton* b, auto del) { b->OnExit = del; }, [this] { focus(other); }},
    };
    for (const Case& c : cases) {
        SetUp();
        int calls = 0;
        c.bind(btn, [&calls](QObject* s) {
            ++calls;
            delete s;
        });
        focus(btn);
        c.trigger();
        EXPECT_EQ(calls, 1) << c.name;
        EXPECT_TRUE(btn.isNull()) << c.name;
        click(other, {5, 5});
        EXPECT_EQ(otherClicks, 1) << c.name;
        otherClicks = 0;
        TearDown();
    }
}

TEST_F(DropDown, ButtonDeletedWhileItsMenuIsShown) {
    onPopup = [this] { delete btn.data(); };
    press(btn, {10, 10});
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(btn.isNull());
    release(other, {5, 5});
    click(other, {5, 5});
    EXPECT_EQ(otherClicks, 1);
}

} // namespace
