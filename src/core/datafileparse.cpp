#include "core/datafileparse.h"

#include "platform/datetimetext.h"

#include <algorithm>

namespace DataFileParse {

qsizetype foreignByte(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    // Whole runs are tested without a branch per byte; a run with a hit is searched again.
    constexpr qsizetype run = 64;
    qsizetype i = 0;
    for (; i + run <= n; i += run) {
        bool hit = false;
        for (qsizetype j = 0; j < run; ++j)
            hit |= isForeign(p[i + j]);
        if (hit)
            break;
    }
    for (; i < n; ++i)
        if (isForeign(p[i]))
            return i;
    return -1;
}

qint64 estimateRows(qint64 fileBytes, qint64 bytesSeen, qint64 records, int validSlots)
{
    if (records <= 0 || bytesSeen <= 0 || fileBytes <= 0)
        return 0;
    qint64 rows = records;
    if (bytesSeen < fileBytes)
        rows = qint64(double(records) * double(fileBytes) / double(bytesSeen) * 1.02) + 8;
    // A record holds at least its quoted time ("2026-01-05 09:00:00") and its line end, and
    // eleven fields of at least `,""` per slot.
    const qint64 shortestRecord = 23 + 33 * qint64(qMax(0, validSlots));
    rows = qMin(rows, qMax(records, fileBytes / shortestRecord + 1));
    return qMin(rows, MaxRowsAhead);
}

std::vector<TimeForm> timeForms(const QLocale &current)
{
    std::vector<TimeForm> forms;
    auto add = [&forms](const QString &format, const QLocale &locale) {
        for (const TimeForm &f : forms)
            if (f.format == format && f.locale.name() == locale.name())
                return;
        forms.push_back({format, locale});
    };
    auto addLocale = [&add](const QLocale &locale) {
        add(DateTimeText::dateFormat(locale) + QLatin1Char(' ') + DateTimeText::timeFormat(locale),
            locale);
    };
    addLocale(current);
    addLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    addLocale(QLocale(QLocale::Dutch, QLocale::Netherlands));
    addLocale(QLocale(QLocale::French, QLocale::France));
    addLocale(QLocale::c()); // files written where no locale is set
    add(QStringLiteral("yyyy-MM-dd HH:mm:ss"), QLocale::c());
    return forms;
}

TimeReader::TimeReader(const TimeForm &form) : m_form(form)
{
    const QLocale &locale = form.locale;
    m_am = {locale.amText()};
    m_pm = {locale.pmText()};
    for (int i = 1; i <= 12; ++i)
        m_months << locale.monthName(i, QLocale::LongFormat);
    for (int i = 1; i <= 12; ++i)
        m_months << locale.monthName(i, QLocale::ShortFormat);
    for (int i = 1; i <= 12; ++i)
        m_months << locale.standaloneMonthName(i, QLocale::LongFormat);
    for (int i = 1; i <= 12; ++i)
        m_months << locale.standaloneMonthName(i, QLocale::ShortFormat);
    for (int i = 1; i <= 7; ++i)
        m_days << locale.dayName(i, QLocale::LongFormat) << locale.dayName(i, QLocale::ShortFormat);

    const QString &f = form.format;
    bool hasAmPm = false;
    for (qsizetype i = 0; i < f.size() && m_own;) {
        const QChar c = f[i];
        qsizetype n = 1;
        while (i + n < f.size() && f[i + n] == c)
            ++n;
        Token t{Literal, int(n), QChar()};
        switch (c.unicode()) {
        case u'd': t.kind = n <= 2 ? Day : DayName; break;
        case u'M': t.kind = n <= 2 ? Month : MonthName; break;
        case u'y': t.kind = Year; m_own = n == 2 || n == 4; break;
        case u'h': t.kind = Hour12; break;
        case u'H': t.kind = Hour24; break;
        case u'm': t.kind = Minute; break;
        case u's': t.kind = Second; break;
        case u'A':
        case u'a':
            // "AP", "ap", "A" or "a"
            t.kind = AmPm;
            hasAmPm = true;
            n = i + 1 < f.size() && f[i + 1].toLower() == QLatin1Char('p') ? 2 : 1;
            break;
        default:
            if (c.isLetter() || c == QLatin1Char('\'')) {
                m_own = false; // a token this reader does not know: QLocale reads the form
                continue;
            }
            t.literal = c;
            n = 1;
        }
        if ((t.kind == Day || t.kind == Month || t.kind == Hour12 || t.kind == Hour24
             || t.kind == Minute || t.kind == Second)
            && n > 2)
            m_own = false;
        m_tokens.push_back(t);
        i += n;
    }
    // QLocale reads "h" as a 24-hour hour when the form has no AM/PM.
    if (!hasAmPm)
        for (Token &t : m_tokens)
            if (t.kind == Hour12)
                t.kind = Hour24;
}

int TimeReader::matchName(QStringView s, qsizetype &p, const QStringList &names)
{
    int best = -1;
    qsizetype bestLength = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names[i];
        if (name.size() > bestLength && s.mid(p).startsWith(name, Qt::CaseInsensitive)) {
            best = i;
            bestLength = name.size();
        }
    }
    p += bestLength;
    return best;
}

