#include "DisplayFormat.h"

#include <QLocale>
#include <QStringList>
#include <cmath>
#include <optional>
#include <vector>

namespace {

bool isNumberChar(QChar c) {
    return c == u'+' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9');
}

// A sign, then digits with at most one point, and at least one digit.
std::optional<double> parseNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
    int digits = 0, points = 0;
    for (; i < n; ++i) {
        if (text[i] >= u'0' && text[i] <= u'9')
            ++digits;
        else if (text[i] == u'.' && points == 0)
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok) return std::nullopt;
    return v;
}

// One piece of a parsed number pattern.
struct PatternItem {
    enum Kind { Literal, IntDigit, FracDigit, Point, Exponent } kind = Literal;
    QString text; // Literal: its text
    bool expPlus = false;
    int expDigits = 0;
    QChar expLetter;

    static PatternItem literal(const QString& t) {
        PatternItem it;
        it.text = t;
        return it;
    }
    static PatternItem of(Kind k) {
        PatternItem it;
        it.kind = k;
        return it;
    }
};

struct Pattern {
    std::vector<PatternItem> items;
    int intPlaceholders = 0;
    int intRequired = 0; // placeholders from the first '0' to the point
    int fracPlaceholders = 0;
    int fracRequired = 0; // up to the last '0' after the point
    bool thousands = false;
    bool scientific = false;
};

Pattern parsePattern(const QString& p) {
    Pattern pat;
    bool afterPoint = false;
    bool seenIntZero = false;
    int intPlaceholdersSinceZero = 0;
    const qsizetype n = p.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = p[i];
        if (c == u'"' || c == u'\'') {
            qsizetype j = i + 1;
            QString lit;
            while (j < n && p[j] != c)
                lit += p[j++];
            pat.items.push_back(PatternItem::literal(lit));
            i = j; // at the closing quote (or the end)
        } else if (c == u'\\' && i + 1 < n) {
            pat.items.push_back(PatternItem::literal(QString(p[++i])));
        } else if ((c == u'0' || c == u'#') && !pat.scientific) {
            if (afterPoint) {
                ++pat.fracPlaceholders;
                if (c == u'0') pat.fracRequired = pat.fracPlaceholders;
                pat.items.push_back(PatternItem::of(PatternItem::FracDigit));
            } else {
                ++pat.intPlaceholders;
                if (c == u'0') seenIntZero = true;
                if (seenIntZero) ++intPlaceholdersSinceZero;
                pat.items.push_back(PatternItem::of(PatternItem::IntDigit));
            }
        } else if (c == u'.' && !afterPoint && !pat.scientific) {
            afterPoint = true;
            pat.items.push_back(PatternItem::of(PatternItem::Point));
        } else if (c == u',' && !afterPoint && !pat.scientific) {
            pat.thousands = true;
        } else if ((c == u'E' || c == u'e') && !pat.scientific && i + 1 < n &&
                   (p[i + 1] == u'+' || p[i + 1] == u'-')) {
            PatternItem e = PatternItem::of(PatternItem::Exponent);
            e.expLetter = c;
            e.expPlus = p[i + 1] == u'+';
            i += 2;
            while (i < n && p[i] == u'0') {
                ++e.expDigits;
                ++i;
            }
            --i;
            pat.scientific = true;
            pat.items.push_back(e);
        } else {
            pat.items.push_back(PatternItem::literal(QString(c)));
        }
    }
    pat.intRequired = intPlaceholdersSinceZero;
    return pat;
}

