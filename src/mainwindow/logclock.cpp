#include "mainwindow/logclock.h"

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

bool RecordDue(qint64 lastRecordMs, qint64 nowMs, qint32 intervalSeconds, bool cycleCompleted)
{
    return cycleCompleted && nowMs - lastRecordMs >= qint64(intervalSeconds) * 1000;
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
