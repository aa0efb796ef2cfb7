#include "Canvas.h"

#include "GlyphCache.h"
#include "LineSteps.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <cstdlib>

TCanvas::TCanvas(QPainter* painter) : FPainter(painter) {
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setRenderHint(QPainter::TextAntialiasing, true);
    QPaintDevice* device = FPainter->device();
    if (device && device->devType() == QInternal::Image && !FPainter->hasClipping())
        FWriter = TPixelWriter(*static_cast<QImage*>(device));
}

TCanvas::~TCanvas() {
    FPainter->restore();
}

bool TCanvas::direct() const {
    return FWriter.Valid() && FClipKnown && FPainter->hasClipping() == FClipped &&
           FPainter->deviceTransform().type() == QTransform::TxNone &&
           FPainter->compositionMode() == QPainter::CompositionMode_SourceOver &&
           FPainter->opacity() == 1.0;
}

void TCanvas::MoveTo(int x, int y) {
    FPenPos = QPoint(x, y);
}

namespace {
// Runs f with the step pattern of a pen style: which steps of a one-pixel
// line are drawn. A pattern restarts with every line.
template <class F> void WithPattern(TPenStyle style, F f) {
    switch (style) {
    case psDot:
        f([](int step) { return step % 2 == 0; });
        break;
    case psDash:
        f([](int step) { return step % 24 < 18; });
        break;
    case psDashDot:
        f([](int step) {
            const int m = step % 30;
            return m < 18 || (m >= 24 && m < 27);
        });
        break;
    default:
        f([](int) { return true; });
        break;
    }
}
} // namespace

void TCanvas::plotLine(int x0, int y0, int x1, int y1, bool includeLast) {
    if (Pen.Style == psClear) return;
    if (Pen.Width <= 1 && direct()) {
        const QRgb c = TPixelWriter::Word(Pen.Color);
        WithPattern(Pen.Style, [&](auto on) { FWriter.Line(x0, y0, x1, y1, includeLast, c, on); });
        return;
    }
    const QColor c = ToQColor(Pen.Color);
    if (Pen.Width > 1) {
        QPen p(c, Pen.Width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        FPainter->setPen(p);
        FPainter->drawLine(x0, y0, x1, y1);
        return;
    }
    // Bresenham, so that the end pixel can be left out exactly as the classic
    // line drawing does.
    std::vector<QPoint> pts;
    WithPattern(Pen.Style, [&](auto on) {
        for (TLineSteps line(x0, y0, x1, y1);; line.Next()) {
            const bool last = line.AtEnd();
            if (last && !includeLast) break;
            if (on(line.Step())) pts.emplace_back(line.X(), line.Y());
            if (last) break;
        }
    });
    if (pts.empty()) return;
    FPainter->setPen(QPen(c, 1));
    FPainter->drawPoints(pts.data(), static_cast<int>(pts.size()));
}

void TCanvas::LineTo(int x, int y) {
    plotLine(FPenPos.x(), FPenPos.y(), x, y, false);
    FPenPos = QPoint(x, y);
}

void TCanvas::Polyline(const std::vector<QPoint>& pts) {
    if (pts.size() < 2) return;
    for (size_t i = 1; i < pts.size(); ++i)
        plotLine(pts[i - 1].x(), pts[i - 1].y(), pts[i].x(), pts[i].y(), false);
}

void TCanvas::FillRect(const TRect& r) {
    if (Brush.Style == bsClear) return;
    FillRect(r, Brush.Color);
}

void TCanvas::FillRect(const TRect& r, TColor c) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    if (direct())
        FWriter.Fill(r.Left, r.Top, r.Right, r.Bottom, TPixelWriter::Word(c));
    else
        FPainter->fillRect(r.ToQRect(), ToQColor(c));
}

void TCanvas::Rectangle(const TRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    if (Brush.Style != bsClear) FillRect(r, Brush.Color);
    if (Pen.Style == psClear) return;
    const int w = Pen.Width > 1 ? Pen.Width : 1;
    FillRect(TRect{r.Left, r.Top, r.Right, r.Top + w}, Pen.Color);
    FillRect(TRect{r.Left, r.Bottom - w, r.Right, r.Bottom}, Pen.Color);
    FillRect(TRect{r.Left, r.Top, r.Left + w, r.Bottom}, Pen.Color);
    FillRect(TRect{r.Right - w, r.Top, r.Right, r.Bottom}, Pen.Color);
}

