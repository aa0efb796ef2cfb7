#include "Panel.h"
#include "PixelUtil.h"
#include "TestUtil.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr TColor kFace = col::rgb(0xE2, 0xEA, 0xDD);

// A white image of `size` with a red and blue frame of `width` drawn round
// its edge; `r` ends as BevelFrame leaves the rectangle it was given.
QImage framedImage(QSize size, int width, TRect& r) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    r = TRect{0, 0, size.width(), size.height()};
    {
        QPainter p(&img);
        TCanvas c(&p);
        BevelFrame(c, r, clRed, clBlue, width);
    }
    return img;
}

TEST(BevelFrame, RingsShrinkTheRectangleAndCornersGoToTheSecondColour) {
    TRect r;
    const QImage img = framedImage(QSize(10, 8), 2, r);
    EXPECT_EQ(r, (TRect{2, 2, 8, 6}));
    const QColor red = ToQColor(clRed), blue = ToQColor(clBlue), white(Qt::white);
    struct P {
        int x, y;
        QColor c;
    };
    const std::vector<P> probes = {{0, 0, red},   {0, 6, red},  {8, 0, red},  {1, 1, red},
                                   {1, 5, red},   {7, 1, red},  {9, 0, blue}, {0, 7, blue},
                                   {9, 7, blue},  {8, 6, blue}, {8, 1, blue}, {1, 6, blue},
                                   {2, 2, white}, {7, 5, white}};
    for (const P& p : probes)
        EXPECT_EQ(img.pixelColor(p.x, p.y), p.c) << p.x << "," << p.y;
}

TEST(BevelFrame, ZeroWidthDrawsNothingAndKeepsTheRectangle) {
    TRect r;
    const QImage img = framedImage(QSize(6, 6), 0, r);
    EXPECT_EQ(r, (TRect{0, 0, 6, 6}));
    EXPECT_EQ(inkBox(img, Qt::white, img.rect()), QRect());
}

TEST(CustomPanel, Defaults) {
    TCustomPanel p;
    EXPECT_EQ(p.size(), QSize(185, 41));
    EXPECT_EQ(p.Alignment(), taCenter);
    EXPECT_EQ(p.BevelOuter(), bvRaised);
    EXPECT_EQ(p.BevelInner(), bvNone);
    EXPECT_EQ(p.BevelWidth(), 1);
    EXPECT_EQ(p.BorderWidth(), 0);
    EXPECT_EQ(p.BorderStyle(), bsNone);
    EXPECT_EQ(p.Color(), clBtnFace);
    EXPECT_EQ(p.Brush().Color, clBtnFace);
    EXPECT_EQ(p.ClientRect(), TRect::FromQRect(p.rect()));
}

