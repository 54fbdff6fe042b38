#include "core/datafilereader.h"

#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "mainwindow/mainwindow.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "support/language.h"
#include "support/progress.h"
#include "views/readingdisplay.h"
#include "views/table.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

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

// Record times repeat their date on every line and often their whole text: remember the last
// date text read, so that most lines only read their time.
class TimeReader {
public:
    QDateTime read(const QString &text)
    {
        if (text == m_lastText)
            return m_last;
        QDateTime result;
        const qsizetype cut = text.lastIndexOf(QLatin1Char(' '));
        if (cut > 0 && m_lastDate.isValid() && QStringView(text).left(cut) == m_lastDateText) {
            const QTime time = DateTimeText::parseTime(text.mid(cut + 1));
            if (time.isValid())
                result = QDateTime(m_lastDate, time);
        }
        if (!result.isValid()) {
            result = DateTimeText::parse(text);
            // Learn the date part only when the text is the date, a blank and a time.
            if (result.isValid() && cut > 0
                && DateTimeText::parseTime(text.mid(cut + 1)) == result.time()) {
                m_lastDateText = text.left(cut);
                m_lastDate = result.date();
            }
        }
        m_lastText = text;
        m_last = result;
        return result;
    }

private:
    QString m_lastText;
    QDateTime m_last;
    QString m_lastDateText;
    QDate m_lastDate;
};

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
        if (views.tonenMeting) {
            views.tonenMeting(slot);
        } else {
            qint16 s = slot;
            bool leeg = true;
            TonenMeting(s, leeg);
        }
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
    frmTabel *tabel = dataViews().tabel;

    QFile file(path);
    bool failed = !file.open(QIODevice::ReadOnly);
    ToonVoortgang(0, 100, 0, Taaltekst(181));
    FrmVoortgang::instance().setWindowTitle(path);
    const qint64 length = qMax<qint64>(1, file.size());
    if (tabel)
        tabel->StelTabelIn(false);

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
        if (!pending.isEmpty()) {
            block.prepend(pending);
            pending.clear();
        }
        qsizetype start = 0;
        for (;;) {
            qsizetype end = block.indexOf('\n', start);
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
            if (stop > start && block[stop - 1] == '\r')
                --stop;
            QString line = Cp1252::decode(QByteArray::fromRawData(block.constData() + start, stop - start));
            start = end + 1;

            count += line.size();
            const int value = int(qMin<qint64>(100, count * 100 / length));
            // The window needs a turn of the event loop when its bar moves, and often enough
            // between that for Cancel to be seen at once.
            if (value != shownValue || ++linesSinceStep >= 256) {
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
            QString first = NeemVeld(line, 0);
            first.remove(QLatin1Char('"'));
            const QDateTime moment = times.read(first);
            if (!moment.isValid())
                continue; // a blank line, a second header, any other text
            ++AantalRijen;
            MeetTijdstip = moment;
            if (RelatieveTijd && !TijdBasis.isValid())
                TijdBasis = moment;
            if (tabel)
                for (int d : slotsWithType)
                    tabel->VulEnkeleTabelAanUitBestand(d, line);
        }
        if (atEnd)
            break;
    }
    if (AantalRijen < 0)
        AantalRijen = 0;
    if (tabel) {
        tabel->InstellenZichtbaarheidTabel();
        tabel->update();
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
    if (mdiQLV2 *main = mdiQLV2::instance())
        main->ZetTitel();
    ZetAntwoord(1);
}
