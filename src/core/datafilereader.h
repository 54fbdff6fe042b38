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
void LeesMeetbestand(const QString &naam);
// Whether a file may become the data file: one holding bytes no data file has (NUL and other
// control characters) is refused with "Wrong type of file!" before anything else changes, so
// that logging never appends to it. Reads the whole file.
bool acceptAsDataFile(const QString &path);
// Empties the table grids of the valid slots, their reading displays and every graph in use;
// AantalRijen := 0.
void HerstelGrafieken();