// Fields in v: year, month, day, hour, minute, second.
bool TimeReader::parseFields(QStringView s, int (&v)[6]) const
{
    qsizetype p = 0;
    int half = -1;
    v[0] = v[1] = v[2] = v[3] = -1;
    v[4] = v[5] = 0;
    for (const Token &t : m_tokens) {
        switch (t.kind) {
        case Literal:
            if (p >= s.size() || s[p] != t.literal)
                return false;
            ++p;
            break;
        case AmPm:
            if (matchName(s, p, m_am) == 0)
                half = 0;
            else if (matchName(s, p, m_pm) == 0)
                half = 1;
            else
                return false;
            break;
        case MonthName: {
            const int i = matchName(s, p, m_months);
            if (i < 0)
                return false;
            v[1] = i % 12 + 1;
            break;
        }
        case DayName:
            if (matchName(s, p, m_days) < 0)
                return false;
            break;
        default: {
            const int most = t.kind == Year ? 4 : 2;
            int value = 0, digits = 0;
            while (p < s.size() && digits < most && s[p] >= u'0' && s[p] <= u'9') {
                value = value * 10 + (s[p].unicode() - u'0');
                ++p;
                ++digits;
            }
            if (digits == 0)
                return false;
            switch (t.kind) {
            case Year:
                if (digits == 2)
                    value += 2000;
                else if (digits != 4)
                    return false;
                v[0] = value;
                break;
            case Month: v[1] = value; break;
            case Day: v[2] = value; break;
            case Minute: v[4] = value; break;
            case Second: v[5] = value; break;
            default: v[3] = value; break;
            }
        }
        }
    }
    if (p != s.size() || v[0] < 0 || v[1] < 0 || v[2] < 0 || v[3] < 0)
        return false;
    if (half >= 0) {
        if (v[3] < 1 || v[3] > 12)
            return false;
        v[3] = v[3] % 12 + 12 * half;
    }
    return true;
}

QDateTime TimeReader::read(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return {};
    if (!m_own) {
        QDateTime moment = m_form.locale.toDateTime(text.toString(), m_form.format);
        if (moment.isValid() && !m_form.format.contains(QLatin1String("yyyy"))
            && moment.date().year() < 2000)
            moment = moment.addYears(100);
        return moment;
    }
    int v[6];
    if (!parseFields(text, v))
        return {};
    const QTime time(v[3], v[4], v[5]);
    if (!time.isValid())
        return {};
    if (!m_lastDate.isValid() || m_lastDate.year() != v[0] || m_lastDate.month() != v[1]
        || m_lastDate.day() != v[2]) {
        const QDate date(v[0], v[1], v[2]);
        if (!date.isValid())
            return {};
        m_lastDate = date;
        // A day without a clock change has one offset: the time is then made without asking
        // the system for each line (each such question re-reads the zone settings).
        m_dayOffset.reset();
        const int offset = QDateTime(date, QTime(0, 0)).offsetFromUtc();
        if (QDateTime(date, QTime(12, 0)).offsetFromUtc() == offset
            && QDateTime(date, QTime(23, 59, 59)).offsetFromUtc() == offset)
            m_dayOffset = offset;
    }
    return m_dayOffset ? QDateTime(m_lastDate, time, Qt::OffsetFromUTC, *m_dayOffset)
                       : QDateTime(m_lastDate, time);
}

std::vector<TimeReader> timeReaders(const QLocale &current)
{
    std::vector<TimeReader> readers;
    for (const TimeForm &form : timeForms(current))
        readers.emplace_back(form);
    return readers;
}

int pickTimeReader(std::vector<TimeReader> &readers, const QList<QStringView> &firstFields)
{
    int best = -1, bestCount = 0;
    for (size_t i = 0; i < readers.size(); ++i) {
        int count = 0;
        for (QStringView field : firstFields)
            count += readers[i].read(field).isValid() ? 1 : 0;
        if (count > bestCount) {
            bestCount = count;
            best = int(i);
        }
    }
    return best;
}

QStringView firstField(QStringView line, qsizetype &rest)
{
    const qsizetype open = line.indexOf(u'"');
    if (open < 0) {
        rest = line.size();
        return QStringView();
    }
    const qsizetype close = line.indexOf(u'"', open + 1);
    if (close < 0) {
        rest = line.size();
        return line.mid(open + 1);
    }
    rest = close + 1;
    return line.mid(open + 1, close - open - 1);
}

} // namespace DataFileParse
