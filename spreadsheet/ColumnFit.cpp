#include "ColumnFit.h"

#include <QFont>
#include <algorithm>
#include <cmath>

namespace Sheet {

namespace {
constexpr int DotsPerMeter96 = 3780; // 96 dpi
} // namespace

TColumnFitter::TColumnFitter() : FDevice(1, 1, QImage::Format_RGB32) {
    FDevice.setDotsPerMeterX(DotsPerMeter96);
    FDevice.setDotsPerMeterY(DotsPerMeter96);
}

TColumnFitter::Measure& TColumnFitter::measureFor(const TCellFont& font) {
    // Cells mostly share one font: the last one is checked field by field,
    // without building its key.
    if (FLast && FLastFont.Name == font.Name && FLastFont.Size == font.Size &&
        FLastFont.Bold == font.Bold && FLastFont.Italic == font.Italic)
        return *FLast;
    const QString key = font.Name + u'|' + QString::number(font.Size) + u'|' +
                        QChar(u'0' + font.Bold) + QChar(u'0' + font.Italic);
    std::shared_ptr<Measure>& m = FMeasures[key];
    if (!m) {
        m = std::make_shared<Measure>();
        QFont f(font.Name);
        f.setPointSizeF(font.Size);
        f.setBold(font.Bold);
        f.setItalic(font.Italic);
        m->metrics = std::make_unique<QFontMetricsF>(f, &FDevice);
        for (int c = 0; c < 128; ++c)
            m->ascii[c] = m->metrics->horizontalAdvance(QChar(c));
    }
    FLastFont = font;
    FLast = m.get();
    return *m;
}

double TColumnFitter::TextWidth(const TCellFont& font, QStringView text) {
    Measure& m = measureFor(font);
    double w = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 128) {
            w += m.ascii[c];
            continue;
        }
        char32_t cp = c;
        qsizetype len = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            cp = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            len = 2;
        }
        auto it = m.other.constFind(cp);
        if (it == m.other.constEnd())
            it = m.other.insert(cp, m.metrics->horizontalAdvance(text.mid(i, len).toString()));
        w += *it;
        i += len - 1;
    }
    return w;
}

int TColumnFitter::ColumnPixels(double textWidth) {
    // 3 pixels of margin on each side and the grid line, plus a twentieth for
    // a viewer that renders the same face a little wider.
    const int px = int(std::ceil(textWidth * 1.05)) + 7;
    return std::clamp(px, 1, 1790); // 255 characters, the format's widest column
}

} // namespace Sheet
