#pragma once
#include <QDateTime>
#include <QString>
#include <functional>
#include <limits>
#include <vector>

#include "core/datafileparse.h"

// Writing a data file as a whole, its backup, and the working copy through which edits of
// logged lines wait until the user accepts or drops them. The data file itself is never edited
// in place. All names here are already expanded ("#date#" replaced).

// "run.csv" -> "run.bak" (".csv" in any letter case); a name without ".csv" -> "<name>.bak",
// so a backup never has the data file's own name.
QString BackupNaam(const QString &naam);
inline QString WerkkopieNaam(const QString &naam) { return naam + QStringLiteral(".new"); }
inline QString HerschrijfNaam(const QString &naam) { return naam + QStringLiteral(".newcopy"); }

// Whether two names are one file: by canonical path, or by device and inode where both exist.
bool IsSameFile(const QString &a, const QString &b);

// File > Save as (nieuwBestand false) and the choice of a new data file (true). On success the
// name is the new data file (Meetbestandsnaam, registry "LastFile", recent files, caption) and
// Antwoord and LaatsteAntwoord are 1; otherwise the old name stays and both are 2. Save as
// copies the data file, or writes it from the table when there is none; a file that is being
// logged goes on being logged under the new name from the next record.
void BewaarMeetbestandAls(QString &naam, bool nieuwBestand);

// Writes the whole data file from the table: header, then every row with its absolute record
// time; in Windows-1252 when every text fits, else in UTF-8 behind the mark. The file is
// replaced only when it was written whole. False (after telling the user) when it could not be
// written.
bool SchrijfMeetbestand(const QString &bestandsnaam);

// The data file becomes the backup; a named working copy becomes the data file. Nothing is done
// while the data is read-only (AlleenLezen). Each step replaces a name in one go, the new backup
// first, so a program stopped at any point leaves the data file (old or new) and a backup.
// False when a step failed; the data file is then as it was.
bool MaakBackup(const QString &naam, const QString &werkkopie = QString());

// One edit of logged lines: each line of the working copy (created from the data file at the
// first edit) is handed to `bewerking` with its number (1 = header), which may change it or
// return false to drop it. A Windows-1252 copy that a changed line does not fit is made again
// from the first line as UTF-8, so `bewerking` must give the same result when it is called
// again for the same lines. The result is written to ".newcopy" in full and flushed, and only
// then replaces ".new". On any failure ".newcopy" is removed, ".new" is as before, the user is
// told, and false is returned (the caller then leaves its grids alone).
using RegelBewerking = std::function<bool(QString &regel, qint64 nummer)>;
bool HerschrijfWerkkopie(const QString &naam, const RegelBewerking &bewerking);

// Settles a pending working copy of the data file: Yes accepts it (backup, then it becomes the
// data file, with the records another program appended to the data file since), No drops it
// (reloading the data file when `herladen` came in True). A data file changed in any other way
// since the copy was made keeps its contents, and the edits are kept apart as a data file of
// their own; the user is told its name. `herladen` goes out True only when the user chose Cancel
// (offered when jaNee is false).
void HerstelNieuwBestand(const QString &naam, bool &herladen, bool jaNee);

// The record time of data-file lines as whole seconds of local wall-clock time (the grids keep
// their rows' times so), read in whichever known form the file writes them: the form that read
// the last line is tried first, so a rewrite of a large file parses each time once.
class RegelTijden {
public:
    static constexpr qint64 GeenTijd = std::numeric_limits<qint64>::min();
    RegelTijden();
    // The seconds of the line's first field, or GeenTijd when it is not a time.
    qint64 seconden(QStringView regel);
    // The same for a moment (a row's time); GeenTijd when it is invalid.
    static qint64 seconden(const QDateTime &moment);

private:
    std::vector<DataFileParse::TimeReader> m_readers;
    int m_last = -1;
};

// Field number in a data line of column position 1..11 of the grid of slot grid + 1.
int VeldVanToestel(int grid, int positie);
// A row's record time; invalid ("0") when the row has none.
QDateTime RijTijd(int grid, qint32 rij);
// The record time from the relative-time cells (days; sign and hh:mm:ss) and TijdBasis.
QDateTime TekstNaarDuur(const QString &dagen, const QString &tijd);
// Changes one field in every line of the working copy with that row's time (same second).
// False when nothing could be written (read-only data, no time, a failed rewrite).
bool WijzigVeldInMeetbestand(int grid, qint32 rij, int positie, const QString &tekst);
// Empties columns 1..KolomOpmerking of that row in every valid slot's grid.
void WisSelectieInTabel(qint32 rij);