// Splits a pattern into its sections at ';' outside quotes.
QStringList splitSections(const QString& p) {
    QStringList out;
    QString cur;
    QChar quote;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QChar c = p[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'\\' && i + 1 < p.size()) {
            cur += c;
            cur += p[++i];
            continue;
        } else if (c == u';') {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

// Integer and fraction digits of |value| rounded to `decimals` places.
void fixedDigits(double value, int decimals, QString& intDigits, QString& fracDigits) {
    const QString s = QString::number(std::fabs(value), 'f', decimals);
    const qsizetype dot = s.indexOf(u'.');
    intDigits = dot < 0 ? s : s.left(dot);
    fracDigits = dot < 0 ? QString() : s.mid(dot + 1);
    while (intDigits.size() > 1 && intDigits[0] == u'0')
        intDigits.remove(0, 1);
    if (intDigits == QStringLiteral("0")) intDigits.clear();
}

bool allZero(const QString& a, const QString& b) {
    for (QChar c : a + b)
        if (c != u'0') return false;
    return true;
}

// Formats |value| with one section. `isZero` tells whether the rounded
// value shows only zeros.
QString formatSection(double value, const Pattern& pat, bool& isZero) {
    QString intDigits, fracDigits;
    int exponent = 0;
    const double a = std::fabs(value);
    if (pat.scientific) {
        const int intPlaces = std::max(pat.intPlaceholders, 1);
        if (a != 0.0) exponent = static_cast<int>(std::floor(std::log10(a))) - (intPlaces - 1);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const double mant = a / std::pow(10.0, exponent);
            fixedDigits(mant, pat.fracPlaceholders, intDigits, fracDigits);
            if (intDigits.size() <= intPlaces) break;
            ++exponent; // rounding carried into a new digit (9.99 -> 10.0)
        }
    } else {
        fixedDigits(a, pat.fracPlaceholders, intDigits, fracDigits);
    }
    isZero = allZero(intDigits, fracDigits);
    // Required zeros on both sides, optional trailing zeros removed.
    while (intDigits.size() < pat.intRequired)
        intDigits.prepend(u'0');
    while (fracDigits.size() > pat.fracRequired && fracDigits.endsWith(u'0'))
        fracDigits.chop(1);

    QString out;
    const int nInt = static_cast<int>(intDigits.size());
    int placeholderIndex = 0; // counts integer placeholders from the left
    int fracIndex = 0;
    auto emitDigit = [&](int fromRight) {
        // fromRight: 0 is the units digit.
        const int idx = nInt - 1 - fromRight;
        if (idx < 0) return;
        out += intDigits[idx];
        if (pat.thousands && fromRight > 0 && fromRight % 3 == 0) out += u',';
    };
    for (const PatternItem& it : pat.items) {
        switch (it.kind) {
        case PatternItem::Literal:
            out += it.text;
            break;
        case PatternItem::IntDigit: {
            const int fromRight = pat.intPlaceholders - 1 - placeholderIndex;
            if (placeholderIndex == 0)
                for (int r = nInt - 1; r > fromRight; --r)
                    emitDigit(r);
            emitDigit(fromRight);
            ++placeholderIndex;
            break;
        }
        case PatternItem::Point:
            if (!fracDigits.isEmpty()) out += u'.';
            break;
        case PatternItem::FracDigit:
            if (fracIndex < fracDigits.size()) out += fracDigits[fracIndex];
            ++fracIndex;
            break;
        case PatternItem::Exponent: {
            // A pattern without integer placeholders still shows its mantissa.
            if (pat.intPlaceholders == 0)
                for (int r = nInt - 1; r >= 0; --r)
                    emitDigit(r);
            out += it.expLetter;
            if (exponent < 0)
                out += u'-';
            else if (it.expPlus)
                out += u'+';
            QString e = QString::number(std::abs(exponent));
            while (e.size() < it.expDigits)
                e.prepend(u'0');
            out += e;
            break;
        }
        }
    }
    return out;
}

} // namespace

QString FormatNumberPattern(double value, const QString& pattern) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    const QStringList sections = splitSections(pattern);
    auto section = [&](int i) {
        return i < sections.size() && !sections[i].isEmpty() ? sections[i] : sections[0];
    };
    const bool hasNegative = sections.size() >= 2 && !sections[1].isEmpty();
    const bool hasZero = sections.size() >= 3 && !sections[2].isEmpty();

    bool isZero = false;
    const Pattern first = parsePattern(section(0));
    if (value < 0 && hasNegative) {
        // The negative section carries its own sign marks.
        const QString s = formatSection(value, parsePattern(sections[1]), isZero);
        if (!isZero) return s;
    } else {
        const QString s = formatSection(value, first, isZero);
        if (!isZero) return value < 0 ? QStringLiteral("-") + s : s;
    }
    // The value is (or rounds to) zero.
    if (hasZero) return formatSection(0.0, parsePattern(sections[2]), isZero);
    return formatSection(0.0, first, isZero);
}

