#include "Font.h"

void TFont::Assign(const TFont& o) {
    if (SameAs(o)) return;
    Name = o.Name;
    Height = o.Height;
    Color = o.Color;
    Style = o.Style;
    Charset = o.Charset;
    changed();
}

void TFont::SetName(const QString& v) {
    if (Name == v) return;
    Name = v;
    changed();
}
void TFont::SetHeight(int v) {
    if (Height == v) return;
    Height = v;
    changed();
}
void TFont::SetColor(TColor v) {
    if (Color == v) return;
    Color = v;
    changed();
}
void TFont::SetStyle(TFontStyles v) {
    if (Style == v) return;
    Style = v;
    changed();
}
void TFont::SetCharset(int v) {
    if (Charset == v) return;
    Charset = v;
    changed();
}

int TFont::Size() const {
    const int h = Height < 0 ? -Height : Height;
    return (h * 72 + PixelsPerInch / 2) / PixelsPerInch;
}

void TFont::SetSize(int points) { SetHeight(-((points * PixelsPerInch + 36) / 72)); }

QFont TFont::ToQFont() const {
    QFont f(Name);
    // A positive height includes the internal leading; take the usual 85 %.
    const int px = Height < 0 ? -Height : (Height * 85 + 50) / 100;
    f.setPixelSize(px > 0 ? px : 1);
    f.setBold(Style & fsBold);
    f.setItalic(Style & fsItalic);
    f.setUnderline(Style & fsUnderline);
    f.setStrikeOut(Style & fsStrikeOut);
    // Figures must look the same on every screen: no hinting differences from
    // the desktop's settings, and no antialiasing guesswork in the tests.
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferDefault);
    return f;
}
