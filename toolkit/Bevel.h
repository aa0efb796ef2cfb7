#pragma once
#include "Rect.h"
#include "TColor.h"

class TCanvas;

// One bevel of a panel, in the order of their stored values.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Draws a bevel frame of `width` one-pixel rings on r with the top-left edges
// in `topLeft` and the bottom-right edges in `bottomRight`, and shrinks r by
// `width` on every side.
void BevelFrame(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width);
