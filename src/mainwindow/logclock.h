#pragma once
#include <QString>
#include <QtGlobal>

// The arithmetic of the log timer, on the monotonic clock: when a record is due and what the
// status bar's countdown and connection clock read. Wall time is used only for time stamps, so
// setting the clock back (end of daylight saving time) does not hold logging up.

#include <QList>

// The log timer ticks on a fixed phase: tick k falls at originMs + k x 1000 ms, whenever its
// handler runs. A record falls due at the first tick that lies at least the interval's number of
// ticks after the previous record's tick, with a poll cycle ended between the two; that tick's
// moment is the record's time stamp. So records never come closer than the interval, and a
// tick that fires a little early or is handled late (after other work) changes nothing.
struct LogTicks {
    qint64 originMs = 0;
    qint64 judged = 0;        // the last tick already judged
    qint64 recordTick = 0;    // the tick of the previous record
    QList<qint64> cycleEnds;  // poll cycles ended since that tick (monotonic ms)

    // A run starts now; its first record is due at the first tick after a cycle has ended,
    // and one that ended before the start counts.
    void start(qint64 nowMs, qint32 intervalSeconds, bool cycleEndedBefore);
    qint64 tickMs(qint64 tick) const { return originMs + tick * 1000; }
    // The tick the clock stands at. A timer that fires a few milliseconds early still counts
    // as its tick.
    qint64 tickAt(qint64 nowMs) const;
    qint64 msToNextTick(qint64 nowMs) const;
    void cycleEnded(qint64 ms);
    // Ticks up to now pass without a judgement (polling paused, a record still waiting).
    void skipTo(qint64 nowMs);
    // Judges the ticks since the last judgement; returns the tick at which a record fell due
    // (it becomes the previous record's tick), or -1.
    qint64 judge(qint64 nowMs, qint32 intervalSeconds);
};

// Whole seconds elapsed between two monotonic times.
qint64 ElapsedSeconds(qint64 fromMs, qint64 toMs);
// Panel "Counter": hours, minutes and seconds left, each "00", and a blank ("00:00:-03 " once the
// interval ran out while a cycle was still going).
QString CounterText(qint32 secondsLeft);
// Panel "ConnectionTime": elapsed time as "Hh:Nn:Ss ", with whole days in front.
QString ConnectionTimeText(qint64 elapsedMs, const QString &daysText);
// Milliseconds until either clock panel shows another second: the connection time counts from
// the start of the run, the counter from the last record.
qint64 MsToNextClockChange(qint64 nowMs, qint64 connectionStartMs, qint64 lastRecordMs);
