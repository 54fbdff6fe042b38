#pragma once
#include <QString>

// Reading a data file back into the table and the graphs.

// Loads the data file named by Meetbestandsnaam ("#date#" expanded): settles a leftover working
// copy, reads the file and rebuilds the graphs. A plain name without a file is told and taken
// off the recent-files list (Antwoord 2); a "#date#" name without today's file loads nothing,
// silently. Logging is stopped first: loading replaces what logging appends to.
void LaadMeetbestand();
// Reads the lines of the file into the table behind a progress window whose Cancel keeps the
// rows read so far. LaatsteAntwoord: 1 read to the end or cancelled, 2 a read error (told).
// A stray control byte in a line is read as a blank, wherever it stands (zeros a power loss
// left at the end of the file are a damaged line like any other); the lines with stray bytes
// that were skipped (no record) or cleaned (a record read with blanks) are told once, in one
// message.
void LeesMeetbestand(const QString &naam);
// That message for the file `naam`: the file on a line of its own, what it holds, then one line
// for each count that is not 0, in the singular or the plural.
QString StrayBytesMessage(const QString &naam, qint64 skipped, qint64 cleaned);
// Whether a file may become the data file, judged by its header and its first records: one
// that is no data file (random bytes, another program's file) is refused with "Wrong type of
// file!" before anything else changes, so that logging never appends to it. Every road that
// opens a data file judges by this rule, and reads only the start of the file for it.
bool acceptAsDataFile(const QString &path);
// The rule itself, on the first bytes of a file (a MiB is plenty): empty or blank, a first line
// that is a header ("Time" first), or first lines of which one is a record in a known form.
// Stray control bytes are read as blanks here as in the load.
bool IsDataFileStart(QByteArray start);
// Empties the table grids of the valid slots, their reading displays and every graph in use;
// AantalRijen := 0.
void HerstelGrafieken();
