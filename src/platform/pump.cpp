#include "platform/pump.h"

#include "platform/clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
bool endingFlag = false;
// Longer than the steps between the waits of one exchange on the line, far shorter than anyone
// notices in a click or a repaint.
constexpr qint64 ResponsiveMs = 10;
QElapsedTimer sinceRun;
} // namespace

namespace Pump {

void once()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
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
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    noteRun();
}

bool until(const std::function<bool()> &condition)
{
    while (!condition() && !endingFlag)
        waitForEvent();
    return condition();
}

bool until(const std::function<bool()> &condition, qint64 timeoutMs)
{
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

bool ending() { return endingFlag; }

void setEnding(bool ending)
{
    endingFlag = ending;
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

} // namespace Pump