void TCanvas::FrameRect(const TRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    FillRect(TRect{r.Left, r.Top, r.Right, r.Top + 1}, Brush.Color);
    FillRect(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, Brush.Color);
    FillRect(TRect{r.Left, r.Top, r.Left + 1, r.Bottom}, Brush.Color);
    FillRect(TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, Brush.Color);
}

void TCanvas::DrawFocusRect(const TRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    std::vector<QPoint> pts;
    // Every other pixel along the frame, starting at the top-left corner.
    for (int x = r.Left; x < r.Right; x += 2)
        pts.emplace_back(x, r.Top);
    for (int x = r.Left + ((r.Height() - 1) % 2); x < r.Right; x += 2)
        pts.emplace_back(x, r.Bottom - 1);
    for (int y = r.Top + 2; y < r.Bottom - 1; y += 2)
        pts.emplace_back(r.Left, y);
    for (int y = r.Top + ((r.Width() - 1) % 2 == 0 ? 2 : 1); y < r.Bottom - 1; y += 2)
        pts.emplace_back(r.Right - 1, y);
    FPainter->save();
    if (FPainter->paintEngine() &&
        FPainter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        FPainter->setCompositionMode(QPainter::RasterOp_NotDestination);
        FPainter->setPen(QPen(Qt::black, 1));
    } else {
        FPainter->setPen(QPen(Qt::black, 1));
    }
    FPainter->drawPoints(pts.data(), static_cast<int>(pts.size()));
    FPainter->restore();
}

void TCanvas::Pixel(int x, int y, TColor c) {
    FillRect(TRect{x, y, x + 1, y + 1}, c);
}

PrefixText StripPrefix(const QString& caption) {
    PrefixText out;
    out.Text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (c == u'&' && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != u'&' && out.Underline < 0)
                out.Underline = static_cast<int>(out.Text.size());
            out.Text += caption[i];
        } else if (c == u'&') {
            // A trailing '&' shows nothing.
        } else {
            out.Text += c;
        }
    }
    return out;
}

QChar AccelChar(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return QChar();
}

