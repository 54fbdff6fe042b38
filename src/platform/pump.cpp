#include "platform/pump.h"

#include "platform/clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

namespace {
bool endingFlag = false;
}

namespace Pump {

void once() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void waitForEvent()
{
    if (endingFlag)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
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
