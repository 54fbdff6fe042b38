#pragma once
#include "core/slots.h"

#include <QDateTime>
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
    std::function<bool()> logTimerEnabled;
    std::function<void(bool)> setLogTimerEnabled;
    std::function<void()> startStopLogging;
    // A due record is about to be written: its time stamp is taken now.
    std::function<void()> stampRecord;
    // One poll exchange: send the poll command, then read and decode the reply.
    std::function<void(int slot)> sendPoll;
    std::function<bool(int slot)> readReply;
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

// Runs the poll loop until a settings reload or the end of the program is asked for.
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
// here until the poll loop is between two exchanges: no poll sent and its reply unread.
void TussenOpvraagStappen(std::function<void()> werk);
// Runs the waiting work now, when no poll reply is outstanding; true when work remained queued.
bool UitvoerenTussenwerk();
// One turn of the poll loop: the waiting work between exchanges, then one poll step when
// polling is on.
void OpvraagBeurt();

// True when some valid slot is switched on: the loop then has work and pumps without blocking.
bool HeeftTePollenToestel();
