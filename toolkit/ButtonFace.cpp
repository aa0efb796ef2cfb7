#include "ButtonFace.h"

namespace {

// The face colour: the button's brush, or the disabled colour.
void fillFace(TCanvas& canvas, const TButtonFace& face) {
    canvas.Brush = face.Brush;
    if (face.UseDisabledColor && !face.Enabled) canvas.Brush.Color = face.DisabledColor;
    // Text leaves the face behind its glyphs alone.
    canvas.TransparentText = true;
    canvas.FillRect(face.Client);
}

void drawBevel(TCanvas& canvas, const TButtonFace& face, TBevelCut cut, TRect& r) {
    if (cut == bvRaised)
        BevelFrame(canvas, r, face.HighlightColor, face.ShadowColor, face.BevelWidth);
    else if (cut == bvLowered)
        BevelFrame(canvas, r, face.ShadowColor, face.HighlightColor, face.BevelWidth);
}

// Outer bevel (the look), then the inner one (not Flat) inside it.
void drawBevels(TCanvas& canvas, const TButtonFace& face) {
    TRect r = face.Client;
    drawBevel(canvas, face, face.Outer, r);
    drawBevel(canvas, face, face.Inner, r);
}

// Disabled: a highlight copy one pixel down-right under a shadow copy.
void drawCaption(TCanvas& canvas, const TButtonFace& face, TRect t, uint32_t flags) {
    canvas.Font = face.Font;
    if (!face.Enabled) {
        canvas.Font.Color = clBtnHighlight;
        t.Offset(1, 1);
        canvas.DrawText(face.Caption, t, flags);
        t.Offset(-1, -1);
        canvas.Font.Color = clBtnShadow;
    }
    canvas.DrawText(face.Caption, t, flags);
}

// Inside the caption rectangle.
void drawFocusRect(TCanvas& canvas, const TButtonFace& face, TRect t) {
    if (!face.ShowFocusRect || !face.Focused) return;
    t.Inflate(-2, -2);
    canvas.DrawFocusRect(t);
}

} // namespace

TRect ButtonCaptionRect(const TButtonFace& face) {
    TRect t = face.Client;
    const int inset = face.Flat ? face.BevelWidth : 2 * face.BevelWidth;
    t.Inflate(-inset, -inset);
    if (face.MarginX != -1) {
        if (face.Alignment == taLeftJustify)
            t.Left += face.MarginX;
        else if (face.Alignment == taRightJustify)
            t.Right -= face.MarginX;
    }
    if (face.MarginY != -1) {
        if (face.Layout == tlTop)
            t.Top += face.MarginY;
        else if (face.Layout == tlBottom)
            t.Bottom -= face.MarginY;
    }
    if (face.Outer == bvLowered) {
        t.Left += 2;
        t.Top += 2;
    }
    return t;
}

uint32_t ButtonCaptionFlags(const TButtonFace& face) {
    static const uint32_t halign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    static const uint32_t valign[] = {0 /* top */, DT_VCENTER, DT_BOTTOM};
    return halign[face.Alignment] | valign[face.Layout] | DT_SINGLELINE;
}

void DrawButtonFace(TCanvas& canvas, const TButtonFace& face) {
    fillFace(canvas, face);
    drawBevels(canvas, face);
    const TRect t = ButtonCaptionRect(face);
    drawCaption(canvas, face, t, ButtonCaptionFlags(face));
    drawFocusRect(canvas, face, t);
}
