#pragma once
#include <QString>
#include <QtGlobal>
#include <functional>
#include <utility>
#include <vector>

// Edits of logged lines from the table window: clearing cells, deleting lines and writing a
// remark. Each edit goes to the data file's working copy "<data>.new" (never the data file
// itself) and changes the grids only once that copy was written in full. The functions reach
// the grids through dataViews().tabel and ask their questions through WindowHost, so tests call
// them without a main window.

// What the edits need of windows built elsewhere; every member may stay empty.
struct TableEditHooks {
    // Graph window 1..32 draws its chart again from the table (after lines were deleted).
    std::function<void(int graph)> hertekenGrafiek;
    // Whether graph window 1..32 is an XY recorder (those are not redrawn).
    std::function<bool(int graph)> isXYRecorder;
};
TableEditHooks &tableEditHooks();

// A selection from column c1 to c2 snapped to value and unit pairs: a start on a unit moves to
// its value, and then an end on a value (or the date) moves to its unit (or the time). Row
// number, control, relay and remark columns are left as they are.
std::pair<int, int> SnapNaarParen(int c1, int c2);
// The columns a clear of c1..c2 empties: never the row number, date or time; each value or
// unit column below the control column takes the column after it along.
std::vector<int> TeWissenKolommen(int c1, int c2);

// Why an edit may not start. The date-pattern refusal shows its message; the others are silent.
// `datumWeigeren`: a data file named with "#date#" is refused (clear and delete).
bool BewerkingToegestaan(bool datumWeigeren);

// Clears columns c1..c2 of rows r1..r2 of grid t in the grid and in the working copy. Rows
// without a record time change in the grid only; the others take, in one pass, each the next
// line of their time not yet taken. False when nothing changed.
bool WisCellen(int t, qint32 r1, qint32 r2, int c1, int c2);

// Drops from the working copy every line whose time is that of one of rows r1..r2 of grid t,
// then blanks in every valid grid each row holding one of the dropped times. False when nothing
// changed.
bool VerwijderRijen(int t, qint32 r1, qint32 r2);

// The remark as it is stored: `"` becomes `'`, CR, LF and the other control characters a
// data file holds no room for a blank (DataVeldTekst), and a leading "Stop" gets an
// apostrophe after it (a remark that starts with "Stop" marks a stop record).
QString OpmerkingOpslagTekst(const QString &tekst);
// Stores a remark (already made by OpmerkingOpslagTekst) of row `rij` of grid t in the grid and
// in every line of its time in the working copy of the expanded data file name. False when
// nothing changed (read-only data, a failed rewrite).
bool BewaarOpmerking(int t, qint32 rij, const QString &tekst);
