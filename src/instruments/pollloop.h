#pragma once
#include "core/slots.h"
#include "instruments/decoders.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

// The poll loop and the record hand-over. What the loop needs of the windows, the port and the
// files reaches it through these hooks, which the main window installs; tests install their own.
struct PollHooks {
    // Port.
    std::function<bool()> portOpen;
    std::function<void()> openPort;          // when closed
    std::function<void()> clearPortBuffers;
    // Opens the general settings dialog and returns when it has closed.
    std::function<void()> runSettingsDialog;
    // Data file at the start of measuring.
    std::function<void()> loadDataFile;      // the data file named in the settings
    std::function<void()> newDataFileName;
    std::function<void(const QString &)> addRecentFile;
    // Windows.
    std::function<void()> prepareRackWindows; // create them and re-caption the visible ones
    std::function<void(bool)> measuringIndicators; // measuring switched on (true) or off
    // MetenActief changed (a dialog paused or resumed polling): the Measure item and button
    // follow it.
    std::function<void()> measuringShown;
    std::function<void(int slot, bool busy, bool all)> refreshLamps;
    std::function<void(int slot)> showReading;
    // Logging.
    std::function<void(bool)> setLogTimerEnabled;
    std::function<void()> startStopLogging;
    // The log timer found a record due; the next finished poll step takes it (its time stamp
    // goes into MeetTijdstip) and writes it.
    std::function<bool()> recordDue;
    std::function<void()> takeRecord;
    // A poll cycle ended (the slot number wrapped).
    std::function<void()> cycleEnded;
    // One poll exchange: send the poll command, then read and decode the reply as far as it
    // has come. The exchange never waits: when the reply is not all in, readReply says so
    // (Waiting) and is asked again after ReplyProgress().
    std::function<void(int slot)> sendPoll;
    std::function<ReadResult(int slot)> readReply;
    // The record hand-over's three destinations.
    std::function<void(const QString &info, int tnr)> writeRecord;
    std::function<void(const QString &info, int tnr)> appendTableRow;
    std::function<void(qint32 rows)> feedGraphs;
    // Once a second the recorder-mode graphs are offered a sample.
    std::function<void(qint32 rows)> sampleRecorders;
    // Whether a recorder-mode graph is open (the log timer rests when none is and logging is
    // off); when not installed, any installed sampleRecorders keeps the timer running.
    std::function<bool()> recordersRunning;
};

PollHooks &pollHooks();

namespace Toestellen {
inline qint16 HuidigToestel = 1;
inline qint16 OpvraagStatus = 0;
} // namespace Toestellen

// Runs the poll loop until a settings reload or the end of the program is asked for. The loop
// is driven from the event loop: every wait for the user (a box, a dialog, a held menu) takes
// its turns as this one does.
void StartenMeten();
void InstellenKnoppenMeten();
void StartStopMeten();
// Pauses (false) or resumes polling without the rest of switching measuring on or off, and lets
// the Measure item and button show it.
void ZetMetenActief(bool on);
void UitvoerenOpvraagStap();
void OpvragenToestel(qint16 slot, qint16 &state);
void VolgendOpvraagToestel(qint16 &slot);
void HerstartOpvraagCyclus();
void InitialiserenToestellen();
void VerwerkenLegeMeting(const QString &info);
void VerwerkenMeting(const QString &info, qint16 tnr);
QString ToestelLabel(const ToestelGegevens &toestel);

// Work that must not cut into a poll exchange (a command of the user's to a controller) waits
// here until the poll loop is between two exchanges: no poll sent and its reply unread. The
// work goes with its owner when that is gone first.
void TussenOpvraagStappen(QObject *owner, std::function<void()> werk);
// Runs the waiting work now, when no poll reply is outstanding; true when work remained queued.
bool UitvoerenTussenwerk();
// One turn of the poll loop: the waiting work between exchanges, then one poll step when
// polling is on.
void OpvraagBeurt();

// The next step starts a new cycle at once: no pacing wait and no awaited reply are left from
// before (a new start of polling).
void ResetPollCycle();

// The line went away (not a deliberate close): the exchange under way is cut short, and every
// controller shows at once that it has no live reading, as after failed reads, until polling
// reads it again.
void LineLost();
// A reader takes the line over from polling (a download, a capture): the exchange under way is
// cut short without counting, the rest of its reply is let pass, and what came before is
// dropped, so none of it reaches the new reader.
void TakeOverLine();

// Bytes of the awaited reply came, its time-out came or the line went away: the loop tries the
// reply again.
void ReplyProgress();
// A poll's reply is awaited (sent, not yet read).
bool ReplyAwaited();

// A record's write with its questions runs (VerwerkenMeting). A command that touches the data
// file or the table runs after it, never inside its box: the work runs now, or once the write
// and its answer are done (unless its owner is gone by then).
bool RecordWriteRunning();
void AfterRecordWrite(QObject *owner, std::function<void()> work);

// While one of these lives no poll step starts: a record's write with its questions, a command
// exchange with one controller, a download or capture on the line.
class OpvragenGehouden {
public:
    OpvragenGehouden();
    ~OpvragenGehouden();
    OpvragenGehouden(const OpvragenGehouden &) = delete;
    OpvragenGehouden &operator=(const OpvragenGehouden &) = delete;
};
// A poll step runs (a step never waits for the line; it may wait for the user's answer to a
// record's write).
bool OpvraagStapBezig();
// A step runs or something holds polling: work that may ask the user waits for later.
bool OpvragenGepauzeerd();

// True when some valid slot is switched on: the loop then has work and pumps without blocking.
bool HeeftTePollenToestel();
