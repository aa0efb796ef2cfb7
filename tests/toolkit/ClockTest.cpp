// The local wall clock: the zone's offset, asked once a minute, gives the
// same local time as asking the zone every time, through zone transitions.
#include "Clock.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

TEST(LocalTime, FollowsTheZoneThroughItsTransitionsAskingOncePerMinute) {
    // An hour's jump, a half hour's, and a zone half an hour off the hour.
    for (const char* name : {"Europe/Berlin", "Australia/Lord_Howe", "America/St_Johns"}) {
        SCOPED_TRACE(name);
        const QTimeZone zone(name);
        ASSERT_TRUE(zone.isValid()) << "time zone data missing";
        // Both transitions of 2026: into summer time and out of it.
        QDateTime at(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
        for (int n = 0; n < 2; ++n) {
            at = zone.nextTransition(at).atUtc;
            ASSERT_TRUE(at.isValid());
            int lookups = 0;
            Clock::TLocalTime local([&](qint64 ms) {
                ++lookups;
                return zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
            });
            // Every 250 ms from two minutes before the transition to two after.
            const qint64 t = at.toMSecsSinceEpoch();
            for (qint64 ms = t - 120000; ms <= t + 120000; ms += 250) {
                const QDateTime expected = QDateTime::fromMSecsSinceEpoch(ms, zone);
                const QDateTime got = local.At(ms);
                ASSERT_EQ(got.date(), expected.date()) << ms - t;
                ASSERT_EQ(got.time(), expected.time()) << ms - t;
            }
            EXPECT_EQ(lookups, 5);
        }
    }
}

} // namespace
