#include "core/datafilecopies.h"

#include "core/conversions.h"
#include "core/datafile.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/mainlink.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Hoofdmodule;

namespace {

const QByteArray lineEnd("\r\n");

// The text of one data line in the file's encoding, with its line end.
QByteArray encodedLine(const QString &line, bool utf8)
{
    return FileText::encode(line, utf8 ? FileText::Encoding::Utf8 : FileText::Encoding::Cp1252)
           + lineEnd;
}

// The system message box of the main window.
int systemBox(const QString &text, int flags, const QString &title)
{
    return DialogProvider::current().messageBox(MainLink::mainWindow(), text, flags, title);
}

QString joinFields(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += Aanhalingsteken + DataVeldTekst(fields[i]) + Aanhalingsteken;
    }
    return line;
}

// Copies a file byte for byte to a name that does not exist yet. The copy may be written to,
// whatever the source's permissions were.
bool copyFile(const QString &from, const QString &to)
{
    if (!QFile::copy(from, to))
        return false;
    QFile(to).setPermissions(QFile(to).permissions() | QFile::WriteOwner | QFile::WriteUser);
    return true;
}

// rename() that replaces an existing target in one step (QFile::rename refuses to).
// The file that the last failed step of a backup or an accept could not write, for its message.
QString failedFile;

bool renameOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData())
           == 0;
}

// Hands `take` the bytes of `in` from where it stands, a block at a time, so that a large file
// is never held in memory: up to `limit` bytes, or to the end when `limit` is negative. False
// when the file could not be read that far or `take` refused a block.
bool forEachBlock(QFile &in, qint64 limit, const std::function<bool(QByteArrayView)> &take)
{
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 left = limit; left != 0;) {
        const qint64 wanted = left < 0 ? block.size() : qMin<qint64>(left, block.size());
        const qint64 got = in.read(block.data(), wanted);
        if (got <= 0)
            return got == 0 && left < 0;
        if (!take(QByteArrayView(block.constData(), got)))
            return false;
        if (left > 0)
            left -= got;
    }
    return true;
}

// Writes `bytes` whole to an unbuffered file.
bool writeWhole(QFile &out, QByteArrayView bytes)
{
    return out.write(bytes.data(), bytes.size()) == bytes.size();
}

// Flushes a written file to the disk and closes it; false when any of it failed.
bool flushAndClose(QFile &out)
{
    const bool flushed = ::fsync(out.handle()) == 0;
    const int failure = errno;
    out.close();
    errno = failure;
    return flushed && out.error() == QFileDevice::NoError;
}

// Makes `to` hold what `from` holds, `from` staying where it is, and an old `to` being
// replaced only when the new one is whole: a hard link where the file system has them, else a
// flushed copy. Both go through a temporary name that then replaces `to` in one step.
bool sharedAs(const QString &from, const QString &to)
{
    const QString temporary = to + QStringLiteral(".tmp");
    QFile::remove(temporary);
    const QByteArray fromName = QFile::encodeName(from);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    bool made = ::link(fromName.constData(), temporaryName.constData()) == 0;
    if (!made) {
        QFile in(from);
        QFile out(temporary);
        made = in.open(QIODevice::ReadOnly)
               && out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
               && forEachBlock(in, -1, [&](QByteArrayView bytes) { return writeWhole(out, bytes); });
        made = made && flushAndClose(out);
    }
    if (made && renameOver(temporary, to))
        return true;
    const int failure = errno;
    QFile::remove(temporary);
    failedFile = made ? to : temporary;
    errno = failure;
    return false;
}

// The first bytes of a file, known by their number and their SHA-256.
struct NotedBytes {
    qint64 size = -1;
    QByteArray hash;
    bool valid() const { return size >= 0 && !hash.isEmpty(); }
};

// Where a pending working copy came from: the data file's name, and the size and hash of the
// bytes it was made from. Kept with the program's settings, as the working copy outlives the
// program, one note per data file: edits left pending in one file (a failed accept, a stop)
// keep their note while another file is edited. An accept that carries appended records also
// notes the file it puts in the data file's place, in one value, before it does so: a program
// stopped after that but before the working copy was gone then finds the accept done, rather
// than doing it once more.
const QString sharedSection = QStringLiteral("Working copy");
const QString dataKey = QStringLiteral("Data");
const QString acceptedKey = QStringLiteral("Accepted");

