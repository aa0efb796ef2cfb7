#include "PixelWriter.h"

TPixelWriter::TPixelWriter(QImage& image) {
    const QImage::Format f = image.format();
    if ((f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied) ||
        image.devicePixelRatio() != 1.0 || image.isNull())
        return;
    FBits = reinterpret_cast<QRgb*>(image.bits());
    FStride = image.bytesPerLine() / static_cast<ptrdiff_t>(sizeof(QRgb));
    FWidth = image.width();
    FHeight = image.height();
    ClearClip();
}

void TPixelWriter::SetClip(int left, int top, int right, int bottom) {
    FClipLeft = std::max(left, 0);
    FClipTop = std::max(top, 0);
    FClipRight = std::min(right, FWidth);
    FClipBottom = std::min(bottom, FHeight);
}
