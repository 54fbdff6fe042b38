#include "platform/pump.h"

#include "platform/clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <utility>

namespace {
bool endingFlag = false;
// Longer than the steps between the waits of one exchange on the line, far shorter than anyone
// notices in a click or a repaint.
constexpr qint64 ResponsiveMs = 10;
QElapsedTimer sinceRun;
// Pumps run from inside work: once(), keepResponsive() and the timed waits.
int workPumps = 0;
} // namespace

namespace Pump {

WorkWait::WorkWait() { ++workPumps; }
WorkWait::~WorkWait() { --workPumps; }
bool atRest() { return workPumps == 0; }

void once()
{
    WorkWait work;
    QCoreApplication::processEvents();
    noteRun();
}

void keepResponsive()
{
    if (!sinceRun.isValid() || sinceRun.elapsed() >= ResponsiveMs)
        once();
}

void noteRun() { sinceRun.start(); }

void waitForEvent()
{
    if (endingFlag)
        return;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    noteRun();
}

bool until(const std::function<bool()> &condition)
{
    // The work this wait interrupts waits for the user's answer, so what runs at rest may run
    // meanwhile.
    const int work = std::exchange(workPumps, 0);
    while (!condition() && !endingFlag)
        waitForEvent();
    workPumps = work;
    return condition();
}

bool until(const std::function<bool()> &condition, qint64 timeoutMs)
{
    WorkWait work;
    Clock &clock = Clock::current();
    const qint64 deadline = clock.monotonicMs() + timeoutMs;
    while (!condition() && !endingFlag && clock.monotonicMs() < deadline)
        clock.waitUntil(deadline);
    return condition();
}

void waitMs(qint64 ms)
{
    until([] { return false; }, ms);
}

void waitRealMs(qint64 ms)
{
    WorkWait work;
    QElapsedTimer waited;
    waited.start();
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (waited.elapsed() < ms && !endingFlag) {
        // A timer may fire a little before the elapsed time says it is due: it is armed again.
        if (!wake.isActive())
            wake.start(int(qBound<qint64>(1, ms - waited.elapsed(), 24LL * 3600 * 1000)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        noteRun();
    }
}

bool ending() { return endingFlag; }

void setEnding(bool ending)
{
    endingFlag = ending;
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

} // namespace Pump
