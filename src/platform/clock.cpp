#include "platform/clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace {
QElapsedTimer &monotonic()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
SystemClock &systemClock()
{
    static SystemClock clock;
    return clock;
}
Clock *installed = nullptr;
} // namespace

Clock &Clock::current() { return installed ? *installed : systemClock(); }
void Clock::install(Clock *clock) { installed = clock; }

SystemClock::SystemClock() { monotonic(); }
qint64 SystemClock::monotonicMs() const { return monotonic().elapsed(); }
QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

void SystemClock::waitUntil(qint64 deadlineMs)
{
    const qint64 left = deadlineMs - monotonicMs();
    if (left <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    // The timer guarantees the blocking call wakes up at the deadline.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(left < 2000 ? Qt::PreciseTimer : Qt::CoarseTimer);
    timer.start(int(qMin<qint64>(left, 24LL * 3600 * 1000)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

ManualClock::ManualClock(const QDateTime &start) : m_wall(start) {}

void ManualClock::waitUntil(qint64 deadlineMs)
{
    QCoreApplication::processEvents();
    if (deadlineMs > m_ms)
        advance(deadlineMs - m_ms);
}

void ManualClock::advance(qint64 ms)
{
    m_ms += ms;
    m_wall = m_wall.addMSecs(ms);
}
