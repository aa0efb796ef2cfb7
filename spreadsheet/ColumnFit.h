#pragma once
#include "CellFont.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <memory>

namespace Sheet {

// Measures cell texts as a spreadsheet lays them out at 96 dpi, so that a
// fitted column shows its widest text whole.
class TColumnFitter {
public:
    TColumnFitter();
    // Width in pixels of the text in the font: the sum of the characters'
    // advances, which is never less than the shaped text (kerning only
    // narrows it), and costs a table lookup per character.
    double TextWidth(const TCellFont& font, QStringView text);
    // Column width in pixels that shows a text of the given width with the
    // cell's margins on both sides.
    static int ColumnPixels(double textWidth);

private:
    struct Measure {
        std::unique_ptr<QFontMetricsF> metrics;
        double ascii[128];
        QHash<char32_t, double> other;
    };
    Measure& measureFor(const TCellFont& font);
    QImage FDevice; // only its resolution is used
    QHash<QString, std::shared_ptr<Measure>> FMeasures;
    TCellFont FLastFont;
    Measure* FLast = nullptr;
};

} // namespace Sheet
