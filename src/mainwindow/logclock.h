#pragma once
#include <QString>
#include <QtGlobal>

// The arithmetic of the log timer, on the monotonic clock: when a record is due and what the
// status bar's countdown and connection clock read. Wall time is used only for time stamps, so
// setting the clock back (end of daylight saving time) does not hold logging up.

// The interval runs from the moment the previous record was written, and that record's time
// stamp is taken at the same moment, so consecutive stamps lie at least one interval apart.

// Whole seconds elapsed between two monotonic times.
qint64 ElapsedSeconds(qint64 fromMs, qint64 toMs);
// A record is due when the full interval has passed since the last one was written and a poll
// cycle has ended since.
bool RecordDue(qint64 lastRecordMs, qint64 nowMs, qint32 intervalSeconds, bool cycleCompleted);
// Panel "Counter": hours, minutes and seconds left, each "00", and a blank ("00:00:-03 " once the
// interval ran out while a cycle was still going).
QString CounterText(qint32 secondsLeft);
// Panel "ConnectionTime": elapsed time as "Hh:Nn:Ss ", with whole days in front.
QString ConnectionTimeText(qint64 elapsedMs, const QString &daysText);
// Milliseconds until either clock panel shows another second: the connection time counts from
// the start of the run, the counter from the last record.
qint64 MsToNextClockChange(qint64 nowMs, qint64 connectionStartMs, qint64 lastRecordMs);
