#pragma once
#include "core/printsettings.h"

#include <QColor>
#include <QString>

class PrintDevice;
class PrintableGraph;

// The page engine every printout goes through: printer set-up, the page header, the heading
// block of a window's printout, word-wrapped text with page breaks and rules. All positions
// are millimetres on the print device.
namespace Printerkode {

// The smallest body the print area keeps each way, whatever the margins say.
constexpr float MinimaleRomp = 40;

// Orientation, pen, margin clamp and print area (PrintLinks, PrintRechts, PrintBoven,
// PrintOnder). Margins that leave less than MinimaleRomp are shrunk for this printout only.
void InstellenPrinter(PrintDevice &printer);
// Clamps each stored margin to 0..half the page (the page-margin dialog uses it too).
void BegrenzenMarges(const PrintDevice &printer);
// The value limited to 0..maximum.
float Begrenzen(float waarde, float maximum);
// Whether the device prints a font of exactly that name.
bool BestaatLettertype(const PrintDevice &printer, const QString &naam);
// PrintLettertype, bold, PrintCursief, 10 points, in black.
void InstellenStandaardLettertype(PrintDevice &printer);
// Title left, date and time right, a frame around the body; leaves the position at the top
// left of the body.
void AfdrukkenPaginaHoofding(PrintDevice &printer);
// A new page with its header when the text's line would reach PrintOnder. At the top of a
// fresh body it never breaks, so whatever comes next is placed.
void ControlePaginaEinde(PrintDevice &printer, const QString &tekst);
// Prints the text word-wrapped between two X positions from the current position on,
// breaking pages as needed; the last line is not ended.
void AfdrukkenTekstTerugloop(PrintDevice &printer, float links, float rechts, QString tekst);
// A horizontal line of the given length to the right of (x, y).
void TekenLijn(PrintDevice &printer, float x, float y, int breedte, float lengte,
               const QColor &kleur);
// A black rule across the print area at the current Y.
void TekenHorizontaleLijn(PrintDevice &printer, int breedte);

// Where a window's printout comes from: its tag ("tabel", "grafiek7", "terminal"...) and,
// for a graph, the graph itself.
struct AfTePrintenVenster {
    QString Tag;
    const PrintableGraph *grafiek = nullptr;
};

// The page title of a window's printout: the data file's path, whatever the window.
QString BepaalPaginaTitel(const AfTePrintenVenster &venster);
// The page header and the heading block in front of a window's content (operator, company,
// division, note and, for number >= 1, a column that describes the window); leaves the
// position at the left under the block's rule.
void AfdrukkenVensterHoofding(const AfTePrintenVenster &venster, PrintDevice &printer,
                              int nummer);

// The top of the body below the last page header printed (for tests and page loops).
inline float RompBoven = -1;

} // namespace Printerkode
