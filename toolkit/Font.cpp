#include "Font.h"

#include <array>
#include <utility>

namespace {
// The layout names the faces of another desktop. Each is drawn with a named face
// that tools/deps.sh installs, so that text looks and measures the same on every
// machine instead of depending on fontconfig's default sans-serif face, which is
// whatever face a machine happens to have (IPAGothic on a machine with only the
// project's fonts, DejaVu Sans on most others).
constexpr std::array<std::pair<const char16_t*, const char16_t*>, 10> kFaces{{
    {u"Tahoma", u"DejaVu Sans"},
    {u"MS Sans Serif", u"DejaVu Sans"},
    {u"MS Shell Dlg", u"DejaVu Sans"},
    {u"Times New Roman", u"Liberation Serif"},
    {u"Arial", u"Liberation Sans"},
    {u"Courier New", u"Liberation Mono"},
    {u"\uFF2D\uFF33 \uFF30\u660E\u671D", u"IPAPMincho"},             // MS P Mincho
    {u"\uFF2D\uFF33 \u660E\u671D", u"IPAMincho"},                    // MS Mincho
    {u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", u"IPAPGothic"}, // MS P Gothic
    {u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", u"IPAGothic"},        // MS Gothic
}};
} // namespace

QString InstalledFace(const QString& name) {
    for (const auto& [layout, installed] : kFaces)
        if (name.compare(QStringView(layout), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(installed);
    return name;
}

void TFont::Assign(const TFont& o) {
    if (SameAs(o)) return;
    Name = o.Name;
    Height = o.Height;
    Color = o.Color;
    Style = o.Style;
    Charset = o.Charset;
    changed();
}

int TFont::Size() const {
    const int h = Height < 0 ? -Height : Height;
    return (h * 72 + PixelsPerInch / 2) / PixelsPerInch;
}

void TFont::SetSize(int points) {
    SetHeight(-((points * PixelsPerInch + 36) / 72));
}

QFont TFont::ToQFont() const {
    QFont f(InstalledFace(Name));
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
