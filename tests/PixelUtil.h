#pragma once
// Reading rendered widgets back pixel by pixel.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <vector>

// Bounding box of the pixels inside `area` that are not `face`: where a
// caption or frame drew.
inline QRect inkBox(const QImage& img, const QColor& face, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) != face) box |= QRect(x, y, 1, 1);
    return box;
}

// How many pixels inside `area` are exactly `c`.
inline int countColour(const QImage& img, const QColor& c, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) == c) ++n;
    return n;
}

// The pixels where two images of the same size differ.
inline std::vector<QPoint> diffPixels(const QImage& a, const QImage& b) {
    std::vector<QPoint> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) out.emplace_back(x, y);
    return out;
}