std::vector<TextLine> LayoutLines(const QString& text, const QFont& font, int width,
                                  uint32_t flags) {
    std::vector<TextLine> lines;
    QFontMetrics fm(font);
    TGlyphCache& glyphs = TGlyphCache::For(font);
    auto pushWrapped = [&](const QString& para, int start) {
        if (!(flags & DT_WORDBREAK) || (flags & DT_SINGLELINE)) {
            lines.push_back({para, start});
            return;
        }
        int pos = 0;
        const int n = static_cast<int>(para.size());
        if (n == 0) {
            lines.push_back({QString(), start});
            return;
        }
        while (pos < n) {
            // Most texts fit whole: one measurement instead of one per
            // prefix (the clock labels are painted a hundred times a second).
            if (TextAdvance(fm, glyphs, para.mid(pos)) <= width) {
                lines.push_back({para.mid(pos), start + pos});
                return;
            }
            // Longest prefix that fits; break after the last blank in it.
            int end = pos;
            int lastBreak = -1;
            while (end < n) {
                if (TextAdvance(fm, glyphs, para.mid(pos, end - pos + 1)) > width && end > pos)
                    break;
                if (para[end] == u' ') lastBreak = end;
                ++end;
            }
            int cut = end;
            if (end < n) {
                if (lastBreak >= pos)
                    cut = lastBreak + 1;
                else if (!(flags & DT_EDITCONTROL)) {
                    // A word longer than the line runs on unbroken.
                    while (cut < n && para[cut] != u' ')
                        ++cut;
                    if (cut < n) ++cut;
                }
            }
            QString piece = para.mid(pos, cut - pos);
            while (piece.endsWith(u' ') && cut < n)
                piece.chop(1);
            lines.push_back({piece, start + pos});
            pos = cut;
        }
    };
    if (flags & DT_SINGLELINE) {
        QString t = text;
        t.replace(u'\r', u' ');
        t.replace(u'\n', u' ');
        lines.push_back({t, 0});
        return lines;
    }
    int start = 0;
    const int n = static_cast<int>(text.size());
    for (int i = 0; i <= n; ++i) {
        if (i == n || text[i] == u'\r' || text[i] == u'\n') {
            pushWrapped(text.mid(start, i - start), start);
            if (i < n && text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    return lines;
}

int TCanvas::DrawText(const QString& text, TRect& r, uint32_t flags) {
    PrefixText pt;
    if (flags & DT_NOPREFIX)
        pt.Text = text;
    else
        pt = StripPrefix(text);
    const QFont qf = Font.ToQFont();
    QFontMetrics fm(qf);
    // Figure texts skip the shaper: it would place the same glyphs again for
    // the layout, the measurement and the drawing of every line.
    TGlyphCache& glyphs = TGlyphCache::For(qf);
    const int lineH = fm.height();
    const std::vector<TextLine> lines = LayoutLines(pt.Text, qf, r.Width(), flags);
    const int totalH = lineH * static_cast<int>(lines.size());
    if (flags & DT_CALCRECT) {
        int w = 0;
        for (const TextLine& l : lines)
            w = std::max(w, TextAdvance(fm, glyphs, l.Text));
        r.Right = r.Left + w;
        r.Bottom = r.Top + totalH;
        return totalH;
    }
    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER)
            y = r.Top + (r.Height() - lineH) / 2;
        else if (flags & DT_BOTTOM)
            y = r.Bottom - lineH;
    }
    FPainter->save();
    if (!(flags & DT_NOCLIP)) FPainter->setClipRect(r.ToQRect(), Qt::IntersectClip);
    FPainter->setFont(qf);
    const QColor fc = ToQColor(Font.Color);
    FPainter->setPen(fc);
    for (const TextLine& l : lines) {
        const bool cached = glyphs.Covers(l.Text);
        const int w = cached ? glyphs.Advance(l.Text) : fm.horizontalAdvance(l.Text);
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - w) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - w;
        if (!TransparentText && Brush.Style != bsClear)
            FPainter->fillRect(QRect(x, y, w, lineH), ToQColor(Brush.Color));
        if (cached)
            glyphs.Draw(*FPainter, QPointF(x, y + fm.ascent()), l.Text);
        else
            FPainter->drawText(x, y + fm.ascent(), l.Text);
        if (pt.Underline >= l.Start && pt.Underline < l.Start + l.Text.size()) {
            const int ci = pt.Underline - l.Start;
            const int ux = x + TextAdvance(fm, glyphs, l.Text.left(ci));
            const int uw = TextAdvance(fm, glyphs, l.Text.mid(ci, 1));
            FPainter->fillRect(QRect(ux, y + fm.ascent() + 1, std::max(uw, 1), 1), fc);
        }
        y += lineH;
    }
    FPainter->restore();
    return totalH;
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    const QFont qf = Font.ToQFont();
    QFontMetrics fm(qf);
    if (!TransparentText && Brush.Style != bsClear)
        FPainter->fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()),
                           ToQColor(Brush.Color));
    FPainter->save();
    FPainter->setFont(qf);
    FPainter->setPen(ToQColor(Font.Color));
    FPainter->drawText(x, y + fm.ascent(), text);
    FPainter->restore();
    FPenPos = QPoint(x + fm.horizontalAdvance(text), y);
}

int TCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(Font.ToQFont()).horizontalAdvance(text);
}
int TCanvas::TextHeight(const QString&) const {
    return QFontMetrics(Font.ToQFont()).height();
}

void TCanvas::SetClipRect(const TRect& r) {
    FPainter->setClipRect(r.ToQRect());
    FClipped = true;
    // The painter makes its own sense of a turned-over rectangle; only a
    // proper one is the writer's to clip to.
    FClipKnown = r.Width() > 0 && r.Height() > 0;
    FWriter.SetClip(r.Left, r.Top, r.Right, r.Bottom);
}
void TCanvas::ClearClip() {
    FPainter->setClipping(false);
    FClipped = false;
    FClipKnown = true;
    FWriter.ClearClip();
}
void TCanvas::Draw(int x, int y, const QImage& image) {
    FPainter->drawImage(x, y, image);
}
