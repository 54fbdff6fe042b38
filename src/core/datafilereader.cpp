#include "core/datafilereader.h"

#include "core/conversions.h"
#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafileparse.h"
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
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QStringTokenizer>
#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

using namespace Hoofdmodule;
using DataFileParse::TimeReader;

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

void readError(const QString &naam)
{
    WindowHost::current().message(Taaltekst(449), MsgBox::OkOnly | MsgBox::Critical, naam);
    LaatsteAntwoord = 2;
}

void notADataFile(const QString &naam)
{
    WindowHost::current().message(Taaltekst(312), MsgBox::OkOnly | MsgBox::Exclamation, naam);
    LaatsteAntwoord = 2;
}

// Blanks every foreign byte of `bytes` in place and notes the lines (counted from 0, by their
// line feeds) that held one, each once.
void blankForeignBytes(char *bytes, qsizetype size, std::vector<qsizetype> &lines)
{
    lines.clear();
    qsizetype at = 0, counted = 0, line = 0;
    for (;;) {
        const qsizetype f = DataFileParse::foreignByte(QByteArrayView(bytes + at, size - at));
        if (f < 0)
            return;
        const qsizetype pos = at + f;
        line += std::count(bytes + counted, bytes + pos, '\n');
        counted = pos;
        bytes[pos] = ' ';
        if (lines.empty() || lines.back() != line)
            lines.push_back(line);
        at = pos + 1;
    }
}

bool isHeaderLine(QStringView line)
{
    qsizetype rest = 0;
    return DataFileParse::firstField(line, rest).trimmed() == u"Time";
}

// What a load found that it did not take as written: told once for a file as it stands, not
// again at every reload of the same file (relative time, a new time origin).
void tellCleaned(const QString &naam, qint64 skipped, qint64 cleaned)
{
    static QString toldFor;
    const QFileInfo info(VervangDatum(naam));
    const QString key = info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size())
                        + QLatin1Char('|') + QString::number(skipped) + QLatin1Char('|')
                        + QString::number(cleaned);
    if (skipped + cleaned == 0 || key == toldFor)
        return;
    toldFor = key;
    // Without waiting: the rows are there, and polling goes on under the box.
    WindowHost::current().message(StrayBytesMessage(naam, skipped, cleaned),
                                  MsgBox::OkOnly | MsgBox::Information | MsgBox::DoNotWait, naam);
}

} // namespace

QString StrayBytesMessage(const QString &naam, qint64 skipped, qint64 cleaned)
{
    // One short line each, so the box stays narrow; a count of 0 has nothing to tell.
    QString text = Taaltekst(521);
    text.replace(QLatin1Char('#'), QDir::toNativeSeparators(naam));
    auto count = [&text](qint64 n, int one, int more) {
        if (n > 0)
            text += QStringLiteral("\r\n")
                    + Taaltekst(n == 1 ? one : more).replace(QStringLiteral("##"), QString::number(n));
    };
    count(skipped, 540, 541);
    count(cleaned, 542, 543);
    return text;
}

