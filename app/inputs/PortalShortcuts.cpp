#include "PortalShortcuts.h"

#include "Messages.h"

#include <QStringList>

namespace PortalShortcuts {
namespace {

constexpr TRunAction kActions[Count] = {TRunAction::Lap, TRunAction::Lap2, TRunAction::Lap3};
const char* const kIds[Count] = {"lap", "lap2", "lap3"};
const QString kSessionFolder = QStringLiteral("/org/freedesktop/portal/desktop/session/");

} // namespace

QString Id(int index) {
    return QLatin1String(kIds[index]);
}

std::optional<int> Index(QStringView id) {
    for (int i = 0; i < Count; ++i)
        if (id == QLatin1String(kIds[i])) return i;
    return std::nullopt;
}

TRunAction Action(int index) {
    return kActions[index];
}

bool IsWaylandSession(const QString& sessionType, const QString& waylandDisplay) {
    return sessionType == QLatin1String("wayland") || !waylandDisplay.isEmpty();
}

QString RequestPath(const QString& uniqueName, const QString& token) {
    QString sender = uniqueName.startsWith(QLatin1Char(':')) ? uniqueName.mid(1) : uniqueName;
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/') +
           token;
}

bool IsSessionPath(const QString& path) {
    if (path.size() <= kSessionFolder.size() || path.size() > 255 ||
        !path.startsWith(kSessionFolder) || path.endsWith(QLatin1Char('/')) ||
        path.contains(QLatin1String("//")))
        return false;
    for (QChar c : path) {
        const char16_t u = c.unicode();
        if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
              u == '_' || u == '/'))
            return false;
    }
    return true;
}

std::optional<uint32_t> PressTick(uint64_t timestamp, uint32_t tickNow, uint64_t monotonicNow) {
    if (timestamp > monotonicNow || monotonicNow - timestamp > MaxAge) return std::nullopt;
    // The offset between the clocks, modulo 2^32 as the counter itself.
    const uint32_t offset = tickNow - static_cast<uint32_t>(monotonicNow);
    return static_cast<uint32_t>(timestamp) + offset;
}

QString CleanTrigger(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            continue;
        if (out.size() == MaxTriggerLength) break;
        out += c;
    }
    // A cut through a surrogate pair leaves half a character.
    if (!out.isEmpty() && out.back().isHighSurrogate()) out.chop(1);
    return out.trimmed();
}

void TakeTriggers(const QList<QPair<QString, QString>>& listed, TTriggers& into) {
    TTriggers taken;
    for (qsizetype i = 0; i < listed.size() && i < MaxListed; ++i) {
        const std::optional<int> index = Index(listed[i].first);
        if (index && !taken.contains(*index)) taken.insert(*index, CleanTrigger(listed[i].second));
    }
    for (auto t = taken.cbegin(); t != taken.cend(); ++t)
        into.insert(t.key(), t.value());
}

QString Note(const TTriggers& triggers) {
    QStringList parts;
    for (int i = 0; i < Count; ++i) {
        const QString trigger = triggers.value(i);
        parts << (trigger.isEmpty() ? Msg::ShortcutUnset().arg(Msg::ShortcutName[i]())
                                    : Msg::ShortcutTrigger().arg(Msg::ShortcutName[i](), trigger));
    }
    return Msg::DesktopShortcuts().arg(parts.join(Msg::ListSeparator()));
}

} // namespace PortalShortcuts
