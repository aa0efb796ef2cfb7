#pragma once
#include <cstdlib>

// The pixels of a one-pixel line from (x0, y0) to (x1, y1), in order, by
// Bresenham's rule. Every line drawing of one pixel width steps through this
// one walk, so that a line drawn by the canvas and the same line written
// straight into an image reach the same pixels.
class TLineSteps {
public:
    TLineSteps(int x0, int y0, int x1, int y1)
        : FDx(std::abs(x1 - x0)), FDy(-std::abs(y1 - y0)), FSx(x0 < x1 ? 1 : -1),
          FSy(y0 < y1 ? 1 : -1), FErr(FDx + FDy), FX(x0), FY(y0), FX1(x1), FY1(y1) {}

    int X() const { return FX; }
    int Y() const { return FY; }
    // How many steps were taken from the start (pen styles count them).
    int Step() const { return FStep; }
    // The current pixel is the end point.
    bool AtEnd() const { return FX == FX1 && FY == FY1; }
    void Next() {
        ++FStep;
        const int e2 = 2 * FErr;
        if (e2 >= FDy) {
            FErr += FDy;
            FX += FSx;
        }
        if (e2 <= FDx) {
            FErr += FDx;
            FY += FSy;
        }
    }

private:
    int FDx, FDy, FSx, FSy, FErr;
    int FX, FY;
    const int FX1, FY1;
    int FStep = 0;
};
