#include "core/datafile.h"

#include "core/datafileparse.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "support/language.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace Hoofdmodule;

namespace {

// Blanks only, as the format's own readers trim.
QString trimBlanks(const QString &text)
{
    qsizetype a = 0, b = text.size();
    while (a < b && text[a] == QLatin1Char(' '))
        ++a;
    while (b > a && text[b - 1] == QLatin1Char(' '))
        --b;
    return text.mid(a, b - a);
}

QString field(const QString &text) { return trimBlanks(DataVeldTekst(text)); }

QString joinFields(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += Aanhalingsteken + fields[i] + Aanhalingsteken;
    }
    return line;
}

const QByteArray lineEnd("\r\n");

} // namespace

QString SchrijfFoutTekst(const QString &path, int errnum)
{
    int index;
    switch (errnum) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        index = 503; // the disk (or the user's share of it) is full
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        index = 504;
        break;
    case 0: // nothing more is known
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        index = 278; // in use
        break;
    default:
        index = 505;
    }
    QString text = Taaltekst(index);
    text.replace(QLatin1Char('#'), QDir::toNativeSeparators(path));
    // The errors the language tables name are told in the user's language alone; the system's
    // own (English) text only says what they do not.
    if (index == 505 && errnum != 0)
        text += QStringLiteral("\n\n") + QString::fromLocal8Bit(std::strerror(errnum));
    return text;
}

QString DataVeldTekst(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c == QLatin1Char('"') || DataFileParse::isStrayChar(c.unicode()))
            c = QLatin1Char(' ');
    return out;
}

QString KopRegel()
{
    QStringList fields{QStringLiteral("Time")};
    for (int d = 1; d <= MaxToestellen; ++d) {
        if (!ToestelGeldig(d))
            continue;
        for (int k = 1; k <= MaxKanalen; ++k) {
            const QString name = field(Toestel[d].Kanaal[size_t(k)].Naam);
            fields << QStringLiteral("Value ") + name << QStringLiteral("Unit ") + name;
        }
        fields << field(Taaltekst(319)) << field(Taaltekst(317)) << field(Taaltekst(318));
    }
    return joinFields(fields);
}

QString MetingRegel(const QString &tekst, int slot)
{
    const bool stop = tekst == QLatin1String("Stop");
    QStringList fields{field(DateTimeText::format(MeetTijdstip))};
    for (int d = 1; d <= MaxToestellen; ++d) {
        if (!ToestelGeldig(d))
            continue;
        ToestelGegevens &t = Toestel[d];
        bool carries = (slot == 0 || slot == d) && t.Actief && !stop;
        QString control;
        if (carries && t.FoutTeller > 0) {
            control = Taaltekst(294);
            t.Relais.clear();
            carries = false;
        }
        for (int k = 1; k <= MaxKanalen; ++k) {
            if (carries && k <= t.Kanalen) {
                const KanaalGegevens &c = t.Kanaal[size_t(k)];
                fields << field(c.Waarde) << field(c.Eenheid);
                control += QLatin1Char(' ') + trimBlanks(c.Status);
            } else {
                fields << QString() << QString();
            }
        }
        fields << field(control) << field(t.Relais) << (stop ? QString() : field(tekst));
    }
    return joinFields(fields);
}

QString VervangDatum(const QString &name)
{
    if (!name.contains(QLatin1String("#date#")))
        return name;
    QString out = name;
    out.replace(QLatin1String("#date#"), Clock::current().now().date().toString(QStringLiteral("yyMMdd")));
    return out;
}

void NieuweBestandsnaam()
{
    Meetbestandsnaam = QDir(DataMap).absoluteFilePath(QStringLiteral("Untitled.csv"));
    AantalRijen = 0;
}

QString NeemVeld(QString &line, int veld)
{
    QString rest = line;
    int counter = veld == 0 ? -1 : 0;
    QString result;
    while (!rest.isEmpty() && counter < veld) {
        result.clear();
        const qsizetype open = rest.indexOf(QLatin1Char('"'));
        if (open >= 0) {
            ++counter;
            rest = rest.mid(open + 1);
            const qsizetype close = rest.indexOf(QLatin1Char('"'));
            if (close >= 0) {
                result = rest.left(close);
                rest = rest.mid(close + 1);
                continue;
            }
        }
        result = rest;
        rest.clear();
    }
    if (veld == 0)
        line = rest;
    return counter == veld ? result : QString();
}

void VervangVeld(QString &line, int veld, const QString &tekst)
{
    if (veld == 0)
        veld = 1;
    QString out;
    QString rest = line;
    int n = 0;
    for (;;) {
        const qsizetype open = rest.indexOf(QLatin1Char('"'));
        if (open < 0) {
            out += rest;
            break;
        }
        out += rest.left(open + 1);
        rest = rest.mid(open + 1);
        ++n;
        const qsizetype close = rest.indexOf(QLatin1Char('"'));
        const QString own = close >= 0 ? rest.left(close) : rest;
        rest = close >= 0 ? rest.mid(close + 1) : QString();
        out += (n == veld ? DataVeldTekst(tekst) : own) + QLatin1Char('"');
    }
    line = out;
}

QString BestandUitCommando(const QString &text)
{
    LaatsteAntwoord = 1;
    QString name = text.trimmed();
    if (name.isEmpty())
        return QString();
    if (!name.contains(QLatin1String(".csv"), Qt::CaseInsensitive))
        name += QStringLiteral(".csv");
    const QFileInfo info(name);
    // A bare name lives in the data folder; a relative folder is taken from where we started.
    const QString folder = name.contains(QLatin1Char('/')) ? info.absolutePath()
                                                           : QDir(DataMap).absolutePath();
    const QString absolute = QDir(folder).absoluteFilePath(info.fileName());
    LaatsteMap = folder;
    if (!QDir(folder).exists()) {
        DialogProvider::current().messageBox(nullptr, Taaltekst(269),
                                             MsgBox::OkOnly | MsgBox::Critical,
                                             QDir::toNativeSeparators(folder));
        LaatsteAntwoord = 2;
    }
    return absolute;
}