QString identityPath(const QString &path);

QString ownSection(const QString &naam)
{
    const QByteArray id = QCryptographicHash::hash(identityPath(naam).toUtf8(),
                                                   QCryptographicHash::Sha256);
    return sharedSection + QLatin1Char(' ') + QString::fromLatin1(id.toHex().left(16));
}

// A note written when one note served every data file, when it is about this one.
bool sharedNoteIsAbout(const QString &naam)
{
    const QString noted = Registry::read(RegisterNaam, sharedSection, dataKey);
    return !noted.isEmpty() && IsSameFile(noted, naam);
}

// The section that holds the data file's note; empty when there is none.
QString noteSection(const QString &naam)
{
    const QString own = ownSection(naam);
    if (Registry::contains(RegisterNaam, own, dataKey))
        return own;
    return sharedNoteIsAbout(naam) ? sharedSection : QString();
}

QString readNote(const QString &naam, const QString &key)
{
    const QString section = noteSection(naam);
    return section.isEmpty() ? QString() : Registry::read(RegisterNaam, section, key);
}

void forgetWorkingCopySource(const QString &naam)
{
    const QStringList sections = sharedNoteIsAbout(naam)
                                     ? QStringList{ownSection(naam), sharedSection}
                                     : QStringList{ownSection(naam)};
    for (const QString &section : sections)
        for (const QString &key : {dataKey, QStringLiteral("Size"), QStringLiteral("Hash"),
                                   acceptedKey})
            Registry::remove(RegisterNaam, section, key);
}

void noteWorkingCopySource(const QString &naam, qint64 size, const QByteArray &hash)
{
    forgetWorkingCopySource(naam);
    const QString section = ownSection(naam);
    Registry::write(RegisterNaam, section, dataKey, naam);
    Registry::write(RegisterNaam, section, QStringLiteral("Size"), QString::number(size));
    Registry::write(RegisterNaam, section, QStringLiteral("Hash"),
                    QString::fromLatin1(hash.toHex()));
}

NotedBytes parseNote(const QString &sizeText, const QString &hashText)
{
    bool sizeRead = false;
    const qint64 size = sizeText.toLongLong(&sizeRead);
    return sizeRead ? NotedBytes{size, QByteArray::fromHex(hashText.toLatin1())} : NotedBytes{};
}

// What the working copy of the data file was made from; nothing when no note is about this
// data file (a copy left by an older program).
NotedBytes workingCopySource(const QString &naam)
{
    return parseNote(readNote(naam, QStringLiteral("Size")), readNote(naam, QStringLiteral("Hash")));
}

void noteAccepted(const QString &naam, const NotedBytes &accepted)
{
    const QString section = noteSection(naam);
    if (!section.isEmpty())
        Registry::write(RegisterNaam, section, acceptedKey,
                        QString::number(accepted.size) + QLatin1Char(' ')
                            + QString::fromLatin1(accepted.hash.toHex()));
}

void forgetAccepted(const QString &naam)
{
    const QString section = noteSection(naam);
    if (!section.isEmpty())
        Registry::remove(RegisterNaam, section, acceptedKey);
}

enum class Prefix { Same, Different, Unreadable };

// Whether an open file starts with the noted bytes. It is left just after them.
Prefix startsWith(QFile &file, const NotedBytes &noted)
{
    if (file.size() < noted.size)
        return Prefix::Different;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!forEachBlock(file, noted.size, [&](QByteArrayView bytes) {
            hash.addData(bytes);
            return true;
        }))
        return Prefix::Unreadable;
    return hash.result() == noted.hash ? Prefix::Same : Prefix::Different;
}

// Whether a program stopped in an accept had already put the accepted file in the data file's
// place: the data file starts with it (records appended since follow), and only the working
// copy was left to go.
bool acceptFinished(const QString &naam)
{
    const QStringList accepted = readNote(naam, acceptedKey).split(QLatin1Char(' '));
    const NotedBytes noted = parseNote(accepted.value(0), accepted.value(1));
    QFile data(naam);
    return noted.valid() && data.open(QIODevice::ReadOnly)
           && startsWith(data, noted) == Prefix::Same;
}

