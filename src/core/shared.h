#pragma once
#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The program's shared state: flags that keep actions apart and the settings values every
// subsystem reads. One thread touches them; there are no locks.
namespace Hoofdmodule {

// Flags (see docs/glossary.md).
inline bool MetenActief = false;           // polling on
inline bool LoggenActief = false;          // logging to the data file on
inline bool Bezig = false;                 // a settings dialog is open
inline bool InstellingenHerladen = false;  // rebuild windows and re-read the settings file
inline bool LadenBezig = false;            // a data file is being read
inline bool AfbrekenLaden = false;         // the user cancelled reading a data file
inline bool AlleenLezen = false;           // the data file in memory is read-only
inline bool InstellingenGewijzigd = false; // settings changed since the last save
inline bool TransferActief = false;        // transfer capture running
inline bool OntvangenActief = false;       // memory download running
inline bool CyclusVoltooid = false;        // a full poll cycle completed since the last record
inline bool CyclusRond = false;            // the poll cycle wrapped past slot 31
inline bool ProgrammaStoppen = false;      // end the start-up outer loop
inline bool BestandOpCommando = false;     // the data file came from the command line
inline bool CommInitOverslaan = false;     // defaults applied: skip the port set-up
inline bool StartLoggen = false;           // start logging when measuring starts
inline bool LaadBestand = false;           // load the data file at start
inline bool RelatieveTijd = false;         // times shown relative to TijdBasis
inline bool AfbrekenZoeken = false;        // Cancel during the port scan
inline bool GrafiekInstellenGesloten = false;

// Settings values.
inline QString SeriePoort = QStringLiteral("COM1");
inline QString Baudrate = QStringLiteral("9600");
inline qint32 MeetInterval = 1;            // seconds between log records
inline QString Meetbestandsnaam;           // absolute path of the data file
inline QString InstellingenBestandsnaam;   // the settings file in use
inline QString RegisterNaam = QStringLiteral("QLV2-CFG");
inline QString InstellingenExtensie = QStringLiteral(".CFG");
inline QString InstellingenBestand = QStringLiteral("Qlv2.CFG");
inline qint16 TaalIndex = 0;               // 0 English, 1 French, 2 Dutch
inline bool StartLoggenOpTijd = false;
inline bool StopLoggenOpTijd = false;
inline QDateTime StartTijd;
inline QDateTime StopTijd;
inline qint32 AantalRijen = 0;             // number of the last measurement row
inline QDateTime MeetTijdstip;             // time stamp of the record being logged
inline QDateTime TijdBasis;                // start of relative time
inline qint16 GekozenNummer = 0;
inline qint16 AantalGrafieken = 0;
inline qint32 AntwoordWachttijd = 15;      // last reply time-out in 100 ms ticks
inline qint16 LaatsteAntwoord = 0;         // 1 OK, 2 Cancel, or a message-box answer

// Folders and system values filled at start-up.
inline QString MapDocumenten;
inline QString DataMap;
inline QString InstellingenMap;
inline QString LaatsteMap;
inline QString Tijdscheidingsteken = QStringLiteral(":");

inline const QString Aanhalingsteken = QStringLiteral("\"");

// Terminal echo switches and the terminal's font record (name, bold, italic, size, colour,
// strike-through, underline) and text colours.
inline bool ToonCodeZenden = false;        // echo sent frames to the terminal window
inline bool ToonCodeOntvangen = false;     // echo received bytes to the terminal window
inline QString TerminalLettertype = QStringLiteral("Courier New");
inline bool TerminalVet = false;
inline bool TerminalCursief = false;
inline float TerminalGrootte = 0;          // 0: keep the text box's size
inline qint32 TerminalKleur = 0;
inline bool TerminalDoorgestreept = false;
inline bool TerminalOnderstreept = false;
inline qint32 TerminalKleurZenden = 0xFF00FF;
inline qint32 TerminalKleurOntvangen = 0;

} // namespace Hoofdmodule

namespace Hoofdmodule {
// Table columns of a slot's control, relay and remark texts (set by the table window).
inline qint16 KolomRegeling = 11;
inline qint16 KolomRelais = 12;
inline qint16 KolomOpmerking = 13;
} // namespace Hoofdmodule