bool IsDataFileStart(QByteArray start)
{
    const bool utf8 = FileText::hasUtf8Bom(start.left(3));
    if (utf8)
        start.remove(0, 3);
    std::vector<qsizetype> strays;
    blankForeignBytes(start.data(), start.size(), strays);
    const QString text = utf8 ? QString::fromUtf8(start) : Cp1252::decode(start);
    QList<QStringView> firstFields;
    bool first = true;
    for (QStringView line : QStringTokenizer(text, u'\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (std::exchange(first, false) && isHeaderLine(line))
            return true;
        qsizetype rest = 0;
        firstFields << DataFileParse::firstField(line, rest);
        if (firstFields.size() >= 64)
            break;
    }
    // Nothing but blanks (a new file, or one a power loss left as zeros) is an empty data file.
    if (first)
        return true;
    std::vector<TimeReader> readers = DataFileParse::timeReaders();
    return DataFileParse::pickTimeReader(readers, firstFields) >= 0;
}

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
    int validSlots = 0;
    for (int d = 1; d <= MaxToestellen; ++d)
        validSlots += ToestelGeldig(d) ? 1 : 0;

    std::vector<TimeReader> forms = DataFileParse::timeReaders();
    TimeReader *times = nullptr;
    auto pick = [&](const QList<QStringView> &fields) {
        const int i = DataFileParse::pickTimeReader(forms, fields);
        times = i < 0 ? nullptr : &forms[size_t(i)];
    };
    qint64 unreadTimes = 0; // first fields no form read before one was found
    qint64 skipped = 0;     // lines with stray bytes that are no record
    qint64 cleaned = 0;     // records read with blanks for stray bytes
    std::vector<qsizetype> strayLines;
    qint64 count = 0;
    int shownValue = -1;
    qint64 linesSinceStep = 0;
    bool cancelled = false;
    // Read in large blocks and cut them into lines here: one system call per line would
    // dominate the time of a long file. One read buffer and one text buffer serve the whole
    // file; an unfinished line is moved to the front of the buffer and the next block read
    // behind it.
    constexpr qsizetype blockSize = 1 << 20;
    QByteArray buffer(blockSize, Qt::Uninitialized);
    QString text;
    QStringDecoder utf8(QStringDecoder::Utf8);
    bool isUtf8 = false;
    qsizetype held = 0;
    qint64 consumed = 0;
    bool firstBlock = true;
    bool atEnd = false;
    while (!failed && !cancelled && !atEnd) {
        if (buffer.size() - held < blockSize)
            buffer.resize(held + blockSize); // a line longer than a block
        const qint64 got = file.read(buffer.data() + held, blockSize);
        if (got < 0) {
            failed = true;
            break;
        }
        atEnd = got == 0;
        const QByteArrayView bytes(buffer.constData(), held + got);
        qsizetype skip = 0;
        if (firstBlock) {
            firstBlock = false;
            isUtf8 = FileText::detect(QByteArray::fromRawData(bytes.data(), qMin<qsizetype>(bytes.size(), 3)))
                == FileText::Encoding::Utf8;
            skip = isUtf8 ? 3 : 0;
        }
        // Whole lines only; the rest waits for the next block.
        qsizetype whole = bytes.size();
        if (!atEnd)
            whole = bytes.lastIndexOf('\n') + 1;
        if (whole <= skip) {
            held = bytes.size();
            continue;
        }
        // A stray byte inside a line is read as a blank.
        blankForeignBytes(buffer.data() + skip, whole - skip, strayLines);
        const QByteArrayView lines = bytes.sliced(skip, whole - skip);
        if (text.size() < lines.size())
            text.resize(lines.size());
        qsizetype textSize = lines.size();
        if (isUtf8)
            textSize = utf8.appendToBuffer(text.data(), lines) - text.constData();
        else
            Cp1252::decodeInto(lines, text.data());
        const QStringView chunk(text.constData(), textSize);

        if (!times) {
            // The form of the record times is the first that reads the file's first records.
            QList<QStringView> fields;
            bool header = AantalRijen < 0;
            for (QStringView line : QStringTokenizer(chunk, u'\n')) {
                if (std::exchange(header, false))
                    continue;
                qsizetype pos = 0;
                const QStringView field = DataFileParse::firstField(line, pos);
                if (!field.trimmed().isEmpty())
                    fields << field;
                if (fields.size() >= 32)
                    break;
            }
            pick(fields);
            if (times && tabel) {
                // One insertion of about the file's rows instead of one per row per grid.
                qint64 records = 0;
                for (QStringView line : QStringTokenizer(chunk, u'\n')) {
                    qsizetype pos = 0;
                    records += times->read(DataFileParse::firstField(line, pos)).isValid() ? 1 : 0;
                }
                const qint64 estimate
                    = DataFileParse::estimateRows(length, consumed + whole, records, validSlots);
                if (estimate > 0)
                    for (int d = 1; d <= MaxToestellen; ++d)
                        if (ToestelGeldig(d))
                            tabel->gridData(d - 1).setRows(qint32(estimate) + 2);
            }
        }

        qsizetype start = 0;
        qsizetype lineNumber = -1;
        auto nextStray = strayLines.cbegin();
        while (start < chunk.size()) {
            qsizetype end = chunk.indexOf(u'\n', start);
            if (end < 0)
                end = chunk.size();
            qsizetype stop = end;
            if (stop > start && chunk[stop - 1] == u'\r')
                --stop;
            const QStringView line = chunk.mid(start, stop - start);
            start = end + 1;
            const bool stray = nextStray != strayLines.cend() && *nextStray == ++lineNumber;
            if (stray)
                ++nextStray;

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
                AantalRijen = 0; // the header line, read as no record
                skipped += stray ? 1 : 0;
                continue;
            }
            qsizetype pos = 0;
            const QStringView field = DataFileParse::firstField(line, pos);
            if (!times && !field.trimmed().isEmpty()) {
                pick({field});
                unreadTimes += times ? 0 : 1;
            }
            const QDateTime moment = times ? times->read(field) : QDateTime();
            if (!moment.isValid()) {
                // A blank line, a second header or other text is skipped as it always was; a
                // line damaged by stray bytes is told.
                skipped += stray ? 1 : 0;
                continue;
            }
            cleaned += stray ? 1 : 0;
            ++AantalRijen;
            MeetTijdstip = moment;
            if (RelatieveTijd && !TijdBasis.isValid())
                TijdBasis = moment.toLocalTime();
            if (tabel)
                for (int d : slotsWithType)
                    tabel->fillFromFileLine(d, line, pos, decimal);
        }
        consumed += whole;
        held = bytes.size() - whole;
        std::memmove(buffer.data(), buffer.constData() + whole, size_t(held));
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
            if (g.rows() >= AantalRijen + 2) {
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
    if (failed) {
        readError(naam);
    } else if (AantalRijen == 0 && unreadTimes > 0) {
        // Lines with a first field, none of them a time this program reads: say so rather than
        // show an empty table.
        WindowHost::current().message(Taaltekst(506), MsgBox::OkOnly | MsgBox::Exclamation, naam);
        LaatsteAntwoord = 2;
    } else {
        LaatsteAntwoord = 1;
        if (!cancelled)
            tellCleaned(naam, skipped, cleaned);
    }
}

bool acceptAsDataFile(const QString &path)
{
    QFile file(VervangDatum(path));
    if (!file.open(QIODevice::ReadOnly))
        return true; // a missing or unreadable file is told by the load
    if (IsDataFileStart(file.read(1 << 20)))
        return true;
    notADataFile(path);
    return false;
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
    // Every road that opens a data file comes here: a file that is none (told) never becomes
    // the file that logging appends to, nor goes on the recent-files list.
    if (!name.isEmpty() && QFileInfo::exists(path) && !acceptAsDataFile(name)) {
        NieuweBestandsnaam();
        ZetAlleenLezen(VervangDatum(Meetbestandsnaam));
        WindowHost::current().titleChanged();
        ZetAntwoord(2);
        return;
    }
    // Every road that opens a data file comes here, so each one judges it the same way, before
    // a pending working copy is settled.
    ZetAlleenLezen(path);
    const bool exists = !name.isEmpty() && QFileInfo::exists(path);
    if (!name.isEmpty()) {
        AantalRijen = 0;
        // A rewrite's output exists only while an edit runs: one found now was left by a
        // program that was stopped in the middle, and the working copy is still as before it.
        if (!path.isEmpty())
            QFile::remove(HerschrijfNaam(path));
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
