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

// Margins 15, 10, 10, 10 and the font "Arial".
void StandaardPrintInstellingen();

} // namespace Printerkode
