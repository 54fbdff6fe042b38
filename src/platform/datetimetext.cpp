#include "platform/datetimetext.h"

#include <QRegularExpression>

namespace DateTimeText {

QString dateFormat(const QLocale &locale)
{
    QString f = locale.dateFormat(QLocale::ShortFormat);
    if (!f.contains("yyyy")) {
        static const QRegularExpression twoDigitYear("(?<!y)yy(?!y)");
        f.replace(twoDigitYear, "yyyy");
    }
    return f;
}

QString timeFormat(const QLocale &locale)
{
    QString f = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone("\\s*\\bt+\\b\\s*");
    f.replace(zone, " ");
    return f.trimmed();
}

QString formatDate(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, dateFormat(locale));
}

QString formatTime(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, timeFormat(locale));
}

QString format(const QDateTime &moment, const QLocale &locale)
{
    return formatDate(moment.date(), locale) + ' ' + formatTime(moment.time(), locale);
}

QTime parseTime(const QString &text, const QLocale &locale)
{
    const QString t = text.trimmed();
    QTime time = locale.toTime(t, timeFormat(locale));
    if (!time.isValid())
        time = locale.toTime(t, locale.timeFormat(QLocale::ShortFormat));
    return time;
}

QDateTime parse(const QString &text, const QLocale &locale)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const QString date = dateFormat(locale);
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    for (const QString &df : {date, shortDate}) {
        for (const QString &tf : {timeFormat(locale), locale.timeFormat(QLocale::ShortFormat)}) {
            QDateTime dt = locale.toDateTime(t, df + ' ' + tf);
            if (dt.isValid()) {
                if (df != date && dt.date().year() < 2000)
                    dt = dt.addYears(100);
                return dt;
            }
        }
        QDate d = locale.toDate(t, df);
        if (d.isValid()) {
            if (df != date && d.year() < 2000)
                d = d.addYears(100);
            return QDateTime(d, QTime(0, 0));
        }
    }
    return {};
}

} // namespace DateTimeText
