#pragma once
#include "core/slots.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

// The rules of the general settings dialog that need no window: the port and baud-rate lists,
// the log interval, the device grid and the check before the settings are applied.

// The port names of a scan result ("COM1, COM3, COM12"): split at ",", trimmed, empty pieces
// dropped, so three-digit ports keep all their digits.
QStringList PoortNamen(const QString &scan);

// The baud rates the dialog offers, in list order.
QStringList BaudLijst();
// The list index of a baud rate (2400 gives 0 ... 115200 gives 6); -1 when the list has no such
// entry. An empty rate becomes "2400" first.
int BepaalBaudIndex(QString &baudrate);

// The log interval is whole seconds, 1..86400; one day shows as 00:00:00.
constexpr qint32 EenDag = 86400;
// Wraps an interval into 1..86400: 0 or less gives a day, more than a day gives 1, so the
// interval is never 0 (a record every cycle).
qint32 BegrensTijdsinterval(qint32 seconden);
// "hh:mm:ss" with the given separator; a day or more shows as 00:00:00.
QString TijdsintervalTekst(qint32 seconden, const QString &scheiding);
// The seconds of an "hh:mm:ss" text (prompt characters "_" read as 0); 0 when it is no valid
// time of day.
qint32 LeesTijdsinterval(const QString &tekst, const QString &scheiding);

// The models the device grid offers, by list index; index 0 is the empty entry. T574 is no
// longer offered for new controllers but a controller of that model keeps its code.
QStringList ModelLijst();
// The list index of a model code (trimmed); 0 for an empty or unknown code. "T574" gives the
// index after the offered models, so the editor can show it without erasing it.
int BepaalToestelType(const QString &code);
inline const QString OudModel = QStringLiteral("T574");

// One row of the device grid, an edit buffer of the slot table. `bron` is the slot the row's
// controller came from (0: added in the dialog), so that its name, channel names and on/off flag
// stay with it however rows are emptied or packed.
struct ApparaatRij {
    QString type;    // model code or empty
    QString idno;    // "000" format or empty
    QString kanalen; // "1".."4" or empty
    int bron = 0;
    bool leeg() const { return type.trimmed().isEmpty(); }
    bool operator==(const ApparaatRij &) const = default;
};
using ApparaatRijen = QList<ApparaatRij>; // index 0 is grid row 1

// The grid as the dialog opens: every slot with a known model, in slot order (gaps are skipped,
// never the controllers after them), then one empty row for a new controller unless 31 are used.
ApparaatRijen VulApparaatRijen(const ToestelTabel &tabel);

// Commits of the floating editors for grid row `rij` (1-based).
// The model list: a model in an empty row gives it the row number as identification number and
// 4 channels and appends an empty row after the last (at most 31 rows); the empty entry empties
// the row. Choosing the code the row already holds changes nothing.
void KiesModel(ApparaatRijen &rijen, int rij, const QString &code);
// The identification number: 1..999 in "000" format; anything else, or a row without a model,
// empties the cell.
void ZetIdno(ApparaatRijen &rijen, int rij, const QString &tekst);
// The number of channels: outside 1..4 becomes 4; a row without a model gets none.
void ZetKanalen(ApparaatRijen &rijen, int rij, const QString &tekst);
// Empties rows `van` to `tot` (1-based, inclusive); the rows themselves stay.
void WisRijen(ApparaatRijen &rijen, int van, int tot);

// What stands in the way of applying the grid.
struct ApparaatControle {
    enum Soort { Goed, OngeldigNummer, DubbelNummer, GeenApparaat };
    Soort soort = Goed;
    int rij = 0;      // grid row of the fault (1-based)
    qint32 idno = 0;  // the repeated number
};
// Checks the rows that hold a model, in grid order: a number outside 1..999, then a number an
// earlier row already has; then whether any row holds a model at all.
ApparaatControle ControleerApparaten(const ApparaatRijen &rijen);

// Rebuilds the slot table from a checked grid: rows with a model are packed into slots 1, 2, ...
// Each controller takes along its name, channel names, on/off flag and counters from its source
// slot; a new one gets a fresh record, switched on, named after its model and address. The
// slots after the last controller are emptied. Units, no-value marks and status words are
// cleared everywhere. Returns, per slot 1..31, the source slot of its controller (0: new or
// empty).
using ApparaatBronnen = std::array<int, MaxToestellen + 1>;
ApparaatBronnen PasApparatenToe(const ApparaatRijen &rijen, ToestelTabel &tabel);

// Per slot 1..31, after PasApparatenToe turned `voor` into `na`: whether the rows the slot's
// table grid holds are still its controller's own. They are when the slot keeps the controller it
// had (same source, model and number) and every slot up to it was in use before, so that the
// logged lines place the slot's fields where they did. A controller that moved, a new one, or
// one behind a slot that came into use holds another controller's rows (or none).
std::array<bool, MaxToestellen + 1> EigenTabelRijen(const ApparaatBronnen &bronnen,
                                                    const ToestelTabel &voor, const ToestelTabel &na);
