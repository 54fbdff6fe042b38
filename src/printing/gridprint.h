#pragma once
#include <QString>
#include <QtGlobal>

class GridData;
class PrintDevice;

// Printing a grid's rows: the header row, one data row, the lines between the columns and the
// rule under a row. Column widths come from the grid in twips and are turned into millimetres
// by the scale the caller passes; every cell is printed in the grid's font at the given size,
// aligned in its column with a 0.5 mm inset and clipped to it with 0.25 mm tolerance. These
// routines never start a page; the caller decides where pages break.
namespace Printerkode {

// One twip in millimetres: the largest scale, a grid's size on the screen.
constexpr float TwipSchaal = 0.017638888f;
// Twips in a millimetre: turns a grid font's size into the printed size at a scale.
constexpr float TwipsPerMm = 56.69291f;

// The sum of the grid's column widths, twips.
float BepaalTabelBreedte(const GridData &grid);
// The scale that fits a grid of the given total width (twips) into the print width: never
// above TwipSchaal, and TwipSchaal for a grid without width.
float BepaalTabelSchaal(float afdrukBreedte, float tabelBreedte);

// Sets the device's current X for a text of width w in a column from x, c wide.
void BepaalUitlijning(PrintDevice &printer, int code, float x, float w, float c);
// Prints the text from the current X, a character at a time, leaving out what lies left of
// links - 0.25 and stopping where a character would pass rechts + 0.25.
void AfdrukkenCelTekst(PrintDevice &printer, float links, float rechts, const QString &tekst);
// The grid's font (name, bold, italic, underline, strikethrough) at the given size, in black.
void KopierenCelLettertype(PrintDevice &printer, const GridData &grid, float grootte);

// The header row at y, always bold. Prints nothing at a scale or size that is not positive.
void AfdrukkenTabelHoofding(PrintDevice &printer, const GridData &grid, float x, float y,
                            float schaal, float grootte);
// One grid row at y. Prints nothing at a scale or size that is not positive.
void AfdrukkenTabelRij(PrintDevice &printer, const GridData &grid, qint32 rij, float x, float y,
                       float schaal, float grootte);
// A line down from y over the given length at the right edge of every column (none at x).
void AfdrukkenKolomLijnen(PrintDevice &printer, const GridData &grid, float x, float y,
                          float schaal, float lengte);
// One line lower (the height of a blank plus 1 mm) a rule across the print area.
void AfdrukkenTabelLijn(PrintDevice &printer, int breedte);

} // namespace Printerkode
