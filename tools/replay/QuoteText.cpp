#include "QuoteText.h"

QString QuoteText(const QString& s) {
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'"')
            out += QLatin1String("\\\"");
        else if (c == u'\r' || c == u'\n') {
            // CR LF, a lone CR (the message boxes' line break) and a lone LF
            // are each one line break.
            if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
            out += QLatin1String("\\n");
        } else
            out += c;
    }
    out += QLatin1Char('"');
    return out;
}
