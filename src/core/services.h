#pragma once
#include <QColor>
#include <QFont>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "core/tablesink.h"

class GridData;
class QWidget;

// Small services the windows share: file, font and colour dialogs, path helpers, the progress
// window driver, the recent-files list, toolbar state and iterators over slots and graphs.

// What the data-file services need of windows that are built elsewhere. The main window fills
// it in where it is wired; every member may stay empty (tests, or a window not built yet), and
// is then skipped. The caption is renewed through WindowHost::titleChanged, questions go to the
// dialog provider with MainLink::mainWindow() as their parent.
struct DataViews {
    TableSink *tabel = nullptr;                      // the table window
    std::function<void(int graph)> wisGrafiekGegevens; // empty a graph window's data
    std::function<void(int graph)> ladenGrafiek;       // rebuild a graph window from the table
    // Stops logging as the user's stop does (stop record); the data file stays open.
    std::function<void()> stopVerbinding;
    // Puts a name on top of the recent-files list and refreshes the menu; empty: the list here.
    std::function<void(const QString &name)> updateFileMenu;
    // The reading display of a slot is emptied (the rack window's own empty state).
    std::function<void(qint16 slot)> tonenMeting;

    // The main window's result of its last action (its Antwoord).
    qint16 *antwoord = nullptr;
    // Enables or disables a toolbar button by its key ("tbrCopy") or a menu item by its name.
    std::function<void(const QString &key, bool enabled)> toolButtonEnabled;
    std::function<void(const QString &name, bool enabled)> menuItemEnabled;
    // Shows these names (newest first, at most four) as the File menu's recent files.
    std::function<void(const QStringList &names)> recentFilesMenu;
    // The active child window (its "Tag" property tells its kind), or null.
    std::function<QWidget *()> activeWindow;
    // The number of open child windows.
    std::function<int()> ActieveVensters;
};
DataViews &dataViews();

// The main window's result of its last action (1 done, 2 cancelled or failed). Written to the
// main window when there is one; kept here too, so it can be read without one.
void ZetAntwoord(qint16 antwoord);
qint16 Antwoord();

// Graph number 1..32 is live when its GrafiekIndex equals its place.
bool GrafiekInGebruik(int graph);

// Common dialogs.
QString KiesBestandOpenen(const QString &naam, const QString &extensie, int filterTekst);
QString KiesBestandOpenenMetFilter(const QString &naam, const QString &extensie, int filterTekst);
// flags bit 1 (value 2): offer "all files" besides the given type.
QString KiesBestandOpslaan(const QString &naam, const QString &extensie, int filterTekst,
                           int titelTekst, int vlaggen);
// False when the dialog was cancelled: nothing changed.
bool KiesLettertype(QWidget *object, bool effecten, bool vrijeGrootte);
void KiesKleur(qint32 &kleur);
void ZetLettertype(QWidget *doel, const QWidget *bron);

// File > Open of a data file; the name becomes the data file and is loaded.
void OpenMeetbestand(QString &naam);

// The folder of a path with its final separator; a path without one gives the data folder.
// *netwerk tells whether the folder is on a network share (starts with two slashes).
QString SplitsPad(const QString &pad, bool *netwerk = nullptr);
// True when the file exists and its permission bits grant no one write access.
bool IsAlleenLezen(const QString &bestandsnaam);
// Sets AlleenLezen for the data file of that (expanded) name, whichever road opened it: a
// write-protected file, or one on a network share, takes no edits.
void ZetAlleenLezen(const QString &pad);
// A path longer than `lengte` (below 6: 25) shortened with "..." in the middle.
QString KortPad(const QString &pad, qint16 lengte);

inline int RoodDeel(qint32 kleur) { return kleur & 0xFF; }
inline int GroenDeel(qint32 kleur) { return (kleur >> 8) & 0xFF; }
inline int BlauwDeel(qint32 kleur) { return (kleur >> 16) & 0xFF; }
// A colour value (red + 256 * green + 65536 * blue) and back.
QColor KleurNaarQColor(qint32 kleur);
qint32 QColorNaarKleur(const QColor &colour);
// The pen colour of a graph's series.
qint32 GrafiekKleur(int graph, qint16 serie);

qint32 ControleerTussentijd(qint32 seconden);
// Asks whether to save changed settings; Yes saves them. *annuleren set on Cancel.
void VraagBewarenInstellingen(bool *annuleren);
// The slot of a rack window tag ("meting12" -> 12), the graph of a graph tag, else 0.
int VensterSoort(const QString &tag);

// The progress window driver. StapVoortgang hands control to the event loop, so the Cancel
// button is seen, and reports whether it was pressed (AfbrekenLaden is set then too).
// `titel`, when given, becomes the window's caption.
void ToonVoortgang(int minimum, int maximum, int waarde, const QString &tekst,
                   const QString &titel = QString());
void StapVoortgang(int waarde, bool *afgebroken);
void SluitVoortgang();

// The recent-files list: registry section "Recent Files", "RecentFile1" (newest) to "4".
QStringList RecenteBestanden();
void VulRecenteBestanden();
void ToevoegenRecentBestand(const QString &naam);
void VerwijderRecentBestand(const QString &naam);

// Toolbar buttons by their index on the toolbar (separators count).
void WerkbalkKnoppenAan(int knop);
void WerkbalkKnoppenUit(int knop);
void ActiverenKnopBewaren();
void InstellenWerkbalk();

// With 0: the first valid slot into `slot` (32 when there is none). With a slot: whether it is
// valid; when it is not, `slot` moves on by one.
bool VolgendToestel(qint16 &slot);
int AantalToestellen();
int VrijeGrafiek();
void HerInitialiseerGrafieken();
bool ZijnErVensters();
void SelectieRijen(const GridData &grid, qint32 &eerste, qint32 &laatste);
void SelectieKolommen(const GridData &grid, qint32 &eerste, qint32 &laatste);
