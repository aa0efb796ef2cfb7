#pragma once
#include "Change.h"
#include "TColor.h"

#include <QFont>
#include <QString>
#include <functional>

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

enum TFontCharset : int { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SHIFTJIS_CHARSET = 128 };

// The installed face that draws a face the layout names ("Tahoma" draws as
// "DejaVu Sans"); a face without a stand-in is returned as it is.
QString InstalledFace(const QString& name);

// A font as the layout describes it. Height < 0 is the character height in
// pixels (the layout's usual form); Height > 0 is the cell height.
class TFont {
public:
    static constexpr int PixelsPerInch = 120; // the layout's resolution, not rescaled

    QString Name = QStringLiteral("Tahoma");
    int Height = -13;
    TColor Color = clWindowText;
    TFontStyles Style = 0;
    int Charset = DEFAULT_CHARSET;

    // Called after any change made through the setters or Assign.
    std::function<void()> OnChange;

    TFont() = default;
    TFont(QString name, int height, TColor color, TFontStyles style = 0,
          int charset = DEFAULT_CHARSET)
        : Name(std::move(name)), Height(height), Color(color), Style(style), Charset(charset) {}
    // Copies attributes only; the change handler stays with its owner.
    TFont(const TFont& o)
        : Name(o.Name), Height(o.Height), Color(o.Color), Style(o.Style), Charset(o.Charset) {}
    TFont& operator=(const TFont& o) {
        Assign(o);
        return *this;
    }

    void Assign(const TFont& o);
    void SetName(const QString& v) { set(Name, v); }
    void SetHeight(int v) { set(Height, v); }
    void SetColor(TColor v) { set(Color, v); }
    void SetStyle(TFontStyles v) { set(Style, v); }
    void SetCharset(int v) { set(Charset, v); }
    // Size in points at the layout's resolution.
    int Size() const;
    void SetSize(int points);

    bool SameAs(const TFont& o) const {
        return Name == o.Name && Height == o.Height && Color == o.Color && Style == o.Style &&
               Charset == o.Charset;
    }

    QFont ToQFont() const;

private:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) changed();
    }
    void changed() {
        if (OnChange) OnChange();
    }
};
