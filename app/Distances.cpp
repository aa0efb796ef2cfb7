#include "Distances.h"

namespace Distances {

std::optional<QString> Typed(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    int metres = 0;
    for (const QChar c : t) {
        // Decimal digits of any script count (full-width ones from a
        // Japanese input method); superscripts and the like are not digits.
        if (!c.isDigit()) return std::nullopt;
        metres = metres * 10 + c.digitValue();
        // Checked at every digit, so that a long text never overflows.
        if (metres > MaxMetres) return std::nullopt;
    }
    if (metres < MinMetres) return std::nullopt;
    return QString::number(metres);
}

bool Listed(const QStringList& items, const QString& entry) {
    const std::optional<QString> number = Typed(entry);
    for (const QString& item : items) {
        if (item.compare(entry, Qt::CaseInsensitive) == 0) return true;
        if (number && Typed(item) == number) return true;
    }
    return false;
}

} // namespace Distances
