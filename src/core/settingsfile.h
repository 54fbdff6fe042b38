#pragma once
#include "core/windowsettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The settings file: one configuration's whole working state (port, language, data file and
// schedule, controllers, window placements and fonts, graphs, terminal and table) as sectioned
// text with CR LF line ends: Windows-1252 when every text fits, as the files this program has
// always written, else UTF-8 behind a byte-order mark (see FileText). Within a section the
// reader takes the lines by position, so the writer's order binds both.

// Value forms of the file, in the user's locale (QLocale()).
QString InstellingGetal(float value);   // shortest text that reads back the same, no group separators
QString InstellingGetal(double value);
QString InstellingDatum(const QDateTime &moment); // date and time; midnight as the date alone,
                                                   // an invalid (zero) date as a bare time
// A start or stop time as the file holds it; invalid when it is no date (a bare time included).
QDateTime LeesInstellingDatum(const QString &value);

// The whole file from the live state, as it goes to disk.
QByteArray InstellingenTekst();

// The settings file last read, as an absolute path, when sections the writer always writes
// were missing from it; empty when it was whole or there was none. Saving over it asks first.
namespace SettingsFileState {
inline QString damagedFile;
}

// Writes the file whole or not at all. On success clears InstellingenGewijzigd; on failure the
// old file stays as it was, InstellingenGewijzigd is kept and the user is told (text 313 and
// the cause). A file read as damaged is written over only after the user's Yes.
bool SchrijfInstellingen(const QString &path);
bool BewaarInstellingen(const QString &path);
// Asks for a new settings file name; returns 1 (use the new name in `path`) or 2 (cancelled:
// `path` holds the old name again). Nothing on disk changes here: the caller writes the new
// file, which replaces an existing one only once it is complete.
int BewaarInstellingenAls(QString &path);
// Sets InstellingenBestandsnaam at start-up from the registry, or the default path.
void BepaalInstellingenBestand();

// The File menu's save and save-as commands: write, then "Settings saved!" only after a write
// that succeeded. Save-as keeps the old name (in memory and registry) when the write fails.
bool saveSettingsCommand();
bool saveSettingsAsCommand();

// Reading.
enum class SettingsReadResult {
    Read,       // the file was read
    Defaults,   // there was no file; the defaults were applied and written
    Cancelled,  // there was no file and the user cancelled the general settings: end start-up
    Unreadable, // the file exists but cannot be read; nothing was changed or written: end start-up
};

bool IsSectieKop(const QString &line);
// Restores the state from the file; applies the defaults when it does not exist. A file that
// lacks a section the writer always writes is read as far as it goes, reported as damaged
// (text 509) and remembered in SettingsFileState::damagedFile. Sets
// LaatsteAntwoord to 2 when the start-up must end.
SettingsReadResult LeesInstellingen(const QString &path);
// The reading itself, on the file's bytes; returns the always-written section headers that
// were missing (empty for a whole file).
QStringList LeesInstellingenUitTekst(const QByteArray &bytes);
// The language a settings file names (its "[LANGUAGE]" section), looked up before the file is
// read, so that start-up speaks the configured language from its first message on. Empty when
// the file cannot be read or names none.
QString TaalVanInstellingen(const QString &path);
// Before a settings file is read again: everything the reader fills, besides the slot table
// (ResetToestellen), goes back to what the program holds before any file was read. The reader
// adds graphs to those it finds and keeps what a file leaves out, so without this the graphs
// and settings of the previous file would carry over into the next.
void resetReadSettings();
// Hides every rack window and the table window.
void VerbergVensters();
// A stored placement as it is applied: kept when it lies within the bounds (the screen for the
// main window, the main window's client area for the others) or is maximised; else the default.
WindowPlacement ControleerPlaatsing(const WindowPlacement &stored, const QSizeF &bounds);