enum Role { Hi, Sh, Face, DkSh, Light };
struct Probe {
    int x, y;
    Role role;
};
struct PanelCase {
    const char* name;
    TBevelCut outer, inner;
    int bevelWidth, borderWidth;
    TBorderStyle border;
    std::vector<Probe> probes;
};
class PanelLook : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelLook, FramesInOrderOuterBorderInner) {
    const PanelCase& c = GetParam();
    TCustomPanel p;
    p.resize(40, 20);
    p.SetColor(kFace);
    p.SetBevelOuter(c.outer);
    p.SetBevelInner(c.inner);
    p.SetBevelWidth(c.bevelWidth);
    p.SetBorderWidth(c.borderWidth);
    p.SetBorderStyle(c.border);
    const QImage img = p.Render();
    ASSERT_EQ(img.size(), p.size());
    for (const Probe& pr : c.probes) {
        const TColor want = pr.role == Hi      ? clBtnHighlight
                            : pr.role == Sh    ? clBtnShadow
                            : pr.role == DkSh  ? cl3DDkShadow
                            : pr.role == Light ? cl3DLight
                                               : kFace;
        EXPECT_EQ(img.pixelColor(pr.x, pr.y), ToQColor(want))
            << c.name << " " << pr.x << "," << pr.y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelLook,
    ::testing::Values(
        PanelCase("raised", bvRaised, bvNone, 1, 0, bsNone,
                  {Probe{0, 0, Hi}, Probe{39, 19, Sh}, Probe{1, 1, Face}}),
        PanelCase("lowered", bvLowered, bvNone, 1, 0, bsNone,
                  {Probe{0, 0, Sh}, Probe{39, 19, Hi}, Probe{1, 1, Face}}),
        PanelCase("none", bvNone, bvNone, 1, 0, bsNone, {Probe{0, 0, Face}, Probe{39, 19, Face}}),
        // The panel draws any cut but none, a space like a raised one.
        PanelCase("space", bvSpace, bvNone, 1, 0, bsNone,
                  {Probe{0, 0, Hi}, Probe{39, 19, Sh}, Probe{1, 1, Face}}),
        PanelCase("raised then lowered", bvRaised, bvLowered, 1, 0, bsNone,
                  {Probe{0, 0, Hi}, Probe{1, 1, Sh}, Probe{38, 18, Hi}, Probe{2, 2, Face}}),
        PanelCase("border between the bevels", bvRaised, bvLowered, 1, 2, bsNone,
                  {Probe{0, 0, Hi}, Probe{1, 1, Face}, Probe{2, 2, Face}, Probe{3, 3, Sh},
                   Probe{36, 16, Hi}, Probe{4, 4, Face}}),
        PanelCase("wide bevel", bvLowered, bvNone, 3, 0, bsNone,
                  {Probe{2, 2, Sh}, Probe{37, 17, Hi}, Probe{3, 3, Face}}),
        PanelCase("single border", bvRaised, bvNone, 1, 0, bsSingle,
                  {Probe{0, 0, Sh}, Probe{1, 1, DkSh}, Probe{39, 19, Hi}, Probe{38, 18, Light},
                   Probe{2, 2, Hi}, Probe{37, 17, Sh}, Probe{3, 3, Face}})),
    NameOfCase());

TEST(CustomPanel, SingleBorderShrinksTheClientArea) {
    TCustomPanel p;
    p.resize(50, 30);
    p.SetBorderStyle(bsSingle);
    EXPECT_EQ(p.ClientRect(), (TRect{2, 2, 48, 28}));
    p.SetBorderStyle(bsNone);
    EXPECT_EQ(p.ClientRect(), (TRect{0, 0, 50, 30}));
}

TEST(CustomPanel, CaptionFollowsAlignment) {
    TCustomPanel p;
    p.resize(160, 40);
    p.SetColor(kFace);
    p.SetBevelOuter(bvNone);
    p.Font() = TFont(QStringLiteral("DejaVu Sans"), -14, clBlack);
    p.SetCaption(QStringLiteral("Mid"));
    std::vector<QRect> boxes;
    for (TAlignment a : {taLeftJustify, taCenter, taRightJustify}) {
        p.SetAlignment(a);
        boxes.push_back(inkBox(p.Render(), ToQColor(kFace), p.rect()));
        ASSERT_FALSE(boxes.back().isEmpty());
    }
    EXPECT_LE(boxes[0].left(), 3);
    EXPECT_GE(boxes[2].right(), 160 - 4);
    const int mid = (boxes[1].left() + boxes[1].right()) / 2;
    EXPECT_NEAR(mid, 80, 3);
    for (const QRect& b : boxes)
        EXPECT_NEAR((b.top() + b.bottom()) / 2, 20, 4);
}

class CountingPanel : public TCustomPanel {
public:
    int Paints = 0;

protected:
    void Paint(TCanvas& canvas) override {
        ++Paints;
        TCustomPanel::Paint(canvas);
    }
};

TEST(CustomPanel, ChangesRepaintAndEqualValuesDoNot) {
    CountingPanel p;
    p.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    QCoreApplication::processEvents();
    auto paintsAfter = [&](const std::function<void()>& change) {
        const int before = p.Paints;
        change();
        QCoreApplication::processEvents();
        return p.Paints - before;
    };
    EXPECT_GT(paintsAfter([&] { p.Font().SetColor(clRed); }), 0);
    EXPECT_EQ(paintsAfter([&] { p.Font().SetColor(clRed); }), 0);
    EXPECT_GT(paintsAfter([&] { p.SetFont(TFont(QStringLiteral("DejaVu Serif"), -20, clRed)); }),
              0);
    EXPECT_GT(paintsAfter([&] { p.SetCaption(QStringLiteral("x")); }), 0);
    EXPECT_EQ(paintsAfter([&] { p.SetCaption(QStringLiteral("x")); }), 0);
    EXPECT_GT(paintsAfter([&] { p.SetColor(clAqua); }), 0);
    EXPECT_EQ(paintsAfter([&] { p.SetColor(clAqua); }), 0);
    EXPECT_GT(paintsAfter([&] { p.SetBevelOuter(bvLowered); }), 0);
    EXPECT_EQ(paintsAfter([&] { p.SetBevelOuter(bvLowered); }), 0);
    EXPECT_GT(paintsAfter([&] { p.setEnabled(false); }), 0);
}

TEST(CustomPanel, ColourCarriesTheBrushAndBrushChangesAlone) {
    TCustomPanel p;
    p.SetColor(clTeal);
    EXPECT_EQ(p.Brush().Color, clTeal);
    p.SetBrush(TBrush{clYellow, bsSolid});
    EXPECT_EQ(p.Brush().Color, clYellow);
    EXPECT_EQ(p.Color(), clTeal);
    p.SetBevelOuter(bvNone);
    EXPECT_EQ(p.Render().pixelColor(3, 3), ToQColor(clYellow));
    p.SetColor(clTeal); // same colour, but the brush follows it again
    EXPECT_EQ(p.Brush().Color, clTeal);
}

TEST(CustomPanel, BevelWidthIsAtLeastOne) {
    TCustomPanel p;
    for (int v : {0, -3}) {
        p.SetBevelWidth(v);
        EXPECT_EQ(p.BevelWidth(), 1);
    }
    p.SetBorderWidth(-2);
    EXPECT_EQ(p.BorderWidth(), 0);
}

TEST(CustomPanel, HintIsTheTooltip) {
    TCustomPanel p;
    p.SetHint(QStringLiteral("Push only auto CSV save"));
    EXPECT_EQ(p.toolTip(), QStringLiteral("Push only auto CSV save"));
    EXPECT_EQ(p.Hint(), p.toolTip());
}

TEST(CustomPanel, RenderPaintsEveryPixel) {
    TCustomPanel p;
    p.resize(30, 12);
    p.SetBorderStyle(bsSingle);
    const QImage img = p.Render();
    EXPECT_EQ(inkBox(img, QColor(Qt::magenta), img.rect()), img.rect());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_NE(img.pixelColor(x, y), QColor(Qt::magenta));
}

} // namespace
