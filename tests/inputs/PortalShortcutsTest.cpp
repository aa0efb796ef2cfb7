// The portal client's rules that need no bus: a press's time carried from
// the desktop's clock to the tick counter, and what reaches the note.
#include "PortalShortcuts.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace PortalShortcuts;

TEST(PortalShortcuts, AStampIsCarriedToTheCounterOnlyWithinASecondBeforeNow) {
    constexpr uint64_t M = 5'000'000; // the monotonic clock when the signal arrived
    struct Case {
        const char* Name;
        uint64_t Stamp, Monotonic;
        uint32_t TickNow;
        std::optional<uint32_t> Want;
    } cases[] = {
        {"120 ms ago", M - 120, M, 90'000, 89'880},
        {"at arrival", M, M, 90'000, 90'000},
        {"a second ago", M - 1000, M, 90'000, 89'000},
        {"a second and a millisecond ago", M - 1001, M, 90'000, std::nullopt},
        {"ahead of the clock", M + 1, M, 90'000, std::nullopt},
        {"the counter wraps between", M - 120, M, 50, 4'294'967'226u},
        {"the monotonic ms past 2^32", (1ull << 32) + 30 - 100, (1ull << 32) + 30, 7,
         4'294'967'203u},
        {"a stamp of the wall clock", 1'765'000'000'000ull, M, 90'000, std::nullopt},
        {"a stamp of zero", 0, M, 90'000, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PressTick(c.Stamp, c.TickNow, c.Monotonic), c.Want) << c.Name;
}

TEST(PortalShortcuts, WhereThePortalIsAskedAndWhatCounts) {
    struct Session {
        const char* Type;
        const char* Display;
        bool Wayland;
    } sessions[] = {
        {"wayland", "", true}, {"x11", "wayland-0", true}, {"", "wayland-1", true},
        {"x11", "", false},    {"tty", "", false},         {"Wayland", "", false},
    };
    for (const Session& s : sessions)
        EXPECT_EQ(IsWaylandSession(QString::fromLatin1(s.Type), QString::fromLatin1(s.Display)),
                  s.Wayland)
            << s.Type << " / " << s.Display;

    EXPECT_EQ(RequestPath(QStringLiteral(":1.42"), QStringLiteral("vantel_1_7")),
              QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/vantel_1_7"));

    struct Path {
        const char* Path;
        bool Ok;
    } paths[] = {
        {"/org/freedesktop/portal/desktop/session/1_42/vantel_2_9", true},
        {"/org/freedesktop/portal/desktop/session/", false},
        {"/org/freedesktop/portal/desktop/request/1_42/vantel_2_9", false},
        {"/org/freedesktop/portal/desktop/session/1_42/", false},
        {"/org/freedesktop/portal/desktop/session/1_42//x", false},
        {"/org/freedesktop/portal/desktop/session/1.42/x", false},
        {"/org/freedesktop/portal/desktop/session/1_42/x y", false},
        {"/org/freedesktop/portal/desktop/session/\u00e91", false},
        {"", false},
    };
    for (const Path& p : paths)
        EXPECT_EQ(IsSessionPath(QString::fromUtf8(p.Path)), p.Ok) << p.Path;
    EXPECT_FALSE(IsSessionPath(QStringLiteral("/org/freedesktop/portal/desktop/session/") +
                               QString(300, u'a')));

    for (int i = 0; i < Count; ++i)
        EXPECT_EQ(Index(Id(i)), i);
    for (const char* id : {"LAP", "reset", "start", "lap4", "", "lap "})
        EXPECT_FALSE(Index(QString::fromLatin1(id))) << id;
    EXPECT_EQ(Action(0), TRunAction::Lap);
    EXPECT_EQ(Action(2), TRunAction::Lap3);
}

TEST(PortalShortcuts, TheNoteSaysWhatTheDesktopBoundToOurShortcutsOnly) {
    using List = QList<QPair<QString, QString>>;
    const QString all =
        QStringLiteral("Desktop shortcuts: LAP: Ctrl+F9, LAP2: Ctrl+F10, LAP3: Ctrl+F11");
    QList<QPair<QString, QString>> flood;
    for (int i = 0; i < MaxListed; ++i)
        flood.append({QStringLiteral("other"), QStringLiteral("X")});
    flood.append({QStringLiteral("lap"), QStringLiteral("Ctrl+F9")});
    struct Case {
        const char* Name;
        List Listed;
        QString Want;
    } cases[] = {
        {"all three", {{"lap", "Ctrl+F9"}, {"lap2", "Ctrl+F10"}, {"lap3", "Ctrl+F11"}}, all},
        {"in another order, with a stranger",
         {{"lap3", "Ctrl+F11"}, {"reset", "Ctrl+R"}, {"lap", "Ctrl+F9"}, {"lap2", "Ctrl+F10"}},
         all},
        {"a subset",
         {{"lap2", "Alt+2"}},
         "Desktop shortcuts: LAP: not set, LAP2: Alt+2, LAP3: not set"},
        {"none", {}, "Desktop shortcuts: LAP: not set, LAP2: not set, LAP3: not set"},
        {"a repeated id keeps its first",
         {{"lap", "F5"}, {"lap", "F6"}},
         "Desktop shortcuts: LAP: F5, LAP2: not set, LAP3: not set"},
        {"an empty trigger",
         {{"lap", ""}, {"lap2", "  "}},
         "Desktop shortcuts: LAP: not set, LAP2: not set, LAP3: not set"},
        {"control characters and markers",
         {{"lap", "Ctrl+\nF9\x1b"}, {"lap2", "%1 %2"}},
         "Desktop shortcuts: LAP: Ctrl+F9, LAP2: %1 %2, LAP3: not set"},
        {"past the most read", flood,
         "Desktop shortcuts: LAP: not set, LAP2: not set, LAP3: not set"},
    };
    for (const Case& c : cases) {
        TTriggers triggers;
        TakeTriggers(c.Listed, triggers);
        EXPECT_EQ(Note(triggers), c.Want) << c.Name;
    }

    // A change lists only what changed; the rest stays as bound.
    TTriggers triggers;
    TakeTriggers({{"lap", "Ctrl+F9"}, {"lap2", "Ctrl+F10"}, {"lap3", "Ctrl+F11"}}, triggers);
    TakeTriggers({{"lap2", "Alt+2"}, {"start", "S"}}, triggers);
    EXPECT_EQ(Note(triggers),
              QStringLiteral("Desktop shortcuts: LAP: Ctrl+F9, LAP2: Alt+2, LAP3: Ctrl+F11"));

    // A trigger text is cut, never through a character.
    const QString face = QStringLiteral("\U0001F600");
    QString longText = QString(MaxTriggerLength - 1, u'a') + face + QStringLiteral("tail");
    EXPECT_EQ(CleanTrigger(longText), QString(MaxTriggerLength - 1, u'a'));
    EXPECT_EQ(CleanTrigger(QString(200, u'b')).size(), MaxTriggerLength);
}

} // namespace
