#include "core/datafilereader.h"

#include "core/conversions.h"
#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "support/language.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <limits>
#include <optional>
#include <vector>

using namespace Hoofdmodule;

namespace {

// The hourglass over the whole program while a file is loaded.
class Hourglass {
public:
    Hourglass()
    {
        if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_set = true;
        }
    }
    ~Hourglass()
    {
        if (m_set)
            QApplication::restoreOverrideCursor();
    }

private:
    bool m_set = false;
};

// Reads record times fast. Every record repeats its date, so the date text is remembered and
// only the time after it is read, by a small reader of the locale's time format (hours,
// minutes, seconds, AM/PM and separators). Anything else goes to the full reader, which also
// checks the first lines the small one reads: on any difference the small one is switched off.
class TimeReader {
public:
    TimeReader()
    {
        const QLocale locale;
        m_am = locale.amText();
        m_pm = locale.pmText();
        const QString format = DateTimeText::timeFormat(locale);
        for (qsizetype i = 0; i < format.size();) {
            const QChar c = format[i];
            qsizetype n = 1;
            while (i + n < format.size() && format[i + n] == c)
                ++n;
            Token t;
            if (c == QLatin1Char('h') || c == QLatin1Char('H')) {
                t.kind = c == QLatin1Char('h') ? Hour12 : Hour24;
            } else if (c == QLatin1Char('m')) {
                t.kind = Minute;
            } else if (c == QLatin1Char('s')) {
                t.kind = Second;
            } else if (c == QLatin1Char('A') || c == QLatin1Char('a')) {
                // "AP", "ap", "A" or "a"
                t.kind = AmPm;
                n = 1;
                if (i + 1 < format.size()
                    && format[i + 1].toLower() == QLatin1Char('p'))
                    n = 2;
            } else if (c.isLetter() || c == QLatin1Char('\'')) {
                m_fast = false; // a token this reader does not know
                break;
            } else {
                t.kind = Literal;
                t.literal = c;
                n = 1;
            }
            t.width = int(n);
            if (t.kind == Hour12 || t.kind == Hour24 || t.kind == Minute || t.kind == Second)
                if (n > 2)
                    m_fast = false;
            m_tokens.push_back(t);
            i += n;
        }
        bool hasAmPm = false, has12 = false;
        for (const Token &t : m_tokens) {
            hasAmPm |= t.kind == AmPm;
            has12 |= t.kind == Hour12;
        }
        // Qt reads "h" as a 24-hour hour when the format has no AM/PM.
        if (!hasAmPm && has12)
            for (Token &t : m_tokens)
                if (t.kind == Hour12)
                    t.kind = Hour24;
    }

    QDateTime read(QStringView text)
    {
        if (m_lastDate.isValid() && text.size() > m_datePrefix.size()
            && text.startsWith(m_datePrefix)) {
            const QStringView timeText = text.mid(m_datePrefix.size());
            QTime time = m_fast ? fastTime(timeText) : QTime();
            if (m_fast && m_checks > 0) {
                --m_checks;
                const QTime full = DateTimeText::parseTime(timeText.toString());
                if (full != time) {
                    m_fast = false;
                    time = full;
                }
            } else if (!time.isValid()) {
                time = DateTimeText::parseTime(timeText.toString());
            }
            if (time.isValid()) {
                // A day without a clock change has one offset: the time is made without asking
                // the system for each line (each such question re-reads the zone settings).
                return m_dayOffset ? QDateTime(m_lastDate, time, Qt::OffsetFromUTC, *m_dayOffset)
                                   : QDateTime(m_lastDate, time);
            }
        }
        const QDateTime result = DateTimeText::parse(text.toString());
        if (result.isValid()) {
            // Learn the date text when the line starts with the date as we write it.
            const QString prefix = DateTimeText::formatDate(result.date()) + QLatin1Char(' ');
            if (text.startsWith(prefix)
                && DateTimeText::parseTime(text.mid(prefix.size()).toString()) == result.time()) {
                m_datePrefix = prefix;
                m_lastDate = result.date();
                m_dayOffset.reset();
                const int offset = QDateTime(m_lastDate, QTime(0, 0)).offsetFromUtc();
                if (QDateTime(m_lastDate, QTime(12, 0)).offsetFromUtc() == offset
                    && QDateTime(m_lastDate, QTime(23, 59, 59)).offsetFromUtc() == offset)
                    m_dayOffset = offset;
            }
        }
        return result;
    }

private:
    enum Kind { Hour12, Hour24, Minute, Second, AmPm, Literal };
    struct Token {
        Kind kind;
        int width = 1;
        QChar literal;
    };

