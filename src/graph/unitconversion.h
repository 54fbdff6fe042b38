#pragma once
#include <QString>

// Conversion of measured values to the unit of their graph line. A line keeps the unit its
// channel showed when it was first drawn; a value measured with another decimal prefix of the
// same quantity (mg on a g line, ms on an s line) is scaled to it, anything else is drawn as it
// came. Units are compared by their first characters, without regard to case and without the
// blanks the controllers pad them with.

// Factor that takes a value measured in `eenheid` to the line's unit `grafiekEenheid`; 1 when
// the two do not convert.
double OmrekenFactor(const QString &grafiekEenheid, const QString &eenheid);

// The value text `waarde` (either decimal sign; 0 when it is not a number) in the line's unit.
// The over-range text "9999" and the empty text are not converted. The result stays a double:
// the chart takes it as it is, with no round trip through text.
double OmrekenenNaarGrafiekEenheid(const QString &grafiekEenheid, const QString &waarde,
                                   const QString &eenheid);

// The same with the factor already known (OmrekenFactor of the two units): a line drawing
// thousands of rows in one unit finds the factor once.
double OmrekenenMetFactor(const QString &waarde, double factor);
