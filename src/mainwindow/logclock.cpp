#include "mainwindow/logclock.h"

#include <algorithm>

namespace {
QString twoDigits(qint64 v)
{
    if (v < 0)
        return QLatin1Char('-') + QStringLiteral("%1").arg(-v, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}
} // namespace

qint64 ElapsedSeconds(qint64 fromMs, qint64 toMs)
{
    const qint64 ms = toMs - fromMs;
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

namespace {
// How early a tick may fire and still count as its own.
constexpr qint64 EarlyMs = 25;
qint64 floorDiv(qint64 a, qint64 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
} // namespace

void LogTicks::start(qint64 nowMs, qint32 intervalSeconds, bool cycleEndedBefore)
{
    originMs = nowMs;
    judged = 0;
    recordTick = -qint64(intervalSeconds);
    cycleEnds.clear();
    if (cycleEndedBefore)
        cycleEnds.append(nowMs);
}

qint64 LogTicks::tickAt(qint64 nowMs) const { return floorDiv(nowMs - originMs + EarlyMs, 1000); }

qint64 LogTicks::msToNextTick(qint64 nowMs) const
{
    return qMax<qint64>(1, tickMs(tickAt(nowMs) + 1) - nowMs);
}

void LogTicks::cycleEnded(qint64 ms)
{
    if (ms > tickMs(recordTick))
        cycleEnds.append(ms);
}

void LogTicks::skipTo(qint64 nowMs) { judged = qMax(judged, tickAt(nowMs)); }

qint64 LogTicks::judge(qint64 nowMs, qint32 intervalSeconds)
{
    const qint64 current = tickAt(nowMs);
    const qint64 first = judged + 1;
    judged = qMax(judged, current);
    if (cycleEnds.isEmpty() || current < first)
        return -1;
    // The first tick at or after the first cycle end, and far enough after the last record.
    const qint64 afterCycle = floorDiv(cycleEnds.constFirst() - originMs + 999, 1000);
    const qint64 due = std::max({first, recordTick + qint64(qMax(1, intervalSeconds)), afterCycle});
    if (due > current)
        return -1;
    recordTick = due;
    const qint64 at = tickMs(due);
    cycleEnds.removeIf([at](qint64 e) { return e <= at; });
    return due;
}

QString CounterText(qint32 rest)
{
    // A record that is due waits for the poll cycle to end: its time left is nothing, never
    // a negative count such as "00:00:-01".
    rest = qMax(0, rest);
    const qint32 hours = rest / 3600;
    const qint32 minutes = (rest - hours * 3600) / 60;
    const qint32 seconds = rest - hours * 3600 - minutes * 60;
    return twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':') +
           twoDigits(seconds) + QLatin1Char(' ');
}

QString ConnectionTimeText(qint64 elapsedMs, const QString &daysText)
{
    const qint64 totalSeconds = qMax<qint64>(0, elapsedMs / 1000);
    const qint64 days = totalSeconds / 86400;
    const qint64 rest = totalSeconds % 86400;
    const QString clock = twoDigits(rest / 3600) + QLatin1Char(':') +
                          twoDigits((rest % 3600) / 60) + QLatin1Char(':') +
                          twoDigits(rest % 60) + QLatin1Char(' ');
    if (days > 0)
        return QString::number(days) + daysText + clock;
    return clock;
}

qint64 MsToNextClockChange(qint64 nowMs, qint64 connectionStartMs, qint64 lastRecordMs)
{
    // Both panels count whole seconds, rounded down, from their own origin.
    const auto toNextSecond = [nowMs](qint64 originMs) {
        const qint64 into = ((nowMs - originMs) % 1000 + 1000) % 1000;
        return 1000 - into;
    };
    return qMin(toNextSecond(connectionStartMs), toNextSecond(lastRecordMs));
}