DataLog &DataLog::instance()
{
    static DataLog log;
    return log;
}

bool DataLog::openFile(const QString &path)
{
    m_file.close();
    m_file.setFileName(path);
    // Unbuffered: a record is handed to the system in one write, so an ended program leaves
    // whole lines only.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_errno = errno;
        m_error = m_file.errorString();
        return false;
    }
    m_startNewLine = false;
    m_utf8 = false;
    if (m_file.size() > 0) {
        QFile ends(path);
        // Unbuffered: four bytes are looked at, after every record; a buffered read would
        // fetch a whole block each time.
        if (ends.open(QIODevice::ReadOnly | QIODevice::Unbuffered) && !ends.isSequential()) {
            // Records are appended in the file's own encoding.
            m_utf8 = FileText::hasUtf8Bom(ends.read(3));
            if (ends.seek(ends.size() - 1))
                m_startNewLine = ends.read(1) != "\n";
        }
    }
    m_error.clear();
    return true;
}

bool DataLog::open()
{
    m_failing = false;
    m_unwritten = 0;
    emit unwrittenRecordsChanged(0);
    return openFile(VervangDatum(Meetbestandsnaam));
}

void DataLog::close() { m_file.close(); }

bool DataLog::convertToUtf8()
{
    const QString path = m_file.fileName();
    m_file.close();
    QFile in(path);
    QSaveFile out(path);
    // Unbuffered, so a short write shows in write()'s count.
    bool ok = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
              && out.write(FileText::utf8Bom, 3) == 3;
    while (ok && !in.atEnd()) {
        // One byte is one character in Windows-1252, so any cut between blocks is clean.
        const QByteArray block = in.read(1 << 20);
        const QByteArray utf8 = Cp1252::decode(block).toUtf8();
        ok = !block.isEmpty() && out.write(utf8) == utf8.size();
    }
    ok = ok && in.error() == QFileDevice::NoError && out.commit();
    const int failure = errno;
    if (!ok) {
        m_errno = failure;
        m_error = out.errorString();
        out.cancelWriting();
    }
    // The old file (unchanged) or the new one takes the records again.
    return openFile(path) && ok;
}

void DataLog::recordFailed(const QString &path)
{
    ++m_unwritten;
    if (!m_failing) {
        // Once per run of failures, and without waiting: polling goes on underneath.
        m_failing = true;
        WindowHost::current().message(SchrijfFoutTekst(path, m_errno),
                                      MsgBox::OkOnly | MsgBox::Exclamation | MsgBox::DoNotWait,
                                      Meetbestandsnaam);
    }
    emit unwrittenRecordsChanged(m_unwritten);
}

bool DataLog::SchrijfMeting(const QString &tekst, int slot)
{
    const QString record = MetingRegel(tekst, slot);
    const QString path = m_file.isOpen() ? m_file.fileName() : VervangDatum(Meetbestandsnaam);
    if (!m_file.isOpen() && !openFile(path)) {
        recordFailed(path);
        return false;
    }
    qint64 before = m_file.size();
    const QString header = before == 0 ? KopRegel() : QString();
    // A new file is Windows-1252 when its first texts fit; a Windows-1252 file that a record
    // does not fit becomes UTF-8 once, as a whole.
    if (before == 0) {
        m_utf8 = !FileText::fitsCp1252(header) || !FileText::fitsCp1252(record);
    } else if (!m_utf8 && !FileText::fitsCp1252(record)) {
        if (!convertToUtf8()) {
            recordFailed(path);
            return false;
        }
        before = m_file.size();
    }
    const FileText::Encoding encoding = m_utf8 ? FileText::Encoding::Utf8
                                               : FileText::Encoding::Cp1252;
    QByteArray bytes;
    if (m_startNewLine)
        bytes += lineEnd;
    if (before == 0) {
        if (m_utf8)
            bytes += FileText::utf8Bom;
        bytes += FileText::encode(header, encoding) + lineEnd;
    }
    bytes += FileText::encode(record, encoding) + lineEnd;
    errno = 0;
    const qint64 written = m_file.write(bytes);
    if (written != bytes.size()) {
        m_errno = errno;
        m_error = m_file.errorString();
        // Cut back to the last whole record, so nothing half is left for the next one to join.
        if (!m_file.isSequential())
            m_file.resize(before);
        m_file.close();
        recordFailed(path);
        return false;
    }
    // Users log for days on PCs that may lose power: a record counts as written once it is on
    // the disk, not in the system's cache.
    ::fdatasync(m_file.handle());
    m_startNewLine = false;
    m_failing = false;
    // Closed and reopened after every record, by the expanded name: a "#date#" file moves on
    // to the new day's file here.
    m_file.close();
    for (;;) {
        const QString next = VervangDatum(Meetbestandsnaam);
        if (openFile(next))
            break;
        const int answer = WindowHost::current().message(
            SchrijfFoutTekst(next, m_errno), MsgBox::RetryCancel | MsgBox::Exclamation,
            Meetbestandsnaam);
        if (answer == MsgBox::Retry)
            continue;
        LoggenActief = false;
        emit loggingSwitchedOff();
        break;
    }
    return true;
}

bool SchrijfMeting(const QString &tekst, int slot)
{
    return DataLog::instance().SchrijfMeting(tekst, slot);
}
