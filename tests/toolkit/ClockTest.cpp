// The local wall clock: the zone's offset, asked once a minute, gives the
// same local time as asking the zone every time, through zone transitions.
#include "Clock.h"

#include <QTimeZone>
#include <gtest/gtest.h>

#include <ctime>

namespace {

// Runs the process in another time zone for the life of the object.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
        : FOld(qgetenv("TZ")), FHad(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope() {
        if (FHad)
            qputenv("TZ", FOld);
        else
            qunsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    QByteArray FOld;
    bool FHad;
};

TEST(LocalTime, FollowsTheZoneThroughItsTransitionsAskingOncePerMinute) {
    struct Case {
        const char* zone;
    };
    // An hour's jump, a half hour's, and a zone half an hour off the hour.
    const Case cases[] = {{"Europe/Berlin"}, {"Australia/Lord_Howe"}, {"America/St_Johns"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        ZoneScope scope(c.zone);
        const QTimeZone zone(c.zone);
        ASSERT_TRUE(zone.isValid()) << "time zone data missing";
        const QDateTime from(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
        // Both transitions of 2026: into summer time and out of it.
        QDateTime at = from;
        for (int n = 0; n < 2; ++n) {
            at = zone.nextTransition(at).atUtc;
            ASSERT_TRUE(at.isValid());
            int lookups = 0;
            Clock::TLocalTime local([&](qint64 ms) {
                ++lookups;
                return QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
            });
            // Every 250 ms from two minutes before the transition to two after.
            const qint64 t = at.toMSecsSinceEpoch();
            for (qint64 ms = t - 120000; ms <= t + 120000; ms += 250) {
                const QDateTime expected = QDateTime::fromMSecsSinceEpoch(ms);
                const QDateTime got = local.At(ms);
                ASSERT_EQ(got.date(), expected.date()) << ms - t;
                ASSERT_EQ(got.time(), expected.time()) << ms - t;
            }
            EXPECT_EQ(lookups, 5);
        }
    }
}

} // namespace