    QTime fastTime(QStringView s) const
    {
        qsizetype p = 0;
        int h = -1, m = 0, sec = 0, half = -1;
        for (const Token &t : m_tokens) {
            switch (t.kind) {
            case Literal:
                if (p >= s.size() || s[p] != t.literal)
                    return QTime();
                ++p;
                break;
            case AmPm:
                if (s.mid(p).startsWith(m_am, Qt::CaseInsensitive)) {
                    half = 0;
                    p += m_am.size();
                } else if (s.mid(p).startsWith(m_pm, Qt::CaseInsensitive)) {
                    half = 1;
                    p += m_pm.size();
                } else {
                    return QTime();
                }
                break;
            default: {
                int value = 0, digits = 0;
                while (p < s.size() && digits < 2 && s[p].isDigit()) {
                    value = value * 10 + s[p].digitValue();
                    ++p;
                    ++digits;
                }
                if (digits == 0 || (t.width == 2 && digits != 2))
                    return QTime();
                if (t.kind == Minute)
                    m = value;
                else if (t.kind == Second)
                    sec = value;
                else
                    h = value;
                break;
            }
            }
        }
        if (p != s.size() || h < 0)
            return QTime();
        if (half >= 0) {
            if (h < 1 || h > 12)
                return QTime();
            h = h % 12 + 12 * half;
        }
        return QTime(h, m, sec); // invalid when out of range
    }

    std::vector<Token> m_tokens;
    bool m_fast = true;
    int m_checks = 64;
    QString m_am, m_pm;
    QString m_datePrefix;
    QDate m_lastDate;
    std::optional<int> m_dayOffset;
};

// The first quoted field of a line, as NeemVeld takes it; `rest` is where the line goes on.
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

void readError(const QString &naam)
{
    WindowHost::current().message(Taaltekst(449), MsgBox::OkOnly | MsgBox::Critical, naam);
    LaatsteAntwoord = 2;
}

} // namespace

void HerstelGrafieken()
{
    AantalRijen = 0;
    DataViews &views = dataViews();
    for (qint16 slot = 1; slot <= MaxToestellen; ++slot) {
        if (!ToestelGeldig(slot))
            continue;
        if (views.tabel)
            views.tabel->WisTabelGegevens(slot - 1);
        if (views.tonenMeting)
            views.tonenMeting(slot);
    }
    if (views.wisGrafiekGegevens)
        for (int g = 1; g <= MaxGrafieken; ++g)
            if (GrafiekInGebruik(g))
                views.wisGrafiekGegevens(g);
}

