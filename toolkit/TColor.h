#pragma once
#include <QColor>
#include <cstdint>

// A colour as the layout stores it: red + 256*green + 65536*blue, or, with the
// top bit set, the index of a system colour resolved when drawn.
using TColor = int32_t;

namespace col {
constexpr TColor rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}
constexpr TColor sys(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index));
}
} // namespace col

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = col::sys(0);
constexpr TColor clBackground = col::sys(1);
constexpr TColor clActiveCaption = col::sys(2);
constexpr TColor clWindow = col::sys(5);
constexpr TColor clWindowText = col::sys(8);
constexpr TColor clHighlight = col::sys(13);
constexpr TColor clHighlightText = col::sys(14);
constexpr TColor clBtnFace = col::sys(15);
constexpr TColor clBtnShadow = col::sys(16);
constexpr TColor clGrayText = col::sys(17);
constexpr TColor clBtnText = col::sys(18);
constexpr TColor clBtnHighlight = col::sys(20);
constexpr TColor cl3DDkShadow = col::sys(21);
constexpr TColor cl3DLight = col::sys(22);
constexpr TColor clInfoText = col::sys(23);
constexpr TColor clInfoBk = col::sys(24);

// System colours resolve through one fixed table of classic values, not the
// desktop palette: the buttons' bevels are drawn on pastel faces chosen by the
// layout, and a dark desktop theme would turn their highlight edges dark and
// make the bevels vanish. Fixed values keep them visible under any theme.
uint32_t SysColorRGB(int index); // 0x00BBGGRR

// The plain 0x00BBGGRR value of a colour (system colours resolved).
uint32_t ColorToRGB(TColor c);
QColor ToQColor(TColor c);
