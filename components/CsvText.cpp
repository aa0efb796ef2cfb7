#include "CsvText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace CsvText {

QStringView TrimmedView(QStringView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && IsTrimChar(text[b].unicode()))
        ++b;
    while (e > b && IsTrimChar(text[e - 1].unicode()))
        --e;
    return text.sliced(b, e - b);
}

bool NeedsQuotes(QStringView text) {
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u',' || c == u'"' || IsControl(c)) return true;
    }
    return false;
}

namespace {
// Appends text with every line break (CR LF, CR or LF) written as CR LF and,
// when `doubleQuotes`, every double quote doubled.
void appendNormalized(QString& out, QStringView text, bool doubleQuotes) {
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    const char16_t* run = p; // start of the characters not yet copied
    auto flush = [&](const char16_t* upto) {
        out.append(reinterpret_cast<const QChar*>(run), upto - run);
    };
    while (p < end) {
        const char16_t c = *p;
        if (c == u'"' && doubleQuotes) {
            flush(p + 1); // the quote itself, then its double
            out += QLatin1Char('"');
            run = ++p;
        } else if (c == u'\r' || c == u'\n') {
            flush(p);
            out += QLatin1String("\r\n");
            p += (c == u'\r' && p + 1 < end && p[1] == u'\n') ? 2 : 1;
            run = p;
        } else {
            ++p;
        }
    }
    flush(end);
}
} // namespace

void AppendField(QString& out, QStringView cell) {
    const QStringView t = TrimmedView(cell);
    if (!NeedsQuotes(t)) {
        out += t;
        return;
    }
    out += QLatin1Char('"');
    appendNormalized(out, t, true);
    out += QLatin1Char('"');
}

QString FieldText(QStringView cell) {
    QString out;
    AppendField(out, cell);
    return out;
}

QString ReadBackText(QStringView cell) {
    QString out;
    appendNormalized(out, TrimmedView(cell), false);
    return out;
}

QString NormalizeLineEnds(QString text) {
    const char16_t* const b = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    bool normal = true;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = b[i];
        if (c == u'\r') {
            if (i + 1 < n && b[i + 1] == u'\n') {
                ++i;
            } else {
                normal = false;
                break;
            }
        } else if (c == u'\n') {
            normal = false;
            break;
        }
    }
    if (normal) {
        if (n > 0 && b[n - 1] != u'\n') text += QLatin1String("\r\n");
        return text;
    }
    QString out;
    out.reserve(n + n / 8 + 2);
    appendNormalized(out, text, false);
    if (!out.endsWith(QLatin1Char('\n'))) out += QLatin1String("\r\n");
    return out;
}

QStringList SplitCSVText(QStringView text) {
    QStringList out;
    SplitFields(text, [&](QStringView f) { out.push_back(f.toString()); });
    return out;
}

QByteArray EncodeText(QStringView text) {
    QStringEncoder enc(QStringConverter::System);
    return enc.encode(text);
}

QString DecodeText(QByteArrayView bytes) {
    // Stateless: a sequence cut short at the end of the file is invalid too.
    QStringDecoder dec(QStringConverter::System, QStringConverter::Flag::Stateless);
    return dec.decode(bytes);
}

} // namespace CsvText
