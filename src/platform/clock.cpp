#include "platform/clock.h"

#include "platform/pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
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

// One timer serves every wait: the poll loop waits several times per exchange, and a timer made
// and destroyed per wait costs more than the wait's own work.
QTimer *wakeTimer()
{
    static QPointer<QTimer> timer;
    if (!timer && QCoreApplication::instance()) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
    }
    return timer;
}
} // namespace

Clock &Clock::current() { return installed ? *installed : systemClock(); }
void Clock::install(Clock *clock) { installed = clock; }

SystemClock::SystemClock() { monotonic(); }
qint64 SystemClock::monotonicMs() const { return monotonic().elapsed(); }
QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

void SystemClock::waitUntil(qint64 deadlineMs)
{
    Pump::WorkWait work;
    const qint64 left = deadlineMs - monotonicMs();
    if (left <= 0) {
        QCoreApplication::processEvents();
        Pump::noteRun();
        return;
    }
    // The timer guarantees the blocking call wakes up at the deadline. One that is already due
    // sooner is left running: the wait may end early, and its caller then waits again.
    QTimer *timer = wakeTimer();
    if (timer && (!timer->isActive() || timer->remainingTime() > left)) {
        timer->setTimerType(left < 2000 ? Qt::PreciseTimer : Qt::CoarseTimer);
        timer->start(int(qMin<qint64>(left, 24LL * 3600 * 1000)));
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Pump::noteRun();
}

ManualClock::ManualClock(const QDateTime &start) : m_wall(start) {}

void ManualClock::waitUntil(qint64 deadlineMs)
{
    Pump::WorkWait work;
    QCoreApplication::processEvents();
    Pump::noteRun();
    if (deadlineMs > m_ms)
        advance(deadlineMs - m_ms);
}

void ManualClock::timerReached(qint64 deadlineMs)
{
    if (deadlineMs > m_ms)
        advance(deadlineMs - m_ms);
}

void ManualClock::advance(qint64 ms)
{
    m_ms += ms;
    m_wall = m_wall.addMSecs(ms);
}
