#include "ui/SystemClock.h"

#include <QDateTime>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace exambell {

SystemClock::SystemClock() {
    elapsed_.start();
}

SystemClock::~SystemClock() = default;

LocalTime SystemClock::now() const {
    const QDateTime current = QDateTime::currentDateTime();
    const QDate date = current.date();
    const QTime time = current.time();
    LocalTime t;
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.hour = time.hour();
    t.minute = time.minute();
    t.second = time.second();
    t.millisecond = time.msec();
    t.weekday = date.dayOfWeek() % 7;  // Qt counts Monday 1 .. Sunday 7
    return t;
}

std::int64_t SystemClock::wallMilliseconds() const {
    return QDateTime::currentMSecsSinceEpoch();
}

std::int64_t SystemClock::tickCount() const {
    return elapsed_.elapsed();
}

Clock::TimerId SystemClock::callAt(std::int64_t atWallMilliseconds,
                                   std::function<void()> callback) {
    const std::int64_t delay = std::max<std::int64_t>(atWallMilliseconds - wallMilliseconds(), 0);
    const TimerId id = nextId_++;
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [this, id, callback = std::move(callback)]() mutable {
                         // The callback may arm or cancel timers, or destroy this clock's owner's
                         // objects: take it out first, and free the QTimer once back in the loop.
                         auto it = timers_.find(id);
                         if (it == timers_.end()) {
                             return;
                         }
                         it->second.release()->deleteLater();
                         timers_.erase(it);
                         std::function<void()> run = std::move(callback);
                         run();
                     });
    timer->start(static_cast<int>(std::min<std::int64_t>(delay, INT32_MAX)));
    timers_.emplace(id, std::move(timer));
    return id;
}

void SystemClock::cancel(TimerId id) {
    timers_.erase(id);
}

}  // namespace exambell
