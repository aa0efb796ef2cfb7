#include "Bevel.h"

#include "Canvas.h"

void BevelFrame(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width) {
    // The pen paints the pixels of the last column and row inside r, so the
    // frame works on the inclusive corners and gives the edges back at the end.
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    r.Right -= 1;
    r.Bottom -= 1;
    for (int i = 0; i < width; ++i) {
        canvas.Pen.Color = topLeft;
        canvas.Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        canvas.Pen.Color = bottomRight;
        canvas.Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
        r.Inflate(-1, -1);
    }
    r.Right += 1;
    r.Bottom += 1;
}