namespace {

bool maskCharFits(QChar m, QChar c) {
    switch (m.unicode()) {
    case u'0':
    case u'9':
        return c.isDigit();
    case u'#':
        return c.isDigit() || c == u'+' || c == u'-';
    case u'L':
    case u'l':
        return c.isLetter();
    case u'A':
    case u'a':
        return c.isLetterOrNumber();
    case u'C':
    case u'c':
        return true;
    default:
        return false;
    }
}

bool isMaskPlaceholder(QChar m) {
    switch (m.unicode()) {
    case u'0':
    case u'9':
    case u'#':
    case u'L':
    case u'l':
    case u'A':
    case u'a':
    case u'C':
    case u'c':
        return true;
    default:
        return false;
    }
}

struct MaskCell {
    bool placeholder = false;
    QChar ch;     // placeholder kind or literal character
    int caseMode; // -1 lower, 0 none, 1 upper
};

} // namespace

QString FormatMaskText(const QString& editMask, const QString& text) {
    // Fields: the mask itself, then save-literals and blank character. A ';'
    // escaped with '\' belongs to the mask.
    QString mask;
    QStringList trailer;
    {
        qsizetype i = 0;
        for (; i < editMask.size(); ++i) {
            if (editMask[i] == u'\\' && i + 1 < editMask.size()) {
                mask += editMask[i];
                mask += editMask[++i];
            } else if (editMask[i] == u';') {
                break;
            } else {
                mask += editMask[i];
            }
        }
        if (i < editMask.size()) trailer = editMask.mid(i + 1).split(u';');
    }
    const bool saveLiterals = trailer.isEmpty() || trailer[0].isEmpty() || trailer[0] != u"0";
    QChar blank = u'_';
    if (trailer.size() >= 2 && !trailer[1].isEmpty()) blank = trailer[1][0];

    std::vector<MaskCell> cells;
    bool rightAlign = false;
    int caseMode = 0;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar m = mask[i];
        if (m == u'!') {
            rightAlign = true;
        } else if (m == u'<' && i + 1 < mask.size() && mask[i + 1] == u'>') {
            caseMode = 0;
            ++i;
        } else if (m == u'>') {
            caseMode = 1;
        } else if (m == u'<') {
            caseMode = -1;
        } else if (m == u'\\' && i + 1 < mask.size()) {
            cells.push_back({false, mask[++i], 0});
        } else if (m == u'_') {
            cells.push_back({false, u' ', 0});
        } else if (isMaskPlaceholder(m)) {
            cells.push_back({true, m, caseMode});
        } else {
            cells.push_back({false, m, 0});
        }
    }

    // With right alignment the missing characters are the leading ones: the
    // text fills the last slots (all cells when it carries the literals, the
    // placeholders when it does not).
    int skip = 0;
    if (rightAlign) {
        int slotCount = 0;
        for (const MaskCell& c : cells)
            slotCount += (saveLiterals || c.placeholder) ? 1 : 0;
        skip = std::max(0, slotCount - static_cast<int>(text.size()));
    }

    QString out;
    qsizetype ti = 0;
    for (const MaskCell& c : cells) {
        bool skipped = false;
        if (skip > 0 && (saveLiterals || c.placeholder)) {
            --skip;
            skipped = true;
        }
        if (!c.placeholder) {
            out += c.ch;
            if (!skipped && saveLiterals && ti < text.size() && text[ti] == c.ch) ++ti;
            continue;
        }
        if (skipped || ti >= text.size()) {
            out += blank;
            continue;
        }
        QChar t = text[ti++];
        if (!maskCharFits(c.ch, t)) {
            out += blank;
            continue;
        }
        if (c.caseMode > 0)
            t = t.toUpper();
        else if (c.caseMode < 0)
            t = t.toLower();
        out += t;
    }
    return out;
}

QString FormatDisplayText(const QString& text, const QString& mask) {
    bool numeric = true;
    for (QChar c : text)
        if (!isNumberChar(c)) {
            numeric = false;
            break;
        }
    if (numeric) {
        const std::optional<double> v = parseNumber(text);
        if (!v) return text;
        return FormatNumberPattern(*v, mask);
    }
    return FormatMaskText(mask, text);
}
