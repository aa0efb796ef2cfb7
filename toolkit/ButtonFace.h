#pragma once
// The face of a push button, drawn from its state alone, so that the look is
// the same whichever control shows it and can be checked on an image.
#include "Alignment.h"
#include "Bevel.h"
#include "Canvas.h"
#include "Font.h"
#include "TColor.h"

#include <QString>
#include <cstdint>

struct TButtonFace {
    TRect Client{}; // the area painted, in canvas coordinates
    TBrush Brush{clBtnFace, bsSolid};
    TColor HighlightColor = clBtnHighlight, ShadowColor = clBtnShadow;
    TBevelCut Outer = bvNone, Inner = bvRaised; // Outer carries the look
    int BevelWidth = 1;
    bool Flat = false;
    int MarginX = -1, MarginY = -1; // -1: none
    TAlignment Alignment = taCenter;
    TTextLayout Layout = tlCenter;
    TFont Font{};
    QString Caption{}; // '&' marks the accelerator
    bool Enabled = true;
    bool UseDisabledColor = false;
    TColor DisabledColor = clGray;
    bool ShowFocusRect = false;
    bool Focused = false;
};

// The rectangle the caption is placed in: the client area inset by one bevel
// width when flat and by two otherwise (however many bevels are drawn), the
// margin of the edge the caption is aligned to, and two pixels right and down
// while pressed.
TRect ButtonCaptionRect(const TButtonFace& face);
// The text flags of the caption: one line placed by Alignment and Layout.
uint32_t ButtonCaptionFlags(const TButtonFace& face);

// Paints the whole face: fill, outer and inner bevel, caption (etched when
// disabled) and the focus rectangle.
void DrawButtonFace(TCanvas& canvas, const TButtonFace& face);
