#pragma once
#include <functional>
#include <QByteArray>
#include <QString>

// Control-character test shared by the tokenizer and the number reader: true when flag bit 2
// is set and the character is CR, LF, TAB, BS, FF or NUL, or there is no character.
bool IsStuurteken(const QString &character, int flags);
bool IsStuurteken(char character, bool present, int flags);

// Takes the next token off the front of the text. Flag bit 1 consumes the delimiter that ends
// the token; flag bit 2 also stops at control characters. On return the delimiter argument holds
// the character that stopped the token (empty at the end of the text).
QString NeemWoord(QString &text, QString &delimiters, int flags);
QByteArray NeemWoord(QByteArray &text, QByteArray &delimiters, int flags);

#include "core/shared.h"

#include <QStringList>

class QWidget;

// System information and the wrappers the program uses in place of direct system calls.
namespace APIDLL {

// Filled at start-up; texts are empty until then. Only the version name and the documents
// folder are used outside the "/sysinfo" report.
inline QString WindowsVersie;     // name of the operating system version
inline bool IsWindowsNT = false;  // stays false on this platform
inline bool IsWindowsXP = false;  // stays false on this platform
inline QString Gebruikersnaam;
inline QString Computernaam;
inline QString NetwerkGebruiker;  // no network logon here: empty
inline QString GebruikersMap;     // the user's application-data folder
inline QString Bedrijfsnaam;      // no registered company here: empty
inline QString ToepassingsPad;    // the program's folder
// The same variable as Hoofdmodule::MapDocumenten, under the name this module gives it.
inline QString &MapDocumenten = Hoofdmodule::MapDocumenten;
inline QString MapAfbeeldingen;
inline QString MapOpstarten;

// Registry roots, as the names of their stand-in stores.
inline const QString HKEY_LOCAL_MACHINE = QStringLiteral("HKEY_LOCAL_MACHINE");
inline const QString HKEY_CURRENT_USER = QStringLiteral("HKEY_CURRENT_USER");

} // namespace APIDLL

// Keeps the window above all others (on) or not (off), at its place and size. Turning it on
// shows the window without activating it; turning it off leaves a hidden window hidden.
void ZetVensterBovenaan(QWidget *venster);
void ZetVensterNormaal(QWidget *venster);

// The operating system's name; clears IsWindowsNT and IsWindowsXP.
QString BepaalWindowsVersie();

// Fills the system-information texts. A "/sysinfo" argument (any letter case) is removed from
// the command line and answered with the report in a plain message box.
void VerzamelSysteemInfo(QStringList &opdrachtregel);
// The report's text, one line per value.
QString systemInfoReport();

// Starts the system information tool that the registry names; otherwise, or when it does not
// start, shows the message.
void StartSysteemInfo(const QString &melding);
// A window of the program's own that shows the system information; once set, "/sysinfo" and
// StartSysteemInfo open it instead of the message box or the tool. Empty: none.
void setSystemInfoViewer(std::function<void()> viewer);

// One text value of the registry stand-in: root (a store name, see APIDLL), key path, value name.
// False with an empty result when the key or the value does not exist.
bool LeesRegisterTekst(const QString &root, const QString &sleutel, const QString &waardeNaam,
                       QString &resultaat);

// True when another running copy holds the lock for the window's full caption. The lock for the
// caption is held by this process from then on; a later call with another caption releases it.
bool VorigeInstantieActief(QWidget *venster);
// The lock file that stands for a caption.
QString instanceLockPath(const QString &caption);

// Writes a Qt resource (":/...") into this process's own folder under the given file name (its
// folder part is ignored), or under a new unique name when none is given. An existing file is
// truncated first. Returns the file's full path, or "" on failure.
QString ResourceNaarBestand(const QString &resource, const QString &bestandsnaam = QString());
// The process's own folder for such files; removed when the process ends.
QString resourceFolder();

// The application and organisation names, set once by the program at its start.
void setProgramNames();
