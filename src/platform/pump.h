#pragma once
#include <QEventLoop>
#include <QtGlobal>
#include <functional>

// The one place that runs the event loop from inside program code. Every wait of the program
// (reply waits, timed waits, message boxes, dialogs) goes through here, so that shutdown can end
// them all at once and no wait spins the processor.
namespace Pump {

// Whether the event loop now runs at a wait for the user, the outer loop or a modal loop of Qt's,
// and not inside work that pumps to stay responsive (once(), a timed wait, a download's reply
// wait): only then may other work start (a poll step). No wait ever holds back the user's input:
// a key, a click or a window close is handled in whichever of them it arrives.
bool atRest();
// Marks a pump run from inside work (the timed waits of the clock use it too).
class WorkWait {
public:
    WorkWait();
    ~WorkWait();
    WorkWait(const WorkWait &) = delete;
    WorkWait &operator=(const WorkWait &) = delete;
};
// Handles what is pending; never blocks.
void once();
// As once(), but only when the event loop has not run for a few milliseconds: a loop that works
// between short waits stays responsive without paying for an empty turn after every step.
void keepResponsive();
// Notes that the event loop has just run (every wait of the program calls it).
void noteRun();
// Blocks until at least one event was handled (or the program is ending).
void waitForEvent();
// Repeats waitForEvent() until the condition holds or the program is ending; returns the
// condition's final value. This is the wait for the user (a box, a dialog): the work it
// interrupts waits for the answer, so what runs at rest may run meanwhile.
bool until(const std::function<bool()> &condition);
// As until(), but gives up at the timeout (milliseconds on the injectable clock).
bool until(const std::function<bool()> &condition, qint64 timeoutMs);
// Waits the given milliseconds on the injectable clock while handling events.
void waitMs(qint64 ms);
// Waits the given milliseconds of real time while handling events, whatever clock the program
// runs on: for what the line itself times (a few character times on the wire).
void waitRealMs(qint64 ms);

// Set once the program is closing: every wait returns at once.
bool ending();
void setEnding(bool ending);

} // namespace Pump
