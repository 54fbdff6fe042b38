#pragma once
// The parts of reading a data file that need no window: which bytes a data file may hold, how
// its record times are written, and how many rows to make ahead for it.
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

namespace DataFileParse {

// A byte no data line holds: NUL and the other control characters except tab, CR and LF, and
// DEL. Where a line holds one (a stray byte, a power loss) it is read as a blank.
constexpr bool isForeign(unsigned char c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}
// The same for a character of a field's text: CR and LF are strays there too, as they would
// end the line.
constexpr bool isStrayChar(char16_t c)
{
    return (c < 0x20 && c != u'\t') || c == 0x7F;
}

// Position of the first foreign byte, or -1 when there is none.
qsizetype foreignByte(QByteArrayView bytes);

// Rows to make ahead in each grid for a file of `fileBytes` whose first `bytesSeen` bytes held
// `records` records, with `validSlots` grids in use. The records seen so far are spread over the
// file, but never more rows than records of the shortest length a record of that many slots has
// would fill, and never more than MaxRowsAhead: a file that starts with empty lines or short
// text must not make millions of rows that no record fills.
inline constexpr qint64 MaxRowsAhead = 4'000'000;
qint64 estimateRows(qint64 fileBytes, qint64 bytesSeen, qint64 records, int validSlots);

// One way of writing record times: a date-and-time format of QLocale with the names of the
// locale it comes from (AM/PM, month names).
struct TimeForm {
    QString format;
    QLocale locale;
};

// The forms a data file's record times are tried in: the current locale's, then those of
// en_US, nl_NL, fr_FR and of no locale (C), then ISO (2026-01-05 09:00:00). Duplicates are left out.
std::vector<TimeForm> timeForms(const QLocale &current = QLocale());

// Reads record times of one form. The usual formats (numbers, AM/PM, month names, separators)
// are read by a small reader of our own; a format it does not know goes to QLocale. A year
// written with two digits is taken as 20yy, as the date service reads it.
class TimeReader {
public:
    explicit TimeReader(const TimeForm &form);
    QDateTime read(QStringView text);
    const TimeForm &form() const { return m_form; }

private:
    enum Kind { Day, Month, MonthName, DayName, Year, Hour12, Hour24, Minute, Second, AmPm, Literal };
    struct Token {
        Kind kind;
        int width;
        QChar literal;
    };
    bool parseFields(QStringView s, int (&v)[6]) const;
    static int matchName(QStringView s, qsizetype &p, const QStringList &names);

    TimeForm m_form;
    std::vector<Token> m_tokens;
    bool m_own = true;
    QStringList m_am, m_pm, m_months, m_days;
    QDate m_lastDate;
    std::optional<int> m_dayOffset;
};

// Readers of every form of timeForms(), in that order.
std::vector<TimeReader> timeReaders(const QLocale &current = QLocale());
// Index of the first reader that reads the most of these first fields of a file's first
// records; -1 when none reads any of them.
int pickTimeReader(std::vector<TimeReader> &readers, const QList<QStringView> &firstFields);

// The first quoted field of a line, as NeemVeld takes it; `rest` is where the line goes on.
QStringView firstField(QStringView line, qsizetype &rest);

} // namespace DataFileParse
