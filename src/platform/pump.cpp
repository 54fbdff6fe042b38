#include "platform/pump.h"

#include "platform/clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>
#include <utility>

namespace {
bool endingFlag = false;
// Longer than the steps between the waits of one exchange on the line, far shorter than anyone
// notices in a click or a repaint.
constexpr qint64 ResponsiveMs = 10;
QElapsedTimer sinceRun;
int inputHolds = 0;
// Pumps run from inside work: once(), keepResponsive() and the timed waits.
int workPumps = 0;
} // namespace

namespace Pump {

namespace {
// Input held back is handed on as soon as nothing holds it: Qt's glib event loop would leave it
// queued until the next event of the window system arrived.
void releaseHeldInput()
{
    if (inputHolds > 0 || !QCoreApplication::instance() ||
        QWindowSystemInterface::windowSystemEventsQueued() == 0)
        return;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        if (inputHolds == 0 && QWindowSystemInterface::windowSystemEventsQueued() > 0)
            QWindowSystemInterface::sendWindowSystemEvents(QEventLoop::AllEvents);
    });
}
} // namespace

InputHold::InputHold() { ++inputHolds; }
InputHold::~InputHold()
{
    --inputHolds;
    releaseHeldInput();
}
bool inputHeld() { return inputHolds > 0; }
WorkWait::WorkWait() { ++workPumps; }
WorkWait::~WorkWait() { --workPumps; }
bool atRest() { return inputHolds == 0 && workPumps == 0; }

QEventLoop::ProcessEventsFlags eventFlags()
{
    return inputHolds > 0 ? QEventLoop::AllEvents | QEventLoop::ExcludeUserInputEvents
                          : QEventLoop::AllEvents;
}

void once()
{
    WorkWait work;
    QCoreApplication::processEvents(eventFlags());
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
    QCoreApplication::processEvents(eventFlags() | QEventLoop::WaitForMoreEvents);
    noteRun();
}

bool until(const std::function<bool()> &condition)
{
    // The user answers this wait: their input must reach it, and the work it interrupts waits
    // for the answer, so what runs at rest may run meanwhile.
    const int held = std::exchange(inputHolds, 0);
    const int work = std::exchange(workPumps, 0);
    releaseHeldInput();
    while (!condition() && !endingFlag)
        waitForEvent();
    inputHolds = held;
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

bool ending() { return endingFlag; }

void setEnding(bool ending)
{
    endingFlag = ending;
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

} // namespace Pump
