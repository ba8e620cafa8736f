#include "ui/SystemClock.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

namespace exambell {
namespace {

TEST(SystemClock, LocalTimeAndWeekdayFollowQt) {
    SystemClock clock;
    const LocalTime t = clock.now();
    const QDate today = QDate::currentDate();
    EXPECT_EQ(t.weekday, today.dayOfWeek() % 7);
    EXPECT_GE(t.year, 2024);
    EXPECT_GE(clock.tickCount(), 0);
}

TEST(SystemClock, TimersFireOnceInOrderAndCancelledOnesNever) {
    SystemClock clock;
    std::vector<int> fired;
    QEventLoop loop;
    const std::int64_t start = clock.wallMilliseconds();
    const Clock::TimerId cancelled = clock.callAt(start + 10, [&] { fired.push_back(0); });
    clock.callAt(start + 30, [&] {
        fired.push_back(2);
        // A callback may arm the next timer.
        clock.callAt(clock.wallMilliseconds() + 5, [&] {
            fired.push_back(3);
            loop.quit();
        });
    });
    clock.callAt(start + 20, [&] { fired.push_back(1); });
    clock.callAt(start - 1000, [&] { fired.insert(fired.begin(), -1); });  // already due
    clock.cancel(cancelled);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // only if something is wrong
    loop.exec();
    EXPECT_EQ(fired, (std::vector<int>{-1, 1, 2, 3}));
    EXPECT_GE(clock.wallMilliseconds() - start, 30);
}

}  // namespace
}  // namespace exambell
