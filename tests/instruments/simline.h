#pragma once
#include "platform/clock.h"
#include "simulator.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>

// A clock for serial tests: it stands still while events keep arriving and jumps to a wait's
// deadline only after the line has been quiet for a while in real time. Replies that arrive
// are always handled before a time-out, and a silent controller costs a fraction of a second
// instead of the full time-out.
class QuietClock : public Clock {
public:
    explicit QuietClock(int quietMs = 300) : m_quietMs(quietMs) {}
    qint64 monotonicMs() const override { return m_ms; }
    QDateTime now() const override { return m_start.addMSecs(m_ms); }
    void waitUntil(qint64 deadlineMs) override;
    // A reply's time-out comes after the line has been quiet for a while.
    qint64 timerDelayMs(qint64) const override { return m_quietMs; }
    void timerReached(qint64 deadlineMs) override { m_ms = qMax(m_ms, deadlineMs); }
    // Lets a wait reach its deadline after this much real time even while events keep coming
    // (an animation playing); below 0, only a quiet line lets it.
    void setLongestRealWait(int ms) { m_longestMs = ms; }

private:
    int m_quietMs;
    int m_longestMs = -1;
    qint64 m_waitingFor = -1;
    QElapsedTimer m_waitStarted;
    qint64 m_ms = 0;
    QDateTime m_start = QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0));
};

// A simulator on a pseudo-terminal bound to a port number and opened as the program's port.
// Installs the quiet clock for its lifetime.
class SimLine {
public:
    // Each test program uses its own port number: tests run in parallel and share the table.
    explicit SimLine(int portNumber);
    ~SimLine();
    bool open();

    Sim::Simulator sim;
    QuietClock clock;
    int portNumber;
};

// Configures a slot for a model and fills its protocol texts.
void configureSlot(int slot, const QByteArray &model, int idno, int channels);

// The poll loop on the connection's line, as the program wires it (send, arm, read).
void wirePollLoopToLine();