void LeesMeetbestand(const QString &naam)
{
    const QString path = VervangDatum(naam);
    if (naam.isEmpty() || !QFileInfo::exists(path)) {
        LaatsteAntwoord = 1;
        return;
    }
    AantalRijen = -1;
    HerstelGrafieken();
    AantalRijen = -1;
    LadenBezig = true;
    TableSink *tabel = dataViews().tabel;

    QFile file(path);
    bool failed = !file.open(QIODevice::ReadOnly);
    ToonVoortgang(0, 100, 0, Taaltekst(181), path);
    const qint64 length = qMax<qint64>(1, file.size());
    if (tabel) {
        tabel->StelTabelIn(false);
        tabel->beginFileLoad();
    }
    const QString decimal = DecimaalTeken();

    // Slots whose model is known take their fields; only the valid ones keep them.
    QList<int> slotsWithType;
    for (int d = 1; d <= MaxToestellen; ++d)
        if (!ControleerType(Toestel[d].Type).isEmpty())
            slotsWithType << d;

    TimeReader times;
    qint64 count = 0;
    int shownValue = -1;
    qint64 linesSinceStep = 0;
    bool cancelled = false;
    bool presized = false;
    QByteArray pending;
    bool atEnd = false;
    // Read in large blocks and cut them into lines here: one system call per line would
    // dominate the time of a long file.
    while (!failed && !cancelled && !atEnd) {
        QByteArray block = file.read(1 << 20);
        if (block.isNull() && file.error() != QFileDevice::NoError) {
            failed = true;
            break;
        }
        atEnd = block.isEmpty();
        if (tabel && !presized) {
            // One insertion of about the file's rows instead of one per row per grid.
            presized = true;
            const qsizetype lines = block.count('\n');
            if (lines > 1) {
                const qint64 estimate = qMin<qint64>(length / (block.size() / lines) * 51 / 50 + 8,
                                                     std::numeric_limits<qint32>::max() / 2);
                for (int d = 1; d <= MaxToestellen; ++d)
                    if (ToestelGeldig(d))
                        tabel->gridData(d - 1).setRows(qint32(estimate) + 2);
            }
        }
        if (!pending.isEmpty()) {
            block.prepend(pending);
            pending.clear();
        }
        // One byte is one character in this encoding, so the text and the bytes line up.
        const QString text = Cp1252::decode(block);
        qsizetype start = 0;
        for (;;) {
            qsizetype end = text.indexOf(u'\n', start);
            if (end < 0) {
                if (!atEnd) {
                    pending = block.mid(start);
                    break;
                }
                if (start >= block.size())
                    break;
                end = block.size();
            }
            qsizetype stop = end;
            if (stop > start && text[stop - 1] == u'\r')
                --stop;
            const QStringView line = QStringView(text).mid(start, stop - start);
            start = end + 1;

            count += line.size();
            const int value = int(qMin<qint64>(100, count * 100 / length));
            // The window needs a turn of the event loop when its bar moves, and often enough
            // between that for Cancel to be seen at once.
            if (value != shownValue || ++linesSinceStep >= 1024) {
                shownValue = value;
                linesSinceStep = 0;
                StapVoortgang(value, &cancelled);
                if (cancelled)
                    break;
            }
            if (AantalRijen < 0) {
                AantalRijen = 0; // the header line
                continue;
            }
            qsizetype pos = 0;
            const QDateTime moment = times.read(firstField(line, pos));
            if (!moment.isValid())
                continue; // a blank line, a second header, any other text
            ++AantalRijen;
            MeetTijdstip = moment;
            if (RelatieveTijd && !TijdBasis.isValid())
                TijdBasis = moment.toLocalTime();
            if (tabel)
                for (int d : slotsWithType)
                    tabel->fillFromFileLine(d, line, pos, decimal);
        }
        if (atEnd)
            break;
    }
    if (AantalRijen < 0)
        AantalRijen = 0;
    if (MeetTijdstip.isValid())
        MeetTijdstip = MeetTijdstip.toLocalTime();
    if (tabel) {
        tabel->endFileLoad();
        // Rows made ahead and not filled go again; the row after the last record keeps its
        // number, as when rows are added one by one.
        for (int d = 1; d <= MaxToestellen; ++d) {
            if (!ToestelGeldig(d))
                continue;
            GridData &g = tabel->gridData(d - 1);
            if (g.rows() > AantalRijen + 2) {
                g.setRows(AantalRijen + 2);
                if (AantalRijen > 0)
                    g.setTextMatrix(AantalRijen + 1, 0, QString::number(AantalRijen + 1));
            }
        }
        tabel->InstellenZichtbaarheidTabel();
        tabel->redraw();
    }
    LadenBezig = false;
    file.close();
    SluitVoortgang();
    if (failed)
        readError(naam);
    else
        LaatsteAntwoord = 1;
}

void LaadMeetbestand()
{
    Hourglass hourglass;
    // Loading replaces the rows that logging appends to: stop logging first (stop record),
    // so no record goes to a file the table no longer shows.
    if (LoggenActief && dataViews().stopVerbinding)
        dataViews().stopVerbinding();
    LoggenActief = false;
    DataLog::instance().close();

    const QString name = Meetbestandsnaam;
    const QString path = VervangDatum(name);
    const bool exists = !name.isEmpty() && QFileInfo::exists(path);
    if (!name.isEmpty()) {
        AantalRijen = 0;
        if (exists) {
            bool herladen = false;
            HerstelNieuwBestand(path, herladen, true);
            LeesMeetbestand(name);
            HerInitialiseerGrafieken();
        }
    }
    if (!name.contains(QLatin1String("#date#")) && !exists) {
        WindowHost::current().message(Taaltekst(252) + QStringLiteral("\r\n\r\n") + name
                                          + QStringLiteral("\r\n"),
                                      MsgBox::OkOnly | MsgBox::Exclamation,
                                      Taaltekst(187) + QLatin1Char(':'));
        ZetAntwoord(2);
        VerwijderRecentBestand(name);
        return;
    }
    WindowHost::current().titleChanged();
    ZetAntwoord(1);
}