// Writes the working copy and then the rest of the data file (the records another program
// appended to it since the copy was made) to `carried`, in the copy's encoding, and flushes it.
// What was written, or nothing when it could not be written whole.
std::optional<NotedBytes> writeCarried(const QString &working, QFile &data, bool dataUtf8,
                                       const QString &carried)
{
    QFile copy(working);
    QFile out(carried);
    if (!copy.open(QIODevice::ReadOnly)
        || !out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return std::nullopt;
    const bool copyUtf8 = FileText::hasUtf8Bom(copy.peek(3));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    auto put = [&](QByteArrayView bytes) {
        hash.addData(bytes);
        size += bytes.size();
        return writeWhole(out, bytes);
    };
    const bool written =
        forEachBlock(copy, -1, put) && forEachBlock(data, -1, [&](QByteArrayView tail) {
            // A Windows-1252 data file whose copy became UTF-8 through an edit: one byte is
            // one character, so a block cut anywhere converts cleanly.
            if (!dataUtf8 && copyUtf8)
                return put(Cp1252::decode(tail.toByteArray()).toUtf8());
            return put(tail);
        });
    if (!written || !flushAndClose(out))
        return std::nullopt;
    return NotedBytes{size, hash.result()};
}

struct AcceptResult {
    enum Outcome { Done, SourceChanged, Failed } outcome;
    int failure = 0; // errno of a failure
    QString file{};  // the file a failure could not write
};

AcceptResult backupWith(const QString &naam, const QString &copy)
{
    failedFile = naam;
    if (MaakBackup(naam, copy))
        return {AcceptResult::Done};
    const int failure = errno;
    return {AcceptResult::Failed, failure, failedFile};
}

// Puts the working copy in the data file's place, the data file becoming the backup. Records
// another program appended to the data file since the copy was made are carried along: the
// copy with them after it is written to a file of its own, which then takes the data file's
// place, and only after that the working copy goes. The working copy is never changed by an
// accept, so one tried again after a failure or a stop carries each record once.
// SourceChanged when the data file differs from the copy's source in any other way.
AcceptResult acceptWorkingCopy(const QString &naam, const QString &working)
{
    const NotedBytes source = workingCopySource(naam);
    QFile data(naam);
    // A copy of unknown source, or no data file: the copy simply becomes the data file.
    if (!source.valid() || !data.open(QIODevice::ReadOnly))
        return backupWith(naam, working);
    const bool dataUtf8 = FileText::hasUtf8Bom(data.peek(3));
    switch (startsWith(data, source)) {
    case Prefix::Different:
        return {AcceptResult::SourceChanged};
    case Prefix::Unreadable:
        return {AcceptResult::Failed, errno, naam};
    case Prefix::Same:
        break;
    }
    if (data.atEnd()) {
        data.close();
        return backupWith(naam, working);
    }
    const QString carried = HerschrijfNaam(naam);
    const std::optional<NotedBytes> made = writeCarried(working, data, dataUtf8, carried);
    int failure = errno;
    data.close();
    AcceptResult result{AcceptResult::Failed, failure, carried};
    if (made) {
        noteAccepted(naam, *made);
        result = backupWith(naam, carried);
    }
    if (result.outcome == AcceptResult::Done) {
        QFile::remove(working);
        return result;
    }
    QFile::remove(carried);
    forgetAccepted(naam);
    return result;
}

// The name under which edits the data file can no longer take are kept: a data file of their
// own beside it ("run (edited).csv"), numbered when that name or its working copy is taken.
QString keptEditsName(const QString &naam)
{
    const bool csv = naam.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const QString stem = csv ? naam.chopped(4) : naam;
    const QString suffix = csv ? naam.right(4) : QStringLiteral(".csv");
    auto taken = [](const QString &path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    const QString word = Taaltekst(524);
    for (int n = 1;; ++n) {
        const QString mark = n == 1 ? word : word + QLatin1Char(' ') + QString::number(n);
        const QString candidate = stem + QStringLiteral(" (") + mark + QLatin1Char(')') + suffix;
        if (!taken(candidate) && !taken(WerkkopieNaam(candidate)))
            return candidate;
    }
}

// The data file changed behind its working copy: neither is put over the other. The edits
// become a data file of their own, so nothing is left pending that could only be thrown away.
void keepEditsApart(const QString &naam, const QString &working)
{
    const QString kept = keptEditsName(naam);
    if (!QFile::rename(working, kept)) {
        systemBox(SchrijfFoutTekst(kept, errno), MsgBox::OkOnly | MsgBox::Exclamation, naam);
        return;
    }
    forgetWorkingCopySource(naam);
    QString text = Taaltekst(523);
    text.replace(QStringLiteral("##"), QDir::toNativeSeparators(kept));
    text.replace(QLatin1Char('#'), QDir::toNativeSeparators(naam));
    systemBox(text, MsgBox::OkOnly | MsgBox::Exclamation, naam);
}

// The path that names a file whatever way it is spelled (a linked folder, "..", letter case on
// a file system that ignores it): the canonical path where the file is, else its folder's.
QString identityPath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

} // namespace

bool IsSameFile(const QString &a, const QString &b)
{
    if (identityPath(a) == identityPath(b))
        return true;
    // Two names of one file on a file system that ignores letter case, or two hard links.
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
           && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
           && sa.st_ino == sb.st_ino;
}

QString BackupNaam(const QString &naam)
{
    static const QRegularExpression csv(QStringLiteral("\\.csv"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (!naam.contains(csv))
        return naam + QStringLiteral(".bak");
    QString out = naam;
    out.replace(csv, QStringLiteral(".bak"));
    return out;
}

bool SchrijfMeetbestand(const QString &bestandsnaam)
{
    TableSink *tabel = dataViews().tabel;
    // Windows-1252 until a text does not fit; then the file is written again as UTF-8.
    bool utf8 = false;
    for (;;) {
        // Unbuffered, so a short write shows in write()'s count: a buffered QSaveFile reports a
        // file cut short by a full disk as committed.
        QSaveFile file(bestandsnaam);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            const int answer = WindowHost::current().message(
                SchrijfFoutTekst(bestandsnaam, errno), MsgBox::RetryCancel | MsgBox::Exclamation,
                bestandsnaam);
            if (answer == MsgBox::Retry)
                continue;
            return false;
        }
        const QString header = KopRegel();
        utf8 = utf8 || !FileText::fitsCp1252(header);
        QByteArray out = (utf8 ? QByteArray(FileText::utf8Bom) : QByteArray())
                         + encodedLine(header, utf8);
        bool written = true;
        bool restart = false;
        for (qint32 r = 1; written && tabel && r <= AantalRijen; ++r) {
            QStringList fields;
            bool timeDone = false;
            for (int d = 1; d <= MaxToestellen; ++d) {
                if (!ToestelGeldig(d))
                    continue;
                const GridData &g = tabel->gridData(d - 1);
                if (!timeDone) {
                    // The absolute record time, also when the table shows relative times:
                    // the file must read back.
                    const QDateTime moment = g.rowTime(r);
                    fields << (moment.isValid() ? DateTimeText::format(moment)
                                                : g.textMatrix(r, 1) + QLatin1Char(' ')
                                                      + g.textMatrix(r, 2));
                    timeDone = true;
                }
                for (qint16 k = 1; k <= MaxKanalen; ++k) {
                    const int v = KolomVanKanaal(k);
                    if (k <= Toestel[d].Kanalen)
                        fields << g.textMatrix(r, v).trimmed() << g.textMatrix(r, v + 1).trimmed();
                    else
                        fields << QString() << QString();
                }
                fields << g.textMatrix(r, KolomRegeling) << g.textMatrix(r, KolomRelais)
                       << g.textMatrix(r, KolomOpmerking);
            }
            if (!timeDone)
                continue;
            const QString line = joinFields(fields);
            if (!utf8 && !FileText::fitsCp1252(line)) {
                restart = true;
                break;
            }
            out += encodedLine(line, utf8);
            if (out.size() > (1 << 20)) {
                written = file.write(out) == out.size();
                out.clear();
            }
        }
        if (restart) {
            file.cancelWriting();
            utf8 = true;
            continue;
        }
        errno = 0;
        if (written && file.write(out) == out.size() && file.commit())
            return true;
        // A short file is never left in the name's place: the old one (if any) stays.
        const int failure = errno;
        file.cancelWriting();
        WindowHost::current().message(SchrijfFoutTekst(bestandsnaam, failure),
                                      MsgBox::OkOnly | MsgBox::Exclamation, bestandsnaam);
        return false;
    }
}

bool MaakBackup(const QString &naam, const QString &werkkopie)
{
    if (AlleenLezen)
        return false;
    const QString backup = BackupNaam(naam);
    const bool hadData = QFileInfo::exists(naam);
    const bool withCopy = !werkkopie.isEmpty() && !naam.isEmpty();
    if (hadData && !withCopy) {
        // rename() puts the data file in the old backup's place in one step: there is a backup
        // at every moment, whenever the program is stopped.
        failedFile = backup;
        return renameOver(naam, backup);
    }
    if (hadData && !sharedAs(naam, backup))
        return false;
    // The data file is still there and the new backup holds the same data; the working copy
    // now replaces the data file in one step.
    failedFile = naam;
    return !withCopy || renameOver(werkkopie, naam);
}

bool HerschrijfWerkkopie(const QString &naam, const RegelBewerking &bewerking)
{
    const QString working = WerkkopieNaam(naam);
    const QString output = HerschrijfNaam(naam);
    // The working copy is taken from the data file at the first edit; the log reopens it by
    // itself at the next record.
    const bool first = !QFileInfo::exists(working);
    if (first)
        DataLog::instance().close();
    // The copy keeps the file's encoding; a Windows-1252 file that an edited line does not fit
    // is written again from the start, as UTF-8.
    bool toUtf8 = false;
    bool ok = true;
    int failure = 0;
    // The bytes of the data file the copy is made from, so that an accept can tell records
    // appended since from any other change.
    QCryptographicHash sourceHash(QCryptographicHash::Sha256);
    qint64 sourceSize = 0;
    for (bool again = true; again;) {
        again = false;
        sourceHash.reset();
        sourceSize = 0;
        QFile in(first ? naam : working);
        QFile out(output);
        ok = in.open(QIODevice::ReadOnly)
             && out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        const bool inUtf8 = ok && FileText::hasUtf8Bom(in.peek(3));
        const bool outUtf8 = inUtf8 || toUtf8;
        QByteArray pending = outUtf8 ? QByteArray(FileText::utf8Bom) : QByteArray();
        // Written in large pieces, each checked for its full length.
        auto writePending = [&] {
            ok = ok && out.write(pending) == pending.size();
            pending.clear();
        };
        qint64 number = 0;
        while (ok && !in.atEnd()) {
            QByteArray raw = in.readLine();
            if (raw.isEmpty() && in.error() != QFileDevice::NoError) {
                ok = false;
                break;
            }
            if (first) {
                sourceHash.addData(raw);
                sourceSize += raw.size();
            }
            if (number == 0 && inUtf8)
                raw.remove(0, 3);
            qsizetype body = raw.size();
            if (body > 0 && raw[body - 1] == '\n')
                --body;
            if (body > 0 && raw[body - 1] == '\r')
                --body;
            const QString original = inUtf8 ? QString::fromUtf8(raw.left(body))
                                             : Cp1252::decode(raw.left(body));
            QString line = original;
            if (!bewerking(line, ++number))
                continue;
            if (!outUtf8 && !FileText::fitsCp1252(line)) {
                toUtf8 = again = true;
                break;
            }
            // Lines the edit leaves alone keep their bytes exactly.
            pending += line == original && inUtf8 == outUtf8 ? raw : encodedLine(line, outUtf8);
            if (pending.size() >= (1 << 20))
                writePending();
        }
        if (again)
            continue;
        writePending();
        ok = ok && in.error() == QFileDevice::NoError && ::fsync(out.handle()) == 0;
        failure = errno;
        out.close();
        ok = ok && out.error() == QFileDevice::NoError;
    }
    // rename() replaces the working copy in one step: it is the old or the new one, never half.
    if (ok) {
        ok = std::rename(QFile::encodeName(output).constData(),
                         QFile::encodeName(working).constData()) == 0;
        failure = errno;
    }
    if (!ok) {
        QFile::remove(output);
        WindowHost::current().message(SchrijfFoutTekst(working, failure),
                                      MsgBox::OkOnly | MsgBox::Exclamation, naam);
    } else if (first) {
        noteWorkingCopySource(naam, sourceSize, sourceHash.result());
    }
    return ok;
}

void HerstelNieuwBestand(const QString &naam, bool &herladen, bool jaNee)
{
    const bool reload = herladen;
    herladen = false;
    const QString working = WerkkopieNaam(naam);
    if (!QFileInfo::exists(working))
        return;
    // The user's Yes was carried out up to the last step when the program stopped: the data
    // file holds the edits, and only the working copy was still to go.
    if (acceptFinished(naam)) {
        if (QFile::remove(working))
            forgetWorkingCopySource(naam);
        return;
    }
    const int answer = jaNee ? systemBox(Taaltekst(425), MsgBox::YesNo | MsgBox::Exclamation, naam)
                             : systemBox(Taaltekst(424), MsgBox::YesNoCancel | MsgBox::Exclamation,
                                         naam);
    if (answer == MsgBox::Yes) {
        // A read-only data file cannot take the edits: say so rather than do nothing.
        if (AlleenLezen || IsAlleenLezen(naam)) {
            systemBox(SchrijfFoutTekst(naam, EACCES), MsgBox::OkOnly | MsgBox::Exclamation, naam);
            return;
        }
        const AcceptResult result = acceptWorkingCopy(naam, working);
        if (result.outcome == AcceptResult::SourceChanged)
            keepEditsApart(naam, working);
        else if (result.outcome == AcceptResult::Failed)
            systemBox(SchrijfFoutTekst(result.file.isEmpty() ? naam : result.file, result.failure),
                      MsgBox::OkOnly | MsgBox::Exclamation, naam);
        else if (!QFileInfo::exists(working))
            forgetWorkingCopySource(naam);
    } else if (answer == MsgBox::No) {
        QFile::remove(working);
        forgetWorkingCopySource(naam);
        if (reload) {
            LaadMeetbestand();
            systemBox(Taaltekst(277), MsgBox::OkOnly | MsgBox::Information, naam);
        }
    } else {
        herladen = true;
    }
}

void BewaarMeetbestandAls(QString &naam, bool nieuwBestand)
{
    const QString old = naam;
    QString chosen;
    int result = 4;
    while (result == 4) {
        chosen = KiesBestandOpslaan(naam, QStringLiteral(".csv"), 182, nieuwBestand ? 284 : 186, 0);
        if (LaatsteAntwoord == 2) {
            result = 2;
            break;
        }
        const QString target = VervangDatum(chosen);
        // The file in memory under any other spelling of its name is still that file: writing
        // "over" it would back it up and write it again from the table.
        if (!nieuwBestand && (chosen == old || IsSameFile(target, VervangDatum(old)))) {
            systemBox(Taaltekst(282), MsgBox::OkOnly | MsgBox::Exclamation,
                      Taaltekst(186) + QStringLiteral(": ") + chosen);
            continue;
        }
        result = 1;
        bool failed = false;
        int failure = 0;
        if (QFileInfo::exists(target)) {
            if (systemBox(Taaltekst(118), MsgBox::YesNo | MsgBox::Exclamation, target)
                != MsgBox::Yes) {
                result = 4;
                continue;
            }
            // The old backup goes only as the new one takes its place.
            failed = !renameOver(target, BackupNaam(target));
            failure = errno;
        }
        if (!failed && !nieuwBestand) {
            const QString oldPath = VervangDatum(old);
            if (!old.isEmpty() && QFileInfo::exists(oldPath)) {
                // The log's file is closed for the copy, so the copy holds every record; it is
                // reopened under the chosen name below.
                DataLog::instance().close();
                failed = !copyFile(oldPath, target);
                failure = errno;
            } else if (!SchrijfMeetbestand(target)) {
                // Already told; the old name stays.
                result = 2;
                break;
            }
        }
        if (failed) {
            const int answer = systemBox(SchrijfFoutTekst(chosen, failure),
                                         MsgBox::OkCancel | MsgBox::Exclamation, chosen);
            result = answer == MsgBox::Ok ? 4 : 2;
            continue;
        }
        if (dataViews().updateFileMenu) {
            dataViews().updateFileMenu(chosen);
        } else {
            ToevoegenRecentBestand(chosen);
            VulRecenteBestanden();
        }
    }
    if (result == 1) {
        Registry::write(RegisterNaam, QStringLiteral("Settings"), QStringLiteral("LastFile"),
                        chosen);
        Meetbestandsnaam = chosen;
        naam = chosen;
        // The new data file is ours to write, whatever the one before was.
        ZetAlleenLezen(VervangDatum(chosen));
        WindowHost::current().titleChanged();
    } else {
        naam = old;
    }
    // Logging goes on in the data file now named, from the next record.
    if (LoggenActief && !DataLog::instance().isOpen())
        DataLog::instance().open();
    ZetAntwoord(qint16(result));
    LaatsteAntwoord = qint16(result);
}

RegelTijden::RegelTijden() : m_readers(DataFileParse::timeReaders()) {}

qint64 RegelTijden::seconden(const QDateTime &moment)
{
    const qint64 ms = GridStore::wallMs(moment);
    return ms == GridStore::NoTime ? GeenTijd : (ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
}

qint64 RegelTijden::seconden(QStringView regel)
{
    qsizetype rest = 0;
    const QStringView field = DataFileParse::firstField(regel, rest);
    if (field.trimmed().isEmpty())
        return GeenTijd;
    if (m_last >= 0) {
        const QDateTime moment = m_readers[size_t(m_last)].read(field);
        if (moment.isValid())
            return seconden(moment);
    }
    for (size_t i = 0; i < m_readers.size(); ++i) {
        if (int(i) == m_last)
            continue;
        const QDateTime moment = m_readers[i].read(field);
        if (moment.isValid()) {
            m_last = int(i);
            return seconden(moment);
        }
    }
    return GeenTijd;
}

int VeldVanToestel(int grid, int positie)
{
    int before = 0;
    for (int d = 1; d <= grid && d <= MaxToestellen; ++d)
        if (ToestelGeldig(d))
            ++before;
    return 1 + 11 * before + positie;
}

QDateTime RijTijd(int grid, qint32 rij)
{
    TableSink *tabel = dataViews().tabel;
    if (!tabel || grid < 0 || grid > MaxToestellen - 1)
        return QDateTime();
    const GridData &g = tabel->gridData(grid);
    if (rij < 1 || rij >= g.rows())
        return QDateTime();
    // The table keeps each row's record time, whichever way it shows it.
    const QDateTime stored = g.rowTime(rij);
    if (stored.isValid())
        return stored;
    const QString day = g.textMatrix(rij, 1).trimmed();
    const QString time = g.textMatrix(rij, 2).trimmed();
    if (day.isEmpty() || time.isEmpty())
        return QDateTime();
    if (RelatieveTijd)
        return TekstNaarDuur(day, time);
    return DateTimeText::parse(day + QLatin1Char(' ') + time);
}

QDateTime TekstNaarDuur(const QString &dagen, const QString &tijd)
{
    if (!TijdBasis.isValid() || tijd.size() < 9)
        return QDateTime();
    const int sign = tijd.contains(QLatin1Char('-')) ? -1 : 1;
    const qint64 days = dagen.toLongLong(); // carries its own sign
    const qint64 secs = tijd.mid(1, 2).toLongLong() * 3600 + tijd.mid(4, 2).toLongLong() * 60
                        + tijd.mid(7, 2).toLongLong();
    return TijdBasis.addDays(days).addSecs(sign * secs);
}

bool WijzigVeldInMeetbestand(int grid, qint32 rij, int positie, const QString &tekst)
{
    if (AlleenLezen)
        return false; // edits that could never be accepted are not made
    const qint64 moment = RegelTijden::seconden(RijTijd(grid, rij));
    if (moment == RegelTijden::GeenTijd)
        return false;
    const int veld = VeldVanToestel(grid, positie);
    const QString value = DataVeldTekst(tekst);
    RegelTijden times;
    return HerschrijfWerkkopie(VervangDatum(Meetbestandsnaam), [&](QString &line, qint64 number) {
        if (number > 1 && times.seconden(line) == moment)
            VervangVeld(line, veld, value);
        return true;
    });
}

void WisSelectieInTabel(qint32 rij)
{
    TableSink *tabel = dataViews().tabel;
    if (!tabel)
        return;
    for (int d = 1; d <= MaxToestellen; ++d) {
        if (!ToestelGeldig(d))
            continue;
        GridData &g = tabel->gridData(d - 1);
        if (rij < 1 || rij >= g.rows())
            continue;
        // The row is written once, its number and time kept: deleting every row of a large
        // table blanks hundreds of thousands of them.
        std::vector<QString> keep(size_t(g.cols()));
        std::vector<QStringView> cells(size_t(g.cols()));
        for (int c = 0; c < g.cols(); ++c)
            if (c == 0 || c > KolomOpmerking) {
                keep[size_t(c)] = g.textMatrix(rij, c);
                cells[size_t(c)] = keep[size_t(c)];
            }
        g.setRowTexts(rij, g.store().time(rij - 1), cells, 0);
    }
}
