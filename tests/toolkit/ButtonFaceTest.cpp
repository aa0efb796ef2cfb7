#include "ButtonFace.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr TColor kFace = col::rgb(0xDD, 0xE1, 0xBB);
constexpr TColor kHighlight = col::rgb(255, 255, 0);
constexpr TColor kShadow = col::rgb(0, 0, 128);

TButtonFace face75x25() {
    TButtonFace f;
    f.Client = {0, 0, 75, 25};
    f.Brush = {kFace, bsSolid};
    f.HighlightColor = kHighlight;
    f.ShadowColor = kShadow;
    f.Font = TFont(QStringLiteral("Liberation Sans"), -16, clBlack, fsBold);
    return f;
}

QImage paint(const TButtonFace& f) {
    QImage img(f.Client.Right, f.Client.Bottom, QImage::Format_RGB32);
    img.fill(Qt::magenta); // anything left unpainted stands out
    QPainter p(&img);
    TCanvas canvas(&p);
    DrawButtonFace(canvas, f);
    p.end();
    return img;
}

int countColour(const QImage& img, TColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == ToQColor(c)) ++n;
    return n;
}

TEST(ButtonFace, CaptionRectangleOfInsetMarginsAndPress) {
    // What each case changes from the defaults; the client area is 75 x 25.
    struct Case {
        const char* Name;
        TButtonFace Face;
        TRect Expected;
    };
    const Case cases[] = {
        {"plain", {}, {2, 2, 73, 23}},
        {"flat", {.Outer = bvRaised, .Flat = true}, {1, 1, 74, 24}},
        {"wide bevel", {.BevelWidth = 2}, {4, 4, 71, 21}},
        {"left margin", {.MarginX = 5, .MarginY = 3, .Alignment = taLeftJustify}, {7, 2, 73, 23}},
        {"right margin, top",
         {.MarginX = 5, .MarginY = 3, .Alignment = taRightJustify, .Layout = tlTop},
         {2, 5, 68, 23}},
        {"centred, bottom", {.MarginX = 5, .MarginY = 3, .Layout = tlBottom}, {2, 2, 73, 20}},
        {"zero margins",
         {.MarginX = 0, .MarginY = 0, .Alignment = taLeftJustify, .Layout = tlTop},
         {2, 2, 73, 23}},
        {"pressed", {.Outer = bvLowered}, {4, 4, 73, 23}},
        {"pressed flat",
         {.Outer = bvLowered, .Flat = true, .MarginX = 5, .Alignment = taLeftJustify},
         {8, 3, 74, 24}},
    };
    for (const Case& c : cases) {
        TButtonFace f = c.Face;
        f.Client = {0, 0, 75, 25};
        EXPECT_EQ(ButtonCaptionRect(f), c.Expected) << c.Name;
    }
    TButtonFace f = face75x25();
    f.Alignment = taRightJustify;
    f.Layout = tlBottom;
    EXPECT_EQ(ButtonCaptionFlags(f), DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    f.Alignment = taLeftJustify;
    f.Layout = tlTop;
    EXPECT_EQ(ButtonCaptionFlags(f), uint32_t(DT_SINGLELINE));
}

TEST(ButtonFace, DisabledFaceIsEtchedAndTakesTheDisabledColourOnlyWhenAsked) {
    TButtonFace f = face75x25();
    f.Caption = QStringLiteral("LAP");
    const QImage enabled = paint(f);
    EXPECT_GT(countColour(enabled, clBlack), 0);
    EXPECT_EQ(enabled.pixelColor(5, 3), ToQColor(kFace));

    f.Enabled = false;
    const QImage etched = paint(f);
    EXPECT_EQ(countColour(etched, clBlack), 0) << "a disabled caption ignores the font colour";
    EXPECT_GT(countColour(etched, clBtnShadow), 0);
    EXPECT_GT(countColour(etched, clBtnHighlight), 0);
    EXPECT_EQ(etched.pixelColor(5, 3), ToQColor(kFace));

    f.UseDisabledColor = true;
    f.DisabledColor = clPurple;
    const QImage grey = paint(f);
    EXPECT_EQ(grey.pixelColor(5, 3), ToQColor(clPurple));
    EXPECT_EQ(grey.pixelColor(0, 0), ToQColor(kHighlight)) << "the bevel keeps its colours";
    EXPECT_EQ(countColour(grey, clFuchsia), 0);
}

TEST(ButtonFace, FocusRectangleOnlyWhenShownAndFocused) {
    TButtonFace f = face75x25();
    const QImage plain = paint(f);
    f.Focused = true;
    EXPECT_EQ(paint(f), plain) << "focus alone draws nothing";
    f.ShowFocusRect = true;
    f.Focused = false;
    EXPECT_EQ(paint(f), plain);
    f.Focused = true;
    const QImage focused = paint(f);
    // Dotted, two pixels inside the caption rectangle {2, 2, 73, 23}.
    EXPECT_NE(focused.pixel(4, 4), plain.pixel(4, 4));
    EXPECT_EQ(focused.pixel(3, 4), plain.pixel(3, 4));
    EXPECT_EQ(focused.pixel(5, 5), plain.pixel(5, 5));
}

} // namespace
