#pragma once
#include <QString>

// The page settings every printout shares, in millimetres. Kept with the settings, which set
// them for a new configuration (StandaardPrintInstellingen); the printing subsystem reads them.
namespace Printerkode {

inline float MargeLinks = 15;
inline float MargeRechts = 10;
inline float MargeBoven = 10;
inline float MargeOnder = 10;
inline QString PrintLettertype = QStringLiteral("Arial");
// Left and right limits of the print area: the left margin, and the paper width minus the
// right margin (set when a printout starts).
inline float PrintLinks = 15;
inline float PrintRechts = 200;
// Top of the print area and its bottom limit: the top margin, and the paper height minus the
// bottom margin (set when a printout starts).
inline float PrintBoven = 10;
inline float PrintOnder = 287;
// The text printed top left in every page header.
inline QString PaginaTitel;

// What the print dialog keeps: the heading block's fields, the font's slant, the page
// orientation (1 portrait, 2 landscape), the chosen printer (-1 the system's default) and
// which windows and rows go to the printer.
inline QString PrintOperator;
inline QString PrintAfdeling;
inline QString PrintBedrijf;
inline QString PrintNota;
inline bool PrintCursief = false;
inline bool PrintAlles = false;
inline bool PrintEnkelSelectie = false;
inline int PrintOrientatie = 1;
inline int PrintToestel = -1;
inline bool PrintAlarmRapport = false;

// Margins 15, 10, 10, 10 and the font "Arial".
void StandaardPrintInstellingen();

} // namespace Printerkode
