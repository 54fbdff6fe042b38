#pragma once
#include <QDateTime>
#include <QtGlobal>

// Every wait and interval in the program reads this clock, so that tests can run long waits
// instantly and pacing can use a monotonic time that does not jump when the wall clock is set.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale (never goes back).
    virtual qint64 monotonicMs() const = 0;
    // Wall time, for time stamps only.
    virtual QDateTime now() const = 0;
    // Handle events, blocking at most until the monotonic deadline. May return earlier.
    virtual void waitUntil(qint64 deadlineMs) = 0;
    // For what waits without blocking (a poll's reply): the real milliseconds a timer runs to
    // reach the monotonic deadline, and what the clock does when that timer fires. A clock that
    // jumps (in tests) gives its own delay and moves to the deadline when it fires.
    virtual qint64 timerDelayMs(qint64 deadlineMs) const
    {
        return qMax<qint64>(0, deadlineMs - monotonicMs());
    }
    virtual void timerReached(qint64 deadlineMs) { Q_UNUSED(deadlineMs) }

    static Clock &current();
    // Installs a clock (not owned); nullptr restores the system clock.
    static void install(Clock *clock);
};

class SystemClock : public Clock {
public:
    SystemClock();
    qint64 monotonicMs() const override;
    QDateTime now() const override;
    void waitUntil(qint64 deadlineMs) override;
};

// A clock that moves only when told, or when a wait jumps it to its deadline.
class ManualClock : public Clock {
public:
    explicit ManualClock(const QDateTime &start = QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0)));
    qint64 monotonicMs() const override { return m_ms; }
    QDateTime now() const override { return m_wall; }
    void waitUntil(qint64 deadlineMs) override;
    qint64 timerDelayMs(qint64) const override { return 0; }
    void timerReached(qint64 deadlineMs) override;
    void advance(qint64 ms);
    // Moves only the wall clock (as when the user or daylight saving time sets it).
    void setWall(const QDateTime &wall) { m_wall = wall; }

private:
    qint64 m_ms = 0;
    QDateTime m_wall;
};
